// Shared pieces of the setting-dialog tests: the application object, a
// numbered string table, a scripted UI seam and a fresh model with a store.
#pragma once

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "qvx720_inc.h"
#include "settings_store.h"
#include "string_table.h"
#include "ui_seam.h"

namespace qvx::test {

inline QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test_settings";
    static char* argv[] = {arg0, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// "T<id>" for every id 1..999, so a test can tell which string was used.
inline StringTable numberedTable() {
    QString content;
    for (int id = 1; id < 1000; ++id) content += QStringLiteral("%1\tT%1\n").arg(id);
    return StringTable::parse(content, StringTable::Language::English);
}

class ScriptedUi : public UiSeam {
public:
    std::vector<QString> boxes;  // texts, in order
    std::vector<QString> titles;
    std::vector<std::string> events;  // "box:<text>" and "beep", in order
    int beeps = 0;

    Answer messageBox(QWidget*, const QString& text, const QString& title, Icon, Buttons) override {
        boxes.push_back(text);
        titles.push_back(title);
        events.push_back("box:" + text.toStdString());
        return Answer::Ok;
    }
    void beep() override {
        ++beeps;
        events.push_back("beep");
    }
    void endProcess(int) override {}
};

struct Fixture {
    Fixture() {
        app();
        fillParaAddr(state);
    }
    QTemporaryDir dir;
    StringTable strings = numberedTable();
    QVX720_INC state;
    ScriptedUi ui;
    SettingsStore store{dir.filePath(QStringLiteral("store.ini"))};
};

}  // namespace qvx::test
