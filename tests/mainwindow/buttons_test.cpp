// The setting and command buttons of the main window open the right dialog
// with the right target, or queue the right write.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "bargr.h"
#include "maindisp.h"
#include "select_disp.h"
#include "setting_disp.h"
#include "test_support.h"

using namespace qvx;
using namespace qvx::test;

namespace {
struct Rig {
    QTemporaryDir dir;
    QVX720_INC s;
    StringTable strings = numberedTable();
    ScriptedUi ui;
    SettingsStore store{dir.filePath("s.ini")};
    std::unique_ptr<MainDisp> w;
    Rig() {
        app();
        w = std::make_unique<MainDisp>(s, strings, ui, dir.path());
        w->setSettingsStore(&store);
        s.Write_Request.Com_State = Com_Monitor;
    }
};
}  // namespace

TEST(Buttons, RowOutputButtonOnLastPageQueuesChannel83) {
    Rig r;
    r.w->Option1[4]->setChecked(true);
    r.w->Command_OUT[3]->click();
    EXPECT_EQ(r.ui.beeps, 1);
    EXPECT_EQ(r.s.ParaData(83, 49), 1);
    EXPECT_EQ(r.s.Write_Request.Com_State, Com_WriteOne);
    EXPECT_EQ(r.s.Write_Request.Com_Ch, 83);
    EXPECT_EQ(r.s.Write_Request.Com_Code, "0037");
}

TEST(Buttons, RowChangeOpensTenKeyDialogForTheRowChannel) {
    Rig r;
    r.w->Option1[1]->setChecked(true);
    r.s.Edit_Context.Set_Item = 10;
    r.w->Command_change[2]->click();
    ASSERT_NE(r.w->settingDisp(), nullptr);
    EXPECT_TRUE(r.w->settingDisp()->isVisible());
    EXPECT_EQ(r.w->settingDisp()->target().channel, 22);
    EXPECT_EQ(r.w->settingDisp()->target().item, 10);
    // Auto-tuning on that channel: the beep only.
    r.w->settingDisp()->hide();
    r.s.ParaData(22, 11) = 1;
    r.w->Command_change[2]->click();
    EXPECT_FALSE(r.w->settingDisp()->isVisible());
}

TEST(Buttons, SelectionRefusedWhileAnyChannelAutoTunes) {
    Rig r;
    r.w->Option1[0]->setChecked(true);
    r.s.Edit_Context.Set_Item = 39;
    r.s.ParaData(57, 11) = 1;
    r.w->Command_change2[0]->click();
    ASSERT_EQ(r.ui.boxes.size(), 1u);
    EXPECT_EQ(r.ui.boxes[0].text, "T227");
    EXPECT_EQ(r.ui.boxes[0].buttons, UiSeam::Buttons::Ok);
    EXPECT_FALSE(r.w->selectDisp()->isVisible());
    r.s.ParaData(57, 11) = 0;
    r.s.ParaData(0, 39) = 4;
    r.w->Command_change2[0]->click();
    EXPECT_TRUE(r.w->selectDisp()->isVisible());
    EXPECT_TRUE(r.w->selectDisp()->Option_alarm[4]->isChecked());  // the value the button found
    // The unit item opens on the channel's unit text.
    r.s.Edit_Context.Set_Item = 65;
    r.s.UnitText(1) = "kPa";
    r.w->Command_change2[1]->click();
    EXPECT_EQ(r.w->selectDisp()->Text_unit->text(), "kPa");
}

TEST(Buttons, PageButtonsOpenPageDialogsAndNameTheAutoTuningChannel) {
    Rig r;
    for (int box : {0, 9, 29}) r.w->setOptionCheckValue(box, 1);  // an unchecked item's button is disabled
    r.w->Cmd_change2[29]->click();  // item 39: a selection
    EXPECT_TRUE(r.w->select2Disp()->isVisible());
    r.w->Cmd_change2[0]->click();  // item 10: numeric
    EXPECT_TRUE(r.w->setting2Disp()->isVisible());
    r.s.ParaData(4, 11) = 1;
    r.w->Cmd_change2[9]->click();
    ASSERT_FALSE(r.ui.boxes.empty());
    EXPECT_EQ(r.ui.boxes.back().text, "T227 Ch05");
    EXPECT_EQ(r.s.Edit_Context.Set_Item, 19);
}

TEST(Buttons, OneChannelButtonsActOnTheListedChannel) {
    Rig r;
    r.w->tb3_CHName->setCurrentIndex(9);
    r.s.ParaData(9, 49) = 1;
    r.w->Cmd_Alm[1]->click();
    EXPECT_EQ(r.s.ParaData(9, 64), 2);
    EXPECT_EQ(r.s.Write_Request.Com_Code, "0051");
    EXPECT_EQ(r.s.Write_Request.Com_Ch, 9);
    r.w->Cmd_AT->click();
    EXPECT_EQ(r.s.ParaData(9, 11), 1);
    r.w->Command_1channe_sv->click();
    EXPECT_FALSE(r.w->settingDisp()->isVisible());  // auto-tuning now runs
    r.s.ParaData(9, 11) = 0;
    r.w->Command_1channe_sv->click();
    EXPECT_TRUE(r.w->settingDisp()->isVisible());
    EXPECT_EQ(r.w->settingDisp()->target().item, 10);
    EXPECT_EQ(r.w->settingDisp()->target().channel, 9);
}

TEST(Buttons, BarScaleLabelOpensScaleDialogForItsChannel) {
    Rig r;
    r.w->BarGr1[6]->LMax_Click();
    ASSERT_NE(r.w->setting4Disp(), nullptr);
    EXPECT_TRUE(r.w->setting4Disp()->isVisible());
    EXPECT_EQ(r.w->setting4Disp()->target().item, 29);
    EXPECT_EQ(r.w->setting4Disp()->target().channel, 6);
    r.w->BarGr1[8]->LMin_Click();  // re-targets the open dialog
    EXPECT_EQ(r.w->setting4Disp()->target().item, 30);
    EXPECT_EQ(r.w->setting4Disp()->target().channel, 8);
    EXPECT_EQ(r.ui.beeps, 2);
}
