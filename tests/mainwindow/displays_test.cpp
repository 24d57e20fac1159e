#include <gtest/gtest.h>

#include "bargr.h"
#include "lamp.h"
#include "mv_bergraph.h"
#include "ole_color.h"
#include "test_support.h"

namespace qvx {
namespace {

TEST(BarGr, AlarmColourByStatusBits) {
    test::app();
    AlarmColor colors;
    colors.AlmColor1 = 0x000011;
    colors.AlmColor2 = 0x000022;
    colors.AlmColor3 = 0x000033;
    colors.AlmColor4 = 0x000044;
    colors.AlmColorOther = 0x000055;
    BarGr b;
    b.setAlarmColors(&colors);
    const struct { int status; qint32 color; } cases[] = {
        {0, 0xFF0000},     {0x4, 0x11},       {0x8, 0x22},   {0x10, 0x33},   {0x20, 0x44},
        {0x80, 0xFF},      {0x1000, 0xFF},    {0x100, 0xFF}, {0x4 | 0x8, 0x55}, {0x40 | 0x200, 0x55},
        {0x8000, 0xFF0000}, {0x4 | 0x800, 0x11},  // bits outside the mask do not count
    };
    for (auto c : cases) {
        b.setAlarmstatas(qint16(c.status));
        EXPECT_EQ(b.barColor(), c.color) << std::hex << c.status;
        EXPECT_EQ(b.Alarmstatas(), 0);
    }
}

TEST(BarGr, ScaleTextsAndBar) {
    test::app();
    BarGr b;
    EXPECT_EQ(b.minText(), QStringLiteral("0"));
    EXPECT_EQ(b.maxText(), QStringLiteral("100"));
    b.setMin(0);
    b.setMax(100);
    b.setValue(50);
    EXPECT_TRUE(b.barVisible());
    EXPECT_DOUBLE_EQ(b.barFraction(), 0.5);
    b.setValue(150);
    EXPECT_DOUBLE_EQ(b.barFraction(), 1.0);
    b.setValue(-10);
    EXPECT_FALSE(b.barVisible());
    EXPECT_EQ(b.valueText(), QStringLiteral("-10.0"));
    b.setMax(12.345f);  // one decimal: the scale keeps 12.3
    EXPECT_EQ(b.maxText(), QStringLiteral("12.3"));
    EXPECT_FLOAT_EQ(b.Max(), 12.3f);
    b.setMin(12.3f);
    EXPECT_FALSE(b.SetValue());  // Max equals Min: nothing to divide by
    int warnings = 0;
    QObject::connect(&b, &BarGr::warning, [&](const QString&) { ++warnings; });
    b.setNumDecimals(6);
    EXPECT_EQ(b.NumDecimals(), 5);
    b.setNrIntervals(51);
    EXPECT_EQ(b.NrIntervals(), 50);
    b.setNrIntervals(50);
    EXPECT_EQ(warnings, 2);
}

TEST(MV_BerGraph, BarWidthFollowsTheValue) {
    test::app();
    MV_BerGraph g;
    const struct { qint16 value; int width; } cases[] = {{0, 100}, {500, 1100}, {1000, 2100}, {-50, 0}};
    for (auto c : cases) {
        g.setMvValue(c.value);
        EXPECT_EQ(g.barWidth(), c.width) << c.value;
    }
    g.setMvColor(0x00FFFF);
    EXPECT_EQ(g.MvColor(), 0x00FFFF);
}

TEST(Lamp, BackColourRoundTrip) {
    test::app();
    Lamp l(QStringLiteral("A1"));
    for (qint32 c : {0xFFFFFF, 0x0000FF, 0x00C000, 0x80FFFF, 0x123456}) {
        l.setBackColor(c);
        EXPECT_EQ(l.backColor(), c);
    }
    EXPECT_EQ(oleToColor(0x0000FF), QColor(255, 0, 0));
}

}  // namespace
}  // namespace qvx
