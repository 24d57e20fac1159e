#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "opuningdisp.h"
#include "subdisp_alarm.h"
#include "subdisp_comm.h"
#include "subdisp_saveload.h"
#include "test_support.h"

namespace qvx {
namespace {

TEST(OpuningDisp, TextsAndProgressRange) {
    test::app();
    const StringTable t = StringTable::builtIn(StringTable::Language::English);
    OpuningDisp o(t);
    EXPECT_EQ(o.windowTitle(), QStringLiteral("QVX-720 Monitoring software"));
    EXPECT_EQ(o.Label1->text(), QStringLiteral("KORVEL MERIDAX CO., LTD."));
    EXPECT_EQ(o.Label3->text(), QStringLiteral("Wait for a moment."));
    EXPECT_EQ(o.Label4->text(), QStringLiteral("PWS-QVX07R"));
    EXPECT_EQ(o.Label2->text(), QStringLiteral("QVX-52B Monitoring Software"));
    EXPECT_FALSE(o.Image1->pixmap().isNull());
    EXPECT_EQ(o.ProgressBar1->minimum(), 0);
    EXPECT_EQ(o.ProgressBar1->maximum(), 95);
    o.setProgress(95);
    EXPECT_EQ(o.ProgressBar1->value(), 95);
}

class CommDialogTest : public ::testing::Test {
protected:
    void SetUp() override { test::app(); }
    StringTable strings = test::numberedTable();
    QVX720_INC state;
    test::ScriptedUi ui;
};

TEST_F(CommDialogTest, ListsAndCaptions) {
    SubDisp_comm d(state, strings, ui, QStringLiteral("2"));
    ASSERT_EQ(d.Combo_Port->count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d.Combo_Port->itemText(i), QStringLiteral("COM%1").arg(i + 1));
    ASSERT_EQ(d.Combo_Rate->count(), 2);
    EXPECT_EQ(d.Combo_Rate->itemText(0), QStringLiteral("9600"));
    EXPECT_EQ(d.Combo_Rate->itemText(1), QStringLiteral("19200"));
    const QStringList ms = {"100", "200", "300", "400", "500", "600", "700",
                            "800", "900", "1000", "1500", "2000", "3000", "4000"};
    ASSERT_EQ(d.Combo1->count(), 14);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(d.Combo1->itemText(i), ms[i]);
    EXPECT_EQ(d.Label3->text(), QStringLiteral("msec"));
    EXPECT_EQ(d.windowTitle(), strings.text(252));
    EXPECT_EQ(d.Label1->text(), strings.text(253));
    EXPECT_EQ(d.Label2->text(), strings.text(254));
    EXPECT_EQ(d.Label4->text(), strings.text(49));
    EXPECT_EQ(d.Command3->text(), strings.text(255));
    EXPECT_EQ(d.Command1->text(), QStringLiteral("OK"));
    EXPECT_FALSE(d.isModal());
}

TEST_F(CommDialogTest, StoredTimeoutChoiceSelectsItsEntry) {
    const struct { const char* stored; int timeCount; int index; } cases[] = {
        {"5", 5, 4}, {"1", 1, 0}, {"14", 14, 13}, {" 11 ", 11, 10},
        // Outside 1..14: Time_Count keeps the stored number, the list shows the default.
        {"20", 20, 1}, {"0", 0, 1},
        // Not a number: Time_Count stays as it was (3 here).
        {"abc", 3, 2},
    };
    for (auto c : cases) {
        state.Time_Count = 3;
        SubDisp_comm d(state, strings, ui, QString::fromLatin1(c.stored));
        EXPECT_EQ(state.Time_Count, c.timeCount) << c.stored;
        EXPECT_EQ(d.Combo1->currentIndex(), c.index) << c.stored;
    }
}

TEST_F(CommDialogTest, OkHandsOnTheChoicesAndClearsTheWait) {
    SubDisp_comm d(state, strings, ui, QStringLiteral("2"));
    QString port, speed;
    int choice = 0, calls = 0;
    d.setAcceptHandler([&](const QString& p, const QString& s, int c) {
        port = p;
        speed = s;
        choice = c;
        ++calls;
    });
    d.setPortText(QStringLiteral("COM3"));
    d.setPortText(QStringLiteral("COM9"));  // not in the list: stays COM3
    d.setSpeedText(QStringLiteral("19200"));
    d.setSpeedText(QStringLiteral("14400"));
    d.Combo1->setCurrentIndex(10);
    state.CommDisp_flg = true;
    d.show();
    d.Command1->click();
    EXPECT_FALSE(state.CommDisp_flg);
    EXPECT_EQ(state.Time_Count, 11);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(port, QStringLiteral("COM3"));
    EXPECT_EQ(speed, QStringLiteral("19200"));
    EXPECT_EQ(choice, 11);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(ui.ends, 0);
}

TEST_F(CommDialogTest, ClosingTheWindowActsLikeOk) {
    SubDisp_comm d(state, strings, ui, QStringLiteral("4"));
    int calls = 0;
    d.setAcceptHandler([&](const QString&, const QString&, int c) {
        ++calls;
        EXPECT_EQ(c, 4);
    });
    state.CommDisp_flg = true;
    d.show();
    d.close();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(state.CommDisp_flg);
    EXPECT_FALSE(d.isVisible());
    // Escape as well.
    state.CommDisp_flg = true;
    d.show();
    d.reject();
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(state.CommDisp_flg);
}

TEST_F(CommDialogTest, ShutDownEndsWithoutAccepting) {
    SubDisp_comm d(state, strings, ui, QStringLiteral("2"));
    int calls = 0;
    d.setAcceptHandler([&](const QString&, const QString&, int) { ++calls; });
    state.CommDisp_flg = true;
    d.show();
    d.Command3->click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, strings.text(22));
    EXPECT_EQ(ui.boxes[0].title, strings.text(1));
    EXPECT_EQ(ui.boxes[0].buttons, UiSeam::Buttons::Ok);
    EXPECT_EQ(ui.ends, 1);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(state.CommDisp_flg);
}

TEST(NeighbourShells, AlarmSwatchesAndChannelLists) {
    test::app();
    const StringTable t = test::numberedTable();
    QVX720_INC state;
    test::ScriptedUi ui;
    SubDisp_Alarm a(state, t, ui, nullptr);
    EXPECT_EQ(a.windowTitle(), t.text(40));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a.swatchColor(i), 0xFF) << i;
    a.setSwatchColor(2, 0x00FF00);
    a.setSwatchColor(7, 0x123456);
    EXPECT_EQ(a.swatchColor(2), 0x00FF00);
    EXPECT_EQ(a.Lbl_alm[2]->palette().color(QPalette::Window), QColor(0, 0xFF, 0));
    EXPECT_EQ(a.swatchColor(7), 0);
    EXPECT_EQ(a.Cmd_Alm[4]->text(), t.text(43));

    SubDisp_SaveLoad s(state, t, ui, {});
    EXPECT_EQ(s.windowTitle(), t.text(500));
    QStringList names;
    for (int ch = 0; ch < 95; ++ch) names << QStringLiteral("N%1").arg(ch);
    s.setChannelNames(names);
    for (QComboBox* list : s.SaveLoad_CHname) {
        EXPECT_EQ(list->count(), 95);
        EXPECT_EQ(list->itemText(94), QStringLiteral("N94"));
        EXPECT_EQ(list->currentIndex(), -1);
    }
}

}  // namespace
}  // namespace qvx
