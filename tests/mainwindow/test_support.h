// Shared pieces of the main-window tests: the application object, small
// string tables and a scripted UI seam.
#pragma once

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPrinter>
#include <QUrl>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <functional>
#include <vector>

#include "string_table.h"
#include "ui_seam.h"

namespace qvx::test {

inline QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test_mainwindow";
    static char* argv[] = {arg0, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// A table with "T<id>" for every id 1..999 and the given text 2. The
// file-failure messages keep their places for the file and the reason
// ("T940 %1 %2"), so that a test sees what they name.
inline StringTable numberedTable(const QString& text2 = QStringLiteral("KORVEL MERIDAX CO., LTD.")) {
    QString content;
    for (int id = 1; id < 1000; ++id) {
        QString text = id == 2 ? text2 : QStringLiteral("T%1").arg(id);
        if (id >= 940 && id <= 943) text += QStringLiteral(" %1 %2");
        if (id == 944 || id == 945 || id == 960 || id == 961 || id == 964) text += QStringLiteral(" %1");
        content += QStringLiteral("%1\t%2\n").arg(id).arg(text);
    }
    return StringTable::parse(content, StringTable::Language::English);
}

class ScriptedUi : public UiSeam {
public:
    struct Box {
        QString text, title;
        Icon icon;
        Buttons buttons;
    };
    std::vector<Box> boxes;
    std::deque<Answer> answers;  // next answers; Ok / No when empty
    int beeps = 0;
    int ends = 0;

    Answer messageBox(QWidget*, const QString& text, const QString& title, Icon icon, Buttons buttons) override {
        boxes.push_back({text, title, icon, buttons});
        if (duringBox) duringBox(text);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    void beep() override { ++beeps; }
    void endProcess(int) override { ++ends; }

    // ---- help, capture and printers (menus) ----
    std::vector<QUrl> openedUrls;
    bool openUrlResult = true;
    QImage grabbed;            // when set, the window picture instead of the window
    QStringList printers;      // the platform's printers
    QString defaultPrinter;
    QString pdfFile;           // the printers print to this PDF file
    QStringList madePrinters;  // names handed to makePrinter
    bool openUrl(const QUrl& url) override {
        openedUrls.push_back(url);
        return openUrlResult;
    }
    QPixmap grabWindow(QWidget* window) override {
        return grabbed.isNull() ? UiSeam::grabWindow(window) : QPixmap::fromImage(grabbed);
    }
    QStringList printerNames() override { return printers; }
    QString defaultPrinterName() override { return defaultPrinter; }
    std::unique_ptr<QPrinter> makePrinter(const QString& name) override {
        madePrinters << name;
        if (!printers.contains(name)) return nullptr;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdfFile);
        return p;
    }

    // File dialogs: every request is recorded; the next scripted name is
    // chosen, an empty one (or none left) cancels.
    std::vector<FileDialogRequest> fileDialogs;
    std::deque<QString> fileNames;
    FileDialogResult fileDialog(QWidget*, const FileDialogRequest& r) override {
        fileDialogs.push_back(r);
        QString name;
        if (!fileNames.empty()) {
            name = fileNames.front();
            fileNames.pop_front();
        }
        if (name.isEmpty()) return {false, r.fileName};
        return {true, name};
    }
    // Runs while a message box is "open" (a nested event loop would run here).
    std::function<void(const QString& text)> duringBox;

    // Colour dialog: every initial colour is recorded; the next scripted
    // answer is returned, an empty one (or none left) cancels.
    std::vector<qint32> colorRequests;
    std::deque<std::optional<qint32>> colors;
    std::optional<qint32> chooseColor(QWidget*, qint32 initialOle) override {
        colorRequests.push_back(initialOle);
        if (colors.empty()) return std::nullopt;
        const std::optional<qint32> c = colors.front();
        colors.pop_front();
        return c;
    }
};

}  // namespace qvx::test
