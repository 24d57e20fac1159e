// The value formatter: number patterns, input-type classes, the display rule
// of every item, the all-channels page texts, alarm names, the file-size test
// and the input-range text.
#include "value_format.h"

#include "qvx720_inc.h"
#include "string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qvx {
namespace {

using Lang = StringTable::Language;

std::string s(const QString& text) { return text.toUtf8().toStdString(); }

// A table whose text of every id is "<id>", so that a test sees exactly which
// string a rule fetched.
const StringTable& idTable()
{
    static const StringTable table = [] {
        QString content;
        for (int id = 1; id < 1000; ++id)
            content += QStringLiteral("%1\t<%1>\n").arg(id);
        return StringTable::parse(content, Lang::English);
    }();
    return table;
}

const StringTable& english()
{
    static const StringTable table = StringTable::builtIn(Lang::English);
    return table;
}

// Stores raw value v where item k of channel ch is kept.
void setRaw(QVX720_INC& st, int k, int ch, qint16 v)
{
    MonitorData& m = st.Monitor_Data;
    switch (k) {
    case 0: m.PvData(ch) = v; break;
    case 1: m.MvData(ch) = v; break;
    case 2: m.CoolMvData(ch) = v; break;
    case 3: m.StatusData(ch) = v; break;
    case 4: m.Ct1Data(ch) = v; break;
    case 5: m.Ct2Data(ch) = v; break;
    case 7: m.OptionData(ch) = v; break;
    case 8: m.TypeData(ch) = v; break;
    default: st.ParaData(ch, k) = v; break;
    }
}

// ---------------------------------------------------------------------------
// Number patterns

struct PatternCase {
    qint32 v;
    int places;
    const char* expected;
};

void PrintTo(const PatternCase& c, std::ostream* os)
{
    *os << c.v << " with " << c.places << " places";
}

class Decimals : public ::testing::TestWithParam<PatternCase> {};

TEST_P(Decimals, Text)
{
    const PatternCase& c = GetParam();
    EXPECT_EQ(s(fmt::decimals(c.v, c.places)), c.expected) << c.v << " places " << c.places;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decimals,
    ::testing::Values(
        PatternCase{0, 0, "0"}, PatternCase{0, 1, "0.0"}, PatternCase{0, 2, "0.00"},
        PatternCase{0, 3, "0.000"},
        PatternCase{1234, 0, "1234"}, PatternCase{1234, 1, "123.4"},
        PatternCase{1234, 2, "12.34"}, PatternCase{1234, 3, "1.234"},
        PatternCase{-5, 1, "-0.5"}, PatternCase{5, 1, "0.5"},
        PatternCase{-5, 2, "-0.05"}, PatternCase{12, 3, "0.012"}, PatternCase{-12, 3, "-0.012"},
        PatternCase{1000, 1, "100.0"}, PatternCase{1000, 3, "1.000"},
        PatternCase{-1999, 1, "-199.9"}, PatternCase{-1000, 2, "-10.00"},
        PatternCase{-10, 1, "-1.0"}, PatternCase{-100, 2, "-1.00"},
        PatternCase{32767, 0, "32767"}, PatternCase{32767, 1, "3276.7"},
        PatternCase{32767, 2, "327.67"}, PatternCase{32767, 3, "32.767"},
        PatternCase{-32768, 0, "-32768"}, PatternCase{-32768, 1, "-3276.8"},
        PatternCase{-32768, 2, "-327.68"}, PatternCase{-32768, 3, "-32.768"},
        PatternCase{INT_MIN, 3, "-2147483.648"}, PatternCase{INT_MAX, 1, "214748364.7"},
        PatternCase{1234, 4, ""}, PatternCase{1234, -1, ""}, PatternCase{0, 5, ""},
        PatternCase{-1, 32767, ""}));

TEST(PlainText, SignPosition)
{
    struct Case {
        qint32 v;
        const char* plain;
        const char* signedText;
    };
    const Case cases[] = {
        {0, "0", " 0"},
        {1370, "1370", " 1370"},
        {-200, "-200", "-200"},
        {-1, "-1", "-1"},
        {32767, "32767", " 32767"},
        {-32768, "-32768", "-32768"},
        {INT_MIN, "-2147483648", "-2147483648"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s(fmt::plain(c.v)), c.plain) << c.v;
        EXPECT_EQ(s(fmt::plainSigned(c.v)), c.signedText) << c.v;
    }
}

TEST(InputClass, EveryCode)
{
    const std::vector<int> oneDecimal{1, 7, 11, 12, 16, 22, 26, 27};
    for (int t = -2; t <= 40; ++t) {
        fmt::InputClass expected = fmt::InputClass::Whole;
        if (std::find(oneDecimal.begin(), oneDecimal.end(), t) != oneDecimal.end())
            expected = fmt::InputClass::OneDecimal;
        else if (t >= 30 && t <= 35)
            expected = fmt::InputClass::Linear;
        EXPECT_EQ(fmt::inputClass(t), expected) << "t " << t;
    }
    EXPECT_EQ(fmt::inputClass(-32768), fmt::InputClass::Whole);
    EXPECT_EQ(fmt::inputClass(32767), fmt::InputClass::Whole);
}

TEST(SensorUnit, ByCode)
{
    for (int t = -1; t <= 36; ++t) {
        const char* expected = t < 0 || t > 29 ? "" : t <= 14 ? "<215>" : "<216>";
        EXPECT_EQ(s(fmt::sensorUnit(idTable(), t)), expected) << "t " << t;
    }
}

// ---------------------------------------------------------------------------
// Disp_Data: the numeric rules of every item

enum class Rule { ByInputType, Tenths, Plain, LinearOrTenths };

struct ItemRule {
    int k;
    Rule rule;
};

// The display rule of every numeric item.
const std::vector<ItemRule>& numericItems()
{
    static const std::vector<ItemRule> items = [] {
        std::vector<ItemRule> v;
        for (int k : {0, 3, 6, 7, 8, 9, 10, 19, 20, 21, 22, 25, 29, 30, 49, 56, 64})
            v.push_back({k, Rule::ByInputType});
        for (int k : {1, 2, 4, 5, 12, 13, 18, 23, 31, 62})
            v.push_back({k, Rule::Tenths});
        for (int k : {11, 14, 15, 16, 17, 24, 32, 33, 36, 37, 45, 46, 47, 48, 57})
            v.push_back({k, Rule::Plain});
        for (int k : {27, 28, 34, 38, 41, 42, 43, 44})
            v.push_back({k, Rule::LinearOrTenths});
        return v;
    }();
    return items;
}

struct TypeSetup {
    const char* name;
    int t;  // input type
    int d;  // decimal point
    // Expected text of -1234 and of -32768 under each rule, in the order
    // ByInputType, Tenths, Plain, LinearOrTenths.
    const char* small[4];
    const char* extreme[4];
};

const TypeSetup kSetups[] = {
    {"whole sensor", 0, 2, {"-1234", "-123.4", "-1234", "-123.4"},
     {"-32768", "-3276.8", "-32768", "-3276.8"}},
    {"Fahrenheit sensor", 29, 3, {"-1234", "-123.4", "-1234", "-123.4"},
     {"-32768", "-3276.8", "-32768", "-3276.8"}},
    {"one-decimal sensor", 27, 3, {"-123.4", "-123.4", "-1234", "-123.4"},
     {"-3276.8", "-3276.8", "-32768", "-3276.8"}},
    {"linear d0", 30, 0, {"-1234", "-123.4", "-1234", "-1234"},
     {"-32768", "-3276.8", "-32768", "-32768"}},
    {"linear d1", 31, 1, {"-123.4", "-123.4", "-1234", "-123.4"},
     {"-3276.8", "-3276.8", "-32768", "-3276.8"}},
    {"linear d2", 32, 2, {"-12.34", "-123.4", "-1234", "-12.34"},
     {"-327.68", "-3276.8", "-32768", "-327.68"}},
    {"linear d3", 35, 3, {"-1.234", "-123.4", "-1234", "-1.234"},
     {"-32.768", "-3276.8", "-32768", "-32.768"}},
    {"linear d4", 33, 4, {"", "-123.4", "-1234", ""}, {"", "-3276.8", "-32768", ""}},
    {"linear d-1", 34, -1, {"", "-123.4", "-1234", ""}, {"", "-3276.8", "-32768", ""}},
    {"code 36", 36, 1, {"-1234", "-123.4", "-1234", "-123.4"},
     {"-32768", "-3276.8", "-32768", "-3276.8"}},
    {"negative code", -1, 1, {"-1234", "-123.4", "-1234", "-123.4"},
     {"-32768", "-3276.8", "-32768", "-3276.8"}},
};

TEST(DispData, NumericRuleOfEveryItem)
{
    const int ch = 37;
    for (const TypeSetup& setup : kSetups) {
        for (const ItemRule& item : numericItems()) {
            for (auto [value, table] : {std::pair{qint16(-1234), setup.small},
                                        std::pair{qint16(-32768), setup.extreme}}) {
                QVX720_INC st;
                st.ParaData(ch, Item::InputType) = qint16(setup.t);
                st.ParaData(ch, Item::DecimalPoint) = qint16(setup.d);
                setRaw(st, item.k, ch, value);
                EXPECT_EQ(s(Disp_Data(st, idTable(), item.k, ch)),
                          table[static_cast<int>(item.rule)])
                    << setup.name << ", k " << item.k << ", v " << value;
            }
        }
    }
}

TEST(DispData, MaximumValueOnEveryClass)
{
    struct Case {
        int t, d, k;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 0, "32767"},    {1, 0, 0, "3276.7"},  {30, 0, 0, "32767"},
        {30, 1, 0, "3276.7"},  {30, 2, 0, "327.67"}, {30, 3, 0, "32.767"},
        {13, 0, 1, "3276.7"},  {13, 0, 14, "32767"}, {30, 3, 27, "32.767"},
        {13, 3, 27, "3276.7"},
    };
    for (const Case& c : cases) {
        QVX720_INC st;
        st.ParaData(5, Item::InputType) = qint16(c.t);
        st.ParaData(5, Item::DecimalPoint) = qint16(c.d);
        setRaw(st, c.k, 5, 32767);
        EXPECT_EQ(s(Disp_Data(st, idTable(), c.k, 5)), c.expected)
            << "t " << c.t << " d " << c.d << " k " << c.k;
    }
}

// The monitored items come from their own tables, the rest from ParaData.
TEST(DispData, ValueSourceOfEachMonitorItem)
{
    QVX720_INC st;
    const int ch = 94;
    for (int k = 0; k < kItems; ++k)
        st.ParaData(ch, k) = 999;
    st.ParaData(ch, Item::InputType) = 0;
    st.ParaData(ch, Item::DecimalPoint) = 0;
    MonitorData& m = st.Monitor_Data;
    m.PvData(ch) = 11;
    m.MvData(ch) = 22;
    m.CoolMvData(ch) = 33;
    m.StatusData(ch) = 44;
    m.Ct1Data(ch) = 55;
    m.Ct2Data(ch) = 66;
    m.OptionData(ch) = 77;
    m.TypeData(ch) = 88;
    const char* expected[10] = {"11", "2.2", "3.3", "44", "5.5", "6.6", "999", "77", "88", "999"};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(s(Disp_Data(st, idTable(), k, ch)), expected[k]) << "k " << k;
    // Another channel's values are not taken.
    EXPECT_EQ(s(Disp_Data(st, idTable(), 0, 93)), "0");
}

struct ExampleCase {
    const char* name;
    int k, t, d;
    qint16 v;
    const char* expected;
};

void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.name; }

class DispDataExamples : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(DispDataExamples, Text)
{
    const ExampleCase& c = GetParam();
    QVX720_INC st;
    st.ParaData(3, Item::InputType) = qint16(c.t);
    st.ParaData(3, Item::DecimalPoint) = qint16(c.d);
    setRaw(st, c.k, 3, c.v);
    EXPECT_EQ(s(Disp_Data(st, english(), c.k, 3)), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DispDataExamples,
    ::testing::Values(
        ExampleCase{"PV on type 0", 0, 0, 0, 1234, "1234"},
        ExampleCase{"PV on type 1", 0, 1, 0, 1234, "123.4"},
        ExampleCase{"PV linear d3", 0, 30, 3, 1234, "1.234"},
        ExampleCase{"PV linear d5", 0, 30, 5, 1234, ""},
        ExampleCase{"PV -5 type 11", 0, 11, 0, -5, "-0.5"},
        ExampleCase{"PV -5 type 13", 0, 13, 0, -5, "-5"},
        ExampleCase{"PV 0 type 11", 0, 11, 0, 0, "0.0"},
        ExampleCase{"SV linear d2", 10, 32, 2, 5, "0.05"},
        ExampleCase{"correction -15 type 0", 27, 0, 0, -15, "-1.5"},
        ExampleCase{"correction -15 linear d0", 27, 30, 0, -15, "-15"},
        ExampleCase{"memory save 1", 26, 0, 0, 1, "Save"},
        ExampleCase{"memory save 4", 26, 0, 0, 4, ""},
        ExampleCase{"alarm 3 action 7", 58, 0, 0, 7, "High limit alarm with standby"},
        ExampleCase{"alarm 3 action 12", 58, 0, 0, 12, ""},
        ExampleCase{"power-on status 2", 50, 0, 0, 2, "Control allowed"},
        ExampleCase{"hold used", 60, 0, 0, 1, "Alarm HOLD [Used]"},
        ExampleCase{"decimal point 2", 66, 0, 0, 2, "XX. XX"},
        ExampleCase{"input type 0", 54, 0, 0, 0, "-200 to 1370 deg.C K"}));

TEST(DispData, MvAndIntegralTimeOnEveryInputType)
{
    for (int t = 0; t < fmt::kInputTypes; ++t) {
        for (int d = 0; d <= 3; ++d) {
            QVX720_INC st;
            st.ParaData(0, Item::InputType) = qint16(t);
            st.ParaData(0, Item::DecimalPoint) = qint16(d);
            st.Monitor_Data.MvData(0) = 1000;
            st.ParaData(0, 14) = 240;
            EXPECT_EQ(s(Disp_Data(st, idTable(), 1, 0)), "100.0") << "t " << t << " d " << d;
            EXPECT_EQ(s(Disp_Data(st, idTable(), 14, 0)), "240") << "t " << t << " d " << d;
        }
    }
}

// ---------------------------------------------------------------------------
// Choice texts

struct ChoiceCase {
    int k;
    qint16 v;
    const char* expected;
};

std::vector<ChoiceCase> alarmNameCases(int k)
{
    const char* names[] = {"<200>", "<201>", "<203>", "<205>", "<207>",
                           "<209>", "<211>", "<202>", "<204>", "<206>"};
    std::vector<ChoiceCase> v;
    for (int a = 0; a <= 9; ++a)
        v.push_back({k, qint16(a), names[a]});
    for (qint16 a : {qint16(-1), qint16(10), qint16(11), qint16(12), qint16(-32768), qint16(32767)})
        v.push_back({k, a, ""});
    return v;
}

// Choices that both functions show alike.
std::vector<ChoiceCase> commonChoices()
{
    std::vector<ChoiceCase> v = {
        {26, 0, "<244>"}, {26, 1, "<244>"}, {26, 2, "<244>"}, {26, 3, "<245>"},
        {26, 4, ""}, {26, -1, ""}, {26, -32768, ""},
        {35, 0, "<217>"}, {35, 1, "<218>"}, {35, 2, "<219>"}, {35, 3, ""}, {35, -1, ""},
        {51, 0, "<242>"}, {51, 1, "<243>"}, {51, -1, "<243>"}, {51, -32768, "<243>"},
        {55, 0, "<213>"}, {55, 1, "<214>"}, {55, 2, "<214>"}, {55, -1, "<214>"},
        {66, 0, "XXXX"}, {66, 1, "XXX. X"}, {66, 2, "XX. XX"}, {66, 3, "X. XXX"},
        {66, 4, ""}, {66, -1, ""}, {66, 32767, ""},
    };
    for (int k : {52, 53, 60, 61}) {
        v.push_back({k, 0, "<268>"});
        v.push_back({k, 1, "<269>"});
        v.push_back({k, -32768, "<269>"});
    }
    for (int k : {39, 40, 58, 59}) {
        const auto names = alarmNameCases(k);
        v.insert(v.end(), names.begin(), names.end());
    }
    return v;
}

TEST(DispData, ChoiceTexts)
{
    std::vector<ChoiceCase> cases = commonChoices();
    const std::vector<ChoiceCase> own = {
        {50, 0, "<160>"}, {50, 1, "<161>"}, {50, 2, "<161>"}, {50, -1, "<161>"},
        {63, 0, "<164>"}, {63, 1, "<165>"}, {63, 2, "<165>"}, {63, -32768, "<165>"},
    };
    cases.insert(cases.end(), own.begin(), own.end());
    for (const ChoiceCase& c : cases) {
        QVX720_INC st;
        st.ParaData(12, Item::InputType) = 1;  // a one-decimal type changes none of them
        st.ParaData(12, Item::DecimalPoint) = 2;
        st.ParaData(12, c.k) = c.v;  // for k = 66 this is the decimal point itself
        EXPECT_EQ(s(Disp_Data(st, idTable(), c.k, 12)), c.expected) << "k " << c.k << " v " << c.v;
    }
}

TEST(DispData, UnitIsTheChannelsUnitText)
{
    QVX720_INC st;
    st.UnitText(8) = QStringLiteral("kPa");
    st.UnitText(9) = QString::fromUtf8("\xE2\x84\x83");
    EXPECT_EQ(s(Disp_Data(st, idTable(), 65, 8)), "kPa");
    EXPECT_EQ(s(Disp_Data(st, idTable(), 65, 9)), "\xE2\x84\x83");
    EXPECT_EQ(s(Disp_Data(st, idTable(), 65, 10)), "");
}

TEST(DispData, InputTypeItemIsTheRangeText)
{
    QVX720_INC st;
    for (int t : {0, 16, 24, 33, 40}) {
        st.ParaData(4, Item::InputType) = qint16(t);
        st.ParaData(4, Item::ScalingHigh) = 500;
        EXPECT_EQ(Disp_Data(st, english(), 54, 4), MakeRange(st, english(), 4)) << "t " << t;
    }
    st.ParaData(4, Item::InputType) = 16;
    EXPECT_EQ(s(Disp_Data(st, english(), 54, 4)), "-199.9 to 932.0 deg.F K");
}

TEST(DispData, IndexesOutsideTheTablesGiveEmptyText)
{
    QVX720_INC st;
    st.ParaData(0, 10) = 5;
    for (auto [k, ch] : {std::pair{-1, 0}, std::pair{67, 0}, std::pair{10, -1},
                         std::pair{10, 95}, std::pair{32767, 32767}}) {
        EXPECT_NO_THROW(EXPECT_EQ(s(Disp_Data(st, idTable(), k, ch)), "") << k << "," << ch);
    }
}

// ---------------------------------------------------------------------------
// Disp_SelData

TEST(DispSelData, NumbersArePlainWhateverTheInputType)
{
    QVX720_INC st;
    // Channel data must not influence the page.
    for (int ch = 0; ch < kChannels; ++ch) {
        st.ParaData(ch, Item::InputType) = 1;
        st.ParaData(ch, Item::DecimalPoint) = 3;
    }
    const std::vector<int> choices{26, 35, 39, 40, 49, 50, 51, 52, 53, 55,
                                   58, 59, 60, 61, 63, 65, 66};
    for (int k = 0; k < kItems; ++k) {
        if (std::find(choices.begin(), choices.end(), k) != choices.end())
            continue;
        for (qint16 v : {qint16(-1234), qint16(0), qint16(32767), qint16(-32768)}) {
            st.AllPage_Data.AllParaData(k) = v;
            EXPECT_EQ(Disp_SelData(st, idTable(), k), QString::number(v)) << "k " << k;
        }
    }
    // Item 54 on the page is its code, not a range text.
    st.AllPage_Data.AllParaData(54) = 5;
    EXPECT_EQ(s(Disp_SelData(st, idTable(), 54)), "5");
}

TEST(DispSelData, ChoiceTexts)
{
    std::vector<ChoiceCase> cases = commonChoices();
    const std::vector<ChoiceCase> own = {
        {49, 0, "<317>"}, {49, 1, "<318>"}, {49, 2, ""}, {49, -1, ""},
        {50, 0, "<160>"}, {50, 1, "<161>"}, {50, 2, ""}, {50, -1, ""},
        {63, 0, "<164>"}, {63, 1, "<165>"}, {63, 2, ""}, {63, -32768, ""},
    };
    cases.insert(cases.end(), own.begin(), own.end());
    for (const ChoiceCase& c : cases) {
        QVX720_INC st;
        st.AllPage_Data.AllParaData(c.k) = c.v;
        EXPECT_EQ(s(Disp_SelData(st, idTable(), c.k)), c.expected) << "k " << c.k << " v " << c.v;
    }
}

TEST(DispSelData, UnitAndOutOfRange)
{
    QVX720_INC st;
    st.AllPage_Data.AllUnitText = QStringLiteral("MPa");
    st.UnitText(0) = QStringLiteral("%");
    EXPECT_EQ(s(Disp_SelData(st, idTable(), 65)), "MPa");
    EXPECT_NO_THROW(EXPECT_EQ(s(Disp_SelData(st, idTable(), -1)), ""));
    EXPECT_NO_THROW(EXPECT_EQ(s(Disp_SelData(st, idTable(), 67)), ""));
}

TEST(DispSelData, PowerOnStatusTwoDiffersFromTheChannelText)
{
    QVX720_INC st;
    st.ParaData(0, 50) = 2;
    st.AllPage_Data.AllParaData(50) = 2;
    EXPECT_EQ(s(Disp_Data(st, english(), 50, 0)), "Control allowed");
    EXPECT_EQ(s(Disp_SelData(st, english(), 50)), "");
}

// ---------------------------------------------------------------------------
// Alarm names and the file-size test

TEST(AlarmName, EveryCode)
{
    for (const ChoiceCase& c : alarmNameCases(0))
        EXPECT_EQ(s(Alarm_Name(idTable(), c.v)), c.expected) << "code " << c.v;
    EXPECT_EQ(s(Alarm_Name(english(), 4)), "High/Low limit range alarm");
    EXPECT_EQ(s(Alarm_Name(english(), 9)), "High/Low limits alarm with standby");
}

TEST(FileSizeChk, Threshold)
{
    const std::pair<qint32, bool> cases[] = {
        {0, false}, {300, false}, {301, true}, {299, false}, {-1, false},
        {INT_MIN, false}, {INT_MAX, true},
    };
    for (auto [n, expected] : cases)
        EXPECT_EQ(FileSize_Chk(n), expected) << n;
}

// ---------------------------------------------------------------------------
// Input-range text

TEST(MakeRange, EverySensorCode)
{
    const char* expected[30] = {
        "-200 to 1370 deg.C K",
        "-199.9 to 500.0 deg.C K",
        "-200 to 1000 deg.C J",
        "0 to 1760 deg.C R",
        "0 to 1760 deg.C S",
        "0 to 1820 deg.C B",
        "-200 to 800 deg.C E",
        "-199.9 to 400.0 deg.C T",
        "-200 to 1300 deg.C N",
        "0 to 1390 deg.C PL-2",
        "0 to 2315 deg.C C(W/Re5-26)",
        "-199.9 to 850.0 deg.C Pt100",
        "-199.9 to 500.0 deg.C JPt100",
        "-200 to 850 deg.C Pt100",
        "-200 to 500 deg.C JPt100",
        "-320 to 2500 deg.F K",
        "-199.9 to 932.0 deg.F K",
        "-320 to 1800 deg.F J",
        "0 to 3200 deg.F R",
        "0 to 3200 deg.F S",
        "0 to 3300 deg.F B",
        "-320 to 1500 deg.F E",
        "-199.9 to 750.0 deg.F T",
        "-320 to 2300 deg.F N",
        "0 to 2500 deg.F PL-2",
        "0 to 4200 deg.F C(W/Re5-26)",
        "-199.9 to 999.9 deg.F Pt100",
        "-199.9 to 900.0 deg.F JPt100",
        "-300 to 1500 deg.F Pt100",
        "-300 to 900 deg.F JPt100",
    };
    for (int t = 0; t < 30; ++t) {
        QVX720_INC st;
        st.ParaData(20, Item::InputType) = qint16(t);
        // Scaling and decimal point play no part for a sensor.
        st.ParaData(20, Item::ScalingHigh) = 1234;
        st.ParaData(20, Item::DecimalPoint) = 2;
        EXPECT_EQ(s(MakeRange(st, english(), 20)), expected[t]) << "t " << t;
    }
}

TEST(MakeRange, UnitAndSensorNameComeFromTheTable)
{
    QVX720_INC st;
    const std::pair<int, const char*> cases[] = {
        {9, "0 to 1390 <215> <565>"}, {24, "0 to 2500 <216> <565>"},
        {14, "-200 to 500 <215> JPt100"}, {15, "-320 to 2500 <216> K"},
    };
    for (auto [t, expected] : cases) {
        st.ParaData(1, Item::InputType) = qint16(t);
        EXPECT_EQ(s(MakeRange(st, idTable(), 1)), expected) << "t " << t;
    }
}

TEST(MakeRange, DcInputs)
{
    struct Case {
        int t, d;
        qint16 low, high;
        const char* expected;
    };
    const Case cases[] = {
        {30, 1, 0, 1000, "0.0 to 100.0 DC 4 to 20mA"},
        {31, 0, -200, 1370, "-200 to 1370 DC 0 to 20mA"},
        {32, 2, -1000, 5000, "-10.00 to 50.00 DC 0 to 1V"},
        {33, 3, -5, 12, "-0.005 to 0.012 DC 0 to 5V"},
        {34, 1, -32768, 32767, "-3276.8 to 3276.7 DC 1 to 5V"},
        {35, 3, -32768, 32767, "-32.768 to 32.767 DC 0 to 10V"},
        {35, 0, 0, 0, "0 to 0 DC 0 to 10V"},
        // A decimal point outside 0..3 leaves both limits empty.
        {30, 4, 0, 1000, " to  DC 4 to 20mA"},
        {33, -1, 0, 1000, " to  DC 0 to 5V"},
    };
    for (const Case& c : cases) {
        QVX720_INC st;
        st.ParaData(50, Item::InputType) = qint16(c.t);
        st.ParaData(50, Item::DecimalPoint) = qint16(c.d);
        st.ParaData(50, Item::ScalingLow) = c.low;
        st.ParaData(50, Item::ScalingHigh) = c.high;
        EXPECT_EQ(s(MakeRange(st, english(), 50)), c.expected) << "t " << c.t << " d " << c.d;
    }
}

TEST(MakeRange, CodesOutsideTheTableAndBadChannels)
{
    QVX720_INC st;
    for (qint16 t : {qint16(-1), qint16(36), qint16(37), qint16(100), qint16(-32768), qint16(32767)}) {
        st.ParaData(2, Item::InputType) = t;
        EXPECT_EQ(s(MakeRange(st, english(), 2)), "") << "t " << t;
    }
    EXPECT_NO_THROW(EXPECT_EQ(s(MakeRange(st, english(), -1)), ""));
    EXPECT_NO_THROW(EXPECT_EQ(s(MakeRange(st, english(), 95)), ""));
}

TEST(MakeRange, JapaneseTableKeepsTheFixedParts)
{
    const StringTable ja = StringTable::builtIn(Lang::Japanese);
    QVX720_INC st;
    st.ParaData(0, Item::InputType) = 24;
    EXPECT_EQ(MakeRange(st, ja, 0),
              QStringLiteral("0 to 2500 ") + ja.text(216) + u' ' + ja.text(565));
}

}  // namespace
}  // namespace qvx
