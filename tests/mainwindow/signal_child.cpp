// The program as the exit-signal test runs it: the exit signals watched, the
// port's device from QVX720_COMn as the real program has it, a 50 ms reply
// time-out. Right after the start it changes the logging interval (not saved
// yet), then says "ready" on its output: in the mode "scan" at once, so that
// the signal comes during the start-up scan (one long tick); in the mode
// "question" from inside the exit question, which it leaves unanswered.
// Two modes wait for a line on the input once ready: "exit-1" then calls
// exit(1) from the event loop, as Qt's X11 plugin does when the display goes
// away; "menu-exit" then ends through the menu, and its exit question
// removes the settings file (saved just before) and answers Yes;
// "close-opening" then closes the opening form as the window manager's close
// button does, while the start-up scan runs.
// Arguments: settings file, program folder, mode, and optionally
// "closed-stderr": the error output is then a pipe whose reader has gone, as
// under `qvx720 2>&1 | tee run.log` in a terminal that was closed.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "maindisp.h"
#include "opuningdisp.h"
#include "program.h"

using namespace qvx;

namespace {
struct ExitQuestionUi : QtUiSeam {
    QString settingsPath;  // empty: the question is asked as the program asks it
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override {
        if (settingsPath.isEmpty() || buttons != Buttons::YesNo)
            return QtUiSeam::messageBox(parent, text, title, icon, buttons);
        QFile::remove(settingsPath);
        return Answer::Yes;
    }
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4 && argc != 5) return 2;
    ProgramOptions o;
    o.settingsPath = QString::fromLocal8Bit(argv[1]);
    o.programFolder = QString::fromLocal8Bit(argv[2]);
    o.initialTimeoutMs = 50;
    // As if started from a desktop or a terminal: a test runner in the
    // background may have handed these on ignored, and the program keeps an
    // ignored signal ignored.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    ExitQuestionUi ui;
    if (qstrcmp(argv[3], "menu-exit") == 0) ui.settingsPath = o.settingsPath;
    Program program(o, StringTable::forLocale(), ui);
    program.watchExitSignals();
    if (argc == 5 && qstrcmp(argv[4], "closed-stderr") == 0) {
        int p[2];
        if (::pipe(p) != 0 || ::dup2(p[1], STDERR_FILENO) < 0) return 3;
        ::close(p[0]);
        ::close(p[1]);
    }
    program.Main();
    program.window().Logging_time->setCurrentIndex(5);
    const auto ready = [] {
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
    };
    if (qstrcmp(argv[3], "question") == 0) {
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, ready);  // runs in the question's own event loop
            program.window().mnuEnd_Click();
            std::fputs("the exit question returned\n", stdout);
        });
    } else {
        ready();
    }
    const bool exit1 = qstrcmp(argv[3], "exit-1") == 0;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    const bool closeOpening = qstrcmp(argv[3], "close-opening") == 0;
    input.setEnabled(exit1 || closeOpening || qstrcmp(argv[3], "menu-exit") == 0);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        input.setEnabled(false);
        if (exit1) std::exit(1);
        if (closeOpening) {
            if (program.window().openingExists()) program.window().opening()->close();
            std::fputs(program.window().openingExists() ? "closed in the scan\n" : "after the scan\n", stdout);
            std::fflush(stdout);
            return;
        }
        program.window().mnuEnd_Click();
    });
    return QApplication::exec();
}
