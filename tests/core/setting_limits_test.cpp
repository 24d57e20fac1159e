#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>
#include <utility>
#include <vector>

#include "qvx720_inc.h"
#include "setting_limits.h"
#include "settings_store.h"

using namespace qvx;

namespace {

constexpr int kCh = 7;

// One channel's setting values that a case needs; the rest stay 0.
struct Channel {
    int type = 0;                             // item 54
    std::vector<std::pair<int, int>> items = {};  // other ParaData entries
    int option = 0;                           // option word
    int typeWord = 0;                         // type word
};

void apply(QVX720_INC& s, const Channel& c) {
    s.ParaData(kCh, Item::InputType) = static_cast<qint16>(c.type);
    for (const auto& [k, v] : c.items) s.ParaData(kCh, k) = static_cast<qint16>(v);
    s.Monitor_Data.OptionData(kCh) = static_cast<qint16>(c.option);
    s.Monitor_Data.TypeData(kCh) = static_cast<qint16>(c.typeWord);
}

SettingRange open(QVX720_INC& s, int k, const QString& now = QStringLiteral("now")) {
    s.Edit_Context.Set_Item = static_cast<qint16>(k);
    s.Edit_Context.Set_Ch = kCh;
    return Range_Set(s, now);
}

struct LimitCase {
    const char* name;
    Channel ch;
    int k;
    int max;
    int min;
    bool dec1;
    const char* text;
};

void expectCase(const LimitCase& c) {
    QVX720_INC s;
    apply(s, c.ch);
    const SettingRange r = open(s, c.k);
    EXPECT_EQ(r.Set_Max, c.max) << c.name;
    EXPECT_EQ(r.Set_Min, c.min) << c.name;
    EXPECT_EQ(r.Set_Dec1, c.dec1) << c.name;
    EXPECT_EQ(r.Limit_data, QString::fromUtf8(c.text)) << c.name;
    // The edit context holds what was returned.
    EXPECT_EQ(s.Edit_Context.Set_Max, c.max) << c.name;
    EXPECT_EQ(s.Edit_Context.Set_Min, c.min) << c.name;
    EXPECT_EQ(s.Edit_Context.Set_Dec1, c.dec1) << c.name;
}

}  // namespace

// Every sensor row: scaling high limit (k = 29) takes the sensor's top with
// the scaling low as its floor; scaling low (k = 30) the sensor's bottom with
// the scaling high as its ceiling.
TEST(SettingLimits, SensorRangesOfScalingItems) {
    const struct { int t; int high; int low; } rows[] = {
        {0, 1370, -200},  {1, 5000, -1999}, {2, 1000, -200},  {3, 1760, 0},     {4, 1760, 0},
        {5, 1820, 0},     {6, 800, -200},   {7, 4000, -1999}, {8, 1300, -200},  {9, 1390, 0},
        {10, 2315, 0},    {11, 8500, -1999}, {12, 5000, -1999}, {13, 850, -200}, {14, 500, -200},
        {15, 2500, -320}, {16, 9320, -1999}, {17, 1800, -320}, {18, 3200, 0},    {19, 3200, 0},
        {20, 3300, 0},    {21, 1500, -320}, {22, 7500, -1999}, {23, 2300, -320}, {24, 2500, 0},
        {25, 4200, 0},    {26, 9999, -1999}, {27, 9000, -1999}, {28, 1500, -300}, {29, 900, -300},
    };
    for (const auto& row : rows) {
        QVX720_INC s;
        apply(s, {row.t, {{29, 123}, {30, -45}}});
        EXPECT_EQ(Range_Sensor(s, kCh, 10), (Limits{static_cast<qint16>(row.high), static_cast<qint16>(row.low)}))
            << "type " << row.t;
        const SettingRange hi = open(s, 29);
        EXPECT_EQ(hi.Set_Max, row.high) << "type " << row.t;
        EXPECT_EQ(hi.Set_Min, -45) << "type " << row.t;
        const SettingRange lo = open(s, 30);
        EXPECT_EQ(lo.Set_Max, 123) << "type " << row.t;
        EXPECT_EQ(lo.Set_Min, row.low) << "type " << row.t;
    }
}

TEST(SettingLimits, RangeSensorBeyondTheSensorTable) {
    const struct { int t; int k; int max; int min; } cases[] = {
        {32, 29, 9999, -1999}, {32, 30, 9999, -1999}, {32, 10, 500, -100},
        {40, 29, 9999, -1999}, {40, 19, 500, -100},  {-1, 30, 9999, -1999}, {-1, 10, 500, -100},
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        apply(s, {c.t, {{29, 500}, {30, -100}}});
        EXPECT_EQ(Range_Sensor(s, kCh, c.k), (Limits{static_cast<qint16>(c.max), static_cast<qint16>(c.min)}))
            << "type " << c.t << " item " << c.k;
    }
}

TEST(SettingLimits, ItemsByInputTypeClass) {
    const LimitCase cases[] = {
        // SV
        {"SV linear d=2", {32, {{29, 5000}, {30, -1000}, {66, 2}}}, 10, 5000, -1000, true, "-10.00 to 50.00"},
        {"SV linear d=0", {30, {{29, 5000}, {30, -1000}, {66, 0}}}, 10, 5000, -1000, true, "-1000 to 5000"},
        {"SV linear d=1", {35, {{29, -1999}, {30, -1999}, {66, 1}}}, 10, -1999, -1999, true, "-199.9 to -199.9"},
        {"SV linear d=3", {31, {{29, 12}, {30, -5}, {66, 3}}}, 10, 12, -5, true, "-0.005 to 0.012"},
        {"SV type 36 uses the decimal point, not tenths", {36, {{29, 900}, {30, 5}, {66, 1}}}, 10, 900, 5, false,
         "0.5 to 90.0"},
        {"SV one-decimal", {1, {{29, 5000}, {30, -1999}}}, 10, 5000, -1999, true, "-199.9 to 500.0"},
        {"SV whole", {0, {{29, 1370}, {30, -200}}}, 10, 1370, -200, false, "-200 to  1370"},
        {"SV whole zero", {13, {{29, 0}, {30, 0}}}, 10, 0, 0, false, " 0 to  0"},
        // proportional bands, times and cycles
        {"P band linear", {33}, 12, 1000, 0, true, "0.0 to 100.0"},
        {"P band one-decimal", {26}, 12, 9999, 0, true, "0.0 to 999.9"},
        {"P band F", {15}, 12, 2000, 0, false, " 0 to  2000"},
        {"P band C", {14}, 12, 1000, 0, false, " 0 to  1000"},
        {"P band type 36", {36}, 12, 2000, 0, false, " 0 to  2000"},
        {"P band negative type", {-3}, 12, 1000, 0, false, " 0 to  1000"},
        {"cooling P band", {0}, 13, 100, 0, true, "0.0 to 10.0"},
        {"integral", {1}, 14, 1000, 0, false, " 0 to  1000"},
        {"derivative", {0}, 15, 300, 0, false, " 0 to  300"},
        {"main cycle", {0}, 16, 120, 1, false, " 1 to  120"},
        {"cooling cycle", {32}, 17, 120, 1, false, " 1 to  120"},
        // heater burnout alarms by option bit &H80
        {"heater 1 small", {0, {}, 0x80}, 23, 200, 0, true, "0.0 to 20.0"},
        {"heater 1", {0, {}, 0x7F}, 23, 1000, 0, true, "0.0 to 100.0"},
        {"heater 2 small", {0, {}, 0xFF80}, 62, 200, 0, true, "0.0 to 20.0"},
        {"heater 2", {0}, 62, 1000, 0, true, "0.0 to 100.0"},
        // loop break
        {"LBA time", {1}, 24, 200, 0, false, " 0 to  200"},
        {"LBA span whole", {0}, 25, 150, 0, false, " 0 to  150"},
        {"LBA span one-decimal", {7}, 25, 1500, 0, true, "0.0 to 150.0"},
        {"LBA span linear d=2", {34, {{66, 2}}}, 25, 1500, 0, true, "0.00 to 15.00"},
        {"LBA span type 36", {36, {{66, 0}}}, 25, 150, 0, false, "0 to 150"},
        // correction and dead band
        {"correction whole", {0}, 27, 1000, -1000, true, "-100.0 to 100.0"},
        {"dead band linear d=3", {30, {{66, 3}}}, 28, 1000, -1000, true, "-1.000 to 1.000"},
        // scaling items
        {"scaling high linear", {32, {{30, -300}, {66, 0}}}, 29, 9999, -300, true, "-300 to 9999"},
        {"scaling high type 0", {0, {{30, -100}}}, 29, 1370, -100, false, "-100 to  1370"},
        {"scaling low one-decimal", {11, {{29, 3000}}}, 30, 3000, -1999, true, "-199.9 to 300.0"},
        // output limits by type bit &H10
        {"PV filter", {0}, 31, 100, 0, true, "0.0 to 10.0"},
        {"output high", {0, {{33, 3}}}, 32, 100, 3, false, " 3 to  100"},
        {"output high wide", {0, {{33, -5}}, 0, 0x10}, 32, 105, -5, false, "-5 to  105"},
        {"output high bit 8 only", {0, {{33, 0}}, 0, 0x08}, 32, 100, 0, false, " 0 to  100"},
        {"output low", {0, {{32, 90}}}, 33, 90, 0, false, " 0 to  90"},
        {"output low wide", {0, {{32, 105}}, 0, 0x18}, 33, 105, -5, false, "-5 to  105"},
        {"cooling high", {0, {{37, 10}}}, 36, 100, 10, false, " 10 to  100"},
        {"cooling low", {0, {{36, 80}}}, 37, 80, 0, false, " 0 to  80"},
        // hysteresis, timers
        {"hysteresis main", {32, {{66, 7}}}, 34, 1000, 1, true, "0.1 to 100.0"},
        {"hysteresis cooling", {0}, 38, 1000, 1, true, "0.1 to 100.0"},
        {"hysteresis alarm 1", {0}, 41, 1000, 1, true, "0.1 to 100.0"},
        {"hysteresis alarm 4", {0}, 44, 1000, 1, true, "0.1 to 100.0"},
        {"delay timer 1", {0}, 45, 9999, 0, false, " 0 to  9999"},
        {"delay timer 4", {0}, 48, 9999, 0, false, " 0 to  9999"},
        // AT bias
        {"AT bias C", {14}, 56, 50, 0, false, " 0 to  50"},
        {"AT bias C one-decimal", {1}, 56, 500, 0, true, "0.0 to 50.0"},
        {"AT bias F", {29}, 56, 100, 0, false, " 0 to  100"},
        {"AT bias F one-decimal", {16}, 56, 1000, 0, true, "0.0 to 100.0"},
        {"AT bias linear", {32, {{66, 2}}}, 56, 0, 0, false, " 0 to  0"},
        {"anti-reset windup", {0}, 57, 100, 0, false, " 0 to  100"},
    };
    for (const auto& c : cases) expectCase(c);
}

TEST(SettingLimits, AlarmLimitsByActionType) {
    // Scaling 5000 / -1999 on a one-decimal type: span 6999.
    const struct { int k; int typeItem; int a; int max; int min; const char* text; } cases[] = {
        {19, 39, 1, 6999, -1999, "-199.9 to 699.9"},  // high limit: +-span, clamped
        {19, 39, 2, 6999, -1999, "-199.9 to 699.9"},
        {20, 40, 7, 6999, -1999, "-199.9 to 699.9"},
        {21, 58, 8, 6999, -1999, "-199.9 to 699.9"},
        {22, 59, 3, 6999, 0, "0.0 to 699.9"},          // limits alarms: 0..span
        {19, 39, 4, 6999, 0, "0.0 to 699.9"},
        {20, 40, 9, 6999, 0, "0.0 to 699.9"},
        {19, 39, 0, 5000, -1999, "-199.9 to 500.0"},   // otherwise the scaling limits
        {21, 58, 5, 5000, -1999, "-199.9 to 500.0"},
        {22, 59, 6, 5000, -1999, "-199.9 to 500.0"},
        {19, 39, 10, 5000, -1999, "-199.9 to 500.0"},
        {20, 40, -1, 5000, -1999, "-199.9 to 500.0"},
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        apply(s, {1, {{29, 5000}, {30, -1999}, {c.typeItem, c.a}}});
        const SettingRange r = open(s, c.k);
        EXPECT_EQ(r.Set_Max, c.max) << c.k << " a=" << c.a;
        EXPECT_EQ(r.Set_Min, c.min) << c.k << " a=" << c.a;
        EXPECT_TRUE(r.Set_Dec1);
        EXPECT_EQ(r.Limit_data, QString::fromUtf8(c.text)) << c.k << " a=" << c.a;
    }
    // Only the alarm's own action item counts.
    QVX720_INC s;
    apply(s, {0, {{29, 400}, {30, 100}, {39, 1}, {40, 3}}});
    EXPECT_EQ(open(s, 19).Set_Min, -300);
    EXPECT_EQ(open(s, 20).Set_Min, 0);
    EXPECT_EQ(open(s, 21).Set_Min, 100);
    EXPECT_EQ(open(s, 19).Limit_data, QStringLiteral("-300 to  300"));
}

// Scaling values beyond their own limits must neither wrap the span round
// nor leave the previous item's limits in force.
TEST(SettingLimits, AlarmLimitsOfOutOfRangeScalingSaturate) {
    const struct { int high; int low; int a; int max; int min; } cases[] = {
        {30000, -30000, 1, 9999, -1999},     // span 60000
        {30000, -30000, 3, 9999, 0},
        {32767, -32768, 2, 9999, -1999},     // span 65535
        {-30000, 30000, 1, -32768, 32767},   // span -60000: nothing can be set
        {-30000, 30000, 4, -32768, 0},
        {-32768, -32768, 0, -32768, -1999},
        {0, -32768, 8, 9999, -1999},         // span 32768
        {-1, 32767, 7, -32768, 32767},       // span -32768
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        apply(s, {0, {{29, c.high}, {30, c.low}, {39, c.a}}});
        s.Edit_Context.Set_Max = 111;  // an earlier item's limits
        s.Edit_Context.Set_Min = 11;
        const SettingRange r = open(s, 19);
        EXPECT_EQ(r.Set_Max, c.max) << c.high << "/" << c.low << " a=" << c.a;
        EXPECT_EQ(r.Set_Min, c.min) << c.high << "/" << c.low << " a=" << c.a;
        EXPECT_EQ(s.Edit_Context.Set_Max, c.max);
        EXPECT_EQ(s.Edit_Context.Set_Min, c.min);
    }
}

TEST(SettingLimits, ManualResetWidth) {
    const struct { const char* name; int t; int high; int low; int pb; int max; int min; const char* text; } cases[] = {
        {"example", 0, 1370, 0, 30, 411, -411, "-41.1 to 41.1"},
        {"tie to even, down", 0, 1370, 0, 5, 68, -68, "-6.8 to 6.8"},          // 68.5
        {"tie to even, up", 0, 1370, 0, 15, 206, -206, "-20.6 to 20.6"},       // 205.5
        {"tie 0.5 goes to 0", 0, 1, 0, 50, 0, 0, "0.0 to 0.0"},
        {"tie 1.5 goes to 2", 1, 5, 0, 300, 2, -2, "-0.2 to 0.2"},            // 0.5 x 300 / 100
        {"one-decimal divides by ten", 1, 5000, -1999, 10, 70, -70, "-7.0 to 7.0"},  // 699.9 x 0.1
        // single precision: the exact widths are ties 501.5 and 250.5, the float ones are not
        {"single below a tie", 1, 7, -1999, 250, 501, -501, "-50.1 to 50.1"},
        {"single above a tie", 1, 6, -1998, 125, 251, -251, "-25.1 to 25.1"},
        {"caps", 1, 5000, -1999, 9999, 9999, -1999, "-199.9 to 999.9"},
        {"just under the caps", 0, 9999, 0, 100, 9999, -1999, "-199.9 to 999.9"},
        {"linear input is not divided", 32, 1000, 0, 50, 500, -500, "-50.0 to 50.0"},
        {"no band", 0, 1370, -200, 0, 0, 0, "0.0 to 0.0"},
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        apply(s, {c.t, {{29, c.high}, {30, c.low}, {12, c.pb}, {66, 2}}});
        const SettingRange r = open(s, 18);
        EXPECT_EQ(r.Set_Max, c.max) << c.name;
        EXPECT_EQ(r.Set_Min, c.min) << c.name;
        EXPECT_TRUE(r.Set_Dec1) << c.name;
        EXPECT_EQ(r.Limit_data, QString::fromUtf8(c.text)) << c.name;
    }
}

// A reversed or huge span, or a negative band, gives negative widths that
// used to overflow the 16-bit conversion; they saturate instead.
TEST(SettingLimits, ManualResetOfOutOfRangeValuesSaturates) {
    const struct { int t; int high; int low; int pb; int max; int min; } cases[] = {
        {0, -32768, 32767, 9999, -32768, 32767},  // w about -6.55 million
        {0, 32767, -32768, -9999, -32768, 32767},
        {0, 1000, 0, -5000, -32768, 32767},         // w = -50000
        {0, 1000, 0, -3000, -30000, 30000},         // fits: no saturation
        {0, 0, 1000, 500, -5000, 5000},             // reversed scaling
        {0, 32767, -32768, 32767, 9999, -1999},     // caps still apply first
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        apply(s, {c.t, {{29, c.high}, {30, c.low}, {12, c.pb}}});
        s.Edit_Context.Set_Max = 111;
        s.Edit_Context.Set_Min = 11;
        const SettingRange r = open(s, 18);
        EXPECT_EQ(r.Set_Max, c.max) << c.high << "/" << c.low << " pb " << c.pb;
        EXPECT_EQ(r.Set_Min, c.min) << c.high << "/" << c.low << " pb " << c.pb;
        EXPECT_EQ(manualResetLimits(s, kCh), (Limits{r.Set_Max, r.Set_Min}));
    }
}

TEST(SettingLimits, ItemsWithoutRuleKeepTheLimits) {
    for (const int k : {11, 26, 35, 39, 40, 49, 50, 54, 55, 58, 61, 63, 64, 65, 66, 0, 9}) {
        QVX720_INC s;
        apply(s, {1, {{29, 5000}, {30, -1999}}});
        s.Edit_Context.Set_Max = 250;
        s.Edit_Context.Set_Min = -30;
        s.Edit_Context.Set_Dec1 = true;
        const SettingRange r = open(s, k);
        EXPECT_EQ(r.Set_Max, 250) << k;
        EXPECT_EQ(r.Set_Min, -30) << k;
        EXPECT_FALSE(r.Set_Dec1) << k;
        EXPECT_FALSE(s.Edit_Context.Set_Dec1) << k;
        EXPECT_EQ(r.Limit_data, QStringLiteral("-30 to  250")) << k;
    }
}

TEST(SettingLimits, CurrentValueTextIsHandedThrough) {
    QVX720_INC s;
    apply(s, {0, {{29, 1370}}});
    for (const QString& now : {QString(), QStringLiteral(" 1234"), QStringLiteral("-0.5 %")}) {
        EXPECT_EQ(open(s, 10, now).Now_data, now);
    }
}

// A linear input whose decimal point lies outside 0..3 shows no range rather
// than the range of the item opened before it; the limits are still set.
TEST(SettingLimits, DecimalPointOutsideRangeGivesEmptyText) {
    for (const int d : {-1, 4, 5, 32767, -32768}) {
        for (const int k : {10, 19, 25, 27, 29, 30}) {
            QVX720_INC s;
            apply(s, {32, {{29, 800}, {30, -100}, {66, 0}}});
            ASSERT_FALSE(open(s, 16).Limit_data.isEmpty());  // an earlier item's range
            s.ParaData(kCh, Item::DecimalPoint) = static_cast<qint16>(d);
            const SettingRange r = open(s, k);
            EXPECT_TRUE(r.Limit_data.isEmpty()) << "d=" << d << " k=" << k;
            EXPECT_NE(r.Set_Max, 120) << "d=" << d << " k=" << k;  // not the cycle's limits
        }
    }
    // Items that do not follow the decimal point keep their own text.
    QVX720_INC s;
    apply(s, {32, {{66, 9}}});
    EXPECT_EQ(open(s, 31).Limit_data, QStringLiteral("0.0 to 10.0"));
    EXPECT_EQ(open(s, 14).Limit_data, QStringLiteral(" 0 to  1000"));
}

TEST(SettingLimits, RangeTextPatterns) {
    QVX720_INC s;
    apply(s, {32});
    const struct { int d; int low; int high; const char* text; } cases[] = {
        {0, -32768, 32767, "-32768 to 32767"},
        {1, -1999, 5, "-199.9 to 0.5"},
        {1, -5, 0, "-0.5 to 0.0"},
        {2, -1, 100, "-0.01 to 1.00"},
        {3, 12, -32768, "0.012 to -32.768"},
        {3, 0, 1000, "0.000 to 1.000"},
    };
    for (const auto& c : cases) {
        s.ParaData(kCh, Item::DecimalPoint) = static_cast<qint16>(c.d);
        EXPECT_EQ(rangeText(s, 10, kCh, static_cast<qint16>(c.low), static_cast<qint16>(c.high), false),
                  QString::fromUtf8(c.text));
    }
    apply(s, {0});
    EXPECT_EQ(rangeText(s, 10, kCh, -32768, 32767, true), QStringLiteral("-3276.8 to 3276.7"));
    EXPECT_EQ(rangeText(s, 10, kCh, -1, 0, false), QStringLiteral("-1 to  0"));
}

TEST(SetdataWrite, UnitAndDecimalPointGoToTheStore) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("store.ini"));
    const struct { int k; int ch; const char* key; const char* value; } cases[] = {
        {65, 0, "UNIT001", "deg.C"},
        {65, 94, "UNIT095", "deg.C"},
        {66, 94, "Decimalpoint095", "3"},
        {66, 9, "Decimalpoint010", "3"},
    };
    for (const auto& c : cases) {
        QVX720_INC s;
        fillParaAddr(s);
        s.UnitText(c.ch) = QStringLiteral("deg.C");
        s.DecimalData(c.ch) = 3;
        s.Write_Request.Com_State = Com_Monitor;
        s.Write_Request.Com_Ch = 5;
        s.Write_Request.Com_Item = 12;
        s.Write_Request.Com_Code = QStringLiteral("0004");
        s.Edit_Context.Set_Item = static_cast<qint16>(c.k);
        s.Edit_Context.Set_Ch = static_cast<qint16>(c.ch);
        {
            SettingsStore store(path);
            Setdata_Write(s, store);
        }
        SettingsStore reread(path);
        EXPECT_EQ(reread.read(QString::fromUtf8(c.key), QStringLiteral("none")), QString::fromUtf8(c.value)) << c.key;
        EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor) << c.key;
        EXPECT_EQ(s.Write_Request.Com_Ch, 5) << c.key;
        EXPECT_EQ(s.Write_Request.Com_Item, 12) << c.key;
        EXPECT_EQ(s.Write_Request.Com_Code, QStringLiteral("0004")) << c.key;
    }
}

TEST(SetdataWrite, OtherItemsFillTheRequest) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("store.ini"));
    const struct { int k; int ch; } cases[] = {{10, 0}, {18, 94}, {29, 3}, {54, 40}, {64, 12}, {63, 1}};
    for (const auto& c : cases) {
        QVX720_INC s;
        fillParaAddr(s);
        s.ParaData(c.ch, c.k) = 321;
        queueReRead(s, 7);  // a re-read not yet taken: the write waits behind it
        s.Edit_Context.Set_Item = static_cast<qint16>(c.k);
        s.Edit_Context.Set_Ch = static_cast<qint16>(c.ch);
        SettingsStore store(path);
        Setdata_Write(s, store);
        EXPECT_EQ(s.Write_Request.Com_State, Com_ReRead) << c.k;
        ASSERT_EQ(s.Write_Request.Line_Queue.size(), 2u) << c.k;
        const LineRequest& w = s.Write_Request.Line_Queue.requests().back();
        EXPECT_EQ(w.state, Com_WriteOne) << c.k;
        EXPECT_EQ(w.ch, c.ch) << c.k;
        EXPECT_EQ(w.item, c.k) << c.k;
        EXPECT_EQ(w.code, itemCode(c.k)) << c.k;
        EXPECT_EQ(w.value, 321) << c.k;
        EXPECT_EQ(s.ParaData(c.ch, c.k), 321) << c.k;  // the value stays until the read-back
        EXPECT_FALSE(QFile::exists(path)) << c.k;  // nothing saved
    }
}

TEST(SetdataWrite, BadChannelLeavesTheRequestAlone) {
    QVX720_INC s;
    fillParaAddr(s);
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("store.ini")));
    for (const int ch : {-1, 95}) {
        s.Edit_Context.Set_Item = 10;
        s.Edit_Context.Set_Ch = static_cast<qint16>(ch);
        EXPECT_THROW(Setdata_Write(s, store), std::out_of_range) << ch;
        EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor) << ch;
        EXPECT_TRUE(s.Write_Request.Line_Queue.empty()) << ch;
    }
}

TEST(SettingLimits, ZeroUnder) {
    const struct { int in; int out; } cases[] = {{-1, 0}, {-32768, 0}, {0, 0}, {5, 5}, {32767, 32767}};
    for (const auto& c : cases) {
        qint16 v = static_cast<qint16>(c.in);
        EXPECT_EQ(Zero_Under(v), c.out) << c.in;
        EXPECT_EQ(v, c.out) << c.in;
    }
}
