// The logging buttons, the logging clock and the all-channels page buttons of
// the main window: store keys, status panel, file contents and the transmit's
// handshake with the link.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "controller_bank.h"
#include "maindisp.h"
#include "maindisp_logging.h"
#include "page_file.h"
#include "program.h"
#include "realistic_mix.h"
#include "sim_transport.h"
#include "test_support.h"

using namespace qvx;
using namespace qvx::test;

#include "test_files.h"
#include "transfer.h"

using qvx::test::fileBytes;
using qvx::test::writeFile;

namespace {



struct Rig {
    // The application object comes before every member (the scripted UI holds a picture).
    struct AppFirst {
        AppFirst() { app(); }
    } appFirst;
    QTemporaryDir dir;
    QVX720_INC s;
    StringTable strings = numberedTable();
    ScriptedUi ui;
    SettingsStore store{dir.filePath("s.ini")};
    std::unique_ptr<MainDisp> w;
    QDateTime now{QDate(2026, 12, 8), QTime(12, 0, 0)};

    Rig() {
        QDir(dir.path()).mkpath("Logging");
        QDir(dir.path()).mkpath("Setdata");
        s.NoConnect.fill(1);
        for (int ch : {0, 1, 2, 5}) s.NoConnect(ch) = 0;
        for (int ch = 0; ch < kChannels; ++ch) {
            s.ParaData(ch, Item::InputType) = 0;  // whole degrees
            s.Monitor_Data.PvData(ch) = qint16(100 + ch);
            s.PvLog_State.Current(ch) = true;
        }
        ++s.PvLog_State.Replies;
        w = std::make_unique<MainDisp>(s, strings, ui, dir.path());
        w->setSettingsStore(&store);
        w->logging().logger.setClock([this] { return now; });
        w->logging().logger.setLocale(QLocale::c());
    }
    QString path(const char* name) const { return dir.filePath(name); }
    QStringList boxTexts() const {
        QStringList out;
        for (const auto& b : ui.boxes) out << b.text;
        return out;
    }
    QString T(int id) const { return strings.text(id); }
    bool running() const { return w->Timer1->isActive(); }
    void check(std::initializer_list<int> channels) {
        for (int ch : channels) w->log_Check1[ch]->setChecked(true);
    }
    // The logging clock at time t, and the box it posts, if any.
    void tickAt(const QTime& t) {
        now = QDateTime(now.date(), t);
        ++s.PvLog_State.Replies;  // the line answered meanwhile
        w->Timer1_Timer();
        QCoreApplication::processEvents();
    }
    // Runs the event loop (Timer1 with it) until done() or 3 s have gone.
    bool spinUntil(const std::function<bool()>& done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};

// The program on the simulated controllers of bank, its files in dir.
ProgramOptions simulatedProgram(const QTemporaryDir& dir, const std::shared_ptr<sim::ControllerBank>& bank) {
    ProgramOptions o;
    o.programFolder = dir.path();
    o.settingsPath = dir.filePath("settings.ini");
    sim::SimLineOptions line;
    line.lineTime = false;
    o.simulatedLine = [bank, line] { return std::make_unique<sim::SimTransport>(bank, line); };
    o.simulateAllPorts = true;
    o.initialTimeoutMs = 5;
    return o;
}

}  // namespace

// ---- start, stop, browse ---------------------------------------------------------------

TEST(LoggingButtons, StartWithoutCheckedPresentChannelRefuses) {
    Rig r;
    r.check({3, 4});  // checked but absent
    r.w->Savename_text->setText(r.path("Logging/a.csv"));
    r.w->Command1[0]->click();
    EXPECT_EQ(r.boxTexts(), QStringList{r.T(621)});
    EXPECT_FALSE(r.running());
    EXPECT_FALSE(r.store.contains("log_start"));
    EXPECT_EQ(r.w->statusPanelText(2), r.T(18));
    EXPECT_FALSE(QFile::exists(r.path("Logging/a.csv")));
    EXPECT_TRUE(r.ui.fileDialogs.empty());
}

TEST(LoggingButtons, FileChoiceOfTheStart) {
    struct Case {
        const char* name;
        bool captionSet;   // caption = Logging/old.csv, which holds "old\r\n"
        bool continueBox;  // Check1
        std::vector<UiSeam::Answer> answers;
        QString dialogChoice;  // "" cancels the dialog; "-": no dialog expected
        QStringList boxes;     // by string id
        bool running;
        QString caption;  // expected caption afterwards (relative to the folder; "" empty)
        QByteArray oldFileStartsWith;
    } cases[] = {
        {"empty caption, dialog chosen", false, false, {}, "Logging/new.csv", {"508"}, true, "Logging/new.csv", "old"},
        {"empty caption, dialog cancelled", false, false, {}, "", {"508"}, false, "", "old"},
        {"empty caption, continue: automatic name", false, true, {}, "-", {}, true,
         "Logging/2026_12_8_12_0_0.csv", "old"},
        {"overwrite accepted", true, false, {UiSeam::Answer::Yes}, "-", {"516"}, true, "Logging/old.csv",
         "\"T556\"\r\n"},
        {"overwrite refused, new file chosen", true, false, {UiSeam::Answer::No}, "Logging/new.csv",
         {"516", "508"}, true, "Logging/new.csv", "old"},
        {"overwrite refused, dialog cancelled", true, false, {UiSeam::Answer::No}, "", {"516", "508"}, false,
         "Logging/old.csv", "old"},
        {"continue with the set file", true, true, {}, "-", {}, true, "Logging/old.csv", "old\r\n\"T556\"\r\n"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.check({1});
        writeFile(r.path("Logging/old.csv"), "old\r\n");
        if (c.captionSet) r.w->Savename_text->setText(r.path("Logging/old.csv"));
        r.w->Check1->setChecked(c.continueBox);
        for (auto a : c.answers) r.ui.answers.push_back(a);
        const bool dialogExpected = c.dialogChoice != "-";
        if (dialogExpected)
            r.ui.fileNames.push_back(c.dialogChoice.isEmpty() ? QString() : r.path(qPrintable(c.dialogChoice)));
        r.w->Command1_Click(0);

        QStringList boxes;
        for (const QString& id : c.boxes) boxes << r.T(id.toInt());
        EXPECT_EQ(r.boxTexts(), boxes) << c.name;
        EXPECT_EQ(r.ui.fileDialogs.size(), dialogExpected ? 1u : 0u) << c.name;
        EXPECT_EQ(r.running(), c.running) << c.name;
        EXPECT_EQ(r.w->Savename_text->text(), c.caption.isEmpty() ? QString() : r.path(qPrintable(c.caption)))
            << c.name;
        EXPECT_TRUE(fileBytes(r.path("Logging/old.csv")).startsWith(c.oldFileStartsWith)) << c.name;
        EXPECT_EQ(r.w->statusPanelText(2), r.T(c.running ? 19 : 18)) << c.name;
        EXPECT_EQ(r.store.read("log_start", "absent"), c.running ? "1" : "absent") << c.name;
        EXPECT_EQ(r.w->Command1[0]->isEnabled(), !c.running) << c.name;
        EXPECT_EQ(r.w->Frame_logging->isEnabled(), !c.running) << c.name;
        if (c.running) {
            EXPECT_TRUE(fileBytes(r.w->Savename_text->text()).contains("\"T557\",\"T558\",\"Ch02\",\r\n")) << c.name;
        }
    }
}

TEST(LoggingButtons, LogFileDialogSetUp) {
    Rig r;
    r.ui.fileNames = {r.path("Logging/first.csv"), QString()};
    r.w->Command1[2]->click();
    r.w->Command1[2]->click();  // cancelled: the caption stays
    ASSERT_EQ(r.ui.fileDialogs.size(), 2u);
    const auto& d = r.ui.fileDialogs[0];
    EXPECT_EQ(d.mode, UiSeam::FileDialogMode::Open);
    EXPECT_FALSE(d.mustExist);
    EXPECT_EQ(QDir(d.initialFolder), QDir(r.path("Logging")));
    EXPECT_EQ(d.filter, "*.csv");
    EXPECT_EQ(d.defaultSuffix, "csv");
    EXPECT_EQ(d.fileName, QString());
    EXPECT_EQ(r.ui.fileDialogs[1].fileName, r.path("Logging/first.csv"));
    EXPECT_EQ(r.w->Savename_text->text(), r.path("Logging/first.csv"));
    EXPECT_FALSE(r.running());
}

TEST(LoggingButtons, ExactFileAndRowsAtTheInterval) {
    Rig r;
    r.check({0, 2, 5, 7});  // 7 is absent
    r.w->Savename_text->setText(r.path("Logging/run.csv"));
    r.w->Check1->setChecked(true);
    r.w->Command1_Click(0);
    ASSERT_TRUE(r.running());
    QByteArray expected =
        "\"T556\"\r\n"
        "\"T557\",\"T558\",\"Ch01\",\"Ch03\",\"Ch06\",\r\n"
        "\"8 Dec 2026\",\"12:00:00\",\"100\",\"102\",\"105\",\r\n";
    EXPECT_EQ(fileBytes(r.path("Logging/run.csv")), expected);

    r.tickAt(QTime(12, 0, 5));
    r.tickAt(QTime(12, 0, 10));
    r.tickAt(QTime(12, 0, 10));
    r.s.Monitor_Data.PvData(2) = -7;
    r.tickAt(QTime(12, 0, 20));
    expected += "\"8 Dec 2026\",\"12:00:10\",\"100\",\"102\",\"105\",\r\n";
    expected += "\"8 Dec 2026\",\"12:00:20\",\"100\",\"-7\",\"105\",\r\n";
    EXPECT_EQ(fileBytes(r.path("Logging/run.csv")), expected);

    // Stop: rows end, the state is stored and shown.
    r.w->Command1[1]->click();
    EXPECT_FALSE(r.running());
    EXPECT_EQ(r.store.read("log_start", ""), "0");
    EXPECT_EQ(r.w->statusPanelText(2), r.T(18));
    EXPECT_TRUE(r.w->Command1[0]->isEnabled());
    EXPECT_TRUE(r.w->Frame_logging->isEnabled());
    // A second stop changes nothing.
    r.store.save("log_start", "x");
    r.w->Command1_Click(1);
    EXPECT_EQ(r.store.read("log_start", ""), "x");
}

TEST(LoggingButtons, StartWhileRunningOnlyChoosesTheFile) {
    Rig r;
    r.check({0});
    r.w->Savename_text->setText(r.path("Logging/run.csv"));
    r.ui.answers = {UiSeam::Answer::Yes, UiSeam::Answer::Yes};
    r.w->Command1_Click(0);
    ASSERT_TRUE(r.running());
    const QByteArray before = fileBytes(r.path("Logging/run.csv"));
    r.w->Command1_Click(0);
    EXPECT_EQ(r.boxTexts(), (QStringList{r.T(516), r.T(516)}));
    EXPECT_EQ(fileBytes(r.path("Logging/run.csv")), before);
    EXPECT_TRUE(r.running());
}

TEST(LoggingButtons, NoIntervalSelectedLogsEvery10Seconds) {
    Rig r;
    r.check({0});
    r.w->Logging_time->setCurrentIndex(-1);
    r.w->Savename_text->setText(r.path("Logging/run.csv"));
    r.w->Check1->setChecked(true);
    r.w->startLogging();  // the link's resume presses the start once its tick is over
    QCoreApplication::processEvents();
    ASSERT_TRUE(r.running());
    EXPECT_EQ(r.w->Logging_time->currentIndex(), 0);
    r.tickAt(QTime(12, 0, 10));
    EXPECT_EQ(fileBytes(r.path("Logging/run.csv")).count("12:00:10"), 1);
}

TEST(LoggingButtons, CaptionZeroIsNoFileChosenAndABareNameLivesInTheProgramFolder) {
    struct Case {
        QString caption;  // "0": what the resume sets without a stored name
        bool continueBox;
        QStringList boxes;
        QString dialogChoice;  // "-": no dialog expected
        QString written;       // relative to the program folder
    } cases[] = {
        {"0", true, {}, "-", "Logging/2026_12_8_12_0_0.csv"},
        {"0", false, {"T508"}, "Logging/chosen.csv", "Logging/chosen.csv"},
        {"run.csv", true, {}, "-", "run.csv"},
    };
    for (const Case& c : cases) {
        Rig r;
        r.check({0});
        r.w->Savename_text->setText(c.caption);
        r.w->Check1->setChecked(c.continueBox);
        if (c.dialogChoice != "-") r.ui.fileNames = {r.path(qPrintable(c.dialogChoice))};
        r.w->Command1_Click(0);
        EXPECT_TRUE(r.running()) << c.caption.toStdString();
        EXPECT_EQ(r.boxTexts(), c.boxes) << c.caption.toStdString();
        EXPECT_EQ(r.ui.fileDialogs.size(), c.dialogChoice == "-" ? 0u : 1u) << c.caption.toStdString();
        EXPECT_TRUE(fileBytes(r.path(qPrintable(c.written))).startsWith("\"T556\"\r\n")) << c.caption.toStdString();
        EXPECT_FALSE(QFile::exists(r.path("0")));
    }
}

// Logging that ran at the last exit starts again once the start-up scan is
// done: only present channels keep their box, and the file gets a new header.
TEST(LoggingButtons, ResumedAtStartUp) {
    app();
    QTemporaryDir dir;
    ScriptedUi ui;
    auto bank = std::make_shared<sim::ControllerBank>();
    for (int ch : {0, 2}) bank->setChannel(ch, sim::plainChannel(ch));
    const ProgramOptions o = simulatedProgram(dir, bank);
    const QString file = dir.filePath("Logging/resumed.csv");
    {
        SettingsStore seed(o.settingsPath);
        seed.saveAll({{"Time_Count", "0"}, {"log_start", "1"}, {"Check1", "1"}, {"Log_Filename", file},
                      {"LogName0", "1"}, {"LogName1", "1"}, {"LogName2", "1"}});
    }
    Program program(o, numberedTable(), ui);
    program.Main();
    QElapsedTimer t;
    t.start();
    while (!program.window().Timer1->isActive() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(program.window().Timer1->isActive());
    EXPECT_FALSE(program.window().log_Check1[1]->isChecked());
    EXPECT_EQ(program.window().statusPanelText(2), "T19");
    EXPECT_EQ(program.store().read("log_start", ""), "1");
    const QByteArray written = fileBytes(file);
    EXPECT_TRUE(written.startsWith("\"T556\"\r\n\"T557\",\"T558\",\"Ch01\",\"Ch03\",\r\n")) << written.constData();
    EXPECT_TRUE(ui.boxes.empty());
    program.window().Timer4->stop();
}

// ---- failures -----------------------------------------------------------------------------

TEST(LoggingFailures, StartThatCannotWriteDoesNotClaimToLog) {
    // 555 only where another program holds the file; else the file and the reason.
    for (LogWrite failure : {LogWrite::AccessDenied, LogWrite::Failed}) {
        Rig r;
        r.check({0});
        r.w->Savename_text->setText(r.path("Logging/run.csv"));
        r.w->Check1->setChecked(true);
        r.w->logging().logger.setWriter([&](const QString&, const QByteArray&, bool) { return failure; });
        r.w->Command1_Click(0);
        EXPECT_EQ(r.boxTexts(), QStringList{r.T(failure == LogWrite::AccessDenied ? 555 : 920)});
        EXPECT_FALSE(r.running());
        EXPECT_EQ(r.store.read("log_start", ""), "0");
        EXPECT_EQ(r.w->statusPanelText(2), r.T(18));
        EXPECT_TRUE(r.w->Command1[0]->isEnabled());
        // A new start goes through once the file can be written.
        r.w->logging().logger.setWriter([](const QString& p, const QByteArray& b, bool replace) {
            return replace ? replaceLogFile(p, b) : appendLogFile(p, b);
        });
        r.w->Command1_Click(0);
        EXPECT_TRUE(r.running());
        EXPECT_EQ(r.store.read("log_start", ""), "1");
    }
}

TEST(LoggingFailures, OneBoxPerRunOfFailuresAndRowsGoOnUnderTheBox) {
    Rig r;
    r.check({0});
    r.w->Savename_text->setText(r.path("Logging/run.csv"));
    r.w->Check1->setChecked(true);
    r.w->Command1_Click(0);
    ASSERT_TRUE(r.running());
    const auto rows = [&](const char* time) { return fileBytes(r.path("Logging/run.csv")).count(time); };

    LogWrite failure = LogWrite::AccessDenied;
    bool failing = true;
    int writes = 0;
    r.w->logging().logger.setWriter([&](const QString& p, const QByteArray& b, bool) {
        ++writes;
        return failing ? LogWriteResult(failure) : appendLogFile(p, b);
    });
    // Timer1 itself finds the row of 12:00:10 failing. While its box is open,
    // the file takes rows again (space freed): Timer1 keeps its schedule under
    // the box and writes the row of 12:00:20 before the box is answered.
    int rowsUnderBox = -1;
    r.ui.duringBox = [&](const QString&) {
        failing = false;
        r.now.setTime(QTime(12, 0, 20));
        rowsUnderBox = r.spinUntil([&] { return rows("12:00:20") > 0; }) ? rows("12:00:20") : 0;
    };
    r.now.setTime(QTime(12, 0, 10));
    ASSERT_TRUE(r.spinUntil([&] { return !r.ui.boxes.empty(); }));
    EXPECT_EQ(rowsUnderBox, 1);
    EXPECT_EQ(r.boxTexts(), QStringList{r.T(555)});
    r.ui.duringBox = nullptr;

    // A new run of failures: one box, however many rows fail in it, and
    // logging goes on.
    failing = true;
    failure = LogWrite::Failed;
    writes = 0;
    r.tickAt(QTime(12, 0, 30));
    r.tickAt(QTime(12, 0, 40));
    r.tickAt(QTime(12, 0, 50));
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(r.boxTexts(), (QStringList{r.T(555), r.T(920)}));
    failing = false;
    r.tickAt(QTime(12, 1, 0));
    EXPECT_EQ(rows("12:01:00"), 1);
    EXPECT_TRUE(r.running());
}

TEST(LoggingFailures, ARealFolderInsteadOfAFileIsReported) {
    Rig r;
    r.check({0});
    r.w->Savename_text->setText(r.path("Logging/run.csv"));
    r.w->Check1->setChecked(true);
    r.w->Command1_Click(0);
    ASSERT_TRUE(r.running());
    QFile::remove(r.path("Logging/run.csv"));
    QDir(r.dir.path()).mkpath("Logging/run.csv");
    r.tickAt(QTime(12, 0, 10));
    EXPECT_EQ(r.boxTexts(), QStringList{r.T(920)});
    EXPECT_TRUE(r.running());
}

// ---- the all-channels page file ----------------------------------------------------------

TEST(PageFile, SaveAndLoad) {
    Rig r;
    for (int k = 10; k <= 63; ++k) r.s.AllPage_Data.AllParaData(k) = qint16(k * 3 - 100);
    const ChannelBlock saved = pageValues(r.s);
    r.ui.fileNames = {r.path("Setdata/page.dat")};
    r.w->Command2[0]->click();
    EXPECT_EQ(r.ui.beeps, 1);
    ASSERT_EQ(r.ui.fileDialogs.size(), 1u);
    const auto& d = r.ui.fileDialogs[0];
    EXPECT_EQ(d.mode, UiSeam::FileDialogMode::Save);
    EXPECT_EQ(QDir(d.initialFolder), QDir(r.path("Setdata")));
    EXPECT_EQ(d.filter, "*.dat(data file)|*.dat");
    EXPECT_EQ(d.defaultSuffix, "dat");
    EXPECT_EQ(fileBytes(r.path("Setdata/page.dat")), formatChannelFile(saved));

    // Load: asked first; the page takes the file's values.
    setPageValues(r.s, ChannelBlock{});
    r.ui.answers = {UiSeam::Answer::Yes};
    r.ui.fileNames = {r.path("Setdata/page.dat")};
    r.w->Command2[1]->click();
    EXPECT_EQ(r.boxTexts(), QStringList{r.T(535)});
    EXPECT_EQ(r.ui.boxes[0].icon, UiSeam::Icon::Exclamation);
    EXPECT_EQ(pageValues(r.s), saved);
    EXPECT_EQ(r.ui.fileDialogs[1].mode, UiSeam::FileDialogMode::Open);
    EXPECT_TRUE(r.ui.fileDialogs[1].mustExist);
    // Nothing goes to the controllers.
    EXPECT_NE(r.s.Write_Request.Com_State, Com_WriteSelect);
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
}

TEST(PageFile, LoadRefusals) {
    struct Case {
        const char* name;
        UiSeam::Answer answer;
        QByteArray file;  // empty: the dialog is cancelled
        bool dialog;
    } cases[] = {
        {"question answered No", UiSeam::Answer::No, "", false},
        {"dialog cancelled", UiSeam::Answer::Yes, "", true},
        {"short file", UiSeam::Answer::Yes, "\"QVX-720\"\r\n1\r\n2\r\n", true},
        {"a bad value half way", UiSeam::Answer::Yes,
         [] {
             QByteArray b = formatChannelFile(ChannelBlock{});
             b.replace("\r\n0\r\n0\r\n0\r\n", "\r\n1\r\nx\r\n0\r\n");
             return b;
         }(),
         true},
    };
    for (const Case& c : cases) {
        Rig r;
        for (int k = 10; k <= 63; ++k) r.s.AllPage_Data.AllParaData(k) = 77;
        const ChannelBlock before = pageValues(r.s);
        r.ui.answers = {c.answer};
        if (!c.file.isEmpty()) {
            writeFile(r.path("Setdata/bad.dat"), c.file);
            r.ui.fileNames = {r.path("Setdata/bad.dat")};
        }
        r.w->Command2_Click(1);
        EXPECT_EQ(pageValues(r.s), before) << c.name;
        EXPECT_EQ(r.ui.fileDialogs.size(), c.dialog ? 1u : 0u) << c.name;
        EXPECT_EQ(r.boxTexts(), QStringList{r.T(535)}) << c.name;  // no message for a bad file
    }
}

TEST(PageFile, FailuresNameTheFileAndTheReason) {
    Rig r;
    for (int k = 10; k <= 63; ++k) r.s.AllPage_Data.AllParaData(k) = 5;
    const QString gone = r.path("gone/page.dat");
    r.ui.fileNames = {gone};
    r.w->Command2_Click(0);
    // The folder is the cause, and is named.
    EXPECT_EQ(r.boxTexts(), QStringList{QStringLiteral("T940 %1 No such file or directory").arg(r.path("gone"))});
    EXPECT_FALSE(QFile::exists(gone));
    // A file that cannot be opened: said so, the page as it was.
    r.ui.boxes.clear();
    r.ui.answers = {UiSeam::Answer::Yes};
    r.ui.fileNames = {gone};
    r.w->Command2_Click(1);
    EXPECT_EQ(r.boxTexts(), (QStringList{r.T(535), QStringLiteral("T941 %1 No such file or directory").arg(gone)}));
    EXPECT_EQ(r.s.AllPage_Data.AllParaData(10), 5);
}

TEST(PageFile, SaveOverExistingFileAsksFirst) {
    struct Case {
        UiSeam::Answer answer;
        bool replaced;
        QStringList boxes;
    } cases[] = {
        {UiSeam::Answer::Yes, true, {"507"}},
        {UiSeam::Answer::No, false, {"507", "508"}},
    };
    for (const Case& c : cases) {
        Rig r;
        writeFile(r.path("Setdata/page.dat"), "keep");
        r.ui.answers = {c.answer};
        r.ui.fileNames = {r.path("Setdata/page.dat")};
        r.w->Command2_Click(0);
        QStringList boxes;
        for (const QString& id : c.boxes) boxes << r.T(id.toInt());
        EXPECT_EQ(r.boxTexts(), boxes);
        EXPECT_EQ(fileBytes(r.path("Setdata/page.dat")) == "keep", !c.replaced);
    }
    // Cancelled: nothing is written, even with a name chosen before.
    Rig r;
    r.ui.fileNames = {r.path("Setdata/a.dat"), QString()};
    r.w->Command2_Click(0);
    QFile::remove(r.path("Setdata/a.dat"));
    r.w->Command2_Click(0);
    EXPECT_EQ(r.ui.fileDialogs[1].fileName, r.path("Setdata/a.dat"));
    EXPECT_FALSE(QFile::exists(r.path("Setdata/a.dat")));
    EXPECT_TRUE(r.ui.boxes.empty());
}

// ---- transmit -------------------------------------------------------------------------------

namespace {
// The channels of the chains queued, in order.
QList<int> queuedChains(const Rig& r) {
    QList<int> out;
    for (const LineRequest& q : r.s.Write_Request.Line_Queue.requests()) {
        EXPECT_EQ(q.state, Com_WriteSelect);
        out << q.ch;
    }
    return out;
}

void setUpPage(Rig& r) {
    r.s.AllPage_Data.AllParaData(29) = 1300;
    r.s.AllPage_Data.AllParaData(13) = 55;
    r.w->setOptionCheckValue(19, 1);  // item 29
    r.w->setOptionCheckValue(3, 1);   // item 13: heating/cooling channels only
    r.s.Monitor_Data.OptionData(1) = qint16(0x100);
    for (int ch : {0, 1, 2, 5}) {
        r.s.ParaData(ch, 29) = 900;
        r.s.ParaData(ch, 13) = 10;
    }
}
}  // namespace

TEST(PageTransmit, QueuesEveryPresentChannelAtOnce) {
    Rig r;
    setUpPage(r);
    r.ui.answers = {UiSeam::Answer::Yes};
    r.w->Command2[2]->click();
    EXPECT_EQ(queuedChains(r), (QList<int>{0, 1, 2, 5}));
    for (const LineRequest& q : r.s.Write_Request.Line_Queue.requests())
        EXPECT_EQ(q.values.at(29), 1300) << q.ch;  // the page's value, taken when asked
    for (int ch : {0, 1, 2, 5}) EXPECT_EQ(r.s.ParaData(ch, 29), 1300) << ch;
    EXPECT_EQ(r.s.ParaData(1, 13), 55);
    for (int ch : {0, 2, 5}) EXPECT_EQ(r.s.ParaData(ch, 13), 10) << ch;
    EXPECT_EQ(r.s.ParaData(3, 29), 0);  // absent
    EXPECT_EQ(r.w->statusPanelText(4), r.T(453));
    EXPECT_EQ(r.boxTexts(), QStringList{r.T(534)});
    EXPECT_TRUE(r.w->Label2->text().isEmpty());
}

TEST(PageTransmit, AnsweredNoDoesNothing) {
    Rig r;
    setUpPage(r);
    r.w->Command2_Click(2);
    EXPECT_EQ(r.s.ParaData(0, 29), 900);
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
}

TEST(PageTransmit, AutoTuningChannelRefusesBeforeAnythingChanges) {
    Rig r;
    setUpPage(r);
    r.s.Monitor_Data.StatusData(2) = qint16(0x800);
    QString labelDuringBox;
    r.ui.duringBox = [&](const QString&) { labelDuringBox = r.w->Label2->text(); };
    r.ui.answers = {UiSeam::Answer::Yes};
    r.w->Command2_Click(2);
    EXPECT_EQ(r.boxTexts(), (QStringList{r.T(534), r.T(503)}));
    EXPECT_EQ(labelDuringBox, r.T(227) + " Ch03");
    EXPECT_TRUE(r.w->Label2->text().isEmpty());
    EXPECT_TRUE(queuedChains(r).isEmpty());
    for (int ch : {0, 1, 2, 5}) EXPECT_EQ(r.s.ParaData(ch, 29), 900) << ch;
}


// A box opened while the transmit is asked runs its own event loop on top:
// the chains of every channel still go out while it stays open, since no
// handler below it walks the channels or waits for them.
TEST(PageTransmit, ChainsGoOutWhileABoxIsOpenAboveThem) {
    app();
    QTemporaryDir dir;
    ScriptedUi ui;
    auto bank = std::make_shared<sim::ControllerBank>();
    for (int ch = 0; ch < 10; ++ch) bank->setChannel(ch, sim::plainChannel(ch));
    const ProgramOptions o = simulatedProgram(dir, bank);
    SettingsStore(o.settingsPath).saveAll({{"Time_Count", "0"}});
    Program program(o, numberedTable(), ui);
    program.Main();
    QVX720_INC& s = program.state();
    MainDisp& w = program.window();
    QElapsedTimer t;
    t.start();
    while (!s.Monitor_Data.PvRead(9) && t.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(s.Monitor_Data.PvRead(9));
    constexpr qint16 kSv = 123;
    for (int ch = 0; ch < 10; ++ch) ASSERT_NE(bank->controller(ch)->setting(Item::SV), kSv);
    s.AllPage_Data.AllParaData(Item::SV) = kSv;
    w.setOptionCheckValue(0, 1);
    const auto allSent = [&] {
        for (int ch = 0; ch < 10; ++ch)
            if (bank->controller(ch)->setting(Item::SV) != kSv) return false;
        return true;
    };
    const QString question = QStringLiteral("End?");
    bool boxDone = false, sentInBox = false, emptiedInBox = false;
    ui.duringBox = [&](const QString& text) {
        if (text != question) return;
        QEventLoop box;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &box, [&] {
            if (allSent() && !transferRunning(s)) box.quit();
        });
        poll.start(5);
        QTimer::singleShot(10000, &box, &QEventLoop::quit);
        box.exec();
        sentInBox = allSent();
        emptiedInBox = w.statusPanelText(4).isEmpty();
        boxDone = true;
    };
    // The box comes up from the next pass of the event loop, as a box of
    // another window would while the transmit is under way.
    QTimer::singleShot(0, &w, [&] {
        ui.messageBox(&w, question, QString(), UiSeam::Icon::Question, UiSeam::Buttons::YesNo);
    });
    ui.answers = {UiSeam::Answer::Yes};  // the transmit's question
    w.Command2_Click(2);
    EXPECT_EQ(w.statusPanelText(4), QStringLiteral("T453"));
    t.restart();
    while (!boxDone && t.elapsed() < 15000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(sentInBox);
    EXPECT_TRUE(emptiedInBox);  // the transfer's panel empties with its last chain
    w.Timer4->stop();
}
