// The program from its start to monitoring and its exits, on the built-in
// simulated line and, end to end, on qvx720-sim over a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QDir>

#include <csignal>
#include <set>
#include <atomic>
#include <thread>
#include <vector>

#include "controller_bank.h"
#include "faults.h"
#include "opuningdisp.h"
#include "program.h"
#include "setting_disp.h"
#include "value_format.h"
#include "realistic_mix.h"
#include "sim_transport.h"
#include "subdisp_alarm.h"
#include "subdisp_comm.h"
#include "test_support.h"
#include "transfer.h"

using namespace qvx;
using namespace qvx::test;

namespace {

// Runs the event loop until pred holds or ms pass.
template <typename Pred>
bool waitFor(Pred pred, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

// A program on a temporary folder and settings file.
struct Rig {
    struct AppFirst {
        AppFirst() { app(); }
    } appFirst;  // the application object before any member that paints
    QTemporaryDir dir;
    ScriptedUi ui;
    std::shared_ptr<sim::ControllerBank> bank;
    std::unique_ptr<Program> program;
    ProgramOptions o;

    explicit Rig(std::initializer_list<int> present, bool simulate = true) {
        app();
        bank = std::make_shared<sim::ControllerBank>();
        for (int ch : present) bank->setChannel(ch, sim::plainChannel(ch));
        o.programFolder = dir.path();
        o.settingsPath = dir.filePath("settings.ini");
        sim::SimLineOptions line;
        line.lineTime = false;
        auto b = bank;
        o.simulatedLine = [b, line] { return std::make_unique<sim::SimTransport>(b, line); };
        o.simulateAllPorts = simulate;
        // A choice outside 1..14 leaves the object's own time-out: 5 ms keeps
        // the empty addresses of the scan short.
        o.initialTimeoutMs = 5;
        seed("Time_Count", "0");
    }
    void seed(const QString& key, const QString& value) {
        SettingsStore s(dir.filePath("settings.ini"));
        s.save(key, value);
    }
    void start() {
        program = std::make_unique<Program>(o, numberedTable(), ui);
        program->Main();
    }
    template <typename Pred>
    bool runUntil(Pred pred, int ms = 10000) {
        return waitFor(pred, ms);
    }
    QVX720_INC& s() { return program->state(); }
};

}  // namespace

TEST(Program, StartsScansAndMonitors) {
    Rig r({0, 3});
    r.start();
    EXPECT_EQ(r.s().Edit_Context.Set_Item, 10);
    EXPECT_TRUE(QFileInfo(r.dir.filePath("Logging")).isDir());
    EXPECT_TRUE(QFileInfo(r.dir.filePath("Setdata")).isDir());
    EXPECT_TRUE(QFile::exists(r.s().History_Table.History_Path));
    EXPECT_EQ(r.s().Write_Request.Com_State, Com_FirstRead);
    EXPECT_FALSE(r.program->window().isVisible());
    ASSERT_TRUE(r.runUntil([&] { return r.s().Write_Request.Com_State == Com_Monitor; }));
    EXPECT_TRUE(r.program->window().isVisible());
    EXPECT_FALSE(r.program->window().openingExists());
    EXPECT_EQ(r.s().NoConnect(0), 0);
    EXPECT_EQ(r.s().NoConnect(3), 0);
    EXPECT_EQ(r.s().NoConnect(1), 1);
    // Polling fills in the PV of both present channels and says "OK".
    ASSERT_TRUE(r.runUntil([&] { return r.s().Monitor_Data.PvData(0) != 0 && r.s().Monitor_Data.PvData(3) != 0; }));
    EXPECT_EQ(r.program->window().statusPanelText(1), "OK");
}

// A step of the start-up scan that waited out its time-out (an empty
// address) blocked the run loop that long. The link timer is then re-armed
// from the step's end, not from its start (when it would be due at once), so
// the loop answers and paints before the next step; a step that was answered
// is followed at once.
TEST(Program, AScanStepThatWaitedIsFollowedByAPauseOfTheLinkTimer) {
    struct Step { qint64 tookMs; int remainingMs; };
    std::vector<Step> steps;
    Rig r({0, 1});
    r.o.initialTimeoutMs = 400;  // each empty address blocks 400 ms
    r.start();
    QTimer* timer = r.program->window().Timer4;
    QElapsedTimer since;
    since.start();
    // Connected after the program's own handler: runs once the step is done.
    QObject::connect(timer, &QTimer::timeout, timer, [&] {
        if (r.s().Write_Request.Com_State == Com_FirstRead) steps.push_back({since.restart(), timer->remainingTime()});
    });
    const auto waited = [&] {
        return std::count_if(steps.begin(), steps.end(), [](const Step& x) { return x.tookMs >= 400; });
    };
    ASSERT_TRUE(r.runUntil([&] { return waited() >= 2; }));
    ASSERT_GT(steps.size(), 10u);  // the two present controllers' frames came first
    for (const Step& x : steps) {
        if (x.tookMs >= 400) {
            EXPECT_GT(x.remainingMs, 0);
            EXPECT_LE(x.remainingMs, Link::stepGapMs(400));
        } else {
            EXPECT_LE(x.remainingMs, 1);
        }
    }
}

// A logging row that falls due while a miss waits for its line check is
// written right after the step that answers it. Left to the logging clock's
// own timer it would meet the next miss each time, with controllers silent
// at a long time-out, and no row would come at all.
TEST(Program, ARowThatWaitedForALineCheckIsWrittenRightAfterIt) {
    Rig r({0, 1, 2});
    const QString log = r.dir.filePath("log.csv");
    r.seed("log_start", "1");
    r.seed("Logtim", "0");
    r.seed("LogName0", "1");
    r.seed("Log_Filename", log);
    r.ui.answers.push_back(UiSeam::Answer::Yes);  // overwrite the file named
    r.start();
    MainDisp& w = r.program->window();
    ASSERT_TRUE(r.runUntil([&] { return w.Timer1->isActive() && QFile::exists(log); }));
    const auto rows = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : -1;
    };
    // Channel 2 goes silent at a 300 ms time-out; the logging clock's timer
    // is kept out of it, and a row is due.
    w.Timer1->start(3600 * 1000);
    r.bank->removeChannel(2);
    w.comm()->Comm_SetTimeOut(300);
    int decided = 0, rowsLate = 0;
    bool deciding = false;
    // Connected after the program's own handler: runs once each step is done.
    QObject::connect(w.Timer4, &QTimer::timeout, w.Timer4, [&] {
        const bool now = r.s().PvLog_State.Deciding;
        if (deciding && !now) {
            ++decided;
            if (rows() < 4) ++rowsLate;  // title, header, first row, and this one
        }
        deciding = now;
    });
    const QTime t = QTime::currentTime();
    LogClock& c = r.s().Log_Clock;
    c.LogNext(0) = qint16(t.hour()), c.LogNext(1) = qint16(t.minute()), c.LogNext(2) = qint16(t.second());
    ASSERT_EQ(rows(), 3);
    ASSERT_TRUE(r.runUntil([&] { return decided >= 1; }));
    EXPECT_EQ(rowsLate, 0);
    EXPECT_EQ(rows(), 4);
}

TEST(Program, FailingLinkCheckShowsDialogUntilOk) {
    // Every address but channel 0 answers, so the scan after OK stays short
    // at the dialog's time-out.
    Rig r({});
    for (int ch = 1; ch < kChannels; ++ch) r.bank->setChannel(ch, sim::plainChannel(ch));
    r.start();
    EXPECT_EQ(r.s().Write_Request.Com_State, Com_Reopen);
    EXPECT_TRUE(r.program->window().commDialog()->isVisible());
    EXPECT_TRUE(r.program->window().openingExists());
    EXPECT_TRUE(r.s().CommDisp_flg);
    // The operator waits; the link stays in its retry state, the main window hidden.
    r.runUntil([] { return false; }, 100);
    EXPECT_EQ(r.s().Write_Request.Com_State, Com_Reopen);
    EXPECT_FALSE(r.program->window().isVisible());
    // The controller is switched on and the operator confirms.
    r.bank->setChannel(0, sim::plainChannel(0));
    r.program->window().commDialog()->Command1_Click();
    ASSERT_TRUE(r.runUntil([&] { return r.s().Write_Request.Com_State == Com_Monitor; }, 20000));
    EXPECT_TRUE(r.program->window().isVisible());
    EXPECT_FALSE(r.s().CommDisp_flg);
    EXPECT_EQ(r.s().NoConnect(0), 0);
}

TEST(Program, ShutDownButtonSavesNothing) {
    Rig r({});
    r.seed("Logtim", "3");
    r.start();
    QFile f(r.dir.filePath("settings.ini"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    r.program->window().commDialog()->Command3_Click();
    EXPECT_EQ(r.ui.ends, 1);
    ASSERT_FALSE(r.ui.boxes.empty());
    EXPECT_EQ(r.ui.boxes.back().text, "T22");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST(Program, ExitSavesFirstThenAsks) {
    Rig r({0});
    r.start();
    ASSERT_TRUE(r.runUntil([&] { return r.s().Write_Request.Com_State == Com_Monitor; }));
    MainDisp& w = r.program->window();
    w.SSTab2->setCurrentIndex(4);
    r.s().UnitText(0) = "bar";
    r.s().Time_Count = 5;
    // The settings file as it stands while the question is on screen.
    struct Seen {
        QString tab, unit, timeCount;
    };
    std::vector<Seen> seen;
    r.ui.duringBox = [&](const QString& text) {
        if (text != "T17") return;
        SettingsStore saved(r.dir.filePath("settings.ini"));
        seen.push_back({saved.read("SSTab2", ""), saved.read("UNIT001", ""), saved.read("Time_Count", "")});
    };
    // No: the program runs on, with the settings saved before it asked.
    r.ui.answers = {UiSeam::Answer::No};
    w.mnuEnd_Click();
    EXPECT_EQ(r.ui.ends, 0);
    ASSERT_FALSE(r.ui.boxes.empty());
    EXPECT_EQ(r.ui.boxes.back().text, "T17");
    EXPECT_EQ(r.ui.boxes.back().title, "T1");
    EXPECT_EQ(r.ui.boxes.back().buttons, UiSeam::Buttons::YesNo);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].tab, "4");
    EXPECT_EQ(seen[0].unit, "bar");
    EXPECT_EQ(seen[0].timeCount, "5");
    EXPECT_TRUE(w.Timer4->isActive());
    // Yes: saved again before the question, then the link stops and the process ends.
    r.s().Time_Count = 7;
    r.ui.answers = {UiSeam::Answer::Yes};
    w.mnuEnd_Click();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].timeCount, "7");
    r.ui.duringBox = nullptr;
    EXPECT_EQ(r.ui.ends, 1);
    EXPECT_TRUE(w.End_flg);
    EXPECT_FALSE(w.Timer4->isActive());
    EXPECT_FALSE(w.comm()->isOpen());
}

TEST(Program, FoldersAndSettingsThatCannotBeWrittenAreToldOnce) {
    // Every address answers, so the scan is short at the stored time-out
    // (the settings file cannot be seeded).
    Rig r({});
    for (int ch = 0; ch < kChannels; ++ch) r.bank->setChannel(ch, sim::plainChannel(ch));
    // A plain file where the data folder and the settings file's folder should be.
    QFile(r.dir.filePath("blocker")).open(QIODevice::WriteOnly);
    r.o.programFolder = r.dir.filePath("blocker/data");
    r.o.settingsPath = r.dir.filePath("blocker/settings.ini");
    const auto texts = [&] {
        QStringList out;
        for (const auto& b : r.ui.boxes) out << b.text;
        r.ui.boxes.clear();
        return out;
    };
    r.start();
    MainDisp& w = r.program->window();
    w.Check1->click();  // another failed save
    r.runUntil([] { return false; }, 200);
    // One box for start-up, naming the data folder only (the files inside it
    // failed for its reason), one for the first failed save, naming the
    // settings file's folder (the cause); later failed saves are not told
    // again, and the program goes on.
    const QString settingsFolder = r.dir.filePath("blocker");
    EXPECT_EQ(texts(), (QStringList{"T942 " + settingsFolder + " Not a directory",
                                    "T944 " + r.o.programFolder + ": Not a directory"}));
    w.tb3_CHName_Click();
    r.runUntil([] { return false; }, 50);
    EXPECT_TRUE(r.ui.boxes.empty());
    EXPECT_TRUE(w.Timer4->isActive());
    // At exit: told again, then the question as always.
    w.mnuEnd_Click();
    EXPECT_EQ(texts(), (QStringList{"T943 " + settingsFolder + " Not a directory", "T17"}));
    EXPECT_EQ(r.ui.ends, 0);
}

TEST(Program, StoredPreferencesReachTheWindow) {
    Rig r({});
    r.seed("SSTab1", "1");
    r.seed("Logtim", "6");
    r.seed("LogName4", "1");
    r.seed("Chname05", "Oven A");
    r.seed("Alm2color", "65280");
    r.seed("tab3name", "4");
    r.seed("Check1", "1");
    r.seed("Log_Filename", "/data/Logging/last_run.csv");
    r.start();
    MainDisp& w = r.program->window();
    // Only the logging resume shows the stored logging file; the key stays.
    EXPECT_EQ(w.Savename_text->text(), "");
    EXPECT_EQ(r.program->store().read("Log_Filename", ""), "/data/Logging/last_run.csv");
    EXPECT_EQ(w.SSTab1->currentIndex(), 1);
    EXPECT_EQ(w.Logging_time->currentIndex(), 6);
    EXPECT_TRUE(w.log_Check1[4]->isChecked());
    EXPECT_EQ(w.log_Check1[4]->text(), "Oven A");
    EXPECT_EQ(w.tb3_CHName->currentText(), "Oven A");
    EXPECT_EQ(r.s().Alarm_Color.AlmColor2, 65280);
    EXPECT_EQ(r.s().Alarm_Color.AlmColor1, 255);
}

// What the operator chose is saved as it was read until the operator changes
// it: the logging file name through an exit under a box of the start-up step
// (the chart's restart with no chart channel chosen), and the logging choice
// of a channel absent at this start, whose box a later data clear shows
// chosen again once the channel answers.
TEST(Program, OperatorsChoicesOutliveAStartUpBoxAndAnAbsentChannel) {
    Rig r({0});
    const QString logFile = r.dir.filePath("Logging/plant_line1.csv");
    r.seed("log_start", "1");
    r.seed("Log_Filename", logFile);
    r.seed("LogName5", "1");
    r.start();
    r.program->window().Chart_Run = 1;
    int exitsUnderBox = 0;
    r.ui.duringBox = [&](const QString& text) {
        if (text != "T714" || exitsUnderBox++) return;
        r.program->window().close();  // saves, then asks; the answer is No
        SettingsStore saved(r.dir.filePath("settings.ini"));
        EXPECT_EQ(saved.read("Log_Filename", "?"), logFile);
        EXPECT_EQ(saved.read("log_start", "?"), "1");
        EXPECT_EQ(saved.read("LogName5", "?"), "1");
    };
    ASSERT_TRUE(r.runUntil([&] { return r.s().Write_Request.Com_State == Com_Monitor; }));
    ASSERT_EQ(exitsUnderBox, 1);
    MainDisp& w = r.program->window();
    EXPECT_FALSE(w.log_Check1[5]->isEnabled());
    EXPECT_FALSE(w.log_Check1[5]->isChecked());

    r.bank->setChannel(5, sim::plainChannel(5));
    r.ui.duringBox = nullptr;
    r.ui.answers = {UiSeam::Answer::Yes};
    w.mnuClear_Click();
    ASSERT_TRUE(r.program->link().dataClearRunning());
    ASSERT_TRUE(r.runUntil([&] { return !r.program->link().dataClearRunning(); }));
    EXPECT_TRUE(w.log_Check1[5]->isEnabled());
    EXPECT_TRUE(w.log_Check1[5]->isChecked());
    w.close();
    EXPECT_EQ(SettingsStore(r.dir.filePath("settings.ini")).read("LogName5", "?"), "1");
}

TEST(Program, AlarmColoursOutOfRangeAreRedAndTheExitSavesThoseInUse) {
    Rig r({});
    r.seed("Alm1color", "-1");
    r.seed("Alm2color", "65280");
    r.seed("Alm_other", "16777216");
    r.start();
    MainDisp& w = r.program->window();
    EXPECT_EQ(r.s().Alarm_Color.AlmColor1, 255);
    EXPECT_EQ(r.s().Alarm_Color.AlmColor2, 65280);
    EXPECT_EQ(r.s().Alarm_Color.AlmColorOther, 255);
    // A colour picked in the colour window that OK never confirmed.
    w.mnuColor_Click();
    r.ui.colors = {0x00FFFF};
    w.alarmDialog()->Cmd_Alm[1]->click();
    ASSERT_EQ(w.alarmDialog()->swatchColor(1), 0x00FFFF);
    r.ui.answers = {UiSeam::Answer::No};
    w.mnuEnd_Click();
    SettingsStore saved(r.dir.filePath("settings.ini"));
    EXPECT_EQ(saved.read("Alm1color", ""), "255");
    EXPECT_EQ(saved.read("Alm2color", ""), "65280");
    EXPECT_EQ(saved.read("Alm_other", ""), "255");
}

// A history file that cannot be written: one box for the run of failing
// entries, shown after the tick, and the poll goes on while it is open.
TEST(Program, HistoryFileFailureBoxLeavesThePollRunning) {
    Rig r({0});
    r.bank->addFault(*sim::parseFault("nak:ch=0,item=0081"));  // every MV poll: a "NAK" entry
    r.start();
    r.s().History_Table.History_Path = r.dir.filePath("gone/His.txt");
    quint64 framesInBox = 0;
    r.ui.duringBox = [&](const QString&) {
        const quint64 frames = r.bank->framesReceived();
        r.runUntil([] { return false; }, 300);
        framesInBox = r.bank->framesReceived() - frames;
    };
    ASSERT_TRUE(r.runUntil([&] { return !r.ui.boxes.empty(); }));
    EXPECT_EQ(r.ui.boxes[0].text, "T414");
    EXPECT_GT(framesInBox, 20u);
    r.runUntil([] { return false; }, 100);  // the entries go on failing: no second box
    EXPECT_EQ(r.ui.boxes.size(), 1u);
}

// ------------------------------------------------------------------ end to end

namespace {
// qvx720-sim serving the given channels at 19200 baud on a pseudo-terminal,
// reached as port COMn; a program folder and settings file beside it.
struct SimOnPty {
    QTemporaryDir dir;
    QProcess tool;
    QString link;
    QString channels;
    QByteArray portVar;
    ProgramOptions o;

    // mapInSettings: the port's device is kept as "Device_COMn" in the
    // settings instead of in the QVX720_COMn variable.
    SimOnPty(int port, const QString& served, bool mapInSettings = false) : channels(served) {
        app();
        link = dir.filePath("line");
        start();
        o.programFolder = dir.path();
        o.settingsPath = dir.filePath("settings.ini");
        SettingsStore s(o.settingsPath);
        const QString name = QStringLiteral("COM%1").arg(port);
        s.save("Port", name);
        s.save("Speed", "19200");
        s.save("Time_Count", "1");  // 100 ms: the empty addresses of the scan stay short
        if (mapInSettings) {
            s.save(portDeviceKey(name), link);
        } else {
            portVar = "QVX720_COM" + QByteArray::number(port);
            qputenv(portVar.constData(), link.toLocal8Bit());
        }
    }
    ~SimOnPty() {
        stop();
        if (!portVar.isEmpty()) qunsetenv(portVar.constData());
    }
    // Starts the tool on the link path and waits until the link is there.
    void start() {
        tool.start(QStringLiteral(QVX720_SIM_TOOL),
                   {"--link", link, "--baud", "19200", "--turnaround-ms", "1", "--channels", channels});
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link).exists() && t.elapsed() < 5000) QThread::msleep(10);
    }
    // Ends the tool: its pseudo-terminal and link go away, as an unplugged adapter does.
    void stop() {
        if (tool.state() == QProcess::NotRunning) return;
        tool.terminate();
        tool.waitForFinished(3000);
    }
    bool serving() const { return QFileInfo(link).exists(); }
};

// The lock files the serial library holds for the device a link leads to.
QStringList deviceLockFiles(const QString& link) {
    const QString lockName = "LCK.." + QFileInfo(link).symLinkTarget().mid(5).replace(u'/', u'_');
    QStringList found;
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"}) {
        const QFileInfo f(QDir(folder).filePath(lockName));
        if (f.exists() && !found.contains(f.canonicalFilePath())) found << f.canonicalFilePath();
    }
    return found;
}

// Starts the child program offscreen and waits until its run loop runs; what
// it has written to its standard output by then.
QByteArray startSignalChild(QProcess& child, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(QVX720_SIGNAL_CHILD), args);
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (!out.contains("ready\n") && child.state() != QProcess::NotRunning && t.elapsed() < 30000)
        if (child.waitForReadyRead(200)) out += child.readAllStandardOutput();
    return out;
}

}  // namespace

TEST(ProgramEndToEnd, StartToMonitoringThroughSimulatorOnPseudoTerminal) {
    SimOnPty sim(3, "0,2");
    ASSERT_TRUE(sim.serving());
    ScriptedUi ui;
    ProgramOptions& o = sim.o;
    QElapsedTimer t;
    {
        Program program(o, numberedTable(), ui);
        program.Main();
        QVX720_INC& s = program.state();
        EXPECT_EQ(s.Write_Request.Com_State, Com_FirstRead);
        t.restart();
        while (!(s.Write_Request.Com_State == Com_Monitor && s.Monitor_Data.PvData(2) != 0) && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor);
        EXPECT_EQ(s.NoConnect(0), 0);
        EXPECT_EQ(s.NoConnect(1), 1);
        EXPECT_EQ(s.NoConnect(2), 0);
        EXPECT_NE(s.Monitor_Data.Connect_Code(2), 0);
        EXPECT_NE(s.Monitor_Data.PvData(2), 0);
        EXPECT_NE(s.ParaData(0, 10), 0);  // the SV came in with the scan
        EXPECT_TRUE(program.window().isVisible());
        EXPECT_EQ(program.window().statusPanelText(1), "OK");
    }
}

TEST(ProgramEndToEnd, SvChangeReachesTheControllerAndThePanel) {
    SimOnPty sim(5, "0,1");
    ASSERT_TRUE(sim.serving());
    SettingsStore(sim.o.settingsPath).save("tab3name", "1");
    ScriptedUi ui;
    ProgramOptions& o = sim.o;
    QElapsedTimer t;
    {
        Program program(o, numberedTable(), ui);
        program.Main();
        QVX720_INC& s = program.state();
        MainDisp& w = program.window();
        t.restart();
        while (s.Write_Request.Com_State != Com_Monitor && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(s.Write_Request.Com_State, Com_Monitor);
        const int ch = 1;
        ASSERT_EQ(w.tb3_CHName->currentIndex(), ch);
        const qint16 before = s.ParaData(ch, 10);
        const qint16 wanted = before == 123 ? 124 : 123;
        // The operator opens the SV dialog of the one-channel view and types the value.
        w.Command_1channe_sv->click();
        Setting_Disp* d = w.settingDisp();
        ASSERT_TRUE(d && d->isVisible());
        const QString typed = QString::number(wanted);
        for (QChar c : typed) d->KeyPress(c.unicode());
        d->Command3_Click();
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(s.ParaData(ch, 10), wanted);
        EXPECT_EQ(s.Write_Request.Com_State, Com_WriteOne);
        // The link writes it, reads it back, and goes on monitoring.
        t.restart();
        while (s.Write_Request.Com_State != Com_Monitor && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor);
        EXPECT_EQ(s.ParaData(ch, 10), wanted);  // the controller's answer to the read-back
        // A fresh re-read of the channel brings the controller's value once more.
        s.ParaData(ch, 10) = 0;
        queueReRead(s, ch);
        t.restart();
        while (s.Write_Request.Com_State != Com_Monitor && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(s.ParaData(ch, 10), wanted);
        // The panel of the channel shows it after the next refresh.
        t.restart();
        const QString shown = Disp_Data(s, program.strings(), 10, ch).trimmed();
        EXPECT_FALSE(shown.isEmpty());
        while (w.DispSv[ch]->text().trimmed() != shown && t.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(w.DispSv[ch]->text().trimmed(), shown);
    }
}

TEST(ProgramEndToEnd, DeviceThatGoesAwayIsUsedAgainWhenItComesBack) {
    SimOnPty sim(6, "0,1", /*mapInSettings=*/true);
    ASSERT_TRUE(sim.serving());
    ScriptedUi ui;
    Program program(sim.o, numberedTable(), ui);
    program.Main();
    QVX720_INC& s = program.state();
    MainDisp& w = program.window();
    const QVX720Com& com = *w.comm();
    ASSERT_TRUE(waitFor([&] { return s.Write_Request.Com_State == Com_Monitor && s.Monitor_Data.PvData(1) != 0; }));
    EXPECT_EQ(com.device(), sim.link);  // through "Device_COM6"

    // Gone while monitoring: each transaction now lasts the 100 ms time-out.
    sim.stop();
    ASSERT_TRUE(waitFor([&] { return !com.isOpen(); }, 3000));
    const quint64 before = com.transactions();
    QElapsedTimer span;
    span.start();
    std::set<int> polled;  // the cursor goes on over both channels
    waitFor([&] { polled.insert(s.Poll_Cursor.Poll_Ch); return false; }, 1500);
    const quint64 made = com.transactions() - before;
    EXPECT_GE(made, 3u);
    EXPECT_LE(made, quint64(span.elapsed() / 100 + 2));
    EXPECT_EQ(polled, (std::set<int>{0, 1}));
    EXPECT_TRUE(w.Text_readmsg2->isVisibleTo(&w));

    // Back on the same path: polling resumes by itself.
    s.Monitor_Data.PvData(1) = 0;
    sim.start();
    ASSERT_TRUE(waitFor([&] { return com.isOpen() && s.Monitor_Data.PvData(1) != 0; }, 5000));
    EXPECT_TRUE(waitFor([&] { return !w.Text_readmsg2->isVisibleTo(&w); }, 3000));
    EXPECT_EQ(w.statusPanelText(1), "OK");
}

// The device goes during the start-up scan and during transfers: the scan
// waits for it and judges every address on the line; writes that never got
// out are read back from the controllers once they answer again; a transfer
// over the closed device ends after one attempt to reopen per channel.
TEST(ProgramEndToEnd, OutagesDuringTheScanAndTransfersLoseNoChannelAndShowTheControllersValues) {
    SimOnPty sim(8, "0,47,94");  // empty addresses between: the scan lasts seconds
    ASSERT_TRUE(sim.serving());
    ScriptedUi ui;
    Program program(sim.o, numberedTable(), ui);
    QVX720_INC& s = program.state();
    const qint64 pid = sim.tool.processId();
    // The line is open once Main() returns; the scan runs from the run loop
    // and lasts seconds over the empty addresses, so a kill a little later
    // comes during it however slow the machine is.
    std::atomic<bool> opened = false;
    std::thread unplug([pid, &opened] {
        while (!opened) QThread::msleep(5);
        QThread::msleep(300);  // some addresses into the scan
        ::kill(pid_t(pid), SIGTERM);
    });
    program.Main();
    opened = true;
    MainDisp& w = program.window();
    const QVX720Com& com = *w.comm();
    const bool down = waitFor([&] { return com.lineDown(); }, 8000);
    unplug.join();
    ASSERT_TRUE(down);
    sim.tool.waitForFinished(3000);
    // Gone: the scan stands still, one reopen attempt per time-out.
    const quint64 attempts = com.reopenAttempts();
    const quint64 made = com.transactions();
    waitFor([] { return false; }, 1000);
    EXPECT_EQ(s.Write_Request.Com_State, Com_FirstRead);
    EXPECT_FALSE(w.isVisible());
    EXPECT_LE(com.transactions() - made, 12u);
    EXPECT_LE(com.reopenAttempts() - attempts, 12u);
    sim.start();
    ASSERT_TRUE(waitFor([&] { return s.Write_Request.Com_State == Com_Monitor; }));
    for (int ch = 0; ch < kChannels; ++ch) EXPECT_EQ(s.NoConnect(ch), ch == 0 || ch == 47 || ch == 94 ? 0 : 1) << ch;
    ASSERT_TRUE(waitFor([&] {
        return s.Monitor_Data.PvRead(0) && s.Monitor_Data.PvRead(47) && s.Monitor_Data.PvRead(94);
    }, 5000));

    // Gone again: a single write and a two-channel transfer.
    const qint16 sv0 = s.ParaData(0, Item::SV);
    const qint16 sv47 = s.ParaData(47, Item::SV);
    const qint16 sv94 = s.ParaData(94, Item::SV);
    sim.stop();
    ASSERT_TRUE(waitFor([&] { return com.lineDown(); }, 5000));
    s.ParaData(0, Item::SV) = qint16(sv0 + 1);
    queueSingleWrite(s, 0, Item::SV);
    ASSERT_TRUE(waitFor([&] { return s.Write_Request.Com_State == Com_Monitor; }, 5000));
    const quint64 before = com.reopenAttempts();
    for (int ch : {47, 94}) {
        s.ParaData(ch, Item::SV) = qint16(s.ParaData(ch, Item::SV) + 5);
        queueChain(s, ch, Com_WriteAll);
    }
    ASSERT_TRUE(waitFor([&] { return !transferRunning(s); }, 5000));
    EXPECT_LE(com.reopenAttempts() - before, 3u);  // a time-out per channel at the most
    EXPECT_EQ(s.ParaData(0, Item::SV), sv0 + 1);     // what the operator asked for, meanwhile
    EXPECT_TRUE(program.link().reReadWanted(0));
    EXPECT_TRUE(program.link().reReadWanted(47));
    EXPECT_TRUE(program.link().reReadWanted(94));

    // Back: each is read again and shows what its controller holds.
    sim.start();
    EXPECT_TRUE(waitFor([&] {
        return s.ParaData(0, Item::SV) == sv0 && s.ParaData(47, Item::SV) == sv47 && s.ParaData(94, Item::SV) == sv94;
    }, 10000));
    // On a loaded machine a re-read can miss an item and go again: it ends.
    EXPECT_TRUE(waitFor([&] { return !program.link().reReadWanted(0) && !program.link().reReadWanted(94); }, 10000));
}

TEST(ProgramEndToEnd, FailedLinkCheckSaysWhichDeviceAndWhy) {
    SimOnPty sim(7, "1");  // nobody at channel 1's address
    const QString missing = sim.dir.filePath("missing");
    const QString plain = sim.dir.filePath("plain.txt");
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
    f.close();
    const struct {
        QString stored;  // "Device_COM7"
        bool env;        // QVX720_COM7 names the simulator's link, and wins
        QString line;
    } rows[] = {
        {missing, false, "COM7 (" + missing + "): No such file or directory"},
        {plain, false, "COM7 (" + plain + "): Inappropriate ioctl for device"},
        {missing, true, "COM7 (" + sim.link + "): T900"},
    };
    // The error output gets the same reason, once per failed check.
    static QStringList warnings;
    const QtMessageHandler before = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
        if (type == QtWarningMsg) warnings << m;
    });
    for (const auto& row : rows) {
        SettingsStore(sim.o.settingsPath).save("Device_COM7", row.stored);
        row.env ? qputenv("QVX720_COM7", sim.link.toLocal8Bit()) : qunsetenv("QVX720_COM7");
        warnings.clear();
        ScriptedUi ui;
        Program program(sim.o, numberedTable(), ui);
        program.Main();
        SubDisp_comm* d = program.window().commDialog();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->Label_reason->text(), row.line);
        EXPECT_EQ(warnings.filter("did not come up"), QStringList{"the port did not come up: " + row.line});
    }
    qInstallMessageHandler(before);
}

// Logging ran at the last exit: its file name, which only the logging resume
// after the scan shows, is saved as it was read.
TEST(ProgramEndToEnd, ExitSignalSavesTheSettingsAndLeavesNoLockFile) {
    const struct {
        const char* mode;  // "scan": during the start-up scan; "question": in the open exit question
        std::vector<int> sent;
        bool closedStderr;  // the error output a pipe nobody reads any more
    } rows[] = {{"scan", {SIGTERM}, false},
                {"scan", {SIGHUP, SIGHUP}, false},
                {"question", {SIGINT, SIGTERM}, false},
                {"scan", {SIGHUP}, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode + QStringLiteral(" %1%2").arg(row.sent.front()).arg(row.closedStderr ? " closed" : "")
                                    .toStdString());
        SimOnPty sim(1, "0,1");
        ASSERT_TRUE(sim.serving());
        SettingsStore store(sim.o.settingsPath);
        store.save("Logtim", "1");
        store.save("Time_Count", "0");  // the child's own 50 ms: the scan of 95 addresses lasts seconds
        const QString logFile = QDir(sim.o.programFolder).filePath("Logging/plant.csv");
        store.save("log_start", "1");
        store.save("Check1", "1");
        store.save("Log_Filename", logFile);
        ASSERT_TRUE(QFileInfo(sim.link).symLinkTarget().startsWith("/dev/"));
        const auto lockFiles = [&] { return deviceLockFiles(sim.link); };

        QProcess child;
        QStringList args{sim.o.settingsPath, sim.o.programFolder, row.mode};
        if (row.closedStderr) args << "closed-stderr";
        QByteArray out = startSignalChild(child, args);
        ASSERT_TRUE(out.contains("ready\n")) << child.readAllStandardError().toStdString();
        EXPECT_EQ(lockFiles().size(), 1);  // the device is open by its resolved name

        for (int sig : row.sent) ::kill(static_cast<pid_t>(child.processId()), sig);
        // Within a transaction or two, not after the scan.
        ASSERT_TRUE(child.waitForFinished(2000));
        out += child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << err.toStdString();
        EXPECT_FALSE(out.contains("the exit question returned"));
        // Nothing reads a closed error output: its line is lost, nothing else.
        EXPECT_EQ(err.count("ending on signal"), row.closedStderr ? 0 : 1) << err.toStdString();
        const SettingsStore saved(sim.o.settingsPath);
        EXPECT_EQ(saved.read("Logtim", QString()), "5");
        EXPECT_EQ(saved.read("Log_Filename", QString()), logFile);
        EXPECT_EQ(saved.read("log_start", QString()), "1");
        EXPECT_EQ(lockFiles(), QStringList());
    }
}

// Without a display (over ssh, from a script) the options are still answered;
// a start that needs the window says in one line that there is none and ends
// with 1, not Qt's abort, before it has made or opened anything.
TEST(ProgramStart, OptionsAreAnsweredWithoutADisplay) {
    const struct {
        QStringList args;
        const char* display;  // DISPLAY, nullptr: unset
        int exitCode;
        const char *out, *err;  // what the output and the one error line hold ("": nothing)
    } rows[] = {
        {{"--help"}, nullptr, 0, "--data-dir <folder>", ""},
        {{"--settings", "s.ini", "-h"}, nullptr, 0, "--simulate", ""},
        {{"--settings", "s.ini"}, nullptr, 1, "", "cannot open the window: no display"},
        {{"--settings", "s.ini", "--no-such-option"}, nullptr, 1, "", "Unknown option 'no-such-option'"},
        {{"--settings", "s.ini"}, ":4242", 1, "", "cannot open the window"},  // a display that does not answer
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString() + " DISPLAY=" + (row.display ? row.display : "-"));
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        if (row.display) env.insert("DISPLAY", row.display);
        QProcess child;
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(dir.path());
        child.start(QStringLiteral(QVX720_APP), QStringList{"--data-dir", dir.path()} + row.args);
        ASSERT_TRUE(child.waitForFinished(30000));
        const QByteArray out = child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), row.exitCode) << err.toStdString();
        if (*row.out) {
            EXPECT_TRUE(out.contains(row.out)) << out.toStdString();
        } else {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        }
        if (*row.err) {
            EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
            EXPECT_TRUE(err.startsWith("qvx720: ") && err.contains(row.err)) << err.toStdString();
        } else {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
}

// An exit() the program did not begin (Qt's, when the display goes away) runs
// the exit steps as a signal does; the program's own exit, which ends in
// exit() too, saves once only: its question removed the file saved before it.
TEST(ProgramEndToEnd, ExitFromOutsideSavesAsASignalDoesAndTheMenuExitSavesOnce) {
    const struct {
        const char* mode;
        int exitCode;
        bool fileLeft;  // the settings file is there after the exit
    } rows[] = {{"exit-1", 1, true}, {"menu-exit", 0, false}, {"close-opening", 0, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        SimOnPty sim(1, "0,1");
        ASSERT_TRUE(sim.serving());
        SettingsStore store(sim.o.settingsPath);
        store.save("Logtim", "1");
        store.save("Time_Count", "0");
        const QString logFile = QDir(sim.o.programFolder).filePath("Logging/plant.csv");
        store.save("Log_Filename", logFile);

        QProcess child;
        const QByteArray out = startSignalChild(child, {sim.o.settingsPath, sim.o.programFolder, row.mode});
        ASSERT_TRUE(out.contains("ready\n")) << child.readAllStandardError().toStdString();
        EXPECT_EQ(deviceLockFiles(sim.link).size(), 1);

        child.write("go\n");
        ASSERT_TRUE(child.waitForFinished(30000));
        // The opening form closed ends the program in the scan, not after it.
        EXPECT_FALSE(child.readAllStandardOutput().contains("after the scan"));
        const QByteArray err = child.readAllStandardError();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), row.exitCode) << err.toStdString();
        // The sanitizers end a process with 1 too.
        EXPECT_FALSE(err.contains("Sanitizer") || err.contains("runtime error")) << err.toStdString();
        EXPECT_EQ(err.count("ending: the display was lost"), row.exitCode) << err.toStdString();
        EXPECT_EQ(QFileInfo::exists(sim.o.settingsPath), row.fileLeft);
        if (row.fileLeft) {
            const SettingsStore saved(sim.o.settingsPath);
            EXPECT_EQ(saved.read("Logtim", QString()), "5");
            EXPECT_EQ(saved.read("Log_Filename", QString()), logFile);
        }
        EXPECT_EQ(deviceLockFiles(sim.link), QStringList());
    }
}
