#include <gtest/gtest.h>

#include <QMap>
#include <cmath>
#include <limits>

#include "chart_engine.h"
#include "chart_properties.h"
#include "pv_logging.h"

using namespace qvx;
using namespace qvx::chart;

TEST(ChartNumbers, ValReadsTheNumberAtTheStart) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"", 0},        {"abc", 0},       {"25.6", 25.6},  {" 25.6", 25.6}, {"-12", -12},   {"+5", 5},
        {"1 2", 12},    {"3.5e2", 350},   {"1e", 1},       {"1e+", 1},      {"12abc", 12},  {".5", 0.5},
        {"-.5", -0.5},  {"1D2", 100},     {"--1", 0},      {"  -  7", -7},  {"400", 400},   {"7.", 7},
        {"\t8\n", 8},   {"2,5", 2},       {"-", 0},        {"0x10", 0},     {"1.2.3", 1.2}, {"5 Sec.", 5},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_TRUE(std::isinf(Val("1e999")));
}

TEST(ChartNumbers, ConversionsRoundHalvesToEvenAndSaturate) {
    struct Case {
        double x;
        qint32 asLong;
        qint16 asInteger;
    };
    const Case cases[] = {
        {0.5, 0, 0},       {1.5, 2, 2},           {2.5, 2, 2},          {-0.5, 0, 0},        {-1.5, -2, -2},
        {25.6, 26, 26},    {-2.5, -2, -2},        {32767.4, 32767, 32767}, {32768, 32768, 32767},
        {-40000, -40000, -32768}, {1e10, 2147483647, 32767}, {-1e10, -2147483647 - 1, -32768},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
        {std::numeric_limits<double>::infinity(), 2147483647, 32767},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toLong(c.x), c.asLong) << c.x;
        EXPECT_EQ(toInteger(c.x), c.asInteger) << c.x;
    }
    EXPECT_EQ(numberText(200.5), "200.5");
    EXPECT_EQ(numberText(-0.5), "-0.5");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(150), "150");
}

TEST(ChartScale, DefaultScale) {
    const ScaleLayout s = scaleSet(ScaleInputs{"5", "400", "0", "4", true});
    EXPECT_EQ(s.chartTime, 5000);
    EXPECT_EQ(s.high, 400);
    EXPECT_EQ(s.low, 0);
    EXPECT_FLOAT_EQ(s.yFactor, 400.0f / 3800.0f);
    EXPECT_EQ(s.yTexts, (std::array<QString, 3>{"400", "200", "0"}));
    for (int i = 0; i < kXTexts; ++i) EXPECT_EQ(s.xTexts[std::size_t(i)], QString::number(5 * i)) << i;
    // Drawing order: the grid, the axis, the vertical lines, the border.
    std::vector<Line> expect = {{0, 950, 9000, 950, kGridColor},
                                {0, 1900, 9000, 1900, kGridColor},
                                {0, 2850, 9000, 2850, kGridColor},
                                {0, 3792, 9000, 3792, kAxisColor}};
    for (int x = 900; x <= 8100; x += 900) expect.push_back({x, 0, x, 4000, kGridColor});
    expect.push_back({8992, 0, 8992, 4000, kAxisColor});
    EXPECT_EQ(s.lines, expect);
}

TEST(ChartScale, AxisTextsAndTimer) {
    struct Case {
        const char* cycle;
        bool shortSpan;
        qint32 ms;
        int perLine;  // minutes between two vertical lines
    };
    for (const Case c : {Case{"1", false, 1000, 15}, Case{"5", false, 5000, 75}, Case{"60", true, 60000, 60},
                         Case{"2", true, 2000, 2}}) {
        const ScaleLayout s = scaleSet(ScaleInputs{c.cycle, "400", "0", "4", c.shortSpan});
        EXPECT_EQ(s.chartTime, c.ms);
        for (int i = 0; i < kXTexts; ++i) EXPECT_EQ(s.xTexts[std::size_t(i)], QString::number(c.perLine * i)) << c.cycle;
    }
    // A span of 401 shows its middle with the half.
    EXPECT_EQ(scaleSet(ScaleInputs{"5", "401", "0", "4", false}).yTexts[1], "200.5");
    EXPECT_EQ(scaleSet(ScaleInputs{"5", "100", "-200", "4", false}).yTexts[1], "-50");
    EXPECT_EQ(scaleSet(ScaleInputs{"5", "0", "-1", "4", false}).yTexts[1], "-0.5");
    // A cycle text that is no number gives no interval.
    EXPECT_EQ(chartTimeOf("x"), 0);
    EXPECT_EQ(chartTimeOf("2.5"), 2500);
}

TEST(ChartScale, HorizontalGrid) {
    struct Case {
        double n;
        std::vector<int> ys;
    };
    const Case cases[] = {
        {4, {950, 1900, 2850}},
        {3, {1266, 2532}},
        {2, {1900}},
        {10, {380, 760, 1140, 1520, 1900, 2280, 2660, 3040, 3420}},
        {1, {}},
        {0, {}},  // no division by zero, no endless loop
        {-3, {}},
        {5000, {}},  // a step of 0 would never end
        {std::numeric_limits<double>::quiet_NaN(), {}},
    };
    for (const Case& c : cases) EXPECT_EQ(horizontalGrid(c.n), c.ys) << c.n;
    EXPECT_EQ(scaleSet(ScaleInputs{"5", "400", "0", "0", false}).lines.size(), 11u);  // axis, 9 verticals, border
}

TEST(ChartPlot, SampleLevels) {
    const float f = 400.0f / 3800.0f;
    struct Case {
        const char* cur;
        const char* prev;
        bool first;
        int y;
        int fromY;
    };
    const Case cases[] = {
        {"400", "", true, 0, 0},        // exactly the high: top
        {"401", "", true, 1, -1},       // above: Y 1, stroke from above the box
        {"0", "", true, 3792, 3792},    // exactly the low: 3800 clamped
        {"-1", "", true, 3792, 3801},   // below: the axis line
        {"200", "", true, 1900, 1900},  // a whole number's first stroke has no length
        {"200", "100", false, 1900, 2850},
        {"25.6", "", true, 3553, 3557},  // plotted at 26, stroke from 25.6
        {"26", "25.6", false, 3553, 3557},
        {"abc", "", true, 3792, 3792},   // no number: 0
        {"", "", true, 3792, 3792},      // nothing fed yet: 0
        {"1e99", "", true, 1, -1},       // beyond 32 bits: off scale
    };
    for (const Case& c : cases) {
        const SampleY s = sampleY(c.cur, c.prev, c.first, 400, 0, f);
        EXPECT_EQ(s.y, c.y) << c.cur << " after " << c.prev;
        EXPECT_EQ(s.fromY, c.fromY) << c.cur << " after " << c.prev;
    }
    // A zero span (high = low) draws without dividing by zero.
    const SampleY z = sampleY("100", "50", false, 100, 100, 0.0f);
    EXPECT_EQ(z.y, 0);
    EXPECT_GE(z.fromY, -1);
    EXPECT_LE(z.fromY, 3801);
    EXPECT_EQ(sampleY("99", "", true, 100, 100, 0.0f).y, 3792);
}

namespace {

struct PlotRig {
    PlotRig() {
        s.Monitor_Data.PvRead.fill(true);
        s.PvLog_State.Current.fill(true);
    }
    QVX720_INC s;
    Selection sel;
    std::array<QString, kChannels> pv, sv;
    PlotState plot;
    std::vector<Stroke> strokes;
    bool lineAnswers = true;  // the span of each sample brought a reply

    PlotInputs inputs(bool shortSpan) {
        if (lineAnswers) notePvExchange(s.PvLog_State, {.ch = 0, .answered = true});
        PlotInputs in;
        in.pvValue = &pv;
        in.svValue = &sv;
        in.selection = &sel;
        in.state = &s;
        in.shortSpan = shortSpan;
        in.high = 400;
        in.low = 0;
        in.yFactor = 400.0f / 3800.0f;
        return in;
    }
};

}  // namespace

TEST(ChartPlot, SamplesPerPlotWidth) {
    struct Case {
        bool shortSpan;
        int samples;
        int step;
    };
    for (const Case c : {Case{true, 599, 15}, Case{false, 8999, 1}}) {
        PlotRig r;
        r.sel.PvPlot[3] = 1;
        r.plot.RunFlag = 1;
        r.plot.restart();
        int samples = 0;
        PlotState::Tick t = PlotState::Tick::Sampled;
        int lastX = 0;
        while ((t = r.plot.tick(r.inputs(c.shortSpan), r.strokes)) == PlotState::Tick::Sampled) {
            ++samples;
            ASSERT_EQ(r.strokes.size(), 1u);
            EXPECT_EQ(r.strokes[0].x, lastX + c.step);
            lastX = r.strokes[0].x;
        }
        EXPECT_EQ(t, PlotState::Tick::Ended);
        EXPECT_EQ(samples, c.samples);
        EXPECT_EQ(lastX, 9000 - c.step);
        EXPECT_TRUE(r.strokes.empty());  // the ending tick draws nothing
        EXPECT_EQ(r.plot.PlotCount, c.samples + 1);
    }
}

TEST(ChartPlot, WhichPensDrawAndInWhatOrder) {
    PlotRig r;
    for (int ch = 0; ch < kChannels; ++ch) {
        r.s.ChartFile_Data.PvColor(ch) = 0x100 + ch;
        r.s.ChartFile_Data.SvColor(ch) = 0x200 + ch;
        r.pv[std::size_t(ch)] = "100";
        r.sv[std::size_t(ch)] = "300";
    }
    r.sel.PvPlot[5] = 1;
    r.sel.SvPlot[5] = 1;
    r.sel.SvPlot[2] = 1;
    r.sel.PvPlot[7] = 1;
    r.s.NoConnect(7) = 1;  // absent: skipped
    r.sel.PvPlot[9] = 2;   // only a flag of 1 plots
    r.sel.PvPlot[11] = 1;
    r.s.Monitor_Data.PvRead(11) = false;  // no PV read yet: its caption is no measurement
    // Standby: nothing happens, not even the count.
    EXPECT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Idle);
    EXPECT_EQ(r.plot.PlotCount, 0);
    r.plot.RunFlag = 1;
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    const std::vector<Stroke> expect = {{15, 950, 950, 0x202}, {15, 2850, 2850, 0x105}, {15, 950, 950, 0x205}};
    EXPECT_EQ(r.strokes, expect);
    EXPECT_EQ(r.plot.PvPrev[5], "100");
    EXPECT_TRUE(r.plot.PvPrev[9].isEmpty());
    // The next sample strokes from the level drawn last.
    r.pv[5] = "200";
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_EQ(r.strokes[1], (Stroke{30, 1900, 2850, 0x105}));
    // Channel 5 is cleared: neither of its pens draws until its values are
    // read again, and the PV pen then starts afresh (a gap, no line from
    // the level before the clear).
    r.s.Monitor_Data.PvRead(5) = false;
    r.s.Monitor_Data.Unread(5) = Unread::All;
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_EQ(r.strokes, (std::vector<Stroke>{{45, 950, 950, 0x202}}));
    r.s.Monitor_Data.PvRead(5) = true;
    r.s.Monitor_Data.Unread(5) = 0;
    r.pv[5] = "100";
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_EQ(r.strokes[1], (Stroke{60, 2850, 2850, 0x105}));
    // Through an outage the chart holds what the logging file would: channel
    // 5 missing a reply leaves a gap in both its pens; a span in which no
    // channel answered leaves a gap in every pen, though no channel has yet
    // missed its own reply; once its PV is read again the pen starts afresh
    // at the new level, with no line from the one before the outage.
    notePvExchange(r.s.PvLog_State, {.ch = 5, .answered = false});
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_EQ(r.strokes, (std::vector<Stroke>{{75, 950, 950, 0x202}}));
    r.lineAnswers = false;
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_TRUE(r.strokes.empty());
    r.lineAnswers = true;
    // A miss waiting for the line check: the sample waits, nothing moves.
    r.s.PvLog_State.Deciding = true;
    EXPECT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Deferred);
    EXPECT_TRUE(r.strokes.empty());
    r.s.PvLog_State.Deciding = false;
    notePvExchange(r.s.PvLog_State, {.ch = 5, .answered = true, .pvPoll = true, .pvMeasured = true});
    r.pv[5] = "200";
    ASSERT_EQ(r.plot.tick(r.inputs(true), r.strokes), PlotState::Tick::Sampled);
    EXPECT_EQ(r.strokes, (std::vector<Stroke>{{105, 950, 950, 0x202}, {105, 1900, 1900, 0x105}, {105, 950, 950, 0x205}}));
    // A restart takes the first level from the new text again.
    r.plot.restart();
    r.pv[5] = "0";
    r.plot.tick(r.inputs(true), r.strokes);
    EXPECT_EQ(r.strokes[1], (Stroke{15, 3792, 3792, 0x105}));
}

TEST(ChartPlot, SelectionToggleAndCount) {
    Selection s;
    EXPECT_EQ(s.selectedCount(), 0);
    EXPECT_EQ(s.toggle(Side::Pv, 45), 1);
    EXPECT_EQ(s.PenChannel, 45);
    EXPECT_EQ(s.PenKind, 0);
    EXPECT_EQ(s.selectedCount(), 1);
    EXPECT_EQ(s.toggle(Side::Pv, 45), 0);
    EXPECT_EQ(s.PenChannel, 45);
    s.SvPlot[10] = 2;  // as found in a file: selected; a press deselects it
    EXPECT_EQ(s.selectedCount(), 1);
    EXPECT_EQ(s.toggle(Side::Sv, 10), 0);
    EXPECT_EQ(s.PenKind, 1);
    // Large counts do not overflow: every flag of both sides.
    s.PvPlot.fill(32767);
    s.SvPlot.fill(32767);
    EXPECT_EQ(s.selectedCount(), 190);
    s.PvPlot.fill(-1);
    s.SvPlot.fill(1);
    EXPECT_EQ(s.selectedCount(), 190);
    EXPECT_THROW(s.toggle(Side::Pv, 95), std::out_of_range);
}

TEST(ChartPages, BasesSlotsAndVisibility) {
    struct Case {
        int tab, base, last;
        const char* caption;
    };
    for (const Case c : {Case{1, 0, 39, "1 to 40"}, Case{2, 40, 39, "41 to 80"}, Case{3, 80, 14, "81 to 95"}}) {
        EXPECT_EQ(pageBase(c.tab), c.base);
        EXPECT_EQ(lastSlot(c.base), c.last);
        EXPECT_EQ(pageCaption(c.tab), c.caption);
    }
    EXPECT_EQ(pageOf(94), 3);
    EXPECT_EQ(slotOf(94), 14);
    EXPECT_EQ(pageOf(45), 2);
    EXPECT_EQ(slotOf(45), 5);
    QVX720_INC s;
    s.NoConnect(42) = 1;
    EXPECT_TRUE(legendShows(s, 40, 0, 95));
    EXPECT_FALSE(legendShows(s, 40, 2, 95));  // absent
    EXPECT_FALSE(legendShows(s, 80, 15, 95));  // no channel 95
    EXPECT_FALSE(legendShows(s, 0, 0, 0));    // a limit of 0 hides everything
    // A limit of 41 on page 2 shows channel 40 only.
    for (int k = 0; k < kSlots; ++k) EXPECT_EQ(legendShows(s, 40, k, 41), k == 0) << k;
    EXPECT_TRUE(panelShows(s, 80, 14));
    EXPECT_FALSE(panelShows(s, 80, 15));
    EXPECT_FALSE(panelShows(s, 40, 2));
}

TEST(ChartScaleControls, UpDownsAndYSteps) {
    EXPECT_EQ(upDownStep(400, 1, kYRange), 450);
    EXPECT_EQ(upDownStep(1990, 1, kYRange), 2000);
    EXPECT_EQ(upDownStep(-200, -1, kYRange), -200);
    EXPECT_EQ(upDownStep(60, 1, kCycleRange), 60);
    EXPECT_EQ(upDownStep(2, -1, kDivisionRange), 2);
    EXPECT_EQ(upDownPosition(415, kYRange), 415);
    EXPECT_EQ(upDownPosition(2500, kYRange), 2000);
    EXPECT_EQ(upDownPosition(0, kCycleRange), 1);
    // The high may not reach the low, nor the low the high.
    struct Case {
        const char* high;
        const char* low;
        qint16 highShown;
        qint16 lowShown;
    };
    for (const Case c : {Case{"350", "0", 350, 0}, Case{"0", "0", 400, 50}, Case{"-50", "0", 400, 50},
                         Case{"400", "450", 400, 50}}) {
        EXPECT_EQ(steppedHigh(c.high, c.low, 400), c.highShown) << c.high << " " << c.low;
        EXPECT_EQ(steppedLow(c.high, c.low, 50), c.lowShown) << c.high << " " << c.low;
    }
}

TEST(ChartScaleControls, ScaleDialogVerdicts) {
    struct Case {
        bool empty;
        qint64 v;
        int sel;
        ScaleOk verdict;
    };
    // Current scale: high 400, low 0.
    const Case cases[] = {
        {true, 100, 0, ScaleOk::Empty},     {false, 2000, 0, ScaleOk::Accepted}, {false, 2001, 0, ScaleOk::OutOfRange},
        {false, 0, 0, ScaleOk::ScaleError}, {false, -200, 0, ScaleOk::ScaleError}, {false, 1, 0, ScaleOk::Accepted},
        {false, -200, 1, ScaleOk::Accepted}, {false, -201, 1, ScaleOk::OutOfRange}, {false, 400, 1, ScaleOk::ScaleError},
        {false, 399, 1, ScaleOk::Accepted}, {false, 9999, 1, ScaleOk::OutOfRange},
    };
    for (const Case& c : cases) EXPECT_EQ(scaleDialogOk(c.empty, c.v, c.sel, 400, 0), c.verdict) << c.v << " sel " << c.sel;
    EXPECT_EQ(scaleDialogLimitText(), "-200 to 2000");
}

// ---------------------------------------------------------------------------
// Persisted properties

TEST(ChartProperties, KeysInOrder) {
    const auto& keys = chartPropertyKeys();
    ASSERT_EQ(keys.size(), 293);
    struct Case {
        int index;
        const char* name;
        ChartPropType type;
        QVariant def;
    };
    const Case cases[] = {
        {0, "Pv0Caption", ChartPropType::Text, "0"},        {94, "Pv94Caption", ChartPropType::Text, "0"},
        {95, "ChartMaxCh", ChartPropType::Int16, 0},        {96, "Charttime", ChartPropType::Int32, 0},
        {97, "XScaleLong", ChartPropType::Bool, true},      {98, "YScaleLow", ChartPropType::Text, "0"},
        {99, "YScaleHigh", ChartPropType::Text, "400"},     {100, "XScaleShort", ChartPropType::Bool, false},
        {101, "XScaleTime", ChartPropType::Text, "5"},      {102, "YScaleDivision", ChartPropType::Text, "4"},
        {103, "Sv0Caption", ChartPropType::Text, "0"},      {197, "Sv94Caption", ChartPropType::Text, "0"},
        {198, "Stat0Caption", ChartPropType::Int16, 0},     {292, "Stat94Caption", ChartPropType::Int16, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keys[c.index].name, c.name);
        EXPECT_EQ(keys[c.index].type, c.type) << c.name;
        EXPECT_EQ(keys[c.index].defaultValue, c.def) << c.name;
        EXPECT_EQ(chartPropertyIndex(c.name), c.index);
    }
    EXPECT_EQ(chartPropertyIndex("pv0caption"), -1);
    EXPECT_EQ(chartPropertyIndex("Pv95Caption"), -1);
}

TEST(ChartProperties, Conversions) {
    struct Case {
        ChartPropType type;
        QVariant in;
        QVariant out;  // invalid: does not convert
    };
    const Case cases[] = {
        {ChartPropType::Text, 12, "12"},
        {ChartPropType::Text, QString(), ""},
        {ChartPropType::Int16, "  -5 ", -5},
        {ChartPropType::Int16, 2.5, 2},
        {ChartPropType::Int16, 40000, QVariant()},
        {ChartPropType::Int16, "abc", QVariant()},
        {ChartPropType::Int32, 60000, 60000},
        {ChartPropType::Int32, "60000", 60000},
        {ChartPropType::Int32, 3e9, QVariant()},
        {ChartPropType::Bool, "True", true},
        {ChartPropType::Bool, "false", false},
        {ChartPropType::Bool, -1, true},
        {ChartPropType::Bool, 0, false},
        {ChartPropType::Bool, "maybe", QVariant()},
    };
    for (const Case& c : cases) {
        const std::optional<QVariant> v = convertChartProperty(c.type, c.in);
        if (!c.out.isValid()) {
            EXPECT_FALSE(v.has_value()) << c.in.toString().toStdString();
        } else {
            ASSERT_TRUE(v.has_value()) << c.in.toString().toStdString();
            EXPECT_EQ(*v, c.out) << c.in.toString().toStdString();
        }
    }
}

namespace {

// A store that leaves out values equal to their defaults, as the host may.
struct MapStore {
    QMap<QString, QVariant> values;
    ReadPropertyFn reader() const {
        return [this](const QString& name, const QVariant& def) { return values.value(name, def); };
    }
    WritePropertyFn writer() {
        return [this](const QString& name, const QVariant& value, const QVariant& def) {
            if (value == def)
                values.remove(name);
            else
                values.insert(name, value);
        };
    }
};

}  // namespace

TEST(ChartProperties, EmptyStoreRoundTripAndFailure) {
    ChartProperties p;
    p.lblSH = "999";  // an empty store puts every default back
    MapStore empty;
    const ChartPropertyLoad r0 = readChartProperties(empty.reader(), p);
    EXPECT_TRUE(r0.ok);
    EXPECT_EQ(r0.handled, 293);
    EXPECT_EQ(p, ChartProperties());
    EXPECT_EQ(p.PvCaptionText[94], "0");
    EXPECT_TRUE(p.optLong);
    EXPECT_FALSE(p.optShort);

    ChartProperties a;
    a.PvCaptionText[3] = "25.6";
    a.SvCaptionText[94] = "";
    a.ChartMaxChValue = 95;
    a.ChartTimeValue = 60000;  // above 16 bits
    a.setValue(ChartKey::XScaleShort, true);
    a.lblSL = "-150";
    a.Lbl_Y = "7";
    a.StatCaptionValue[12] = -5;
    MapStore store;
    writeChartProperties(a, store.writer());
    EXPECT_FALSE(store.values.contains("Pv0Caption"));  // equal to its default
    EXPECT_EQ(store.values.value("Charttime"), 60000);
    ChartProperties b;
    EXPECT_TRUE(readChartProperties(store.reader(), b).ok);
    EXPECT_EQ(b, a);
    EXPECT_FALSE(b.optLong);

    // Both span options stored true: the later key wins.
    MapStore both;
    both.values.insert("XScaleLong", true);
    both.values.insert("XScaleShort", true);
    ChartProperties c;
    readChartProperties(both.reader(), c);
    EXPECT_TRUE(c.optShort);
    EXPECT_FALSE(c.optLong);

    // A value that does not convert ends the load there; what came before stays.
    MapStore bad;
    bad.values.insert("Pv1Caption", "x");
    bad.values.insert("Charttime", "soon");
    bad.values.insert("YScaleHigh", "800");
    ChartProperties d;
    const ChartPropertyLoad r = readChartProperties(bad.reader(), d);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedKey, "Charttime");
    EXPECT_EQ(r.handled, ChartKey::Charttime);
    EXPECT_EQ(d.PvCaptionText[1], "x");
    EXPECT_EQ(d.lblSH, "400");
}
