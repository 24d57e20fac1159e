#include <gtest/gtest.h>

#include <functional>

#include "display_test_support.h"
#include "mv_bergraph.h"

namespace qvx {
namespace {

TEST(MV_BerGraph, StateAtCreation) {
    test::app();
    MV_BerGraph g;
    const mvbar::Layout l = mvbar::layout();
    EXPECT_EQ(g.size(), l.size);
    EXPECT_EQ(g.text1(), QStringLiteral("0"));
    EXPECT_EQ(g.barRight(), l.lineX[0]);  // 100 twips: ends on the mark 0
    EXPECT_EQ(g.MaxValue(), 1050);
    EXPECT_EQ(g.MinValue(), -50);
    EXPECT_EQ(g.BackColorProp(), 0);
    EXPECT_EQ(g.ForeColorProp(), 0);
    EXPECT_FALSE(g.EnabledProp());
    EXPECT_EQ(g.BackStyle(), 0);
    EXPECT_EQ(g.BorderStyle(), 0);
    EXPECT_TRUE(g.changedProperties().isEmpty());
    EXPECT_EQ(g.MvColor(), 0xFF0000);
    EXPECT_EQ(g.MvValue(), 0);
}

TEST(MV_BerGraph, BarFollowsTheValue) {
    test::app();
    MV_BerGraph g;
    const mvbar::Layout l = mvbar::layout();
    const int left = l.back.left();
    const int right = l.back.left() + l.back.width();
    const struct { qint16 value; int barRight; const char* text; } cases[] = {
        {0, l.lineX[0], "0"},      {500, l.lineX[5], "500"},   {1000, l.lineX[10], "1000"},
        {-50, left, "-50"},         {-300, left, "-300"},       // empty below -50
        {1050, mvbar::barRight(1050), "1050"}, {2000, right, "2000"},  // clipped to the background
        {425, mvbar::barRight(425), "425"},
    };
    for (auto c : cases) {
        g.setMvValue(c.value);
        EXPECT_EQ(g.text1(), QString::fromLatin1(c.text)) << c.value;
        EXPECT_EQ(g.barRight(), c.barRight) << c.value;
        EXPECT_EQ(g.barRect().left(), left);
    }
    EXPECT_GE(mvbar::barRight(1050), l.lineX[10]);
    EXPECT_LE(mvbar::barRight(1050), right);
    // A value not known draws no bar, not the stub of 0.
    g.clearMvValue();
    EXPECT_EQ(g.text1(), QString());
    EXPECT_EQ(g.barRight(), left);
    EXPECT_TRUE(g.barRect().isEmpty());
}

TEST(MV_BerGraph, LoadingChangesNothingUntilReadOrSet) {
    test::app();
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("MvValue"), 500, 0);
    bag.WriteProperty(QStringLiteral("MvColor"), 0x00C000, 0xFF0000);
    MV_BerGraph g;
    const int before = g.barRight();
    const qint32 color = g.shapeColor();
    g.ReadProperties(bag);
    EXPECT_EQ(g.barRight(), before);
    EXPECT_EQ(g.text1(), QStringLiteral("0"));
    EXPECT_EQ(g.shapeColor(), color);
    // Reading MvValue writes Text1 again and sizes the bar; reading MvColor colours it.
    EXPECT_EQ(g.MvValue(), 500);
    EXPECT_EQ(g.text1(), QStringLiteral("500"));
    EXPECT_EQ(g.barRight(), mvbar::layout().lineX[5]);
    EXPECT_EQ(g.MvColor(), 0x00C000);
    EXPECT_EQ(g.shapeColor(), 0x00C000);
}

TEST(MV_BerGraph, StoredOnlyPropertiesAreSavedAndChangeNothingOnScreen) {
    test::app();
    MV_BerGraph g;
    g.show();
    QApplication::processEvents();
    const int requests = g.updateRequests();
    QFont f = g.FontProp();
    f.setItalic(!f.italic());
    g.setBackColorProp(0x123456);
    g.setForeColorProp(0x654321);
    g.setEnabledProp(true);
    g.setFontProp(f);
    g.setBackStyle(1);
    g.setBorderStyle(1);
    g.setMaxValue(2000);
    g.setMinValue(-100);
    g.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(g.updateRequests(), requests);
    EXPECT_EQ(g.changedProperties(), QStringList({"BackColor", "ForeColor", "Enabled", "Font", "BackStyle",
                                                  "BorderStyle", "MaxValue", "MinValue"}));
    // The stored range takes no part in the bar.
    g.setMvValue(1000);
    EXPECT_EQ(g.barRight(), mvbar::layout().lineX[10]);

    PropertyBag bag;
    g.setMvColor(0x0000FF);
    g.WriteProperties(bag);
    EXPECT_EQ(bag.names().size(), 10);
    MV_BerGraph h;
    h.ReadProperties(bag);
    EXPECT_EQ(h.BackColorProp(), 0x123456);
    EXPECT_EQ(h.ForeColorProp(), 0x654321);
    EXPECT_TRUE(h.EnabledProp());
    EXPECT_EQ(h.FontProp(), f);
    EXPECT_EQ(h.BackStyle(), 1);
    EXPECT_EQ(h.BorderStyle(), 1);
    EXPECT_EQ(h.MaxValue(), 2000);
    EXPECT_EQ(h.MinValue(), -100);
    EXPECT_EQ(h.MvValue(), 1000);
    EXPECT_EQ(h.MvColor(), 0x0000FF);

    PropertyBag defaults;
    MV_BerGraph fresh;
    fresh.WriteProperties(defaults);
    EXPECT_TRUE(defaults.names().isEmpty());
}

TEST(MV_BerGraph, RepaintsOnlyOnChange) {
    test::app();
    MV_BerGraph g;
    g.show();
    QApplication::processEvents();
    int requests = g.updateRequests();
    int paints = g.paintCount();
    const struct { const char* what; std::function<void()> set; bool changes; } steps[] = {
        {"value", [&] { g.setMvValue(300); }, true},
        {"same value", [&] { g.setMvValue(300); }, false},
        {"read value", [&] { g.MvValue(); }, false},
        {"colour", [&] { g.setMvColor(0x00FFFF); }, true},
        {"same colour", [&] { g.setMvColor(0x00FFFF); }, false},
        {"read colour", [&] { g.MvColor(); }, false},
        {"below the scale", [&] { g.setMvValue(-60); }, true},
        {"colour of an empty bar", [&] { g.setMvColor(0x0000FF); }, false},
        {"still empty", [&] { g.setMvValue(-70); }, false},
        {"past the end", [&] { g.setMvValue(1200); }, true},
        {"still clipped", [&] { g.setMvValue(1300); }, false},
        {"not known", [&] { g.clearMvValue(); }, true},
        {"still not known", [&] { g.clearMvValue(); }, false},
        {"read as 0", [&] { g.setMvValue(0); }, true},
    };
    for (const auto& s : steps) {
        s.set();
        QApplication::processEvents();
        if (s.changes) {
            EXPECT_EQ(g.updateRequests(), requests + 1) << s.what;
            EXPECT_GT(g.paintCount(), paints) << s.what;
        } else {
            EXPECT_EQ(g.updateRequests(), requests) << s.what;
            EXPECT_EQ(g.paintCount(), paints) << s.what;
        }
        requests = g.updateRequests();
        paints = g.paintCount();
    }
}

}  // namespace
}  // namespace qvx
