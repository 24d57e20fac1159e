#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "setting_disp.h"
#include "settings_test_support.h"

namespace qvx {
namespace {

using Member = NumericSettingDialog::Member;

class NumericDialogTest : public ::testing::Test, public test::Fixture {
protected:
    std::unique_ptr<NumericSettingDialog> make(Member m) {
        switch (m) {
        case Member::Setting: return std::make_unique<Setting_Disp>(state, strings, ui, store);
        case Member::Setting4: return std::make_unique<Setting4_Disp>(state, strings, ui, store);
        case Member::Setting2: return std::make_unique<Setting2_Disp>(state, strings, ui);
        }
        return nullptr;
    }

    // The opener's steps: item and channel into the context, Range_Set, open.
    EditTarget openOn(NumericSettingDialog& d, int item, int ch, const QString& now = QStringLiteral("now")) {
        state.Edit_Context.Set_Item = qint16(item);
        state.Edit_Context.Set_Ch = qint16(ch);
        const EditTarget t = Range_SetTarget(state, now);
        d.open(t);
        return t;
    }

    // A channel with a linear input, d decimal places and scaling low..high.
    void linear(int ch, int d, qint16 low, qint16 high) {
        state.ParaData(ch, Item::InputType) = 32;
        state.ParaData(ch, Item::DecimalPoint) = qint16(d);
        state.ParaData(ch, Item::ScalingLow) = low;
        state.ParaData(ch, Item::ScalingHigh) = high;
    }

    static void type(NumericSettingDialog& d, int key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(d.Disp_setdata, &press);
    }
    static void typeChars(NumericSettingDialog& d, const char* chars) {
        for (const char* p = chars; *p; ++p) type(d, Qt::Key_unknown, QString(QChar::fromLatin1(*p)));
    }
    static QString shown(const NumericSettingDialog& d) { return d.Disp_setdata->text(); }
};

const Member kMembers[] = {Member::Setting, Member::Setting4, Member::Setting2};

TEST_F(NumericDialogTest, CaptionsAndModeless) {
    for (Member m : kMembers) {
        auto d = make(m);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("T230"));
        EXPECT_EQ(d->Label1->text(), QStringLiteral("T231"));
        EXPECT_EQ(d->Label2->text(), QStringLiteral("T232"));
        EXPECT_TRUE(d->Disp_setdata->isReadOnly());
        openOn(*d, 14, 0);
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->isModal());
    }
}

TEST_F(NumericDialogTest, TenKeysShowTheEntryInTheChannelsDecimals) {
    // SV of a linear input with two decimal places: the one-channel members
    // place the point, the page member shows the raw entry.
    linear(3, 2, -1000, 5000);
    const struct {
        Member m;
        QStringList shown;
    } cases[] = {
        {Member::Setting, {"0.01", "0.15", "1.50", "15.00"}},
        {Member::Setting4, {"0.01", "0.15", "1.50", "15.00"}},
        {Member::Setting2, {" 1", " 15", " 150", " 1500"}},
    };
    for (const auto& c : cases) {
        auto d = make(c.m);
        openOn(*d, Item::SV, 3);
        QStringList seen;
        for (int key : {1, 5, 0, 0}) {
            d->Ten_key[key]->click();
            seen << shown(*d);
        }
        EXPECT_EQ(seen, c.shown) << int(c.m);
        EXPECT_EQ(d->entry().raw(), QStringLiteral(" 1500"));
    }
}

TEST_F(NumericDialogTest, TypedCharacters) {
    const struct {
        const char* chars;
        const char* shown;
        const char* raw;
    } cases[] = {
        {"12-3", "-123", "-123"},
        {"12.", "", ""},          // "." clears the whole entry
        {"12a", " 12", " 12"},    // other characters change nothing
        {"123456789", " 12345678", " 12345678"},
    };
    for (const auto& c : cases) {
        Setting_Disp d(state, strings, ui, store);
        openOn(d, 14, 0);
        typeChars(d, c.chars);
        EXPECT_EQ(shown(d), QString::fromLatin1(c.shown)) << c.chars;
        EXPECT_EQ(d.entry().raw(), QString::fromLatin1(c.raw)) << c.chars;
    }
    // Backspace clears the whole entry, not one digit.
    Setting_Disp d(state, strings, ui, store);
    openOn(d, 14, 0);
    typeChars(d, "345");
    type(d, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(shown(d), QString());
    EXPECT_EQ(d.entry().raw(), QString());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(NumericDialogTest, TypedMinusIsNotTestedButPlusMinusIs) {
    // Integral time: 0..1000.
    Setting_Disp d(state, strings, ui, store);
    openOn(d, 14, 0);
    typeChars(d, "12-");
    EXPECT_EQ(shown(d), QStringLiteral("-12"));
    EXPECT_TRUE(ui.boxes.empty());
    // Back to 12 by "+/-": inside the limits.
    d.Command1->click();
    EXPECT_EQ(shown(d), QStringLiteral(" 12"));
    EXPECT_TRUE(ui.boxes.empty());
    // To -12: refused at once, the entry emptied, the dialog stays.
    d.Command1->click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0], QStringLiteral("T229"));
    EXPECT_TRUE(ui.titles[0].isEmpty());
    EXPECT_EQ(shown(d), QString());
    EXPECT_EQ(d.entry().raw(), QString());
    EXPECT_TRUE(d.isVisible());
}

TEST_F(NumericDialogTest, PlusMinusLimitsByMember) {
    // Integral time: limits 0..1000. The page member tests -1999..9999 instead.
    const struct {
        Member m;
        const char* keys;
        bool accepted;
    } cases[] = {
        {Member::Setting, "5", false},     {Member::Setting4, "5", false},   {Member::Setting2, "5", true},
        {Member::Setting2, "1999", true},  {Member::Setting2, "2000", false}, {Member::Setting2, "10000-", false},
        {Member::Setting2, "9999-", true}, {Member::Setting, "", true},       {Member::Setting2, "", true},
    };
    for (const auto& c : cases) {
        ui.boxes.clear();
        auto d = make(c.m);
        openOn(*d, 14, 0);
        typeChars(*d, c.keys);
        d->Command1_Click();
        EXPECT_EQ(ui.boxes.empty(), c.accepted) << int(c.m) << " " << c.keys;
        EXPECT_EQ(shown(*d).isEmpty(), !c.accepted) << int(c.m) << " " << c.keys;
    }
}

TEST_F(NumericDialogTest, OkOnEmptyAndOutOfRangeEntries) {
    // Integral time: 0..1000.
    for (Member m : kMembers) {
        ui = test::ScriptedUi{};
        state.Write_Request = WriteRequest{};
        state.Write_Request.Com_State = Com_Monitor;
        auto d = make(m);
        openOn(*d, 14, 2);

        d->Command3->click();  // empty
        const std::vector<std::string> emptyEvents =
            m == Member::Setting2 ? std::vector<std::string>{"box:T559"} : std::vector<std::string>{"box:T559", "beep"};
        EXPECT_EQ(ui.events, emptyEvents) << int(m);
        EXPECT_TRUE(d->isVisible());

        typeChars(*d, "1001");
        type(*d, Qt::Key_Return, QStringLiteral("\r"));  // Enter is OK
        EXPECT_EQ(ui.boxes.back(), QStringLiteral("T229")) << int(m);
        EXPECT_EQ(shown(*d), QString());
        EXPECT_EQ(d->entry().raw(), QString());
        EXPECT_TRUE(d->isVisible());

        // Nothing is stored or queued on a refusal.
        EXPECT_EQ(state.ParaData(2, 14), 0);
        EXPECT_EQ(state.AllPage_Data.AllParaData(14), 0);
        EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
    }
}

TEST_F(NumericDialogTest, AcceptedOkStoresQueuesAndCloses) {
    const struct {
        Member m;
        int item, ch;
        const char* keys;
        qint16 value;
        bool reRead;
    } cases[] = {
        {Member::Setting, 14, 2, "1000", 1000, false},   // the upper limit itself
        {Member::Setting, 33, 2, "5-", -5, false},       // main output low limit, lower limit -5
        {Member::Setting4, 29, 8, "1370", 1370, true},   // scaling high limit, unchanged value
        {Member::Setting4, 30, 8, "200-", -200, true},   // scaling low limit
        {Member::Setting2, 45, 0, "9999", 9999, false},  // page: alarm 1 delay timer
    };
    for (const auto& c : cases) {
        ui = test::ScriptedUi{};
        state.Write_Request = WriteRequest{};
        state.Write_Request.Com_State = Com_Monitor;
        state.Monitor_Data.TypeData(c.ch) = 0x10;  // output limits -5..105
        state.ParaData(c.ch, 32) = 100;
        state.ParaData(c.ch, Item::ScalingHigh) = 1370;
        state.ParaData(c.ch, Item::ScalingLow) = -200;
        auto d = make(c.m);
        const EditTarget t = openOn(*d, c.item, c.ch);
        typeChars(*d, c.keys);
        d->Command3->click();
        EXPECT_EQ(ui.events, std::vector<std::string>{"beep"}) << c.item;
        EXPECT_FALSE(d->isVisible()) << c.item;
        EXPECT_EQ(d->result(), QDialog::Accepted);
        const LineRequest* asked = state.Write_Request.Line_Queue.head();
        EXPECT_EQ(asked && asked->reRead, c.reRead) << c.item;
        if (c.m == Member::Setting2) {
            EXPECT_EQ(state.AllPage_Data.AllParaData(c.item), c.value);
            EXPECT_EQ(state.ParaData(c.ch, c.item), 0);
            EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
        } else {
            EXPECT_EQ(state.ParaData(c.ch, c.item), c.value) << c.item;
            EXPECT_EQ(state.Write_Request.Com_State, Com_WriteOne);
            EXPECT_EQ(state.Write_Request.Com_Ch, c.ch);
            EXPECT_EQ(state.Write_Request.Com_Item, c.item);
            EXPECT_EQ(state.Write_Request.Com_Code, itemCode(c.item));
        }
    }
}

TEST_F(NumericDialogTest, OkTakesTheRawValueNotTheDisplayedNumber) {
    // SV of a channel with one-decimal input type 1: 25.0 is typed as 250.
    state.ParaData(1, Item::InputType) = 1;
    state.ParaData(1, Item::ScalingHigh) = 5000;
    state.ParaData(1, Item::ScalingLow) = -1999;
    Setting_Disp d(state, strings, ui, store);
    openOn(d, Item::SV, 1);
    typeChars(d, "250");
    EXPECT_EQ(shown(d), QStringLiteral("25.0"));
    d.Command3_Click();
    EXPECT_EQ(state.ParaData(1, Item::SV), 250);
}

TEST_F(NumericDialogTest, CancelStoresNothingAndTheNextOpeningStartsEmpty) {
    Setting_Disp d(state, strings, ui, store);
    state.Write_Request.Com_State = Com_Monitor;
    openOn(d, 14, 0);
    typeChars(d, "77");
    d.Command4->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(state.ParaData(0, 14), 0);
    EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
    openOn(d, 14, 0);
    EXPECT_EQ(shown(d), QString());
    EXPECT_EQ(d.entry().raw(), QString());
    // Closing the window is Cancel too.
    typeChars(d, "5");
    d.close();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(state.ParaData(0, 14), 0);
}

TEST_F(NumericDialogTest, ClearButtonEmptiesTheEntry) {
    for (Member m : kMembers) {
        auto d = make(m);
        openOn(*d, 14, 0);
        typeChars(*d, "42");
        d->Command2->click();
        EXPECT_EQ(shown(*d), QString());
        EXPECT_EQ(d->entry().raw(), QString());
    }
}

TEST_F(NumericDialogTest, LabelsCarryTheOpenersTexts) {
    linear(4, 1, -100, 800);
    for (Member m : kMembers) {
        auto d = make(m);
        openOn(*d, Item::ScalingHigh, 4, QStringLiteral("80.0"));
        EXPECT_EQ(d->Now_data->text(), QStringLiteral("80.0"));
        // Every member shows the range, Setting4_Disp included, also when the
        // value has decimals.
        EXPECT_EQ(d->Limit_data->text(), QStringLiteral("-10.0 to 999.9")) << int(m);
    }
}

// ---------------------------------------------------------------------------
// A dialog left open keeps its own target.

TEST_F(NumericDialogTest, OkActsOnTheTargetItWasOpenedWith) {
    // Setting_Disp opened for the SV of channel 3 (0..500); meanwhile another
    // opener moves the edit context to item 14 of channel 7 (0..1000).
    state.ParaData(3, Item::ScalingHigh) = 500;
    Setting_Disp d(state, strings, ui, store);
    openOn(d, Item::SV, 3);
    state.Edit_Context.Set_Item = 14;
    state.Edit_Context.Set_Ch = 7;
    Range_Set(state, QString());
    ASSERT_EQ(state.Edit_Context.Set_Max, 1000);

    typeChars(d, "600");
    d.Command3_Click();
    EXPECT_EQ(ui.boxes, std::vector<QString>{QStringLiteral("T229")});  // 600 is above this item's 500
    typeChars(d, "300");
    d.Command3_Click();
    EXPECT_EQ(state.ParaData(3, Item::SV), 300);
    EXPECT_EQ(state.ParaData(7, 14), 0);
    EXPECT_EQ(state.Write_Request.Com_Ch, 3);
    EXPECT_EQ(state.Write_Request.Com_Item, Item::SV);
    // The context stays as the other opener left it.
    EXPECT_EQ(state.Edit_Context.Set_Item, 14);
    EXPECT_EQ(state.Edit_Context.Set_Ch, 7);
}

TEST_F(NumericDialogTest, PlusMinusUsesTheTargetLimitsToo) {
    Setting_Disp d(state, strings, ui, store);
    openOn(d, 27, 0);  // sensor correction: -1000..1000
    state.Edit_Context.Set_Item = 14;
    Range_Set(state, QString());  // 0..1000 in the context now
    typeChars(d, "5");
    d.Command1_Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(shown(d), QStringLiteral("-0.5"));
}

TEST_F(NumericDialogTest, ReTargetingEmptiesTheDisplay) {
    state.Write_Request.Com_State = Com_Monitor;
    Setting_Disp d(state, strings, ui, store);
    openOn(d, 14, 0, QStringLiteral("100"));
    typeChars(d, "250");
    ASSERT_EQ(shown(d), QStringLiteral(" 250"));
    openOn(d, 15, 9, QStringLiteral("40"));  // another row button while it is shown
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(shown(d), QString());
    EXPECT_EQ(d.Now_data->text(), QStringLiteral("40"));
    EXPECT_EQ(d.target().item, 15);
    EXPECT_EQ(d.target().channel, 9);
    d.Command3_Click();
    EXPECT_EQ(ui.boxes, std::vector<QString>{QStringLiteral("T559")});
    EXPECT_EQ(state.ParaData(9, 15), 0);
    EXPECT_EQ(state.ParaData(0, 14), 0);
    EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor);
}

TEST_F(NumericDialogTest, TwoMembersOpenAtOnceEachKeepTheirOwnTarget) {
    Setting_Disp one(state, strings, ui, store);
    Setting4_Disp bar(state, strings, ui, store);
    state.ParaData(2, Item::ScalingHigh) = 1370;
    openOn(one, 14, 5);
    openOn(bar, Item::ScalingHigh, 2);
    typeChars(one, "30");
    typeChars(bar, "800");
    one.Command3_Click();
    bar.Command3_Click();
    EXPECT_EQ(state.ParaData(5, 14), 30);
    EXPECT_EQ(state.ParaData(2, Item::ScalingHigh), 800);
    // Both go out, in the order given.
    EXPECT_EQ(state.Write_Request.Com_Ch, 5);
    const auto& asked = state.Write_Request.Line_Queue.requests();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_FALSE(asked.front().reRead);
    EXPECT_EQ(asked.back().ch, 2);
    EXPECT_EQ(asked.back().value, 800);
    EXPECT_TRUE(asked.back().reRead);  // the scaling limit's re-read is its own
}

TEST_F(NumericDialogTest, LinearInputWithImpossibleDecimalsShowsTheRawEntry) {
    linear(4, 1, 0, 500);
    Setting_Disp d(state, strings, ui, store);
    openOn(d, Item::SV, 4);
    const QString earlierRange = d.Limit_data->text();
    ASSERT_EQ(earlierRange, QStringLiteral("0.0 to 50.0"));

    state.ParaData(4, Item::DecimalPoint) = 7;
    openOn(d, Item::SV, 4);
    EXPECT_EQ(d.Limit_data->text(), QString());  // no stale range of an earlier opening
    typeChars(d, "12");
    EXPECT_EQ(shown(d), QStringLiteral(" 12"));
    d.Command3_Click();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(state.ParaData(4, Item::SV), 12);
}

TEST_F(NumericDialogTest, DisplayBoxHasTheFocusWhenShownAndAfterRefusals) {
    linear(0, 0, -100, 100);  // the SV of channel 0 takes -100..100
    const struct {
        const char* name;
        const char* typed;
        void (NumericSettingDialog::*press)();
        const char* message;  // the refusal shown, none for CE
    } presses[] = {
        {"OK with nothing typed", "", &NumericSettingDialog::Command3_Click, "T559"},
        {"OK outside the range", "5000", &NumericSettingDialog::Command3_Click, "T229"},
        {"+/- outside the range", "5000", &NumericSettingDialog::Command1_Click, "T229"},
        {"CE", "5", &NumericSettingDialog::Command2_Click, nullptr},
    };
    for (Member m : kMembers) {
        auto d = make(m);
        openOn(*d, Item::SV, 0);
        QApplication::processEvents();
        EXPECT_EQ(d->focusWidget(), d->Disp_setdata) << "shown";
        for (const auto& p : presses) {
            ui.boxes.clear();
            d->Command2_Click();
            typeChars(*d, p.typed);
            // The operator has moved on to another key of the dialog.
            d->Command4->setFocus();
            ASSERT_NE(d->focusWidget(), d->Disp_setdata) << p.name;
            ((*d).*p.press)();
            EXPECT_EQ(d->focusWidget(), d->Disp_setdata) << p.name;
            if (p.message) {
                ASSERT_EQ(ui.boxes.size(), 1u) << p.name;
                EXPECT_EQ(ui.boxes[0], QString::fromLatin1(p.message)) << p.name;
            }
        }
    }
}

}  // namespace
}  // namespace qvx
