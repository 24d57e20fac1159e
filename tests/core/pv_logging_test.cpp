#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "pv_logging.h"

using namespace qvx;

#include "test_files.h"

using qvx::test::fileBytes;
using qvx::test::writeFile;

namespace {

QTime hms(const LogClock& c, const Table1<qint16, 3> LogClock::*part) {
    const auto& t = c.*part;
    return QTime(t(0), t(1), t(2));
}


}  // namespace

// ---- the logging clock --------------------------------------------------------------

TEST(LogClockTest, StartAndNextTime) {
    struct Case {
        QTime start;
        int listIndex;
        QTime next;
        int shown;
    } cases[] = {
        {QTime(12, 0, 0), 0, QTime(12, 0, 10), 0},
        {QTime(23, 59, 55), 0, QTime(0, 0, 5), 0},     // past midnight
        {QTime(23, 30, 0), 7, QTime(0, 30, 0), 7},     // 1 h over midnight
        {QTime(10, 59, 50), 1, QTime(11, 0, 20), 1},   // seconds carry into the hour
        {QTime(23, 59, 30), 2, QTime(0, 0, 30), 2},    // 1 min, minute and hour carry
        {QTime(8, 45, 0), 5, QTime(9, 0, 0), 5},       // 15 min
        {QTime(8, 45, 0), 3, QTime(8, 50, 0), 3},      // 5 min
        {QTime(8, 55, 0), 4, QTime(9, 5, 0), 4},       // 10 min
        {QTime(22, 45, 7), 6, QTime(23, 15, 7), 6},    // 30 min
        {QTime(12, 0, 0), -1, QTime(12, 0, 10), 0},    // no row selected: 10 s, row 0 shown
        {QTime(12, 0, 0), 8, QTime(12, 0, 10), 0},
    };
    for (const Case& c : cases) {
        LogClock clock;
        EXPECT_EQ(LogTime_Set(clock, c.listIndex, c.start), c.shown)
            << c.start.toString().toStdString() << " " << c.listIndex;
        EXPECT_EQ(hms(clock, &LogClock::LogNext), c.next) << c.start.toString().toStdString() << " " << c.listIndex;
        EXPECT_EQ(hms(clock, &LogClock::LogNow), c.start);
    }
}

TEST(LogClockTest, IntervalTable) {
    const LogHms expected[] = {{0, 0, 10}, {0, 0, 30}, {0, 1, 0},  {0, 5, 0},
                               {0, 10, 0}, {0, 15, 0}, {0, 30, 0}, {1, 0, 0}};
    for (int i = 0; i < kLogIntervals; ++i) EXPECT_EQ(logInterval(i), expected[i]) << i;
    EXPECT_EQ(logInterval(-1), (LogHms{0, 0, 10}));
    EXPECT_EQ(logInterval(kLogIntervals), (LogHms{0, 0, 10}));
}

// Checks of the logging clock after a start: which checks write a row, and the
// next logging time after each.
TEST(LogClockTest, RowsComeAtTheIntervalAndLateChecksStillLog) {
    struct Check {
        QTime now;
        bool due;
        QTime nextAfter;
    };
    struct Case {
        const char* name;
        QTime start;
        int listIndex;
        std::vector<Check> checks;
    } cases[] = {
        {"every 10 s",
         QTime(12, 0, 0),
         0,
         {{QTime(12, 0, 5), false, QTime(12, 0, 10)},
          {QTime(12, 0, 10), true, QTime(12, 0, 20)},
          {QTime(12, 0, 10), false, QTime(12, 0, 20)},  // the same second checked again
          {QTime(12, 0, 19), false, QTime(12, 0, 20)},
          {QTime(12, 0, 20), true, QTime(12, 0, 30)}}},
        {"over midnight",
         QTime(23, 59, 55),
         0,
         {{QTime(23, 59, 59), false, QTime(0, 0, 5)}, {QTime(0, 0, 5), true, QTime(0, 0, 15)}}},
        {"1 h over midnight",
         QTime(23, 30, 0),
         7,
         {{QTime(0, 29, 59), false, QTime(0, 30, 0)}, {QTime(0, 30, 0), true, QTime(1, 30, 0)}}},
        {"the logging second passed while busy",
         QTime(12, 0, 0),
         0,
         {{QTime(12, 0, 12), true, QTime(12, 0, 20)},  // late row, the grid kept
          {QTime(12, 0, 19), false, QTime(12, 0, 20)},
          {QTime(12, 0, 20), true, QTime(12, 0, 30)}}},
        {"several intervals missed",
         QTime(12, 0, 0),
         1,
         {{QTime(12, 1, 47), true, QTime(12, 2, 0)}, {QTime(12, 2, 0), true, QTime(12, 2, 30)}}},
        {"missed across midnight",
         QTime(23, 59, 55),
         0,
         {{QTime(0, 0, 7), true, QTime(0, 0, 15)}}},
        {"clock set back an hour",
         QTime(12, 0, 0),
         0,
         {{QTime(11, 0, 0), true, QTime(11, 0, 10)}, {QTime(11, 0, 5), false, QTime(11, 0, 10)}}},
    };
    for (const Case& c : cases) {
        LogClock clock;
        LogTime_Set(clock, c.listIndex, c.start);
        for (const Check& k : c.checks) {
            EXPECT_EQ(logRowDue(clock, k.now), k.due) << c.name << " at " << k.now.toString().toStdString();
            EXPECT_EQ(hms(clock, &LogClock::LogNow), k.now) << c.name;
            EXPECT_EQ(hms(clock, &LogClock::LogNext), k.nextAfter)
                << c.name << " at " << k.now.toString().toStdString();
        }
    }
}

// ---- lines ---------------------------------------------------------------------------

TEST(LogLinesTest, ExactBytes) {
    const StringTable en = StringTable::builtIn(StringTable::Language::English);
    EXPECT_EQ(logTitleLine(en), QByteArray("\"Process variable data\"\r\n"));
    EXPECT_EQ(logHeaderLine(en, {"Ch01", "Furnace A"}),
              QByteArray("\"Date  : \",\"Time  :\",\"Ch01\",\"Furnace A\",\r\n"));
    EXPECT_EQ(logHeaderLine(en, {}), QByteArray("\"Date  : \",\"Time  :\",\r\n"));
    EXPECT_EQ(logRowLine("8 Dec 2026", "06:05:09", {"25.0", "-3"}),
              QByteArray("\"8 Dec 2026\",\"06:05:09\",\"25.0\",\"-3\",\r\n"));
    EXPECT_EQ(logColumnName("ABCDEFGHIJKLMNO"), "ABCDEFGHIJKL");
    EXPECT_EQ(logColumnName("Ch01"), "Ch01");
}

TEST(LogLinesTest, DateAndTimeForms) {
    const QDate d(2026, 12, 8);
    const QTime t(6, 5, 9);
    struct Case {
        QLocale locale;
        QString date, time;
    } cases[] = {
        {QLocale::c(), "8 Dec 2026", "06:05:09"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/8/26", "6:05:09 AM"},
        {QLocale(QLocale::German, QLocale::Germany), "08.12.26", "06:05:09"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "2026/12/08", "6:05:09"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(logDateText(d, c.locale), c.date) << c.locale.name().toStdString();
        // The time always carries seconds, whatever the short form holds (some
        // locale data puts a narrow no-break space before AM).
        const QString time = logTimeText(t, c.locale).replace(QChar(0x202f), QLatin1Char(' '));
        EXPECT_EQ(time, c.time) << c.locale.name().toStdString();
    }
}

TEST(LogLinesTest, ColumnsAreCheckedAndPresentChannels) {
    QVX720_INC s;
    s.NoConnect.fill(1);
    for (int ch : {0, 3, 7, 94}) s.NoConnect(ch) = 0;
    const QList<int> checked = {0, 2, 3, 94};  // 2 is checked but absent; 7 present but not checked
    EXPECT_EQ(logColumns(s, [&](int ch) { return checked.contains(ch); }), (QList<int>{0, 3, 94}));
    EXPECT_TRUE(logColumns(s, [](int) { return false; }).isEmpty());
}

// ---- the logger and its files ------------------------------------------------------------

class PvLoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        path = tmp.filePath("log.csv");
        // Channel 0: one-decimal sensor, channel 3: whole degrees.
        s.ParaData(0, Item::InputType) = 1;
        measured(0, 250);
        s.ParaData(3, Item::InputType) = 0;
        measured(3, -3);
        logger.setClock([this] { return now; });
        logger.setLocale(QLocale::c());
    }
    QTemporaryDir tmp;
    QString path;
    QVX720_INC s;
    StringTable en = StringTable::builtIn(StringTable::Language::English);
    PvLogger logger{s, en};
    QDateTime now{QDate(2026, 12, 8), QTime(12, 0, 0)};
    // A PV poll that brought v, as the link stores it.
    void measured(int ch, qint16 v) {
        s.Monitor_Data.PvData(ch) = v;
        s.PvLog_State.Current(ch) = true;
        ++s.PvLog_State.Replies;
    }
};

TEST_F(PvLoggerTest, StartThenRowsAtTheInterval) {
    logger.LogTime_Set(0);
    ASSERT_EQ(logger.start(path, false, {0, 3}, {"Ch01", "Ch04"}), LogWrite::Ok);
    QByteArray expected =
        "\"Process variable data\"\r\n"
        "\"Date  : \",\"Time  :\",\"Ch01\",\"Ch04\",\r\n"
        "\"8 Dec 2026\",\"12:00:00\",\"25.0\",\"-3\",\r\n";
    EXPECT_EQ(fileBytes(path), expected);

    now = now.addSecs(5);
    EXPECT_FALSE(logger.tick(path).has_value());
    now = now.addSecs(5);
    measured(0, 251);
    // A miss waiting for the line check holds the row until its answer.
    s.PvLog_State.Deciding = true;
    EXPECT_FALSE(logger.tick(path).has_value());
    s.PvLog_State.Deciding = false;
    ASSERT_EQ(logger.tick(path), LogWrite::Ok);
    EXPECT_FALSE(logger.tick(path).has_value());  // the same second
    expected += "\"8 Dec 2026\",\"12:00:10\",\"25.1\",\"-3\",\r\n";
    EXPECT_EQ(fileBytes(path), expected);
}

TEST_F(PvLoggerTest, RowsKeepTheColumnsOfTheHeader) {
    // Channel 5 is absent at the start: no column, so no field in any row,
    // even when a later scan finds it.
    s.NoConnect(5) = 1;
    logger.LogTime_Set(0);
    const QList<int> columns = logColumns(s, [](int ch) { return ch == 0 || ch == 5; });
    ASSERT_EQ(logger.start(path, false, columns, {"Ch01"}), LogWrite::Ok);
    s.NoConnect(5) = 0;
    now = now.addSecs(10);
    ASSERT_EQ(logger.tick(path), LogWrite::Ok);
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    ASSERT_EQ(lines.size(), 5);  // 4 lines and the empty rest after the last LF
    EXPECT_EQ(lines[1].count(','), 3);
    EXPECT_EQ(lines[2].count(','), 3);
    EXPECT_EQ(lines[3].count(','), 3);
}

TEST_F(PvLoggerTest, WriteFailuresSayWhy) {
    QDir(tmp.path()).mkdir("folder");
    writeFile(tmp.filePath("plain"), "x");
    struct Case {
        QString path;
        LogWrite kind;
        QString reason;  // "" : any text
        QString place;   // the folder that failed; "" : the file
    } cases[] = {
        {tmp.filePath("plain/Logging/log.csv"), LogWrite::FolderNotMade, "Not a directory", tmp.filePath("plain/Logging")},
        {tmp.filePath("folder"), LogWrite::Failed, "", ""},
        {QString(), LogWrite::Failed, "", ""},
    };
    for (const Case& c : cases) {
        for (const LogWriteResult& w : {appendLogFile(c.path, "x\r\n"), replaceLogFile(c.path, "x\r\n")}) {
            EXPECT_EQ(w.kind, c.kind) << c.path.toStdString();
            EXPECT_FALSE(w.reason.isEmpty()) << c.path.toStdString();
            if (!c.reason.isEmpty()) {
                EXPECT_EQ(w.reason, c.reason);
            }
            EXPECT_EQ(w.place, c.place.isEmpty() ? c.path : c.place) << c.path.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(tmp.filePath("folder")).isDir());
    // A missing folder of the logging file is made.
    EXPECT_EQ(appendLogFile(tmp.filePath("Logging/a.csv"), "x\r\n"), LogWrite::Ok);
    EXPECT_EQ(replaceLogFile(tmp.filePath("Logging2/b.csv"), "y\r\n"), LogWrite::Ok);
    EXPECT_EQ(fileBytes(tmp.filePath("Logging2/b.csv")), QByteArray("y\r\n"));
    // 555 only where another program holds the file; else the file, or the
    // folder that is the cause, and the reason.
    EXPECT_EQ(logWriteFailureText(en, {LogWrite::AccessDenied, "Permission denied"}, "/d/run.csv"), en.text(555));
    EXPECT_EQ(logWriteFailureText(en, {LogWrite::Failed, "No space left on device"}, "/d/run.csv"),
              "Cannot write to the logging file.\n/d/run.csv\nNo space left on device");
    EXPECT_EQ(logWriteFailureText(en, {LogWrite::Failed, "Permission denied", "/d"}, "/d/run.csv"),
              "Cannot write to the logging file.\n/d\nPermission denied");
    EXPECT_EQ(logWriteFailureText(en, {LogWrite::FolderNotMade, "Permission denied", "/d/Logging"},
                                  "/d/Logging/run.csv"),
              "Cannot write to the logging file: its folder could not be made.\n/d/Logging\nPermission denied");
}

TEST_F(PvLoggerTest, ReadOnlyFileIsAFailureWithItsReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the super-user";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep\r\n");
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    for (const LogWriteResult& w : {appendLogFile(path, "x\r\n"), replaceLogFile(path, "x\r\n")}) {
        EXPECT_EQ(w, LogWrite::Failed);
        EXPECT_FALSE(w.reason.isEmpty());
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(path), QByteArray("keep\r\n"));
}
