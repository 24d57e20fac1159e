// Shared pieces of the main-window tests: the application object, small
// string tables and a scripted UI seam.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <deque>
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

// A table with "T<id>" for every id 1..999 and the given text 2.
inline StringTable numberedTable(const QString& text2 = QStringLiteral("KORVEL MERIDAX CO., LTD.")) {
    QString content;
    for (int id = 1; id < 1000; ++id)
        content += QStringLiteral("%1\t%2\n").arg(id).arg(id == 2 ? text2 : QStringLiteral("T%1").arg(id));
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
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    void beep() override { ++beeps; }
    void endProcess(int) override { ++ends; }
};

}  // namespace qvx::test
