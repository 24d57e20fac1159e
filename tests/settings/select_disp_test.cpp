#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "select_disp.h"
#include "settings_test_support.h"

namespace qvx {
namespace {

using F = SelectFrame;

const F kAllFrames[] = {F::Lock, F::Cool,   F::Alarm, F::Out, F::OnOff, F::Reigi,
                        F::Keep, F::Sensor, F::Hc,    F::Inout, F::Unit, F::Dp};

class SelectDialogTest : public ::testing::Test, public test::Fixture {
protected:
    SelectDialogTest() : one(state, strings, ui, store), page(state, strings) {}

    // The frames of a window that are shown now.
    static QList<F> shownFrames(const SelectionDialog& d) {
        QList<F> shown;
        for (F f : kAllFrames)
            if (d.frame(f) && !d.frame(f)->isHidden()) shown << f;
        return shown;
    }
    static QList<int> checked(const SelectionDialog& d, F f) {
        QList<int> on;
        const QList<QRadioButton*> opts = d.options(f);
        for (int i = 0; i < opts.size(); ++i)
            if (opts[i]->isChecked()) on << i;
        return on;
    }

    Select_Disp one;
    Select2_Disp page;
};

TEST_F(SelectDialogTest, FramesAndCaptions) {
    EXPECT_EQ(one.windowTitle(), QStringLiteral("T233"));
    EXPECT_EQ(page.windowTitle(), QStringLiteral("T233"));
    EXPECT_EQ(one.Command1->text(), QStringLiteral("OK"));
    EXPECT_EQ(one.Command2->text(), QStringLiteral("Cancel"));

    const struct {
        F f;
        const char* name;
        const char* caption;
        bool inOne, inPage;
    } frames[] = {
        {F::Lock, "lock", "T118", true, true},    {F::Cool, "cool", "T127", true, true},
        {F::Alarm, "alarm", "T234", true, true},  {F::Out, "out", "T143", false, true},
        {F::OnOff, "onoff", "T144", true, true},  {F::Reigi, "reigi", "T241", true, true},
        {F::Keep, "keep", "T159", true, true},    {F::Sensor, "sensor", "T150", true, false},
        {F::Hc, "hc", "T151", true, true},        {F::Inout, "inout", "T154", true, true},
        {F::Unit, "unit", "T235", true, false},   {F::Dp, "dp", "T156", true, false},
    };
    int inOne = 0, inPage = 0;
    for (const auto& c : frames) {
        ASSERT_EQ(one.frame(c.f) != nullptr, c.inOne) << c.name;
        ASSERT_EQ(page.frame(c.f) != nullptr, c.inPage) << c.name;
        if (c.inOne) {
            ++inOne;
            EXPECT_EQ(one.frame(c.f)->title(), QString::fromLatin1(c.caption));
            EXPECT_EQ(one.frame(c.f)->objectName(), QStringLiteral("Select_") + QString::fromLatin1(c.name));
        }
        if (c.inPage) {
            ++inPage;
            EXPECT_EQ(page.frame(c.f)->title(), QString::fromLatin1(c.caption));
            EXPECT_EQ(page.frame(c.f)->objectName(), QStringLiteral("Select2_") + QString::fromLatin1(c.name));
        }
    }
    EXPECT_EQ(inOne, 11);
    EXPECT_EQ(inPage, 9);

    const auto captions = [](const SelectionDialog& d, F f) {
        QStringList l;
        for (QRadioButton* b : d.options(f)) l << b->text();
        return l;
    };
    EXPECT_EQ(captions(one, F::Lock), (QStringList{"T244", "T244", "T244", "T245"}));
    EXPECT_TRUE(one.Option_lock[1]->isHidden());
    EXPECT_TRUE(one.Option_lock[2]->isHidden());
    EXPECT_FALSE(one.Option_lock[0]->isHidden());
    EXPECT_FALSE(one.Option_lock[3]->isHidden());
    EXPECT_EQ(captions(one, F::Alarm),
              (QStringList{"T200", "T201", "T203", "T205", "T207", "T209", "T211", "T202", "T204", "T206"}));
    EXPECT_EQ(captions(page, F::Out), (QStringList{"T317", "T318"}));
    EXPECT_EQ(captions(one, F::Cool), (QStringList{"T238", "T239", "T240"}));
    EXPECT_EQ(captions(one, F::Keep), (QStringList{"T268", "T269"}));
    EXPECT_EQ(captions(one, F::Dp), (QStringList{"XXXX", "XXX. X", "XX. XX", "X. XXX"}));
    const QStringList sensor = captions(one, F::Sensor);
    ASSERT_EQ(sensor.size(), 36);
    EXPECT_EQ(sensor[0], QStringLiteral("-200 to 1370 T215 K"));
    EXPECT_EQ(sensor[9], QStringLiteral("0 to 1390 T215 T565"));
    EXPECT_EQ(sensor[15], QStringLiteral("-320 to 2500 T216 K"));
    EXPECT_EQ(sensor[31], QStringLiteral("DC 0 to 20mA"));
    EXPECT_EQ(one.Text_unit->text(), QStringLiteral("%"));
}

TEST_F(SelectDialogTest, OpeningShowsTheItemsFrameWithItsValueSelected) {
    const struct {
        int item, value;
        F frame;
        QList<int> checkedOptions;
    } cases[] = {
        {26, 3, F::Lock, {3}},
        {26, 1, F::Lock, {1}},  // a hidden "Save" option: nothing visible is selected
        {26, 5, F::Lock, {}},
        {35, 2, F::Cool, {2}},
        {39, 7, F::Alarm, {7}},
        {59, 12, F::Alarm, {}},
        {50, 1, F::OnOff, {1}},
        {51, 0, F::Reigi, {0}},
        {61, 1, F::Keep, {1}},
        {54, 35, F::Sensor, {35}},
        {54, -3, F::Sensor, {}},
        {55, 1, F::Hc, {1}},
        {63, 0, F::Inout, {0}},
        {66, 2, F::Dp, {2}},
        {66, 4, F::Dp, {}},
    };
    for (const auto& c : cases) {
        state.ParaData(11, c.item) = qint16(c.value);
        one.open(selectTarget(state, c.item, 11));
        EXPECT_TRUE(one.isVisible());
        EXPECT_FALSE(one.isModal());
        EXPECT_EQ(shownFrames(one), QList<F>{c.frame}) << c.item;
        EXPECT_EQ(checked(one, c.frame), c.checkedOptions) << c.item << " " << c.value;
        one.Command2_Click();
    }
    // The unit box takes the channel's unit text.
    state.UnitText(11) = QStringLiteral("kPa");
    one.open(selectTarget(state, Item::Unit, 11));
    EXPECT_EQ(shownFrames(one), QList<F>{F::Unit});
    EXPECT_EQ(one.Text_unit->text(), QStringLiteral("kPa"));
}

TEST_F(SelectDialogTest, PageOpeningUsesThePageValue) {
    state.AllPage_Data.AllParaData(49) = 1;
    state.ParaData(0, 49) = 0;
    page.open(pageSelectTarget(state, 49));
    EXPECT_EQ(shownFrames(page), QList<F>{F::Out});
    EXPECT_EQ(checked(page, F::Out), QList<int>{1});
}

TEST_F(SelectDialogTest, OkStoresTheChosenOptionAndQueuesItsWrite) {
    const struct {
        int item, before, choose, stored;
        bool reRead;
    } cases[] = {
        {26, 0, 3, 3, false}, {35, 0, 1, 1, false}, {40, 2, 2, 2, true},
        {51, 1, 0, 0, false}, {54, 0, 30, 30, true}, {60, 0, 1, 1, false},
    };
    for (const auto& c : cases) {
        ui = test::ScriptedUi{};
        state.Write_Request = WriteRequest{};
        state.Write_Request.Com_State = Com_Monitor;
        state.ParaData(20, c.item) = qint16(c.before);
        one.open(selectTarget(state, c.item, 20));
        const F f = selectFrameOf(c.item, SelectWindow::OneChannel);
        one.options(f)[c.choose]->click();
        one.Command1->click();
        EXPECT_FALSE(one.isVisible());
        EXPECT_EQ(ui.beeps, 1);
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(state.ParaData(20, c.item), c.stored) << c.item;
        ASSERT_EQ(state.Write_Request.Line_Queue.size(), 1u) << c.item;
        EXPECT_EQ(state.Write_Request.Line_Queue.head()->reRead, c.reRead) << c.item;
        EXPECT_EQ(state.Write_Request.Com_State, Com_WriteOne);
        EXPECT_EQ(state.Write_Request.Com_Ch, 20);
        EXPECT_EQ(state.Write_Request.Com_Item, c.item);
        EXPECT_EQ(state.Write_Request.Com_Code, itemCode(c.item));
    }
}

TEST_F(SelectDialogTest, MemorySaveWithAHiddenSaveOptionStoresZero) {
    state.ParaData(4, 26) = 2;
    one.open(selectTarget(state, 26, 4));
    one.Command1_Click();
    EXPECT_EQ(state.ParaData(4, 26), 0);
    EXPECT_EQ(state.Write_Request.Com_State, Com_WriteOne);
}

TEST_F(SelectDialogTest, UnitAndDecimalPointAreSavedNotSent) {
    state.Write_Request.Com_State = Com_Monitor;
    state.UnitText(9) = QStringLiteral("%");
    one.open(selectTarget(state, Item::Unit, 9));
    one.Text_unit->setText(QStringLiteral(" L/min "));
    one.Command1_Click();
    EXPECT_EQ(state.UnitText(9), QStringLiteral(" L/min "));
    EXPECT_EQ(store.read(QStringLiteral("UNIT010"), QString()), QStringLiteral(" L/min "));

    one.open(selectTarget(state, Item::DecimalPoint, 9));
    one.Option_dp[2]->click();  // "XX. XX"
    one.Command1_Click();
    EXPECT_EQ(state.ParaData(9, Item::DecimalPoint), 2);
    EXPECT_EQ(state.DecimalData(9), 2);
    EXPECT_EQ(store.read(QStringLiteral("Decimalpoint010"), QString()), QStringLiteral("2"));
    EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
    EXPECT_EQ(ui.beeps, 2);
}

TEST_F(SelectDialogTest, PageOkStoresWithoutBeepOrRequest) {
    const struct {
        int item, choose, stored;
    } cases[] = {
        {49, 1, 1}, {26, 3, 3}, {39, 8, 8}, {61, 1, 1}, {63, 0, 0},
    };
    for (const auto& c : cases) {
        state.Write_Request = WriteRequest{};
        state.Write_Request.Com_State = Com_Monitor;
        state.AllPage_Data.AllParaData(c.item) = 0;
        page.open(pageSelectTarget(state, c.item));
        page.options(selectFrameOf(c.item, SelectWindow::Page))[c.choose]->click();
        page.Command1->click();
        EXPECT_FALSE(page.isVisible());
        EXPECT_EQ(state.AllPage_Data.AllParaData(c.item), c.stored) << c.item;
        EXPECT_TRUE(state.Write_Request.Line_Queue.empty()) << c.item;  // no write, no re-read
        EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor) << c.item;
    }
    EXPECT_EQ(ui.beeps, 0);
}

TEST_F(SelectDialogTest, CancelStoresNothing) {
    state.Write_Request.Com_State = Com_Monitor;
    state.ParaData(3, 39) = 1;
    one.open(selectTarget(state, 39, 3));
    one.Option_alarm[5]->click();
    one.Command2->click();
    EXPECT_FALSE(one.isVisible());
    EXPECT_EQ(state.ParaData(3, 39), 1);
    EXPECT_TRUE(state.Write_Request.Line_Queue.empty());
    EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
    // The next opening starts as freshly loaded: nothing selected but the preset.
    state.ParaData(3, 40) = 11;
    one.open(selectTarget(state, 40, 3));
    EXPECT_EQ(checked(one, F::Alarm), QList<int>{});
}

// ---------------------------------------------------------------------------
// A dialog left open keeps its own target.

TEST_F(SelectDialogTest, OkActsOnTheTargetItWasOpenedWith) {
    state.ParaData(2, 39) = 0;
    one.open(selectTarget(state, 39, 2));
    // Another opener moves the edit context meanwhile.
    state.Edit_Context.Set_Item = 26;
    state.Edit_Context.Set_Ch = 50;
    one.Option_alarm[3]->click();
    one.Command1_Click();
    EXPECT_EQ(state.ParaData(2, 39), 3);
    EXPECT_EQ(state.ParaData(50, 26), 0);
    EXPECT_EQ(state.Write_Request.Com_Ch, 2);
    EXPECT_EQ(state.Write_Request.Com_Item, 39);
    EXPECT_EQ(state.Edit_Context.Set_Item, 26);
    EXPECT_EQ(state.Edit_Context.Set_Ch, 50);
}

TEST_F(SelectDialogTest, ReTargetingShowsTheNewItemOnly) {
    state.ParaData(2, 39) = 1;
    state.ParaData(6, 35) = 2;
    one.open(selectTarget(state, 39, 2));
    one.Option_alarm[4]->click();
    one.open(selectTarget(state, 35, 6));  // another grid row while it is shown
    EXPECT_EQ(shownFrames(one), QList<F>{F::Cool});
    EXPECT_EQ(checked(one, F::Cool), QList<int>{2});
    one.Option_cool[0]->click();
    one.Command1_Click();
    EXPECT_EQ(state.ParaData(6, 35), 0);
    EXPECT_EQ(state.ParaData(2, 39), 1);  // the hidden choice is never read
    EXPECT_EQ(state.Write_Request.Com_Ch, 6);
    ASSERT_EQ(state.Write_Request.Line_Queue.size(), 1u);
    EXPECT_FALSE(state.Write_Request.Line_Queue.head()->reRead);
}

TEST_F(SelectDialogTest, ReTargetingWithinOneFrameSelectsTheNewValue) {
    state.ParaData(2, 39) = 1;
    state.ParaData(3, 40) = 15;  // no option stands for it
    one.open(selectTarget(state, 39, 2));
    one.open(selectTarget(state, 40, 3));
    EXPECT_EQ(checked(one, F::Alarm), QList<int>{});
    one.Command1_Click();  // nothing chosen: the stored value is written again
    EXPECT_EQ(state.ParaData(3, 40), 15);
    EXPECT_EQ(state.ParaData(2, 39), 1);
    EXPECT_EQ(state.Write_Request.Com_Item, 40);
    ASSERT_EQ(state.Write_Request.Line_Queue.size(), 1u);
    EXPECT_TRUE(state.Write_Request.Line_Queue.head()->reRead);
}

}  // namespace
}  // namespace qvx
