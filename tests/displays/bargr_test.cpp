#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <functional>
#include <tuple>
#include <vector>

#include "bargr.h"
#include "display_test_support.h"

namespace qvx {
namespace {

using bargraph::FillState;

// A bar with scripted prompts, shown off screen so that repaints happen.
struct Bar {
    QApplication& app = test::app();  // before any widget
    test::ScriptedPrompts prompts;
    QVX720_INC state;
    BarGr b;

    Bar() {
        b.setPrompts(prompts.prompts());
        b.setSharedState(&state);
    }
    void show() {
        b.show();
        QApplication::processEvents();
    }
};

// Records the scale-edit requests and plain clicks of a bar.
struct Requests {
    struct Edit {
        int item, channel;
        QString nowText;
    };
    std::vector<Edit> edits;
    int clicks = 0;
    explicit Requests(BarGr& b) {
        QObject::connect(&b, &BarGr::scaleEditRequested,
                         [this](int item, int ch, const QString& text) { edits.push_back({item, ch, text}); });
        QObject::connect(&b, &BarGr::Click, [this] { ++clicks; });
    }
};

void click(QWidget& w, QPoint press, QPoint release) {
    QMouseEvent down(QEvent::MouseButtonPress, press, w.mapToGlobal(press), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&w, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, release, w.mapToGlobal(release), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&w, &up);
}

TEST(BarGr, StateAtCreation) {
    Bar t;
    BarGr& b = t.b;
    // The scale texts were written while the decimals were 0.
    EXPECT_EQ(b.minText(), QStringLiteral("0"));
    EXPECT_EQ(b.maxText(), QStringLiteral("100"));
    EXPECT_EQ(b.valueText(), QStringLiteral("50.0"));
    EXPECT_EQ(b.indexText(), QStringLiteral("0"));
    EXPECT_EQ(b.NrPM(), 0);
    EXPECT_EQ(b.NumDecimals(), 1);
    EXPECT_EQ(b.NrIntervals(), 10);
    EXPECT_FLOAT_EQ(b.Value(), 50.0f);
    EXPECT_FLOAT_EQ(b.AlarmMin(), 10.0f);
    EXPECT_FLOAT_EQ(b.AlarmMax(), 90.0f);
    EXPECT_EQ(b.TipText(), QString());
    EXPECT_TRUE(b.barVisible());
    EXPECT_DOUBLE_EQ(b.barFill().fraction, 0.5);
    EXPECT_EQ(b.barColor(), 0xFF0000);
    EXPECT_EQ(b.currentLayout().tickY.size(), 11u);
    EXPECT_TRUE(b.changedProperties().isEmpty());
    EXPECT_TRUE(t.prompts.boxes.empty());
}

TEST(BarGr, OutOfRangePropertiesWarnAndAreCorrected) {
    const struct { bool decimals; quint8 in, stored; const char* warning; } cases[] = {
        {true, 6, 5, "Number of decimals must be less than 5"},
        {true, 5, 5, nullptr},
        {true, 0, 0, nullptr},
        {false, 51, 50, "Number of X grids must be less than 50"},
        {false, 255, 50, "Number of X grids must be less than 50"},
        {false, 50, 50, nullptr},
    };
    for (auto c : cases) {
        Bar t;
        if (c.decimals) t.b.setNumDecimals(c.in);
        else t.b.setNrIntervals(c.in);
        EXPECT_EQ(c.decimals ? t.b.NumDecimals() : t.b.NrIntervals(), c.stored) << int(c.in);
        if (c.warning) {
            ASSERT_EQ(t.prompts.boxes.size(), 1u) << int(c.in);
            EXPECT_EQ(t.prompts.boxes[0].text, QString::fromLatin1(c.warning));
            EXPECT_EQ(t.prompts.boxes[0].title, QStringLiteral("Warning"));
        } else {
            EXPECT_TRUE(t.prompts.boxes.empty()) << int(c.in);
        }
    }
}

TEST(BarGr, IntervalsTakeEffectAtTheNextRedraw) {
    Bar t;
    t.b.setNrIntervals(4);
    EXPECT_EQ(t.b.currentLayout().tickY.size(), 11u);
    t.b.Redraw();
    EXPECT_EQ(t.b.currentLayout().tickY.size(), 5u);
    EXPECT_EQ(t.b.currentLayout().tickY.back(), t.b.currentLayout().barBottom);
}

TEST(BarGr, AlarmColoursComeFromTheSharedState) {
    Bar t;
    t.state.Alarm_Color.AlmColor1 = 0x00C000;
    t.state.Alarm_Color.AlmColorOther = 0x00FFFF;
    const struct { int status; qint32 color; } cases[] = {
        {0x4, 0x00C000}, {0x4 | 0x8, 0x00FFFF}, {0x80, 0x0000FF}, {0x8000, 0xFF0000}, {0x8, 0x0000FF},
    };
    for (auto c : cases) {
        t.b.setAlarmstatas(qint16(c.status));
        EXPECT_EQ(t.b.barColor(), c.color) << std::hex << c.status;
        EXPECT_EQ(t.b.Alarmstatas(), 0);
    }
    // Without a shared state every alarm colour is red.
    test::app();
    BarGr alone;
    alone.setAlarmstatas(0x4);
    EXPECT_EQ(alone.barColor(), 0x0000FF);
}

TEST(BarGr, ScaleTextsAndBar) {
    Bar t;
    BarGr& b = t.b;
    const struct { float value; FillState state; double fraction; const char* text; } cases[] = {
        {50, FillState::Shown, 0.5, "50.0"},
        {150, FillState::Shown, 1.0, "150.0"},
        {-10, FillState::Empty, 0.0, "-10.0"},
        {0, FillState::Empty, 0.0, "0.0"},
        {12.35f, FillState::Shown, 0.1235, "12.4"},
    };
    for (auto c : cases) {
        b.setValue(c.value);
        EXPECT_EQ(b.barFill().state, c.state) << c.value;
        EXPECT_NEAR(b.barFill().fraction, c.fraction, 1e-6) << c.value;
        EXPECT_EQ(b.valueText(), QString::fromLatin1(c.text)) << c.value;
    }
    // Max 12.345 with one decimal shows 12.3, and the bar is worked out with 12.3.
    b.setMax(12.345f);
    EXPECT_EQ(b.maxText(), QStringLiteral("12.3"));
    EXPECT_FLOAT_EQ(b.Max(), 12.3f);
    // Setting the scale does not move the bar; the next value does.
    b.setValue(6.15f);
    EXPECT_NEAR(b.barFill().fraction, 0.5, 1e-6);
    b.setMax(24.6f);
    EXPECT_NEAR(b.barFill().fraction, 0.5, 1e-6);
    EXPECT_TRUE(b.SetValue());
    EXPECT_NEAR(b.barFill().fraction, 0.25, 1e-6);
    // Two decimals, then no decimals.
    b.setNumDecimals(2);
    b.setMin(-1.5f);
    EXPECT_EQ(b.minText(), QStringLiteral("-1.50"));
    b.setNumDecimals(0);
    b.setMin(-3);
    b.setValue(7.5f);
    EXPECT_EQ(b.minText(), QStringLiteral("-3"));
    EXPECT_EQ(b.valueText(), QStringLiteral("8"));
}

TEST(BarGr, FourOrFiveDecimalsKeepTheScaleTexts) {
    Bar t;
    t.b.setNumDecimals(4);
    t.b.setMax(12);
    t.b.setMin(-5);
    EXPECT_EQ(t.b.maxText(), QStringLiteral("100"));
    EXPECT_EQ(t.b.minText(), QStringLiteral("0"));
    t.b.setValue(25);
    EXPECT_EQ(t.b.valueText(), QStringLiteral("25.0000"));
    EXPECT_NEAR(t.b.barFill().fraction, 0.25, 1e-6);
}

TEST(BarGr, AnAllNegativeScaleDrawsItsBarAndOnlyAnEmptyScaleStops) {
    Bar t;
    BarGr& b = t.b;
    b.setMin(-200);
    b.setMax(-50);
    b.setValue(-125);
    EXPECT_EQ(b.barFill().state, FillState::Shown);
    EXPECT_TRUE(b.barVisible());
    EXPECT_NEAR(b.barFill().fraction, 0.5, 1e-6);
    EXPECT_EQ(b.valueText(), QStringLiteral("-125.0"));
    EXPECT_TRUE(b.SetValue());
    // Max below Min: no bar, but the text still follows the value.
    b.setMin(100);
    b.setMax(0);
    b.setValue(-42.5f);
    EXPECT_EQ(b.barFill().state, FillState::NoScale);
    EXPECT_FALSE(b.barVisible());
    EXPECT_EQ(b.valueText(), QStringLiteral("-42.5"));
}

TEST(BarGr, EqualScaleEndsDoNotDivide) {
    Bar t;
    BarGr& b = t.b;
    b.setMin(12.3f);
    b.setMax(12.3f);
    b.setValue(20);
    EXPECT_EQ(b.barFill().state, FillState::ZeroSpan);
    EXPECT_FALSE(b.barVisible());
    EXPECT_EQ(b.valueText(), QStringLiteral("20.0"));
    EXPECT_FALSE(b.SetValue());
    // A scale that opens again places the bar at the next value.
    b.setMax(22.3f);
    b.setValue(17.3f);
    EXPECT_TRUE(b.barVisible());
    EXPECT_NEAR(b.barFill().fraction, 0.5, 1e-5);
}

TEST(BarGr, RepaintsOnlyWhatChanged) {
    Bar t;
    BarGr& b = t.b;
    t.show();
    const auto settle = [&] {
        QApplication::processEvents();
        return std::pair{b.updateRequests(), b.paintCount()};
    };
    // The scale texts in the form of one decimal, as the refresh writes them.
    b.setMin(0);
    b.setMax(100);
    auto [requests, paints] = settle();

    // Setting what is shown already: no repaint.
    const struct { const char* what; std::function<void()> set; } same[] = {
        {"same value", [&] { b.setValue(50); }},
        {"same pixels and text", [&] { b.setValue(50.01f); }},
        {"same scale", [&] { b.setMin(0); b.setMax(100); }},
        {"same decimals", [&] { b.setNumDecimals(1); }},
        {"same colour", [&] { b.setAlarmstatas(0x0800); }},  // outside the mask: blue
        {"same number", [&] { b.setNrPM(0); }},
        {"tool tip", [&] { b.setTipText(QStringLiteral("Zone 1")); }},
        {"decimals alone", [&] { b.setNumDecimals(2); b.setNumDecimals(1); }},
        {"redraw at the same size", [&] { b.Redraw(); }},
    };
    for (const auto& s : same) {
        s.set();
        s.set();
        const auto [r, p] = settle();
        EXPECT_EQ(r, requests) << s.what;
        EXPECT_EQ(p, paints) << s.what;
    }

    // Each change asks for one repaint and is painted; setting it again does nothing.
    const struct { const char* what; std::function<void()> set; int requests; } changes[] = {
        {"value", [&] { b.setValue(60); }, 2},  // the bar and the value text
        {"value text only", [&] { b.setValue(59.9f); }, 1},
        {"whole numbers", [&] { b.setNumDecimals(0); b.setValue(59.6f); }, 1},  // "60", bar as at 59.9
        {"bar only", [&] { b.setValue(60.3f); }, 1},                           // "60", one pixel higher
        {"colour", [&] { b.setAlarmstatas(0x80); }, 1},
        {"scale text", [&] { b.setMax(200); }, 1},
        {"number", [&] { b.setNrPM(12); }, 1},
    };
    for (const auto& c : changes) {
        c.set();
        auto [r, p] = settle();
        EXPECT_EQ(r, requests + c.requests) << c.what;
        EXPECT_GT(p, paints) << c.what;
        requests = r;
        paints = p;
        c.set();
        std::tie(r, p) = settle();
        EXPECT_EQ(r, requests) << c.what << " again";
        EXPECT_EQ(p, paints) << c.what << " again";
    }

    // A colour change of a bar that is not drawn changes nothing on screen.
    b.setValue(-5);
    std::tie(requests, paints) = settle();
    b.setAlarmstatas(0x4);
    EXPECT_EQ(b.updateRequests(), requests);
}

TEST(BarGr, ScaleClicksFillTheEditContext) {
    const struct {
        quint8 nrPM;
        bool max;
        bool autoTuning;
        bool opens;
        int item, channel;  // Set_Item and Set_Ch afterwards
    } cases[] = {
        {7, true, false, true, 29, 6},
        {7, false, false, true, 30, 6},
        {95, true, false, true, 29, 94},
        {7, true, true, false, 12, 6},     // auto-tuning: Set_Ch written, no dialog
        {0, true, false, false, 12, 77},   // no channel: nothing written
        {96, false, false, false, 12, 77},
    };
    for (auto c : cases) {
        Bar t;
        t.b.setNrPM(c.nrPM);
        t.b.setMin(-50);
        if (c.autoTuning && c.nrPM >= 1 && c.nrPM <= 95) t.state.ParaData(c.nrPM - 1, Item::AutoTuning) = 1;
        t.state.Edit_Context.Set_Ch = 77;
        t.state.Edit_Context.Set_Item = 12;
        Requests spy(t.b);
        if (c.max) t.b.LMax_Click();
        else t.b.LMin_Click();
        EXPECT_EQ(t.prompts.beeps, 1) << int(c.nrPM);
        EXPECT_EQ(t.state.Edit_Context.Set_Ch, c.channel) << int(c.nrPM);
        EXPECT_EQ(t.state.Edit_Context.Set_Item, c.item) << int(c.nrPM);
        ASSERT_EQ(spy.edits.size(), c.opens ? 1u : 0u) << int(c.nrPM);
        if (c.opens) {
            EXPECT_EQ(spy.edits[0].item, c.item);
            EXPECT_EQ(spy.edits[0].channel, c.channel);
            EXPECT_EQ(spy.edits[0].nowText, c.max ? QStringLiteral("100") : QStringLiteral("-50.0"));
        }
    }
}

TEST(BarGr, ClicksByPosition) {
    Bar t;
    t.b.setNrPM(3);
    t.show();
    Requests r(t.b);
    const QPoint maxAt = t.b.maxRect().center();
    const QPoint minAt = t.b.minRect().center();
    const QPoint barAt = t.b.currentLayout().back.center();
    const QPoint valueAt = t.b.valueRect().center();

    click(t.b, maxAt, maxAt);
    ASSERT_EQ(r.edits.size(), 1u);
    EXPECT_EQ(r.edits[0].item, 29);
    click(t.b, minAt, minAt);
    ASSERT_EQ(r.edits.size(), 2u);
    EXPECT_EQ(r.edits[1].item, 30);
    EXPECT_EQ(r.edits[1].channel, 2);
    click(t.b, barAt, barAt);
    click(t.b, valueAt, valueAt);
    EXPECT_EQ(r.clicks, 2);
    // Pressed on one part and released on another: no click.
    click(t.b, maxAt, barAt);
    click(t.b, barAt, maxAt);
    EXPECT_EQ(r.edits.size(), 2u);
    EXPECT_EQ(r.clicks, 2);
    EXPECT_EQ(t.prompts.beeps, 2);
}

TEST(BarGr, SmallestSizeAndRelayout) {
    Bar t;
    t.show();
    t.b.resize(13, 33);  // 200 x 500 twips
    QApplication::processEvents();
    EXPECT_EQ(t.b.size(), QSize(20, 67));  // 300 x 1000 twips
    EXPECT_EQ(t.b.currentLayout().size, QSize(20, 67));
    EXPECT_EQ(t.b.currentLayout().tickY.back(), t.b.currentLayout().barBottom);
    t.b.resize(60, 300);
    QApplication::processEvents();
    EXPECT_EQ(t.b.currentLayout().size, QSize(60, 300));
    EXPECT_EQ(t.b.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
}

TEST(BarGr, PropertyBagRoundTrip) {
    PropertyBag empty;
    {
        Bar t;
        t.b.WriteProperties(empty);
    }
    EXPECT_TRUE(empty.names().isEmpty());  // every value at its default

    PropertyBag bag;
    {
        Bar t;
        t.b.setTipText(QStringLiteral("Furnace"));
        t.b.setNrPM(42);
        t.b.setNrIntervals(5);
        t.b.setValue(33.5f);
        t.b.setAlarmMin(-1);
        t.b.setAlarmMax(99);
        t.b.setMin(-20);
        t.b.setMax(480);
        EXPECT_EQ(t.b.changedProperties(),
                  QStringList({"TipText", "NrPM", "NrIntervals", "Value", "AlarmMin", "AlarmMax", "Min", "Max"}));
        t.b.WriteProperties(bag);
    }
    EXPECT_EQ(bag.names().size(), 8);  // NumDecimals stayed at its default
    Bar u;
    u.b.ReadProperties(bag);
    EXPECT_EQ(u.b.TipText(), QStringLiteral("Furnace"));
    EXPECT_EQ(u.b.NrPM(), 42);
    EXPECT_EQ(u.b.NrIntervals(), 5);
    EXPECT_FLOAT_EQ(u.b.Value(), 33.5f);
    EXPECT_FLOAT_EQ(u.b.AlarmMin(), -1.0f);
    EXPECT_FLOAT_EQ(u.b.AlarmMax(), 99.0f);
    EXPECT_EQ(u.b.minText(), QStringLiteral("-20.0"));
    EXPECT_EQ(u.b.maxText(), QStringLiteral("480.0"));
    EXPECT_EQ(u.b.valueText(), QStringLiteral("33.5"));

    // Min and Max are read while the earlier decimals are in force.
    PropertyBag two;
    two.WriteProperty(QStringLiteral("Max"), 12.345f, 100.0f);
    two.WriteProperty(QStringLiteral("NumDecimals"), 2, 1);
    two.WriteProperty(QStringLiteral("NrIntervals"), 60, 10);
    Bar v;
    v.b.ReadProperties(two);
    EXPECT_EQ(v.b.maxText(), QStringLiteral("12.3"));
    EXPECT_EQ(v.b.NumDecimals(), 2);
    EXPECT_EQ(v.b.NrIntervals(), 50);
    EXPECT_EQ(v.prompts.boxes.size(), 1u);
}

}  // namespace
}  // namespace qvx

namespace qvx {
namespace {

TEST(BarGr, ChannelNameIsTheToolTipOfTheNumberOnly) {
    Bar t;
    t.b.setNrPM(5);
    t.b.setTipText(QStringLiteral("Furnace zone 5"));
    t.show();
    const auto tipAt = [&](QPoint pos) {
        QHelpEvent e(QEvent::ToolTip, pos, t.b.mapToGlobal(pos));
        QApplication::sendEvent(&t.b, &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(t.b.indexRect().topLeft() + QPoint(2, 2)), QStringLiteral("Furnace zone 5"));
    EXPECT_EQ(t.b.toolTipAt(t.b.currentLayout().back.center()), QString());
    EXPECT_EQ(t.b.toolTipAt(t.b.maxRect().center()), QString());
    EXPECT_EQ(t.b.toolTipAt(t.b.valueRect().center()), QString());
}

}  // namespace
}  // namespace qvx
