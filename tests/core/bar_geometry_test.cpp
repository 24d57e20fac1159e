#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bar_geometry.h"

using namespace qvx;
using namespace qvx::bargraph;

TEST(BarUnits, HalvesRoundToTheEvenNeighbour) {
    const struct { qint64 num, den, want; } cases[] = {
        {45, 30, 2},  {15, 30, 0},   {75, 30, 2},   {-15, 30, 0}, {-45, 30, -2},
        {44, 30, 1},  {46, 30, 2},   {0, 15, 0},    {400, 15, 27}, {215, 15, 14},
        {-7, 15, 0},  {-8, 15, -1},  {4300, 150, 29},
    };
    for (auto c : cases)
        EXPECT_EQ(roundDivHalfEven(c.num, c.den), c.want) << c.num << "/" << c.den;
    EXPECT_EQ(twipsToPixels(22.5), 2);   // 1.5 px
    EXPECT_EQ(twipsToPixels(37.5), 2);   // 2.5 px
    EXPECT_EQ(twipsToPixels(qint64(1000)), 67);
}

TEST(BarTexts, FixedDecimalsRoundHalvesAwayFromZero) {
    const struct { float v; int places; const char* want; } cases[] = {
        {50.0f, 1, "50.0"},     {-10.0f, 1, "-10.0"},  {12.345f, 1, "12.3"},  {0.125f, 2, "0.13"},
        {-0.125f, 2, "-0.13"},  {2.5f, 0, "3"},        {-2.5f, 0, "-3"},      {-0.04f, 1, "0.0"},
        {1234.5f, 0, "1235"},   {12.34f, 2, "12.34"},  {0.05f, 1, "0.1"},     {-199.9f, 1, "-199.9"},
        {1.0f, 5, "1.00000"},   {0.5f, 3, "0.500"},    {32767.0f, 0, "32767"},
        // The float nearest 99.95 lies below it.
        {99.95f, 1, "99.9"},
    };
    for (auto c : cases)
        EXPECT_EQ(fixedText(c.v, c.places), QString::fromLatin1(c.want)) << c.v << " " << c.places;
    EXPECT_EQ(fixedText(std::numeric_limits<float>::quiet_NaN(), 1), QString());
    EXPECT_EQ(fixedText(std::numeric_limits<float>::infinity(), 1), QString());
}

TEST(BarTexts, ScaleTextsByDecimals) {
    const QString prev = QStringLiteral("prev");
    const struct { float v; int n; const char* want; } cases[] = {
        {100.0f, 0, "100"},  {12.345f, 0, "12.345"}, {-0.5f, 0, "-0.5"},  {0.0f, 0, "0"},
        {12.345f, 1, "12.3"}, {10.0f, 2, "10.00"},   {10.0f, 3, "10.000"}, {-1999.0f, 1, "-1999.0"},
        {10.0f, 4, "prev"},  {10.0f, 5, "prev"},
    };
    for (auto c : cases)
        EXPECT_EQ(scaleText(c.v, c.n, prev), QString::fromLatin1(c.want)) << c.v << " " << c.n;
    EXPECT_EQ(valueText(49.6f, 0), QStringLiteral("50"));
    EXPECT_EQ(valueText(12.34f, 2), QStringLiteral("12.34"));
}

TEST(BarTexts, NumericValueOfAText) {
    const struct { const char* text; float want; } cases[] = {
        {"12.3", 12.3f}, {"  -5", -5.0f}, {"100", 100.0f}, {"", 0.0f},        {"abc", 0.0f},
        {"1.5e2", 150.0f}, {"12.3abc", 12.3f}, {".", 0.0f}, {"-.5", -0.5f},   {"1e+07", 1.0e7f},
        {"7e", 7.0f},    {"+8", 8.0f},
    };
    for (auto c : cases)
        EXPECT_FLOAT_EQ(numericValue(QString::fromLatin1(c.text)), c.want) << c.text;
}

TEST(BarTexts, ScaleValueIsTheRoundedText) {
    // Max 12.345 with one decimal reads back as 12.3: the bar uses 12.3.
    const float mx = numericValue(scaleText(12.345f, 1, {}));
    EXPECT_FLOAT_EQ(mx, 12.3f);
    const Layout lay = layout({56, 260}, 10);
    const Fill f = fill(6.15f, 0.0f, mx, lay);
    EXPECT_NEAR(f.fraction, 0.5, 1e-6);
}

TEST(BarWarnings, LimitsOfIntervalsAndDecimals) {
    const QString grids = QStringLiteral("Number of X grids must be less than 50");
    const QString decimals = QStringLiteral("Number of decimals must be less than 5");
    const struct { quint8 n; CheckedValue want; } intervals[] = {
        {0, {0, {}}}, {10, {10, {}}}, {50, {50, {}}}, {51, {50, grids}}, {255, {50, grids}},
    };
    for (auto c : intervals) EXPECT_EQ(checkNrIntervals(c.n), c.want) << int(c.n);
    const struct { quint8 n; CheckedValue want; } decs[] = {
        {0, {0, {}}}, {5, {5, {}}}, {6, {5, decimals}}, {200, {5, decimals}},
    };
    for (auto c : decs) EXPECT_EQ(checkNumDecimals(c.n), c.want) << int(c.n);
    EXPECT_STREQ(kWarningTitle, "Warning");
}

TEST(BarColours, ByAlarmBits) {
    AlarmColor colors;
    colors.AlmColor1 = 0x11;
    colors.AlmColor2 = 0x22;
    colors.AlmColor3 = 0x33;
    colors.AlmColor4 = 0x44;
    colors.AlmColorOther = 0x55;
    const struct { int status; qint32 color; } cases[] = {
        {0, 0xFF0000},        {0x4, 0x11},        {0x8, 0x22},         {0x10, 0x33},     {0x20, 0x44},
        {0x40, 0xFF},         {0x80, 0xFF},       {0x100, 0xFF},       {0x200, 0xFF},    {0x1000, 0xFF},
        {0x4 | 0x8, 0x55},    {0x40 | 0x200, 0x55}, {0x80 | 0x1000, 0x55}, {0x13FC, 0x55},
        // Bits outside the mask (outputs, actuator short, auto-tuning, re-read) do not count.
        {0x8000, 0xFF0000},   {0x4 | 0x800, 0x11}, {0x1 | 0x2 | 0x400 | 0x2000, 0xFF0000},
        {-1, 0x55},
    };
    for (auto c : cases)
        EXPECT_EQ(barColorOf(qint16(c.status), colors), c.color) << std::hex << c.status;
}

TEST(BarLayout, PartsOfADefaultBar) {
    // 56 x 260 px = 840 x 3900 twips: LBack 30,400 560 x 3020.
    const Layout l = layout({56, 260}, 10);
    EXPECT_EQ(l.back, QRect(2, 27, 37, 201));   // 30..590 x 400..3420 twips
    EXPECT_EQ(l.barLeft, 4);                     // 60
    EXPECT_EQ(l.barRight, 37);                   // 560
    EXPECT_EQ(l.barBottom, 226);                 // 3390
    EXPECT_EQ(l.tickLeft, 39);                   // 590
    EXPECT_EQ(l.tickRight, 43);                  // 650
    EXPECT_EQ(l.maxTop, 14);                     // 215
    EXPECT_EQ(l.minTop, 227);                    // 3405
    EXPECT_EQ(l.valueTop, 241);                  // 3615
    EXPECT_EQ(l.indexPos, QPoint(2, 2));
}

TEST(BarLayout, TicksSpanTheBarArea) {
    const struct { QSize size; int intervals; std::vector<int> ticks; } cases[] = {
        {{56, 260}, 10, {29, 48, 68, 88, 108, 127, 147, 167, 187, 206, 226}},
        {{56, 260}, 1, {29, 226}},
        {{56, 260}, 0, {29}},  // no spacing: the top tick only
        {{20, 67}, 2, {29, 31, 33}},
    };
    for (const auto& c : cases) {
        const Layout l = layout(c.size, c.intervals);
        EXPECT_EQ(l.tickY, c.ticks) << c.intervals;
    }
    // 50 intervals: 51 ticks, the first at the top of the bar area, the last at its bottom.
    const Layout l = layout({56, 260}, 50);
    ASSERT_EQ(l.tickY.size(), 51u);
    EXPECT_EQ(l.tickY.front(), 29);
    EXPECT_EQ(l.tickY.back(), l.barBottom);
}

TEST(BarLayout, SmallestControl) {
    EXPECT_EQ(minimumSize(), QSize(20, 67));
    const struct { QSize in, out; } cases[] = {
        {{13, 33}, {20, 67}},  // 200 x 500 twips
        {{10, 500}, {20, 500}},
        {{80, 40}, {80, 67}},
        {{56, 260}, {56, 260}},
    };
    for (auto c : cases) EXPECT_EQ(constrainedSize(c.in), c.out);
}

TEST(BarFill, KnownAnswers) {
    const Layout lay = layout({56, 260}, 10);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct { float value, min, max; FillState state; int top; } cases[] = {
        {50, 0, 100, FillState::Shown, 127},    // half of 2960 twips: on the middle tick
        {150, 0, 100, FillState::Shown, 29},    // full: on the top tick
        {100, 0, 100, FillState::Shown, 29},
        {10, 0, 100, FillState::Shown, 206},
        {-10, 0, 100, FillState::Empty, 0},
        {0, 0, 100, FillState::Empty, 0},       // at Min: no bar
        {0, -100, 0, FillState::Shown, 29},     // a scale that ends at 0: full at 0
        {-125, -200, -50, FillState::Shown, 127},  // all negative: half way
        {-10, -200, -50, FillState::Shown, 29},
        {-200, -200, -50, FillState::Empty, 0},
        {5, 0, 0, FillState::ZeroSpan, 0},
        {12.3f, 12.3f, 12.3f, FillState::ZeroSpan, 0},
        {nan, 0, 100, FillState::Empty, 0},
        {50, 100, 0, FillState::NoScale, 0},    // Max below Min: an empty scale
        {25, -100, 100, FillState::Shown, 103},  // 62.5 %: 3390 - 1850 = 1540 twips
    };
    for (auto c : cases) {
        const Fill f = fill(c.value, c.min, c.max, lay);
        EXPECT_EQ(f.state, c.state) << c.value << " " << c.min << " " << c.max;
        if (c.state == FillState::Shown) {
            EXPECT_TRUE(f.visible());
            EXPECT_EQ(f.top, c.top) << c.value;
        } else {
            EXPECT_FALSE(f.visible());
        }
    }
    EXPECT_DOUBLE_EQ(fill(50, 0, 100, lay).fraction, 0.5);
    EXPECT_DOUBLE_EQ(fill(150, 0, 100, lay).fraction, 1.0);
    // Every value k x 10 of 0..100 ends on tick k.
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(fill(float(k * 10), 0, 100, lay).top, lay.tickY[std::size_t(10 - k)]) << k;
}

TEST(BarScaleClick, ChannelCheckedBeforeTheEditContext) {
    QVX720_INC s;
    s.ParaData(6, Item::AutoTuning) = 0;
    s.ParaData(41, Item::AutoTuning) = 1;
    const struct { int nrPM; ScaleLabel label; ScaleEdit want; } cases[] = {
        {7, ScaleLabel::Max, {true, 6, false, true, 29}},
        {7, ScaleLabel::Min, {true, 6, false, true, 30}},
        {1, ScaleLabel::Max, {true, 0, false, true, 29}},
        {95, ScaleLabel::Min, {true, 94, false, true, 30}},
        {42, ScaleLabel::Max, {true, 41, true, false, 0}},   // auto-tuning: no dialog
        {0, ScaleLabel::Max, {false, -1, false, false, 0}},  // the design's default number
        {96, ScaleLabel::Min, {false, 95, false, false, 0}},
        {255, ScaleLabel::Min, {false, 254, false, false, 0}},
    };
    for (auto c : cases) {
        s.Edit_Context.Set_Ch = 77;
        s.Edit_Context.Set_Item = 12;
        ScaleEdit e;
        ASSERT_NO_THROW(e = scaleEditFor(s, c.nrPM, c.label)) << c.nrPM;
        EXPECT_EQ(e, c.want) << c.nrPM;
        applyScaleEdit(s, e);
        EXPECT_EQ(s.Edit_Context.Set_Ch, c.want.channelValid ? c.want.channel : 77) << c.nrPM;
        EXPECT_EQ(s.Edit_Context.Set_Item, c.want.open ? c.want.item : 12) << c.nrPM;
    }
}

TEST(MvBar, WidthAndLines) {
    const struct { int value, widthTw; } widths[] = {
        {0, 100}, {500, 1100}, {1000, 2100}, {-50, 0}, {1050, 2200}, {-100, -100},
    };
    for (auto c : widths) EXPECT_EQ(mvbar::barWidthTwips(c.value), c.widthTw) << c.value;

    const mvbar::Layout l = mvbar::layout();
    EXPECT_EQ(l.size, QSize(180, 56));
    EXPECT_EQ(l.back, QRect(16, 8, 147, 25));  // 240,120 2202 x 372 twips
    EXPECT_EQ(l.barTop, 8);
    EXPECT_EQ(l.barBottom, 33);
    ASSERT_EQ(l.lineX.size(), 11u);
    EXPECT_EQ(l.lineX.front(), 23);  // 340
    EXPECT_EQ(l.lineX.back(), 156);  // 2340
    // A value of 100 x n ends on line n: 0 on the mark 0, 500 on 50, 1000 on 100.
    for (int n = 0; n <= 10; ++n) EXPECT_EQ(mvbar::barRight(100 * n), l.lineX[std::size_t(n)]) << n;
    // Empty at -50 and below; clipped to the background past it.
    EXPECT_EQ(mvbar::barRight(-50), l.back.left());
    EXPECT_EQ(mvbar::barRight(-1000), l.back.left());
    EXPECT_EQ(mvbar::barRight(1051), l.back.left() + l.back.width());
    EXPECT_EQ(mvbar::barRight(32767), l.back.left() + l.back.width());
    EXPECT_EQ(mvbar::textValue(QStringLiteral("425")), 425);
    EXPECT_EQ(mvbar::textValue(QStringLiteral("-50")), -50);
    EXPECT_EQ(mvbar::textValue(QString()), 0);
}
