#include <gtest/gtest.h>

#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "alarm_history.h"
#include "file_writes.h"
#include "startup.h"

using namespace qvx;

namespace {

using Lang = StringTable::Language;

struct GridLog final : HistoryGridObserver {
    std::vector<std::pair<int, HistoryCells>> rows;
    std::vector<bool> resets;
    void historyRowChanged(int row, const HistoryCells& cells) override { rows.emplace_back(row, cells); }
    void historyGridReset(bool loaded) override { resets.push_back(loaded); }
};

class AlarmHistoryTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QVX720_INC s;
    SettingsStore store{tmp.filePath("store.ini")};
    StringTable en = StringTable::builtIn(Lang::English);
    QDateTime now{QDate(2026, 12, 8), QTime(15, 5, 7)};
    int clockReads = 0;
    QStringList messages;
    std::function<void()> duringMessage;  // runs while the box is "open"
    GridLog log;
    AlarmHistory h{s, store, en,
                   [this] {
                       ++clockReads;
                       return now;
                   },
                   [this](const QString& text) {
                       messages << text;
                       if (duringMessage) duringMessage();
                   },
                   QLocale::c()};

    void SetUp() override {
        s.History_Table.History_Path = tmp.filePath("His.txt");
        h.grid().setObserver(&log);
    }
    QByteArray fileBytes() const {
        QFile f(s.History_Table.History_Path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Messages of the file lines, in order.
    QStringList fileMessages() const {
        QStringList out;
        for (const QByteArray& line : fileBytes().split('\n'))
            if (!line.isEmpty()) out << QString::fromUtf8(line.split(',').last()).chopped(2).mid(1);
        return out;
    }
    void status(int ch, int word) {
        s.Monitor_Data.StatusData(ch) = static_cast<qint16>(word);
        h.AlarmChk(ch);
    }
};

// ---------------------------------------------------------------- detection

TEST_F(AlarmHistoryTest, DetectionInSlotOrder) {
    struct Case {
        const char* name;
        std::vector<int> words;
        QStringList expected;
    };
    const QString a1on = "Alarm 1 was turned on.", a1off = "Alarm 1 was turned off.";
    const std::vector<Case> cases = {
        {"first word: every bit already set comes on", {0x4 | 0x10 | 0x100},
         {a1on, "Alarm 3 was turned on.", "PV is in overscale."}},
        {"slot order, not bit order",
         {0x2000 | 0x1000 | 0x400 | 0x200 | 0x80 | 0x40 | 0x20 | 0x8},
         {"Alarm 2 was turned on.", "Alarm 4 was turned on.", "Heater burnout alarm 1 was turned on.",
          "Heater burnout alarm 2 was turned on.", "Loop break alarm was turned on.", "PV is in underscale.",
          "Actuator short circuit alarm 1 was turned on.", "Actuator short circuit alarm 2 was turned on."}},
        {"held bit: one on, one off", {0x4, 0x4, 0x4, 0, 0}, {a1on, a1off}},
        {"off and on in one word", {0x4 | 0x8, 0x8 | 0x20},
         {a1on, "Alarm 2 was turned on.", a1off, "Alarm 4 was turned on."}},
        {"going off in slot order", {0x100 | 0x200 | 0x4000, 0},
         {"PV is in overscale.", "PV is in underscale.", "PV is now normal after overscale was released.",
          "PV is now normal after underscale is released."}},
        {"outputs, bit 14 and re-read never enter", {0x1 | 0x2 | 0x4000 | 0x8000, 0, 0xC003}, {}},
        {"auto-tuning alone never enters", {0x800, 0, 0x800}, {}},
    };
    for (const Case& c : cases) {
        QVX720_INC fresh;
        fresh.History_Table.History_Path = s.History_Table.History_Path;
        s = fresh;
        QFile::remove(s.History_Table.History_Path);
        for (int w : c.words) status(7, w);
        EXPECT_EQ(fileMessages(), c.expected) << c.name;
        EXPECT_EQ(s.History_Table.History_Row, c.expected.size() + 1) << c.name;
        for (int i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(s.History_Table.History_Data(3, i + 1), c.expected[i]) << c.name;
            EXPECT_EQ(s.History_Table.History_Data(2, i + 1), "Ch08") << c.name;
        }
    }
}

TEST_F(AlarmHistoryTest, AutoTuningEndClearsFlagOnly) {
    struct Case {
        const char* name;
        std::vector<int> words;
        qint16 flagAfter;
        int entries;
    };
    const std::vector<Case> cases = {
        {"start keeps the flag", {0x800}, 1, 0},
        {"running on keeps the flag", {0x800, 0x800 | 0x1}, 1, 0},
        {"end clears it", {0x800, 0}, 0, 0},
        {"never running: a clear bit does not touch it", {0, 0}, 1, 0},
        {"end with an alarm staying on", {0x800 | 0x4, 0x4}, 0, 1},
    };
    for (const Case& c : cases) {
        s = QVX720_INC();
        s.History_Table.History_Path = tmp.filePath("at.txt");
        s.ParaData(3, Item::AutoTuning) = 1;
        s.ParaData(4, Item::AutoTuning) = 1;
        for (int w : c.words) status(3, w);
        EXPECT_EQ(s.ParaData(3, Item::AutoTuning), c.flagAfter) << c.name;
        EXPECT_EQ(s.ParaData(4, Item::AutoTuning), 1) << c.name;
        EXPECT_EQ(s.History_Table.History_Row, c.entries + 1) << c.name;
    }
}

TEST_F(AlarmHistoryTest, ChannelsAreIndependent) {
    status(0, 0x4);
    status(94, 0x4);
    status(0, 0x4);
    status(94, 0);
    EXPECT_EQ(s.History_Table.History_Data(2, 1), "Ch01");
    EXPECT_EQ(s.History_Table.History_Data(2, 2), "Ch95");
    EXPECT_EQ(s.History_Table.History_Data(2, 3), "Ch95");
    EXPECT_EQ(s.History_Table.History_Data(3, 3), "Alarm 1 was turned off.");
    EXPECT_EQ(s.History_Table.History_Row, 4);
    EXPECT_TRUE(s.Alarm_Old(0, 0));
    EXPECT_FALSE(s.Alarm_Old(0, 94));
}

// ---------------------------------------------------------------- texts

TEST_F(AlarmHistoryTest, KindTexts) {
    struct Case {
        const char* kind;
        int state;
        const char* text;
    };
    const Case cases[] = {
        {"Alarm1", kStateOn, "Alarm 1 was turned on."},
        {"Alarm1", kStateOff, "Alarm 1 was turned off."},
        {"Alarm2", kStateOff, "Alarm 2 was turned off."},
        {"Alarm3", kStateOff, "Alarm 3 was turned off."},
        {"Alarm4", kStateOff, "Alarm 4 was turned off."},
        {"HB1", kStateOff, "Heater burnout alarm 1 was turned off."},
        {"HB2", kStateOff, "Heater burnout alarm 2 was turned off."},
        {"LP", kStateOff, "Loop break alarm was turned off."},
        {"HB1_1", kStateOff, "Actuator short circuit alarm 1 was turned off."},
        {"HB2_1", kStateOff, "Actuator short circuit alarm 2 was turned off."},
        {"HB2_1", 1, "Actuator short circuit alarm 2 was turned on."},
        {"NAK", kStateOff, "Negative acknowledgement was returned from controller."},
        {"NAK", kStateOn, "Negative acknowledgement was returned from controller."},
        {"CHKSUM", kStateOff, "Checksum error occurred."},
        {"CHKSUM", kStateOn, "Checksum error occurred."},
        {"nak", kStateOff, ""},
        {"alarm1", kStateOn, ""},
        {"", kStateOn, ""},
    };
    HistorySink& sink = h;  // the way the link calls
    QStringList expected;
    for (const Case& c : cases) {
        const int row = s.History_Table.History_Row;
        sink.History_Write(QString::fromLatin1(c.kind), 12, c.state);
        EXPECT_EQ(s.History_Table.History_Data(3, row), QString::fromLatin1(c.text)) << c.kind << " " << c.state;
        EXPECT_EQ(h.grid().row(row)[3], QString::fromLatin1(c.text)) << c.kind;
        expected << QString::fromLatin1(c.text);
    }
    EXPECT_EQ(fileMessages(), expected);
}

TEST(HistoryTexts, DateAndTimeForms) {
    struct Case {
        const char* locale;
        QDateTime at;
        const char* date;
        const char* time;
    };
    const Case cases[] = {
        {"C", {QDate(2026, 12, 8), QTime(15, 5, 7)}, "2026/12/8", "3:5:7 PM"},
        {"C", {QDate(2026, 1, 31), QTime(0, 0, 0)}, "2026/1/31", "12:0:0 AM"},
        {"C", {QDate(2026, 1, 31), QTime(12, 0, 0)}, "2026/1/31", "12:0:0 PM"},
        {"C", {QDate(2026, 1, 31), QTime(11, 59, 59)}, "2026/1/31", "11:59:59 AM"},
        {"C", {QDate(2026, 1, 31), QTime(23, 10, 9)}, "2026/1/31", "11:10:9 PM"},
        {"en_US", {QDate(2026, 12, 8), QTime(9, 8, 1)}, "2026/12/8", "9:8:1 AM"},
        {"ja_JP", {QDate(2026, 12, 8), QTime(21, 8, 1)}, "2026/12/8", "9:8:1 PM"},
        {"de_DE", {QDate(2026, 12, 8), QTime(21, 8, 1)}, "2026.12.8", "9:8:1 PM"},
        {"fi_FI", {QDate(2026, 12, 8), QTime(21, 8, 1)}, "2026.12.8", "9.8.1 PM"},
    };
    for (const Case& c : cases) {
        const QLocale loc(QString::fromLatin1(c.locale));
        EXPECT_EQ(historyDateText(c.at.date(), loc), QString::fromLatin1(c.date)) << c.locale;
        EXPECT_EQ(historyTimeText(c.at.time(), loc), QString::fromLatin1(c.time)) << c.locale;
    }
}

// ---------------------------------------------------------------- file

TEST_F(AlarmHistoryTest, FileBytesAfterHeader) {
    ASSERT_TRUE(createHistoryFile(s.History_Table.History_Path, now.date(), QLocale::c()));
    const QByteArray header = fileBytes();
    ASSERT_FALSE(header.isEmpty());
    ASSERT_TRUE(store.save("Chname05", "Oven A"));
    status(0, 0x4);
    now = QDateTime(QDate(2026, 12, 8), QTime(0, 0, 9));
    h.History_Write("CHKSUM", 4, kStateOff);
    now = QDateTime(QDate(2026, 12, 8), QTime(12, 30, 0));
    h.History_Write("Mystery", 94, kStateOn);
    EXPECT_EQ(fileBytes(), header + "\"3:5:7 PM\",\"Ch01\",\"Alarm 1 was turned on.\"\r\n"
                                    "\"12:0:9 AM\",\"Oven A\",\"Checksum error occurred.\"\r\n"
                                    "\"12:30:0 PM\",\"Ch95\",\"\"\r\n");
    // The table and the grid hold the date as well; the file does not.
    const HistoryCells first{"2026/12/8", "3:5:7 PM", "Ch01", "Alarm 1 was turned on."};
    EXPECT_EQ(h.grid().row(1), first);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(s.History_Table.History_Data(c, 1), first[c]);
}

TEST_F(AlarmHistoryTest, ClockReadOncePerEntry) {
    // A clock that moves on at every reading: first 23:59:59 on the 8th, then the 9th.
    int step = 0;
    AlarmHistory moving{s, store, en,
                        [&step] {
                            return QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)).addSecs(step++);
                        },
                        [](const QString&) {}, QLocale::c()};
    moving.History_Write("NAK", 0, kStateOff);
    EXPECT_EQ(step, 1);
    EXPECT_EQ(moving.grid().row(1)[0], "2026/12/8");
    EXPECT_EQ(moving.grid().row(1)[1], "11:59:59 PM");
    moving.History_Write("NAK", 0, kStateOff);
    EXPECT_EQ(step, 2);
    EXPECT_EQ(s.History_Table.History_Data(0, 2), "2026/12/9");
    EXPECT_EQ(s.History_Table.History_Data(1, 2), "12:0:0 AM");
    // Detection reads it once per entry too.
    clockReads = 0;
    status(1, 0x4 | 0x8 | 0x10);
    EXPECT_EQ(clockReads, 3);
}

TEST_F(AlarmHistoryTest, NamesReadPerEntryAndQuotesDoubled) {
    struct Case {
        const char* name;
        QByteArray field;
    };
    const Case cases[] = {
        {"Oven \"A\"", "\"Oven \"\"A\"\"\""},
        {"\"", "\"\"\"\""},
        {"Zone 1, top", "\"Zone 1, top\""},
        {"Plain", "\"Plain\""},
    };
    for (const Case& c : cases) {
        QFile::remove(s.History_Table.History_Path);
        ASSERT_TRUE(store.save("Chname03", QString::fromLatin1(c.name)));
        const int row = s.History_Table.History_Row;
        h.History_Write("NAK", 2, kStateOff);
        EXPECT_EQ(fileBytes(), "\"3:5:7 PM\"," + c.field + ",\"Negative acknowledgement was returned from controller.\"\r\n")
            << c.name;
        EXPECT_EQ(s.History_Table.History_Data(2, row), QString::fromLatin1(c.name));
    }
}

TEST_F(AlarmHistoryTest, OneFailureBoxPerRunOfFailuresAndRowsStillAdvance) {
    s.History_Table.History_Path = tmp.filePath("no/such/folder/His.txt");
    int nestedRowSeen = 0;
    bool nested = false;
    duringMessage = [&] {
        // While the box waits, more entries arrive (their events run in its wait).
        if (nested) return;
        nested = true;
        nestedRowSeen = s.History_Table.History_Row;
        h.History_Write("NAK", 0, kStateOff);
        h.History_Write("CHKSUM", 1, kStateOff);
    };
    const QString box414 = "Cannot write in the file. Check if the alarm history file is open.";
    h.History_Write("Alarm1", 5, kStateOn);
    EXPECT_EQ(messages, QStringList{box414});
    EXPECT_EQ(nestedRowSeen, 2);  // the entry was in place before the box appeared
    EXPECT_EQ(s.History_Table.History_Row, 4);
    EXPECT_EQ(h.grid().row(3)[3], "Checksum error occurred.");
    EXPECT_EQ(s.History_Table.History_Data(2, 1), "Ch06");

    // The same run of failures, the box closed: no new box, rows go on.
    h.History_Write("LP", 0, kStateOn);
    s.History_Table.History_Path.clear();  // no file made at start fails the same way
    h.History_Write("LP", 0, kStateOff);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(s.History_Table.History_Row, 6);
    EXPECT_EQ(h.grid().row(5)[3], "Loop break alarm was turned off.");

    // Every entry tries the file again; one that goes in ends the run.
    s.History_Table.History_Path = tmp.filePath("His.txt");
    h.History_Write("UPS", 0, kStateOn);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(fileMessages(), QStringList{"PV is in overscale."});
    s.History_Table.History_Path = tmp.filePath("no/such/folder/His.txt");
    h.History_Write("UPS", 0, kStateOff);
    h.History_Write("DOWNS", 0, kStateOn);
    EXPECT_EQ(messages, (QStringList{box414, box414}));
}

TEST_F(AlarmHistoryTest, AnEmptyOrMissingFileTakesTheHeaderWithItsFirstLine) {
    const QByteArray header = historyFileHeader(now.date(), QLocale::c());
    h.setFileHeader(header);
    const QByteArray line = "\"3:5:7 PM\",\"Ch01\",\"Negative acknowledgement was returned from controller.\"\r\n";
    // Created empty by a start on a full disk; then missing (deleted, or never created).
    for (bool created : {true, false}) {
        QFile::remove(s.History_Table.History_Path);
        if (created) {
            QFile f(s.History_Table.History_Path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        h.History_Write("NAK", 0, kStateOff);
        h.History_Write("NAK", 0, kStateOff);
        EXPECT_EQ(fileBytes(), header + line + line) << created;
    }
    EXPECT_TRUE(messages.isEmpty());
}

// ---------------------------------------------------------------- ring, grid, erase

TEST_F(AlarmHistoryTest, RingOfHundredRowsWithBlankRowAfterNewest) {
    for (int n = 1; n <= 250; ++n) {
        now = QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)).addSecs(n);
        log.rows.clear();
        h.History_Write("NAK", n % kChannels, kStateOff);
        const int row = (n - 1) % 100 + 1;
        ASSERT_EQ(log.rows.size(), 2u) << n;
        EXPECT_EQ(log.rows[0].first, row) << n;
        EXPECT_EQ(log.rows[0].second[1], historyTimeText(now.time(), QLocale::c())) << n;
        EXPECT_EQ(log.rows[1].first, row + 1) << n;  // 101 after 100
        EXPECT_EQ(log.rows[1].second, HistoryCells{}) << n;
        EXPECT_EQ(s.History_Table.History_Row, row % 100 + 1) << n;
    }
    // Entry 201 in row 1 left row 2 blank on the grid, while the table keeps entry 202 there.
    h.History_Write("NAK", 0, kStateOff);  // entry 251 -> row 51
    const QString entry202 = historyTimeText(QTime(0, 0, 0).addSecs(202), QLocale::c());
    EXPECT_EQ(s.History_Table.History_Data(1, 2), entry202);
    h.refillGrid();
    EXPECT_EQ(h.grid().row(2)[1], entry202);
    EXPECT_EQ(h.grid().row(52)[1], historyTimeText(QTime(0, 0, 0).addSecs(152), QLocale::c()));
    EXPECT_EQ(fileBytes().count('\n'), 251);
}

TEST_F(AlarmHistoryTest, EraseEmptiesTableAndGridButNotFile) {
    for (int n = 0; n < 5; ++n) h.History_Write("CHKSUM", n, kStateOff);
    h.Erase();
    EXPECT_EQ(s.History_Table.History_Row, 1);
    for (int row = 1; row <= 100; ++row) {
        EXPECT_EQ(h.grid().row(row), HistoryCells{}) << row;
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(s.History_Table.History_Data(c, row).isEmpty()) << row;
    }
    h.History_Write("Alarm2", 9, kStateOn);
    EXPECT_EQ(h.grid().row(1)[2], "Ch10");
    EXPECT_EQ(s.History_Table.History_Row, 2);
    EXPECT_EQ(fileMessages().size(), 6);
    EXPECT_EQ(fileMessages().last(), "Alarm 2 was turned on.");
}

TEST_F(AlarmHistoryTest, WindowLifecycle) {
    EXPECT_FALSE(h.grid().isLoaded());
    h.History_Write("NAK", 0, kStateOff);  // the first entry creates the window, hidden
    h.History_Write("NAK", 1, kStateOff);
    EXPECT_TRUE(h.grid().isLoaded());
    EXPECT_EQ(log.resets, std::vector<bool>{true});
    h.exitWindow();
    EXPECT_FALSE(h.grid().isLoaded());
    h.History_Write("CHKSUM", 2, kStateOff);  // loaded again, empty but for the new entry
    EXPECT_EQ(log.resets, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(h.grid().row(1), HistoryCells{});
    EXPECT_EQ(h.grid().row(3)[2], "Ch03");
    EXPECT_EQ(s.History_Table.History_Data(2, 1), "Ch01");
    h.exitWindow();
    h.Erase();  // no window: nothing to blank on it
    EXPECT_FALSE(h.grid().isLoaded());
    h.refillGrid();  // the menu entry creates it
    EXPECT_TRUE(h.grid().isLoaded());
}

TEST(HistoryGridLayout, FormatStringColumns) {
    using Align = HistoryGrid::Align;
    const StringTable en = StringTable::builtIn(Lang::English);
    const HistoryGrid grid(en);
    EXPECT_EQ(grid.caption(), "Alarm history");
    EXPECT_EQ(grid.eraseCaption(), "Erase");
    EXPECT_EQ(grid.exitCaption(), "Exit");
    const QList<HistoryGrid::Column> cols = grid.columns();
    ASSERT_EQ(cols.size(), 4);
    const char* headers[] = {"Date", "Time", "Channel", "Contents"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(cols[i].header, headers[i]);
        EXPECT_EQ(cols[i].align, Align::Left);
        EXPECT_TRUE(cols[i].sizing.startsWith(cols[i].header));
    }
    EXPECT_EQ(cols[3].sizing.size(), 8 + 88);

    ASSERT_EQ(HistoryGrid(StringTable::builtIn(Lang::Japanese)).columns().size(), 4);
    const QList<HistoryGrid::Column> mixed = HistoryGrid::parseFormatString("^A |>B|C|");
    ASSERT_EQ(mixed.size(), 3);
    EXPECT_EQ(mixed[0].align, Align::Center);
    EXPECT_EQ(mixed[0].sizing, "A ");
    EXPECT_EQ(mixed[1].align, Align::Right);
    EXPECT_EQ(mixed[2].header, "C");
}

}  // namespace
