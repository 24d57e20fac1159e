// What the tabs of the main window show: panels and bars of the main
// display, the one-channel view, the setting grid with its reasons, the
// all-channels page, the chart feed, and the change flags that let the
// widgets apply only differences.
#include "display_rules.h"

#include "preferences.h"
#include "qvx720_inc.h"
#include "string_table.h"
#include "value_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace qvx {
namespace {

std::string s(const QString& text) { return text.toUtf8().toStdString(); }

// A table whose text of every id is "<id>", so that a test sees exactly which
// string a rule fetched.
const StringTable& idTable()
{
    static const StringTable table = [] {
        QString content;
        for (int id = 1; id < 1000; ++id)
            content += QStringLiteral("%1\t<%1>\n").arg(id);
        return StringTable::parse(content, StringTable::Language::English);
    }();
    return table;
}

QString id(int n) { return QStringLiteral("<%1>").arg(n); }

constexpr qint32 kWhite = LampColor::White;
constexpr qint32 kRed = LampColor::Red;

// Every channel present, named "Ch01".."Ch95", alarm colours all different
// and none of them red.
struct Bank {
    QVX720_INC st;
    ChannelNames names;
    DisplayContext ctx{st, idTable(), names};
    DisplayInputs in;
    DisplayViews views;

    Bank()
    {
        for (int ch = 0; ch < kChannels; ++ch) {
            names(ch) = defaultChannelName(ch);
            st.Monitor_Data.Connect_Code(ch) = 1;
            st.UnitText(ch) = QStringLiteral("u%1").arg(ch);
        }
        st.Alarm_Color = {0x000011, 0x000022, 0x000033, 0x000044, 0x000055};
    }
    RefreshedTab refresh() { return SelectDispItem(ctx, in, views); }
    qint16& para(int ch, int k) { return st.ParaData(ch, k); }
    MonitorData& mon() { return st.Monitor_Data; }
};

// ---------------------------------------------------------------------------
// Dispatch and chart feed

TEST(DisplayRefresh, EveryTabFeedsAllChannelsToTheChart)
{
    const struct {
        int tab;
        RefreshedTab refreshed;
    } cases[] = {
        {0, RefreshedTab::Main},        {1, RefreshedTab::OneChannel}, {2, RefreshedTab::SettingGrid},
        {3, RefreshedTab::None},        {4, RefreshedTab::None},       {5, RefreshedTab::AllChannels},
        {6, RefreshedTab::None},        {-1, RefreshedTab::None},
    };
    for (const auto& c : cases) {
        Bank b;
        b.mon().Connect_Code(7) = 0;  // absent channels are fed as well
        b.mon().PvData(7) = 123;
        b.para(7, Item::SV) = 456;
        b.para(93, Item::InputType) = 1;
        b.mon().PvData(93) = -1999;
        b.in.mainTab = c.tab;
        EXPECT_EQ(b.refresh(), c.refreshed) << c.tab;
        for (int ch = 0; ch < kChannels; ++ch) {
            EXPECT_EQ(b.views.chart.pv[ch].value, Disp_Data(b.st, idTable(), Item::PV, ch)) << ch;
            EXPECT_EQ(b.views.chart.sv[ch].value, Disp_Data(b.st, idTable(), Item::SV, ch)) << ch;
        }
        EXPECT_EQ(s(b.views.chart.pv[7].value), "123");
        EXPECT_EQ(s(b.views.chart.sv[7].value), "456");
        EXPECT_EQ(s(b.views.chart.pv[93].value), "-199.9");
    }
}

TEST(DisplayRefresh, ChartTextsFollowEveryInputOfTheFormatter)
{
    // The feed formats a text again only when its inputs change; random
    // changes of those inputs must always give the formatter's text.
    Bank b;
    b.in.mainTab = 3;
    std::mt19937 rng(720);
    std::uniform_int_distribution<int> chDist(0, kChannels - 1), what(0, 3), raw(-2000, 2000), type(0, 37),
        dec(-1, 4);
    for (int step = 0; step < 3000; ++step) {
        const int ch = chDist(rng);
        switch (what(rng)) {
        case 0: b.mon().PvData(ch) = qint16(raw(rng)); break;
        case 1: b.para(ch, Item::SV) = qint16(raw(rng)); break;
        case 2: b.para(ch, Item::InputType) = qint16(type(rng)); break;
        default: b.para(ch, Item::DecimalPoint) = qint16(dec(rng)); break;
        }
        b.refresh();
        ASSERT_EQ(b.views.chart.pv[ch].value, Disp_Data(b.st, idTable(), Item::PV, ch)) << step;
        ASSERT_EQ(b.views.chart.sv[ch].value, Disp_Data(b.st, idTable(), Item::SV, ch)) << step;
    }
}

TEST(DisplayRefresh, ChangeFlagsReportOnlyDifferences)
{
    Bank b;
    b.in.mainTab = 0;
    b.refresh();
    EXPECT_TRUE(anyChanged(b.views.main));  // the first pass applies everything
    b.refresh();
    EXPECT_FALSE(anyChanged(b.views.chart));
    EXPECT_FALSE(anyChanged(b.views.main));

    b.mon().PvData(3) = 250;
    b.refresh();
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(b.views.chart.pv[ch].changed, ch == 3) << ch;
        EXPECT_FALSE(b.views.chart.sv[ch].changed) << ch;
    }
    int changedPanelFields = 0;
    b.views.main.forEachField([&](auto& f) { changedPanelFields += f.changed ? 1 : 0; });
    EXPECT_EQ(changedPanelFields, 1);
    EXPECT_TRUE(b.views.main.panels[3].DispPv.changed);

    // After handlers changed the controls, the next pass re-applies all.
    b.views.invalidate();
    b.refresh();
    int unchanged = 0;
    b.views.main.forEachField([&](auto& f) { unchanged += f.changed ? 0 : 1; });
    EXPECT_EQ(unchanged, 0);
    b.refresh();
    EXPECT_FALSE(anyChanged(b.views.main));
}

// ---------------------------------------------------------------------------
// Main display: 20-channel panels

TEST(MainPanels, PagesAndAbsentChannels)
{
    const struct {
        int base;
        int absent;          // a channel without control unit, -1 none
        int visibleRows;     // rows shown
    } cases[] = {
        {0, -1, 20}, {20, 25, 19}, {60, -1, 20},
        {80, -1, 15},  // the last page holds 15 channels
        {80, 94, 14},
        {90, -1, 5},   // a base that is not a page start still never reads past channel 95
        {-10, -1, 10},
    };
    for (const auto& c : cases) {
        Bank b;
        if (c.absent >= 0)
            b.mon().Connect_Code(c.absent) = 0;
        b.in.panelPageBase = c.base;
        b.refresh();
        int shown = 0;
        for (int i = 0; i < kPanelRows; ++i) {
            const PanelView& p = b.views.main.panels[i];
            const int ch = c.base + i;
            const bool valid = ch >= 0 && ch < kChannels;
            EXPECT_EQ(p.channel, valid ? ch : -1) << c.base << " row " << i;
            EXPECT_EQ(p.visible.value, valid && ch != c.absent) << c.base << " row " << i;
            if (valid) {
                EXPECT_EQ(p.caption.value, defaultChannelName(ch));
            }
            shown += p.visible.value ? 1 : 0;
        }
        EXPECT_EQ(shown, c.visibleRows) << c.base;
        EXPECT_EQ(b.views.main.mode, 0);
    }
}

TEST(MainPanels, AbsentPanelKeepsWhatItShowedAndIsStillFedToTheChart)
{
    Bank b;
    b.mon().PvData(4) = 77;
    b.refresh();
    EXPECT_EQ(s(b.views.main.panels[4].DispPv.value), "77");
    b.mon().Connect_Code(4) = 0;
    b.mon().PvData(4) = 78;
    b.refresh();
    const PanelView& p = b.views.main.panels[4];
    EXPECT_FALSE(p.visible.value);
    EXPECT_TRUE(p.visible.changed);
    EXPECT_FALSE(p.DispPv.changed);
    EXPECT_EQ(s(p.DispPv.value), "77");
    EXPECT_EQ(s(b.views.chart.pv[4].value), "78");
}

TEST(MainPanels, UnitByInputType)
{
    const struct {
        int type;
        const char* unit;
    } cases[] = {{0, "<215>"}, {5, "<215>"}, {14, "<215>"}, {15, "<216>"}, {20, "<216>"}, {29, "<216>"},
                 {30, "u6"},   {35, "u6"},   {36, "u6"},    {-1, "u6"}};
    for (const auto& c : cases) {
        Bank b;
        b.para(6, Item::InputType) = qint16(c.type);
        b.refresh();
        EXPECT_EQ(s(b.views.main.panels[6].Label_Unit.value), c.unit) << c.type;
    }
}

TEST(MainPanels, LampColours)
{
    struct Lamps {
        qint32 at, a1, a2, a3, a4, hb, lp, sb;
    };
    const struct {
        quint16 status;
        qint16 autoTuning;
        Lamps lamps;
    } cases[] = {
        {0x0000, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
        {0x0004, 0, {kWhite, 0x11, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
        {0x0008, 0, {kWhite, kWhite, 0x22, kWhite, kWhite, kWhite, kWhite, kWhite}},
        {0x0010, 0, {kWhite, kWhite, kWhite, 0x33, kWhite, kWhite, kWhite, kWhite}},
        {0x0020, 0, {kWhite, kWhite, kWhite, kWhite, 0x44, kWhite, kWhite, kWhite}},
        {0x0040, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kWhite, kWhite}},
        {0x1000, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kWhite, kWhite}},
        {0x0080, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kWhite}},
        {0x0100, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed}},
        {0x0200, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed}},
        {0xE803, 0, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},  // bits no lamp shows
        {0x13FC, 1, {LampColor::LightYellow, 0x11, 0x22, 0x33, 0x44, kRed, kRed, kRed}},
        {0x0000, 2, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
    };
    for (const auto& c : cases) {
        Bank b;
        b.mon().StatusData(2) = qint16(c.status);
        b.para(2, Item::AutoTuning) = c.autoTuning;
        b.refresh();
        const PanelView& p = b.views.main.panels[2];
        const Lamps got{p.Label_at.value, p.Label_A1.value, p.Label_A2.value, p.Label_A3.value,
                        p.Label_A4.value, p.Label_HB.value, p.Label_LP.value, p.Label_SB.value};
        const qint32* g = &got.at;
        const qint32* e = &c.lamps.at;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(g[i], e[i]) << "status " << c.status << " lamp " << i;
    }
}

TEST(MainPanels, NoDisplaySelectedKeepsTheTab)
{
    Bank b;
    b.refresh();
    b.mon().PvData(0) = 5;
    b.mon().Connect_Code(1) = 0;
    b.in.displayMode = -1;
    EXPECT_EQ(b.refresh(), RefreshedTab::Main);
    EXPECT_EQ(b.views.main.mode, -1);
    EXPECT_FALSE(anyChanged(b.views.main));
    EXPECT_TRUE(b.views.chart.pv[0].changed);
}

// ---------------------------------------------------------------------------
// Main display: bar graphs

TEST(MainBars, ScaleDecimalsAndValue)
{
    const struct {
        int type, dp;
        qint16 high, low, pv;
        int decimals;
        float max, min, value;
    } cases[] = {
        {31, 2, 1000, 0, 1234, 2, 10.0f, 0.0f, 12.34f},
        {30, 0, 500, -100, 250, 0, 500.0f, -100.0f, 250.0f},
        {35, 3, 2000, -2000, -1, 3, 2.0f, -2.0f, -0.001f},
        {1, 2, 5000, -1999, -1999, 1, 500.0f, -199.9f, -199.9f},   // one decimal, decimal point ignored
        {27, 0, 9000, -1999, 1, 1, 900.0f, -199.9f, 0.1f},
        {5, 2, 1820, 0, 1500, 0, 1820.0f, 0.0f, 1500.0f},
        {36, 1, 100, 0, 7, 0, 100.0f, 0.0f, 7.0f},                  // unknown types are whole numbers
    };
    for (const auto& c : cases) {
        Bank b;
        b.in.displayMode = 3;
        const int ch = 85;
        b.para(ch, Item::InputType) = qint16(c.type);
        b.para(ch, Item::DecimalPoint) = qint16(c.dp);
        b.para(ch, Item::ScalingHigh) = c.high;
        b.para(ch, Item::ScalingLow) = c.low;
        b.mon().PvData(ch) = c.pv;
        b.mon().StatusData(ch) = 0x8004;
        b.refresh();
        const BarView& v = b.views.main.bars[ch];
        EXPECT_TRUE(v.visible.value);
        EXPECT_EQ(v.NumDecimals.value, c.decimals) << c.type;
        EXPECT_FLOAT_EQ(v.Max.value, c.max) << c.type;
        EXPECT_FLOAT_EQ(v.Min.value, c.min) << c.type;
        EXPECT_FLOAT_EQ(v.Value.value, c.value) << c.type;
        EXPECT_EQ(quint16(v.Alarmstatas.value), 0x8004) << c.type;  // the whole word
        EXPECT_EQ(v.barColor.value, 0x11);
    }
}

TEST(MainBars, LinearInputWithBadDecimalPointKeepsTheEarlierScale)
{
    Bank b;
    b.in.displayMode = 1;
    b.para(10, Item::InputType) = 30;
    b.para(10, Item::DecimalPoint) = 2;
    b.para(10, Item::ScalingHigh) = 1000;
    b.para(10, Item::ScalingLow) = 0;
    b.mon().PvData(10) = 1234;
    b.refresh();
    ASSERT_EQ(b.views.main.bars[10].NumDecimals.value, 2);

    b.para(10, Item::DecimalPoint) = 7;
    b.para(10, Item::ScalingHigh) = 5000;
    b.mon().PvData(10) = 4321;
    b.refresh();
    const BarView& v = b.views.main.bars[10];
    EXPECT_EQ(v.NumDecimals.value, 2);
    EXPECT_FLOAT_EQ(v.Max.value, 10.0f);
    EXPECT_FALSE(v.Max.changed);
    EXPECT_FLOAT_EQ(v.Value.value, 43.21f);  // rounded by the earlier decimals

    // A fresh bar (the control's own 1 decimal, 0..100) keeps those.
    Bank f;
    f.in.displayMode = 1;
    f.para(11, Item::InputType) = 33;
    f.para(11, Item::DecimalPoint) = -1;
    f.mon().PvData(11) = 55;
    f.refresh();
    EXPECT_EQ(f.views.main.bars[11].NumDecimals.value, 1);
    EXPECT_FLOAT_EQ(f.views.main.bars[11].Max.value, 100.0f);
    EXPECT_FLOAT_EQ(f.views.main.bars[11].Value.value, 5.5f);
}

TEST(MainBars, OnlyTheSelectedPageIsComputedAndAbsentBarsAreHidden)
{
    const struct {
        int mode, lo, hi;
    } pages[] = {{1, 0, 39}, {2, 40, 79}, {3, 80, 94}};
    for (const auto& pg : pages) {
        Bank b;
        b.in.displayMode = pg.mode;
        b.refresh();  // first pass: everything applied once
        for (int ch = 0; ch < kChannels; ++ch) {
            b.mon().PvData(ch) = 100;
            b.mon().Connect_Code(ch) = ch % 7 == 0 ? 0 : 1;
        }
        b.refresh();
        for (int ch = 0; ch < kChannels; ++ch) {
            const BarView& v = b.views.main.bars[ch];
            const bool onPage = ch >= pg.lo && ch <= pg.hi;
            const bool present = ch % 7 != 0;
            EXPECT_EQ(v.visible.value, !onPage || present) << pg.mode << " ch " << ch;
            EXPECT_EQ(v.Value.changed, onPage && present) << pg.mode << " ch " << ch;
            EXPECT_FLOAT_EQ(v.Value.value, onPage ? (present ? 100.0f : 0.0f) : 50.0f) << pg.mode << " ch " << ch;
        }
    }
}

TEST(MainBars, ColourByAlarmState)
{
    const AlarmColor colors{0x11, 0x22, 0x33, 0x44, 0x55};
    const struct {
        quint16 status;
        qint32 color;
    } cases[] = {
        {0x0000, LampColor::Blue}, {0x0004, 0x11}, {0x0008, 0x22}, {0x0010, 0x33}, {0x0020, 0x44},
        {0x0040, kRed},  {0x0080, kRed},  {0x0100, kRed},  {0x0200, kRed},  {0x1000, kRed},
        {0x000C, 0x55},  {0x0140, 0x55},  {0x1004, 0x55},
        {0x8000, LampColor::Blue}, {0x0C03, LampColor::Blue}, {0x2000, LampColor::Blue},  // outside the mask
        {0x8804, 0x11},
    };
    for (const auto& c : cases)
        EXPECT_EQ(barAlarmColor(qint16(c.status), colors), c.color) << c.status;
}

TEST(MainBars, DependentFieldsAreReappliedTogether)
{
    Bank b;
    b.in.displayMode = 1;
    b.para(0, Item::InputType) = 31;
    b.para(0, Item::DecimalPoint) = 1;
    b.para(0, Item::ScalingHigh) = 1000;
    b.refresh();
    b.refresh();
    ASSERT_FALSE(anyChanged(b.views.main));

    // New decimals: the scale texts and the value text are written again,
    // even where the numbers stay the same (0 and 0.0).
    b.para(0, Item::DecimalPoint) = 2;
    b.refresh();
    const BarView& v = b.views.main.bars[0];
    EXPECT_TRUE(v.NumDecimals.changed);
    EXPECT_TRUE(v.Min.changed);
    EXPECT_TRUE(v.Max.changed);
    EXPECT_TRUE(v.Value.changed);

    // A new scale moves the bar: the value is set again.
    b.refresh();
    b.para(0, Item::ScalingHigh) = 2000;
    b.refresh();
    EXPECT_TRUE(v.Max.changed);
    EXPECT_FALSE(v.Min.changed);
    EXPECT_TRUE(v.Value.changed);

    // New alarm colours recolour the bar: the status word is set again.
    b.mon().StatusData(0) = 0x4;
    b.refresh();
    b.st.Alarm_Color.AlmColor1 = 0x99;
    b.refresh();
    EXPECT_TRUE(v.Alarmstatas.changed);
    EXPECT_EQ(v.barColor.value, 0x99);
}

// From a channel's clear command nothing read before it shows as current:
// the settings come back with the rescan, the monitored values with the
// poll. Every view of the main display and the one-channel view agree.
TEST(ClearedChannel, ShowsOnlyWhatWasReadSinceItsClearCommand)
{
    const struct {
        quint8 unread;
        const char *pv, *sv;
        qint32 alarm1, atLamp;
        bool barValue;
        const char* output;
        const char *mv, *coolMv;  // the MV bars draw exactly when these texts show a value
    } cases[] = {
        {0, "150", "200", 0x11, LampColor::LightYellow, true, "<318>", "50.5", "25.0"},
        {Unread::All, "", "", kWhite, kWhite, false, "", "", ""},
        {Unread::Monitored, "", "200", kWhite, LampColor::LightYellow, false, "<318>", "", ""},  // rescanned
        {Unread::Status, "150", "200", kWhite, LampColor::LightYellow, true, "<318>", "50.5", "25.0"},  // polled
        {Unread::CoolMV, "150", "200", 0x11, LampColor::LightYellow, true, "<318>", "50.5", ""},
        {Unread::MV, "150", "200", 0x11, LampColor::LightYellow, true, "<318>", "", "25.0"},
    };
    const auto bar = [](const char* text, qint16 value) {
        return *text ? std::optional<qint16>(value) : std::nullopt;
    };
    for (const auto& c : cases) {
        Bank b;
        const int ch = 82;
        b.mon().PvData(ch) = 150;
        b.para(ch, Item::SV) = 200;
        b.mon().StatusData(ch) = StatusBit::Alarm1;
        b.para(ch, Item::AutoTuning) = 1;
        b.para(ch, Item::ControlOutputOff) = 1;
        b.mon().MvData(ch) = 505;
        b.mon().CoolMvData(ch) = 250;
        b.mon().OptionData(ch) = OptionBit::HeatingCooling;
        b.mon().Unread(ch) = c.unread;
        b.in.panelPageBase = 80;
        b.refresh();
        const PanelView& p = b.views.main.panels[2];
        EXPECT_EQ(s(p.DispPv.value), c.pv) << int(c.unread);
        EXPECT_EQ(s(p.DispSv.value), c.sv) << int(c.unread);
        EXPECT_EQ(p.Label_A1.value, c.alarm1) << int(c.unread);
        EXPECT_EQ(p.Label_at.value, c.atLamp) << int(c.unread);
        EXPECT_EQ(s(b.views.chart.pv[ch].value), c.pv);
        b.in.displayMode = 3;
        b.refresh();
        EXPECT_EQ(std::isnan(b.views.main.bars[ch].Value.value), !c.barValue) << int(c.unread);
        EXPECT_EQ(b.views.main.bars[ch].Alarmstatas.value, c.alarm1 == kWhite ? 0 : StatusBit::Alarm1);
        b.in.mainTab = 1;
        b.in.oneChannel = ch;
        b.refresh();
        EXPECT_EQ(s(b.views.one.Text_PV.value), c.pv) << int(c.unread);
        EXPECT_EQ(s(b.views.one.Text_SV.value), c.sv) << int(c.unread);
        EXPECT_EQ(s(b.views.one.Label_OUTOFF.value), c.output) << int(c.unread);
        EXPECT_EQ(s(b.views.one.Text_MV[0].value), c.mv) << int(c.unread);
        EXPECT_EQ(s(b.views.one.Text_MV[1].value), c.coolMv) << int(c.unread);
        EXPECT_EQ(b.views.one.MV_BerGraph1.MvValue.value, bar(c.mv, 505)) << int(c.unread);
        EXPECT_EQ(b.views.one.MV_BerGraph2.MvValue.value, bar(c.coolMv, 250)) << int(c.unread);
    }
}

// ---------------------------------------------------------------------------
// One-channel view

struct OneBank : Bank {
    OneBank(int ch = 12)
    {
        in.mainTab = 1;
        in.oneChannel = ch;
    }
    const OneChannelView& v() const { return views.one; }
};

TEST(OneChannel, ChosenChannel)
{
    const struct {
        int index, channel;
    } cases[] = {{-1, 0}, {0, 0}, {12, 12}, {94, 94}, {95, 0}, {1000, 0}};
    for (const auto& c : cases) {
        OneBank b(c.index);
        b.mon().PvData(c.channel) = 321;
        b.refresh();
        EXPECT_EQ(b.v().channel, c.channel) << c.index;
        EXPECT_EQ(s(b.v().Text_PV.value), "321") << c.index;
    }
}

TEST(OneChannel, NotConnectedHidesTheFramesButWritesEverything)
{
    OneBank b;
    b.mon().Connect_Code(12) = 0;
    b.mon().OptionData(12) = 0x1FF;
    b.mon().StatusData(12) = 0x1;
    b.para(12, Item::SV) = 80;
    b.refresh();
    EXPECT_FALSE(b.v().connectedFrames.value);
    EXPECT_TRUE(b.v().Label_notConnect.value);
    EXPECT_EQ(s(b.v().Text_SV.value), "80");
    EXPECT_EQ(b.v().Lamp_CONT[0].value, LampColor::Green);
    EXPECT_TRUE(b.v().Frame_Alarm[0].value);

    b.mon().Connect_Code(12) = 5;
    b.refresh();
    EXPECT_TRUE(b.v().connectedFrames.value);
    EXPECT_FALSE(b.v().Label_notConnect.value);
}

TEST(OneChannel, UnitLabelsAndRange)
{
    const struct {
        int type;
        const char* unit;
        const char* mvUnit;
        const char* range;
    } cases[] = {
        {0, "<215>", "<215>", "-200 to 1370 <215> K"},
        {9, "<215>", "<215>", "0 to 1390 <215> <565>"},
        {24, "<216>", "<216>", "0 to 2500 <216> <565>"},
        {30, "u12", "%", "0.0 to 100.0 DC 4 to 20mA"},
        {36, "u12", "%", ""},
        {-3, "u12", "%", ""},
    };
    for (const auto& c : cases) {
        OneBank b;
        b.para(12, Item::InputType) = qint16(c.type);
        b.para(12, Item::DecimalPoint) = 1;
        b.para(12, Item::ScalingHigh) = 1000;
        b.refresh();
        for (int i = 0; i < 18; ++i)
            EXPECT_EQ(s(b.v().Label_CF[i].value), i == 13 ? c.mvUnit : c.unit) << c.type << " label " << i;
        EXPECT_EQ(s(b.v().Label11.value), c.range) << c.type;
    }
}

TEST(OneChannel, ControlInformationLampsAndTexts)
{
    const struct {
        quint16 status;
        quint16 option;
        qint16 at, action, outputOff;
        qint32 up, down, main, cool, atLamp;
        const char* heatCool;
        const char* output;
    } cases[] = {
        {0x0000, 0x000, 0, 0, 0, kWhite, kWhite, kWhite, kWhite, kWhite, "<315>", "<317>"},
        {0x0301, 0x100, 1, 1, 1, kRed, kRed, LampColor::Green, kWhite, LampColor::Yellow, "<316>", "<318>"},
        {0x0002, 0x100, 0, 0, 2, kWhite, kWhite, kWhite, LampColor::Yellow, kWhite, "<315>", "<318>"},
    };
    for (const auto& c : cases) {
        OneBank b;
        b.mon().StatusData(12) = qint16(c.status);
        b.mon().OptionData(12) = qint16(c.option);
        b.para(12, Item::AutoTuning) = c.at;
        b.para(12, 55) = c.action;
        b.para(12, Item::ControlOutputOff) = c.outputOff;
        b.mon().MvData(12) = 505;
        b.mon().CoolMvData(12) = 250;
        b.refresh();
        const OneChannelView& v = b.v();
        EXPECT_EQ(v.Lamp_up.value, c.up);
        EXPECT_EQ(v.Lamp_down.value, c.down);
        EXPECT_EQ(v.Lamp_CONT[0].value, c.main);
        EXPECT_EQ(v.Lamp_AT.value, c.atLamp);
        EXPECT_EQ(s(v.Label_HEETCOOL.value), c.heatCool);
        EXPECT_EQ(s(v.Label_OUTOFF.value), c.output);
        EXPECT_EQ(s(v.tb3_OUTOFF.value), "<313>");
        EXPECT_TRUE(v.outputOffVisible.value);
        EXPECT_EQ(s(v.Text_MV[0].value), "50.5");
        EXPECT_EQ(v.MV_BerGraph1.MvValue.value, 505);
        EXPECT_EQ(v.MV_BerGraph1.MvColor.value, LampColor::Blue);
        const bool cooling = c.option & 0x100;
        EXPECT_EQ(v.coolingOutput.value, cooling);
        if (cooling) {
            EXPECT_EQ(v.Lamp_CONT[1].value, c.cool);
            EXPECT_EQ(v.MV_BerGraph2.MvValue.value, 250);
            EXPECT_EQ(v.MV_BerGraph2.MvColor.value, LampColor::Yellow);
            EXPECT_EQ(s(v.Text_MV[1].value), "25.0");
        }
    }
}

TEST(OneChannel, AlarmPageVisibilityByOptionBits)
{
    struct Vis {
        bool a1, a2, a3, a4, hbFrame, hb1, hb2, short1, short2, lp;
    };
    const struct {
        quint16 option;
        Vis vis;
    } cases[] = {
        {0x00, {false, false, false, false, false, false, false, false, false, false}},
        {0x01, {true, false, false, false, false, false, false, false, false, false}},
        {0x0A, {false, true, false, true, false, false, false, false, false, false}},
        {0x04, {false, false, true, false, false, false, false, false, false, false}},
        {0x10, {false, false, false, false, false, false, false, false, false, true}},
        {0x20, {false, false, false, false, true, true, false, true, false, false}},
        {0x40, {false, false, false, false, true, false, true, false, true, false}},  // only HB2 fitted
        {0x7F, {true, true, true, true, true, true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        OneBank b;
        b.mon().OptionData(12) = qint16(c.option);
        b.refresh();
        const OneChannelView& v = b.v();
        const bool got[] = {v.Frame_Alarm[0].value, v.Frame_Alarm[1].value, v.Frame_Alarm[2].value,
                            v.Frame_Alarm[3].value, v.Frame_HB.value,       v.heaterGroups[0].value,
                            v.heaterGroups[1].value, v.heaterGroups[2].value, v.heaterGroups[3].value,
                            v.Frame_LP.value};
        const bool* e = &c.vis.a1;
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(got[i], e[i]) << "option " << c.option << " group " << i;
    }
}

TEST(OneChannel, AlarmLampsTakeAlarmColoursAndRedForTheOthers)
{
    OneBank b;
    b.mon().OptionData(12) = 0x7F;
    b.mon().StatusData(12) = qint16(0x34FC);
    b.refresh();
    const OneChannelView& v = b.v();
    EXPECT_EQ(v.Lamp_Alm[0].value, 0x11);
    EXPECT_EQ(v.Lamp_Alm[1].value, 0x22);
    EXPECT_EQ(v.Lamp_Alm[2].value, 0x33);
    EXPECT_EQ(v.Lamp_Alm[3].value, 0x44);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(v.Lamp_Alm_HB[i].value, kRed) << i;
    EXPECT_EQ(v.Lamp_Alm_LP.value, kRed);

    b.mon().StatusData(12) = 0;
    b.refresh();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v.Lamp_Alm[i].value, kWhite) << i;
        EXPECT_EQ(v.Lamp_Alm_HB[i].value, kWhite) << i;
    }
    EXPECT_EQ(v.Lamp_Alm_LP.value, kWhite);
}

TEST(OneChannel, AlarmValuesInTheirOrderAndUnfittedGroupsKeepTheirs)
{
    OneBank b;
    b.mon().OptionData(12) = 0x7F;
    // Distinct whole-number values for the plain items of the alarm rows.
    b.para(12, 45) = 451; b.para(12, 46) = 461; b.para(12, 47) = 471; b.para(12, 48) = 481;
    b.para(12, 24) = 241; b.mon().Ct1Data(12) = 55; b.mon().Ct2Data(12) = 66;
    b.refresh();
    const OneChannelView& v = b.v();
    EXPECT_EQ(s(v.Label_A1val[2].value), "451");
    EXPECT_EQ(s(v.Label_A2val[2].value), "461");
    EXPECT_EQ(s(v.Label_A3val[2].value), "471");
    EXPECT_EQ(s(v.Label_A4val[2].value), "481");
    EXPECT_EQ(v.Label_A1val[4].value, Disp_Data(b.st, idTable(), 39, 12));
    EXPECT_EQ(v.Label_A2val[4].value, Disp_Data(b.st, idTable(), 40, 12));
    EXPECT_EQ(v.Label_A4val[3].value, Disp_Data(b.st, idTable(), 61, 12));
    EXPECT_EQ(s(v.Label_LPval[0].value), "241");
    EXPECT_EQ(s(v.Lbl_CT1[0].value), "5.5");
    EXPECT_EQ(s(v.Lbl_CT1[1].value), "6.6");

    // Without the options the frames hide and their values stay as they were.
    b.mon().OptionData(12) = 0;
    b.para(12, 45) = 999;
    b.refresh();
    EXPECT_FALSE(v.Frame_Alarm[0].value);
    EXPECT_EQ(s(v.Label_A1val[2].value), "451");
    EXPECT_FALSE(v.Label_A1val[2].changed);
}

TEST(OneChannel, OtherInformationRows)
{
    const struct {
        int type;
        qint16 band, coolBand;
        quint16 option;
        bool hyst, dp, atBias, unit, cool, coolHyst;
    } cases[] = {
        {5, 0, 0, 0x000, true, false, true, false, false, false},
        {5, 30, 0, 0x100, false, false, true, false, true, true},
        {30, 30, 10, 0x100, false, true, false, true, true, false},
        {36, 0, 10, 0x000, true, true, false, true, false, false},
    };
    for (const auto& c : cases) {
        OneBank b;
        b.in.infoTab = 1;
        b.para(12, Item::InputType) = qint16(c.type);
        b.para(12, 12) = c.band;
        b.para(12, 13) = c.coolBand;
        b.mon().OptionData(12) = qint16(c.option);
        b.para(12, 57) = 57;
        b.para(12, 34) = 34;
        b.refresh();
        const OneChannelView& v = b.v();
        EXPECT_EQ(v.infoPage, 1);
        EXPECT_TRUE(v.scalingRows.value);
        EXPECT_EQ(v.hysteresisRow.value, c.hyst) << c.type;
        EXPECT_EQ(v.decimalPointRow.value, c.dp) << c.type;
        EXPECT_EQ(v.unitRow.value, c.unit) << c.type;
        EXPECT_EQ(v.atBiasRow.value, c.atBias) << c.type;
        EXPECT_EQ(v.Frame_Cool.value, c.cool) << c.type;
        if (c.cool) {
            EXPECT_EQ(v.coolHysteresisRow.value, c.coolHyst) << c.type;
        }
        EXPECT_EQ(s(v.Label_othval[5].value), "57");
        if (c.hyst) {
            EXPECT_EQ(v.Label_othval[10].value, Disp_Data(b.st, idTable(), 34, 12));
        }
        if (c.unit) {
            EXPECT_EQ(s(v.Label_othval[16].value), "u12");
        }
    }
}

TEST(OneChannel, OnlyTheVisibleInformationPageIsWritten)
{
    OneBank b;
    b.mon().OptionData(12) = 0x1;
    b.para(12, 45) = 7;
    b.in.infoTab = 1;
    b.refresh();
    EXPECT_EQ(b.v().infoPage, 1);
    EXPECT_TRUE(b.v().Label_A1val[2].value.isEmpty());
    b.in.infoTab = 0;
    b.refresh();
    EXPECT_EQ(s(b.v().Label_A1val[2].value), "7");
}

// ---------------------------------------------------------------------------
// Setting grid

struct GridBank : Bank {
    GridBank(int item)
    {
        in.mainTab = 2;
        st.Edit_Context.Set_Item = qint16(item);
    }
    const SettingRowView& row(int i) const { return views.grid.rows[i]; }
};

TEST(SettingGrid, ReasonsOfTheItemRules)
{
    // Channel 3 (row 3) with the given option word and settings.
    const struct {
        int item;
        quint16 option;
        int paraItem;         // one setting of the channel, -1 none
        qint16 paraValue;
        int reason;           // 0: settable
        bool numericOnly;
    } cases[] = {
        {13, 0x000, -1, 0, 225, false},       {13, 0x100, -1, 0, 0, false},
        {38, 0x0FF, -1, 0, 225, false},       {35, 0x100, -1, 0, 0, false},
        {18, 0, 12, 30, 270, false},   {18, 0, 12, 0, 0, false},
        {34, 0, 12, 1, 270, false},    {34, 0, 12, 0, 0, false},
        {19, 0x000, 39, 3, 0, false},  {19, 0x0FF, 39, 0, 222, false},   // alarm 1 tests no option
        {52, 0x000, 39, 0, 222, false},
        {20, 0x000, 40, 3, 267, false},  // alarm 2 not fitted, even with an action set
        {20, 0x002, 40, 0, 222, false},  {20, 0x002, 40, 1, 0, false},
        {53, 0x000, 40, 1, 267, false},
        {21, 0x000, 58, 1, 271, false},  {47, 0x004, 58, 0, 222, false}, {60, 0x004, 58, 2, 0, false},
        {22, 0x000, 59, 1, 272, false},  {44, 0x008, 59, 0, 222, false}, {61, 0x008, 59, 2, 0, false},
        {40, 0x000, -1, 0, 267, false},         {40, 0x002, -1, 0, 0, false},
        {58, 0x000, -1, 0, 271, false},         {58, 0x004, -1, 0, 0, false},
        {59, 0x000, -1, 0, 272, false},         {59, 0x008, -1, 0, 0, false},
        {23, 0x040, -1, 0, 223, true},          {23, 0x020, -1, 0, 0, false},
        {62, 0x020, -1, 0, 223, true},          {62, 0x040, -1, 0, 0, false},
        {24, 0x000, -1, 0, 224, true},          {25, 0x010, -1, 0, 0, false},
        {65, 0, 54, 29, 226, false},     {66, 0, 54, 30, 0, false}, {65, 0, 54, 35, 0, false},
        {29, 0, -1, 0, 0, false},               {64, 0, -1, 0, 0, false},        {10, 0, -1, 0, 0, false},
        {39, 0, -1, 0, 0, false},               {54, 0, -1, 0, 0, false},        {63, 0, -1, 0, 0, false},
    };
    for (const auto& c : cases) {
        GridBank b(c.item);
        b.mon().OptionData(3) = qint16(c.option);
        if (c.paraItem >= 0)
            b.para(3, c.paraItem) = c.paraValue;
        b.refresh();
        const SettingRowView& r = b.row(3);
        const bool choice = isChoiceItem(c.item);
        const QString value = Disp_Data(b.st, idTable(), c.item, 3);
        const std::string where = "item " + std::to_string(c.item) + " option " + std::to_string(c.option);

        EXPECT_EQ(settingReason(b.st, c.item, 3), (SettingReason{c.reason, c.numericOnly, true})) << where;
        EXPECT_EQ(r.settin_inf.value, c.reason ? id(c.reason) : QString()) << where;
        if (choice) {
            EXPECT_EQ(r.Select_comand.value, c.reason && !c.numericOnly ? id(c.reason) : value) << where;
        }
        else
            EXPECT_EQ(r.Setdata_Para.value, value) << where;
        EXPECT_EQ(r.settable, c.reason == 0) << where;
        EXPECT_EQ(r.changeVisible.value, c.reason == 0) << where;
        EXPECT_TRUE(r.labelsVisible.value) << where;
    }
}

TEST(SettingGrid, OverridesAutoTuningThenNotConnected)
{
    const struct {
        int item;
        qint16 autoTuning;
        qint16 connect;
        int reason;
    } cases[] = {
        {10, 1, 1, 227}, {13, 1, 1, 227},   // 13 without cooling: the auto-tuning text wins
        {10, 0, 0, 228}, {10, 1, 0, 228},   // not connected is applied last
        {54, 1, 1, 227}, {54, 0, 0, 228},
        {11, 1, 1, 227}, {49, 0, 0, 228},
        {10, 2, 1, 0},
    };
    for (const auto& c : cases) {
        GridBank b(c.item);
        b.para(4, Item::AutoTuning) = c.autoTuning;
        b.mon().Connect_Code(4) = c.connect;
        b.refresh();
        const SettingRowView& r = b.row(4);
        EXPECT_EQ(settingReason(b.st, c.item, 4).textId, c.reason) << c.item;
        EXPECT_EQ(r.settin_inf.value, c.reason ? id(c.reason) : QString()) << c.item;
        if (c.reason) {
            EXPECT_EQ(r.Select_comand.value, id(c.reason)) << c.item;
        }
        EXPECT_EQ(r.changeVisible.value, c.reason == 0) << c.item;
    }
}

TEST(SettingGrid, AutoTuningAndOutputButtons)
{
    const struct {
        int item;
        qint16 band, autoTuning, outputOff, connect;
        bool at;
        qint32 atLamp;
        bool out;
        qint32 outLamp;
    } cases[] = {
        {11, 30, 0, 0, 1, true, kWhite, false, kWhite},
        {11, 30, 1, 0, 1, true, LampColor::Yellow, false, kWhite},  // auto-tuning can be stopped here
        {11, 0, 1, 0, 1, false, LampColor::Yellow, false, kWhite},  // ON/OFF control: no AT button
        {11, 30, 0, 0, 0, false, kWhite, false, kWhite},
        {49, 30, 0, 0, 1, false, kWhite, true, kWhite},
        {49, 30, 0, 1, 1, false, kWhite, true, LampColor::Green},
        {49, 30, 0, 2, 0, false, kWhite, false, LampColor::Green},
    };
    for (const auto& c : cases) {
        GridBank b(c.item);
        b.para(5, 12) = c.band;
        b.para(5, Item::AutoTuning) = c.autoTuning;
        b.para(5, Item::ControlOutputOff) = c.outputOff;
        b.mon().Connect_Code(5) = c.connect;
        b.refresh();
        const SettingRowView& r = b.row(5);
        EXPECT_EQ(r.atVisible.value, c.at) << c.item;
        EXPECT_EQ(r.Shape_AT.value, c.atLamp) << c.item;
        EXPECT_EQ(r.outVisible.value, c.out) << c.item;
        EXPECT_EQ(r.Shape_OUT.value, c.outLamp) << c.item;
    }
}

TEST(SettingGrid, ItemsElevenAndFortyNineLeaveTheReasonLabel)
{
    GridBank b(13);
    b.refresh();
    ASSERT_EQ(b.row(0).settin_inf.value, id(225));
    b.st.Edit_Context.Set_Item = 11;
    b.refresh();
    EXPECT_EQ(b.row(0).settin_inf.value, id(225));
    EXPECT_FALSE(b.row(0).settin_inf.changed);
    b.st.Edit_Context.Set_Item = 10;
    b.refresh();
    EXPECT_TRUE(b.row(0).settin_inf.value.isEmpty());
}

TEST(SettingGrid, LastPageAndOtherPages)
{
    const struct {
        int base, rows;
    } cases[] = {{0, 20}, {40, 20}, {80, 15}, {85, 10}, {-5, 15}};
    for (const auto& c : cases) {
        GridBank b(10);
        b.in.settingPageBase = c.base;
        b.refresh();
        int rows = 0;
        for (int i = 0; i < kPanelRows; ++i) {
            const SettingRowView& r = b.row(i);
            const int ch = c.base + i;
            const bool has = ch >= 0 && ch < kChannels;
            EXPECT_EQ(r.channel, has ? ch : -1) << c.base << " row " << i;
            EXPECT_EQ(r.labelsVisible.value, has) << c.base << " row " << i;
            rows += r.labelsVisible.value ? 1 : 0;
            if (!has) {
                EXPECT_FALSE(r.changeVisible.value);
                EXPECT_FALSE(r.atVisible.value);
                EXPECT_FALSE(r.outVisible.value);
                EXPECT_FALSE(r.settable);
            } else {
                EXPECT_EQ(r.label_setdata.value, defaultChannelName(ch));
            }
        }
        EXPECT_EQ(rows, c.rows) << c.base;
    }
    // Back from the last page: rows 15..19 shown again.
    GridBank b(10);
    b.in.settingPageBase = 80;
    b.refresh();
    b.in.settingPageBase = 20;
    b.refresh();
    EXPECT_TRUE(b.row(19).labelsVisible.value);
    EXPECT_TRUE(b.row(19).changeVisible.value);
    EXPECT_EQ(b.row(19).channel, 39);
}

TEST(SettingGrid, ChoiceItemValueAndNumericValueGoToTheirLabels)
{
    GridBank b(55);
    b.para(0, 55) = 1;
    b.refresh();
    EXPECT_EQ(s(b.row(0).Select_comand.value), "<214>");
    b.st.Edit_Context.Set_Item = 14;
    b.para(0, 14) = 240;
    b.refresh();
    EXPECT_EQ(s(b.row(0).Setdata_Para.value), "240");
    EXPECT_EQ(s(b.row(0).Select_comand.value), "<214>");  // hidden label keeps its text
}

TEST(SettingGrid, EditedItemOutsideTheSettingsDoesNotFail)
{
    for (int item : {-1, 0, 9, 67, 300}) {
        GridBank b(item);
        b.para(0, Item::AutoTuning) = 1;
        ASSERT_NO_THROW(b.refresh()) << item;
        EXPECT_EQ(b.row(1).Setdata_Para.value, Disp_Data(b.st, idTable(), item, 1)) << item;
        EXPECT_TRUE(b.row(1).settable) << item;
        EXPECT_EQ(b.row(0).settin_inf.value, id(227)) << item;  // the overrides still apply
    }
}

// ---------------------------------------------------------------------------
// All-channels page

TEST(AllChannels, LabelsShowThePageValues)
{
    Bank b;
    b.in.mainTab = 5;
    for (int k = 10; k < kItems; ++k)
        b.st.AllPage_Data.AllParaData(k) = qint16(k);
    b.refresh();
    int labels = 0;
    for (int n = 0; n < kAllPageLabels; ++n) {
        if (!allPageHasLabel(n)) {
            EXPECT_TRUE(n == 1 || n == 8 || n == 44) << n;
            continue;
        }
        ++labels;
        EXPECT_EQ(b.views.all.Setdata_Para2[n].value, Disp_SelData(b.st, idTable(), n + 10)) << n;
    }
    EXPECT_EQ(labels, 51);
    EXPECT_EQ(s(b.views.all.Setdata_Para2[0].value), "10");

    b.refresh();
    EXPECT_FALSE(anyChanged(b.views.all));
    b.st.AllPage_Data.AllParaData(49) = 1;
    b.refresh();
    EXPECT_TRUE(b.views.all.Setdata_Para2[39].changed);
    EXPECT_EQ(s(b.views.all.Setdata_Para2[39].value), "<318>");
    int changed = 0;
    b.views.all.forEachField([&](auto& f) { changed += f.changed ? 1 : 0; });
    EXPECT_EQ(changed, 1);

    // Another string table: every text again.
    const StringTable en = StringTable::builtIn(StringTable::Language::English);
    const DisplayContext ctx{b.st, en, b.names};
    computeAllChannels(ctx, b.views.all);
    EXPECT_EQ(s(b.views.all.Setdata_Para2[39].value), "Control output ON");
}

}  // namespace
}  // namespace qvx
