#include <gtest/gtest.h>

#include <functional>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "preferences.h"

using namespace qvx;

namespace {

const int kStoredBoxes[] = {0,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                            19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,
                            36, 37, 38, 39, 40, 41, 42, 43, 45, 46, 47, 48, 49, 50, 51, 52, 53};

// Every preference away from its default.
Preferences sample() {
    Preferences p;
    p.Port = QStringLiteral("COM3");
    p.Speed = QStringLiteral("19200");
    p.Time_Count = 11;
    p.SSTab1 = 1;
    p.SSTab2 = 5;
    p.Logtim = 7;
    p.Check1 = 1;
    p.Log_Filename = QString::fromUtf8("/home/op/Logging/Ofen A; Zone=2 \"neu\" 温度.csv");
    p.Log_Filename_stored = true;
    p.log_start = 1;
    p.tab3name = 94;
    const qint32 colors[] = {0x00FF00, 0xFF0000, 0x123456, 0, 0xFFFFFF};
    for (int i = 0; i < kAlarmColors; ++i) p.AlarmColors(i) = colors[i];
    for (int n : kStoredBoxes) {
        p.LogSetting(n) = static_cast<qint16>(1 + n % 2);
        p.LogSetting_data(n) = static_cast<qint16>(n * 613 - 16000);
    }
    p.LogSetting_data(0) = -32768;
    p.LogSetting_data(53) = 32767;
    for (int ch = 0; ch < kChannels; ++ch) {
        p.LogName(ch) = static_cast<qint16>(ch % 2);
        p.Unit(ch) = ch % 3 == 0 ? QString::fromUtf8("°C") : QStringLiteral("kg/h = x");
        p.Decimalpoint(ch) = static_cast<qint16>(1 + ch % 3);
        p.Chname(ch) = QString::fromUtf8("Zone %1 – Öl").arg(ch);
    }
    return p;
}

// Writes p to the store: the exit save plus the keys written elsewhere.
void storeAll(SettingsStore& store, const Preferences& p) {
    ASSERT_TRUE(saveExitPreferences(store, p));
    ASSERT_TRUE(store.save(QStringLiteral("Port"), p.Port));
    ASSERT_TRUE(store.save(QStringLiteral("Speed"), p.Speed));
    ASSERT_TRUE(store.save(QStringLiteral("log_start"), QString::number(p.log_start)));
    ASSERT_TRUE(saveTab3name(store, p.tab3name));
    QList<std::pair<QString, QString>> names;
    for (int ch = 0; ch < kChannels; ++ch) names.append({chnameKey(ch), p.Chname(ch)});
    ASSERT_TRUE(store.saveAll(names));
}

QStringList fileKeys(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList keys;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n'))
        if (line.contains(u'=')) keys << line.left(line.indexOf(u'='));
    return keys;
}

class PreferencesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("store.ini")) const { return dir.filePath(name); }
};

}  // namespace

TEST_F(PreferencesTest, EmptyStoreGivesEveryDefault) {
    const Preferences p = loadPreferences(SettingsStore(path()));
    EXPECT_EQ(p.Port, QStringLiteral("COM1"));
    EXPECT_EQ(p.Speed, QStringLiteral("9600"));
    EXPECT_EQ(p.SSTab1, 0);
    EXPECT_EQ(p.SSTab2, 0);
    EXPECT_EQ(p.Logtim, 0);
    EXPECT_EQ(p.Check1, 0);
    EXPECT_FALSE(p.Log_Filename_stored);
    EXPECT_EQ(p.log_start, 0);
    EXPECT_EQ(p.tab3name, 0);
    EXPECT_EQ(p.Time_Count, 2);
    for (int i = 0; i < kAlarmColors; ++i) EXPECT_EQ(p.AlarmColors(i), 255) << i;
    for (int n = 0; n < kPageBoxes; ++n) {
        EXPECT_EQ(p.LogSetting(n), 0) << n;
        EXPECT_EQ(p.LogSetting_data(n), 0) << n;
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(p.LogName(ch), 0) << ch;
        EXPECT_EQ(p.Unit(ch), QStringLiteral("%")) << ch;
        EXPECT_EQ(p.Decimalpoint(ch), 0) << ch;
    }
    EXPECT_EQ(p.Chname(0), QStringLiteral("Ch01"));
    EXPECT_EQ(p.Chname(9), QStringLiteral("Ch10"));
    EXPECT_EQ(p.Chname(94), QStringLiteral("Ch95"));
}

TEST_F(PreferencesTest, EveryKeyRoundTripsThroughTheFile) {
    const Preferences want = sample();
    {
        SettingsStore store(path());
        storeAll(store, want);
    }
    const Preferences got = loadPreferences(SettingsStore(path()));
    EXPECT_EQ(got.Log_Filename, want.Log_Filename);
    EXPECT_EQ(got.AlarmColors, want.AlarmColors);
    EXPECT_EQ(got.LogSetting_data, want.LogSetting_data);
    EXPECT_EQ(got.Unit, want.Unit);
    EXPECT_EQ(got.Chname, want.Chname);
    EXPECT_TRUE(got == want);
}

TEST_F(PreferencesTest, KeysAreFoundWhateverTheirCase) {
    {
        SettingsStore store(path());
        const struct {
            const char* key;
            const char* value;
        } rows[] = {{"LOGTIM", "3"},        {"sstab2", "4"},     {"log_filename", "x.csv"},
                    {"logname12", "1"},     {"unit013", "bar"},  {"DECIMALPOINT013", "2"},
                    {"LOGSETTING_DATA7", "-5"}, {"alm_OTHER", "99"}, {"chNAME13", "Kiln"},
                    {"TIME_count", "14"}};
        for (const auto& r : rows) ASSERT_TRUE(store.save(QLatin1String(r.key), QString::fromUtf8(r.value)));
    }
    const Preferences p = loadPreferences(SettingsStore(path()));
    EXPECT_EQ(p.Logtim, 3);
    EXPECT_EQ(p.SSTab2, 4);
    EXPECT_TRUE(p.Log_Filename_stored);
    EXPECT_EQ(p.Log_Filename, QStringLiteral("x.csv"));
    EXPECT_EQ(p.LogName(12), 1);
    EXPECT_EQ(p.Unit(12), QStringLiteral("bar"));
    EXPECT_EQ(p.Decimalpoint(12), 2);
    EXPECT_EQ(p.LogSetting_data(7), -5);
    EXPECT_EQ(p.AlarmColors(4), 99);
    EXPECT_EQ(p.Chname(12), QStringLiteral("Kiln"));
    EXPECT_EQ(p.Time_Count, 14);
}

// One bad stored value gives that key's default; every other key still loads.
TEST_F(PreferencesTest, BadValueGivesOnlyThatKeysDefault) {
    const Preferences full = sample();
    {
        SettingsStore store(path(QStringLiteral("full.ini")));
        storeAll(store, full);
    }
    using Fix = std::function<void(Preferences&)>;
    const struct {
        const char* key;
        const char* value;
        Fix expect;  // turns the full set into what must load
    } table[] = {
        {"Logtim", "9", [](Preferences& p) { p.Logtim = 0; }},
        {"Logtim", "-1", [](Preferences& p) { p.Logtim = 0; }},
        {"SSTab2", "x", [](Preferences& p) { p.SSTab2 = 0; }},
        {"SSTab2", "6", [](Preferences& p) { p.SSTab2 = 0; }},
        {"SSTab1", "2", [](Preferences& p) { p.SSTab1 = 0; }},
        {"Alm3color", "99999999999", [](Preferences& p) { p.AlarmColors(2) = 255; }},
        {"Alm1color", "red", [](Preferences& p) { p.AlarmColors(0) = 255; }},
        {"Alm4color", "16777216", [](Preferences& p) { p.AlarmColors(3) = 255; }},
        {"Alm_other", "-1", [](Preferences& p) { p.AlarmColors(4) = 255; }},
        {"Check1", "3", [](Preferences& p) { p.Check1 = 0; }},
        {"LogName7", "-1", [](Preferences& p) { p.LogName(7) = 0; }},
        {"LogName0", "", [](Preferences& p) { p.LogName(0) = 0; }},
        {"LogSetting5", "yes", [](Preferences& p) { p.LogSetting(5) = 0; }},
        {"LogSetting_data2", "1.5", [](Preferences& p) { p.LogSetting_data(2) = 0; }},
        {"LogSetting_data3", "32768", [](Preferences& p) { p.LogSetting_data(3) = 0; }},
        {"Decimalpoint001", "two", [](Preferences& p) { p.Decimalpoint(0) = 0; }},
        {"Decimalpoint095", "0x1", [](Preferences& p) { p.Decimalpoint(94) = 0; }},
        {"Time_Count", "70000", [](Preferences& p) { p.Time_Count = 2; }},
        {"tab3name", "95", [](Preferences& p) { p.tab3name = 0; }},
        {"log_start", "+1", [](Preferences& p) { p.log_start = 0; }},
        // Accepted as they are: blanks around a number, leading zeros, a box
        // value of 2 (grayed), a time-out choice the link will not apply.
        {"Logtim", " 04 ", [](Preferences& p) { p.Logtim = 4; }},
        {"Check1", "2", [](Preferences& p) { p.Check1 = 2; }},
        {"Time_Count", "0", [](Preferences& p) { p.Time_Count = 0; }},
    };
    int row = 0;
    for (const auto& r : table) {
        const QString file = path(QStringLiteral("case%1.ini").arg(row++));
        ASSERT_TRUE(QFile::copy(path(QStringLiteral("full.ini")), file));
        {
            SettingsStore store(file);
            ASSERT_TRUE(store.save(QLatin1String(r.key), QLatin1String(r.value)));
        }
        Preferences want = full;
        r.expect(want);
        const Preferences got = loadPreferences(SettingsStore(file));
        EXPECT_TRUE(got == want) << r.key << " = \"" << r.value << "\"";
    }
}

TEST(StoredNumbers, Conversion) {
    const struct {
        const char* text;
        std::optional<qint16> i16;
        std::optional<qint32> i32;
    } table[] = {
        {"0", 0, 0},
        {"-1", -1, -1},
        {"007", 7, 7},
        {" 12 ", 12, 12},
        {"32767", 32767, 32767},
        {"-32768", -32768, -32768},
        {"32768", std::nullopt, 32768},
        {"-32769", std::nullopt, -32769},
        {"2147483647", std::nullopt, 2147483647},
        {"-2147483648", std::nullopt, std::numeric_limits<qint32>::min()},
        {"2147483648", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"+1", std::nullopt, std::nullopt},
        {"1.0", std::nullopt, std::nullopt},
        {"1e3", std::nullopt, std::nullopt},
        {"&H10", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"--1", std::nullopt, std::nullopt},
        {"1 2", std::nullopt, std::nullopt},
        {"\xEF\xBC\x92", std::nullopt, std::nullopt},  // full-width digit 2
    };
    for (const auto& r : table) {
        const QString t = QString::fromUtf8(r.text);
        EXPECT_EQ(storedInt16(t), r.i16) << '"' << r.text << '"';
        EXPECT_EQ(storedInt32(t), r.i32) << '"' << r.text << '"';
    }
}

TEST_F(PreferencesTest, ExitSaveWritesKeysInExitOrder) {
    QStringList want = {QStringLiteral("Logtim"), QStringLiteral("SSTab1"), QStringLiteral("SSTab2"),
                        QStringLiteral("Log_Filename"), QStringLiteral("Check1")};
    for (int ch = 0; ch < 95; ++ch) {
        const QString nnn = QStringLiteral("%1").arg(ch + 1, 3, 10, QLatin1Char('0'));
        want << QStringLiteral("LogName%1").arg(ch) << QStringLiteral("UNIT") + nnn
             << QStringLiteral("Decimalpoint") + nnn;
    }
    for (int n : kStoredBoxes) want << QStringLiteral("LogSetting%1").arg(n) << QStringLiteral("LogSetting_data%1").arg(n);
    want << QStringLiteral("Alm1color") << QStringLiteral("Alm2color") << QStringLiteral("Alm3color")
         << QStringLiteral("Alm4color") << QStringLiteral("Alm_other") << QStringLiteral("Time_Count");
    ASSERT_EQ(want.size(), 5 + 95 * 3 + 51 * 2 + 5 + 1);

    SettingsStore store(path());
    ASSERT_TRUE(saveExitPreferences(store, sample()));
    EXPECT_EQ(fileKeys(path()), want);
    // Only the exit keys: port, speed, names, tab3name and log_start are saved elsewhere.
    for (const char* k : {"Port", "Speed", "Chname01", "tab3name", "log_start"})
        EXPECT_FALSE(store.contains(QLatin1String(k))) << k;
}

TEST_F(PreferencesTest, ExitSaveUpdatesKeysWrittenEarlier) {
    SettingsStore store(path());
    ASSERT_TRUE(saveCheck1(store, 1, QStringLiteral("old.csv")));  // spelled "log_Filename"
    ASSERT_TRUE(saveCheck1(store, 0, QStringLiteral("ignored.csv")));
    EXPECT_EQ(store.read(QStringLiteral("Log_Filename"), QString()), QStringLiteral("old.csv"));
    Preferences p = sample();
    p.Log_Filename = QStringLiteral("new.csv");
    p.Check1 = 0;
    ASSERT_TRUE(saveExitPreferences(store, p));
    const QStringList keys = fileKeys(path());
    EXPECT_EQ(keys.mid(0, 2), (QStringList{QStringLiteral("Check1"), QStringLiteral("log_Filename")}));
    EXPECT_FALSE(keys.contains(QStringLiteral("Log_Filename")));
    const Preferences got = loadPreferences(SettingsStore(path()));
    EXPECT_EQ(got.Log_Filename, QStringLiteral("new.csv"));
    EXPECT_EQ(got.Check1, 0);
}

TEST_F(PreferencesTest, FailedExitSaveKeepsValuesInMemory) {
    QFile blocker(path(QStringLiteral("plain-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(blocker.fileName() + QStringLiteral("/store.ini"));
    Preferences p = sample();
    EXPECT_FALSE(saveExitPreferences(store, p));
    Preferences got = loadPreferences(store);
    // Keys outside the exit save were never written; the rest is all there.
    got.Port = p.Port;
    got.Speed = p.Speed;
    got.log_start = p.log_start;
    got.tab3name = p.tab3name;
    got.Chname = p.Chname;
    EXPECT_TRUE(got == p);
}

TEST(PreferencesState, ApplyAndGather) {
    QVX720_INC s;
    s.AllPage_Data.AllParaData(11) = 77;  // items 11, 18 and 54 are not the store's
    s.AllPage_Data.AllParaData(18) = 78;
    s.AllPage_Data.AllParaData(54) = 79;
    const Preferences p = sample();
    applyPreferences(p, s);
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(s.UnitText(ch), p.Unit(ch));
        EXPECT_EQ(s.DecimalData(ch), p.Decimalpoint(ch));
        EXPECT_EQ(s.ParaData(ch, Item::DecimalPoint), p.Decimalpoint(ch));
    }
    for (int n : kStoredBoxes) EXPECT_EQ(s.AllPage_Data.AllParaData(n + 10), p.LogSetting_data(n)) << n;
    EXPECT_EQ(s.AllPage_Data.AllParaData(11), 77);
    EXPECT_EQ(s.AllPage_Data.AllParaData(18), 78);
    EXPECT_EQ(s.AllPage_Data.AllParaData(54), 79);
    EXPECT_EQ(s.Alarm_Color.AlmColor1, 0x00FF00);
    EXPECT_EQ(s.Alarm_Color.AlmColor3, 0x123456);
    EXPECT_EQ(s.Alarm_Color.AlmColorOther, 0xFFFFFF);
    EXPECT_EQ(s.Time_Count, 11);

    // What the program changed since comes back for the exit save.
    s.UnitText(3) = QStringLiteral("K");
    s.DecimalData(3) = 3;
    s.AllPage_Data.AllParaData(63) = -9;
    s.Alarm_Color.AlmColor2 = 0x0000FF;
    s.Time_Count = 14;
    Preferences back;
    gatherPreferences(s, back);
    Preferences want = p;
    want.Unit(3) = QStringLiteral("K");
    want.Decimalpoint(3) = 3;
    want.LogSetting_data(53) = -9;
    want.AlarmColors(1) = 0x0000FF;
    want.Time_Count = 14;
    EXPECT_EQ(back.Unit, want.Unit);
    EXPECT_EQ(back.Decimalpoint, want.Decimalpoint);
    EXPECT_EQ(back.LogSetting_data, want.LogSetting_data);
    EXPECT_EQ(back.AlarmColors, want.AlarmColors);
    EXPECT_EQ(back.Time_Count, 14);
}

TEST_F(PreferencesTest, ChannelNamesAndKeys) {
    SettingsStore store(path());
    ASSERT_TRUE(store.save(QStringLiteral("chname05"), QStringLiteral("Oven A")));
    EXPECT_EQ(channelName(store, 4), QStringLiteral("Oven A"));
    EXPECT_EQ(channelName(store, 3), QStringLiteral("Ch04"));
    EXPECT_EQ(channelName(store, 5), QStringLiteral("Ch06"));
    EXPECT_EQ(loadPreferences(store).Chname(4), QStringLiteral("Oven A"));

    const struct {
        QString got;
        const char* want;
    } keys[] = {
        {logNameKey(0), "LogName0"},          {logNameKey(94), "LogName94"},
        {unitKey(4), "UNIT005"},              {decimalPointKey(94), "Decimalpoint095"},
        {chnameKey(9), "Chname10"},           {logSettingKey(53), "LogSetting53"},
        {logSettingDataKey(0), "LogSetting_data0"}, {alarmColorKey(0), "Alm1color"},
        {alarmColorKey(4), "Alm_other"},
    };
    for (const auto& k : keys) EXPECT_EQ(k.got, QLatin1String(k.want));
    EXPECT_THROW(logNameKey(95), std::out_of_range);
    EXPECT_THROW(alarmColorKey(5), std::out_of_range);
    for (int n : {1, 8, 44, -1, 54}) EXPECT_FALSE(isStoredPageBox(n)) << n;
    EXPECT_EQ(std::size(kStoredBoxes), 51u);
    for (int n : kStoredBoxes) EXPECT_TRUE(isStoredPageBox(n)) << n;
}
