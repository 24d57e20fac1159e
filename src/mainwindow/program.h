// The program as a whole: the start procedure Main, the run loop
// communicate, and the exit of the main window. main() makes one; the
// end-to-end tests make their own.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>

#include "alarm_history.h"
#include "exit_signals.h"
#include "file_writes.h"
#include "link.h"
#include "maindisp.h"
#include "qvx720_inc.h"
#include "settings_store.h"
#include "string_table.h"
#include "ui_seam.h"

class QApplication;

namespace qvx {

struct ProgramOptions {
    QString programFolder;   // absolute; Logging, History, Setdata and chart files live here
    QString helpFolder;      // the help files, shipped beside the executable (empty: programFolder)
    QString settingsPath;    // the settings store file
    QVX720Com::LineFactory simulatedLine;  // the built-in simulated line ("sim" ports)
    bool simulateAllPorts = false;         // --simulate: every port is the simulated line
    int initialTimeoutMs = 0;  // time-out the communication object starts with (0: its own)
};

class Program {
public:
    Program(ProgramOptions options, StringTable strings, UiSeam& ui);
    ~Program();

    // ---- before the windows. The options are answered without a display;
    // only a start that needs the window asks for one.

    // Why no window can be opened, told before the application is made: no
    // display named (DISPLAY, WAYLAND_DISPLAY) and no window system chosen
    // (QT_QPA_PLATFORM, -platform). Empty when one may be there.
    static QString noDisplayReason(const QStringList& args, const QProcessEnvironment& env);
    // The application of the windows. A window system that cannot be started
    // (a display that does not answer) ends the process with one line on the
    // error output, "<program>: cannot open the window: <reason>", and exit
    // code 1 rather than Qt's abort. argc must outlive the application.
    static std::unique_ptr<QApplication> makeApplication(int& argc, char** argv);

    // Start-up, steps in their fixed order, ending in the run loop's set-up
    // (the link timer runs from the Qt event loop afterwards).
    void Main();
    // From here on SIGTERM, SIGINT and SIGHUP end the program as its exit
    // does, without the question (main() calls it before Main). A signal that
    // comes before the run loop runs is acted on once it does.
    void watchExitSignals();

    MainDisp& window() { return *window_; }
    Link& link() { return *link_; }
    QVX720_INC& state() { return state_; }
    SettingsStore& store() { return store_; }
    AlarmHistory& history() { return *history_; }
    const StringTable& strings() const { return strings_; }

private:
    void communicate();
    void linkTick();
    // Sets the link timer to the next tick that has work, atLeastMs away.
    void paceLinkTimer(int atLeastMs = 1);
    // How long newly queued line work waits for the windows to repaint.
    static constexpr int kSettleMs = 40;
    void Form_Unload(bool& Cancel);
    // The exit's save of the settings; false when the store could not be written.
    bool saveOnExit();
    enum class ExitSave { Nothing, Settings };
    // The exit steps of every way out, once: the link stops, the settings are
    // saved when asked, the port closes (its lock file goes), and only then
    // is anything said (the signal, a failed save) on the error output; then
    // the process ends. signal: the exit signal that ended it, or 0.
    void endProgram(ExitSave save, int signal = 0);
    // The same steps up to the process's end, which is left to the caller;
    // say: the line for the error output, said after the port has closed.
    void runExitSteps(ExitSave save, const QByteArray& say);
    void endBySignal(int signal);
    // Registered with std::atexit once Main has run: an exit() that the
    // program did not begin (Qt's X11 plugin and Xlib end the process so
    // when the display goes away) runs the exit steps as a signal does.
    static void endOnForeignExit();
    // A box shown from the run loop once the current step and any link tick
    // have returned, so polling goes on under it.
    void tellLater(const QString& text);
    // Tells the operator when the settings file cannot be written: once per
    // run of failed saves, and at exit when the exit's save fails.
    void watchSettingsWrites();
    QString settingsFailureText(int textId) const;

    ProgramOptions options_;
    StringTable strings_;
    UiSeam& ui_;
    QVX720_INC state_;
    SettingsStore store_;
    std::unique_ptr<MainDisp> window_;
    std::unique_ptr<AlarmHistory> history_;
    std::unique_ptr<Link> link_;
    FailureRun settingsFailures_;
    bool exitSaving_ = false;
    bool ending_ = false;  // the exit's last steps have begun
    std::unique_ptr<ExitSignals> exitSignals_;
    // The program whose run loop runs, for endOnForeignExit; cleared by its destructor.
    static Program* running_;
};

}  // namespace qvx
