// The main window's File > Printer Selection and Print entries and its Help
// menu: help file, version box.
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QUrl>

#include "maindisp.h"
#include "printing.h"
#include "prnselect.h"
#include "subdisp_about.h"

namespace qvx {

QString MainDisp::currentPrinterName() const {
    return m_printerName.isEmpty() ? m_ui.defaultPrinterName() : m_printerName;
}

void MainDisp::mnupsel_Click() {
    for (;;) {
        const QStringList printers = m_ui.printerNames();
        // With no printer at all only Cancel would lead out of the form.
        if (printers.isEmpty()) {
            m_ui.messageBox(this, menuMessageText(MenuMessage::NoPrinter, m_strings), QString(),
                            UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
            return;
        }
        {
            prnselect form(m_state, m_strings, printers, currentPrinterName(), this);
            form.exec();
        }
        switch (printerChoice(m_state.Prn_No, int(printers.size()))) {
        case PrinterChoice::Stop: return;
        case PrinterChoice::ShowAgain: continue;
        case PrinterChoice::Select: m_printerName = printers[m_state.Prn_No]; return;
        }
    }
}

void MainDisp::mnuFilePrint_Click() {
    const auto fail = [this](MenuMessage m, const QString& detail = QString()) {
        m_ui.messageBox(this, menuMessageText(m, m_strings, detail), QString(),
                        UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
    };
    // The command comes from this window's menu, so this is the foreground window.
    const QPixmap picture = m_ui.grabWindow(this);
    Picture2->setPixmap(picture);
    if (picture.isNull()) {
        fail(MenuMessage::CaptureFailed);
        return;
    }
    const QString name = currentPrinterName();
    const std::unique_ptr<QPrinter> printer = m_ui.makePrinter(name);
    if (!printer) {
        fail(MenuMessage::NoPrinter);
        return;
    }
    QPainter painter;
    const QRect drawn = PrintPictureFitPage(*printer, painter, Picture2->pixmap());
    // Ending the document sends the page to the printer.
    const bool ended = !painter.isActive() || painter.end();
    if (drawn.isEmpty() || !ended || printer->printerState() == QPrinter::Error)
        fail(MenuMessage::PrintFailed, name);
}

void MainDisp::numhelp2_Click() {
    const QString& path = HelpFile_Path();
    if (!QFileInfo(path).isFile()) {
        m_ui.messageBox(this, menuMessageText(MenuMessage::HelpFileMissing, m_strings, path), QString(),
                        UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
        return;
    }
    if (!m_ui.openUrl(QUrl::fromLocalFile(path)))
        m_ui.messageBox(this, menuMessageText(MenuMessage::HelpNotOpened, m_strings, path), QString(),
                        UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
}

void MainDisp::numabout_Click() {
    if (!m_aboutBox) {
        auto* box = new SubDisp_About(m_strings, m_ui, programVersion(), this);
        box->setWindowFlag(Qt::Window);
        m_aboutBox = box;
    }
    m_aboutBox->show();
    m_aboutBox->raise();
    m_aboutBox->activateWindow();
}

}  // namespace qvx
