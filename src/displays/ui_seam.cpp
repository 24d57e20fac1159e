#include "ui_seam.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "ole_color.h"

namespace qvx {

UiSeam::Answer QtUiSeam::messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                                    Buttons buttons) {
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    // A box over a small window would hide the very controls it speaks of.
    if (parent && parent->window()->isVisible()) {
        const QWidget* window = parent->window();
        if (const QScreen* screen = window->screen()) {
            if (const auto at = boxBesideWindow(window->frameGeometry(), box.sizeHint(), screen->availableGeometry()))
                box.move(*at);
        }
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

std::optional<QPoint> boxBesideWindow(const QRect& windowFrame, const QSize& box, const QRect& screen) {
    if (!windowFrame.isValid() || box.isEmpty() || box.width() > screen.width()) return std::nullopt;
    const int left = std::clamp(windowFrame.center().x() - box.width() / 2, screen.left(), screen.right() + 1 - box.width());
    if (windowFrame.bottom() + 1 + box.height() <= screen.bottom() + 1) return QPoint(left, windowFrame.bottom() + 1);
    if (windowFrame.top() - box.height() >= screen.top()) return QPoint(left, windowFrame.top() - box.height());
    return std::nullopt;
}

void QtUiSeam::beep() { QApplication::beep(); }

void QtUiSeam::endProcess(int code) { std::exit(code); }

// ---- help, capture and printers (menus) ----
// The base keeps tests that do not script these away from the platform.

bool UiSeam::openUrl(const QUrl&) { return false; }

QPixmap UiSeam::grabWindow(QWidget* window) { return window ? window->grab() : QPixmap(); }

QStringList UiSeam::printerNames() { return {}; }

QString UiSeam::defaultPrinterName() { return {}; }

std::unique_ptr<QPrinter> UiSeam::makePrinter(const QString&) { return nullptr; }

bool QtUiSeam::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

QStringList QtUiSeam::printerNames() { return QPrinterInfo::availablePrinterNames(); }

QString QtUiSeam::defaultPrinterName() { return QPrinterInfo::defaultPrinterName(); }

std::unique_ptr<QPrinter> QtUiSeam::makePrinter(const QString& name) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull()) return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}


// ---- file dialogs ----

UiSeam::FileDialogResult UiSeam::fileDialog(QWidget*, const FileDialogRequest& request) {
    return {false, request.fileName};
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    if (parts.size() < 2) {
        if (!filter.trimmed().isEmpty()) out << filter.trimmed();
        return out;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty()) continue;
        out << (desc.isEmpty() || desc == pattern ? pattern : QStringLiteral("%1 (%2)").arg(desc, pattern));
    }
    return out;
}

UiSeam::FileDialogResult QtUiSeam::fileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    const bool save = request.mode == FileDialogMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDirectory(request.initialFolder);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {false, request.fileName};
    return {true, QDir::toNativeSeparators(dialog.selectedFiles().constFirst())};
}

// ---- colour dialog ----

std::optional<qint32> UiSeam::chooseColor(QWidget*, qint32) { return std::nullopt; }

std::optional<qint32> QtUiSeam::chooseColor(QWidget* parent, qint32 initialOle) {
    QColorDialog dialog(oleToColor(initialOle), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return colorToOle(dialog.currentColor());
}

}  // namespace qvx
