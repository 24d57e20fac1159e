// The application object and scripted prompts for the display-control tests.
#pragma once

#include <QApplication>
#include <QString>
#include <vector>

#include "display_prompts.h"

namespace qvx::test {

inline QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test_displays";
    static char* argv[] = {arg0, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Records the message boxes and beeps that a control asks for.
struct ScriptedPrompts {
    struct Box {
        QString text, title;
    };
    std::vector<Box> boxes;
    int beeps = 0;

    DisplayPrompts prompts() {
        DisplayPrompts p;
        p.critical = [this](QWidget*, const QString& text, const QString& title) { boxes.push_back({text, title}); };
        p.beep = [this] { ++beeps; };
        return p;
    }
};

}  // namespace qvx::test
