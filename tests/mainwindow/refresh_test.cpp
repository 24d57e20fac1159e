// The refresh of the main window's tabs applied to its widgets, the page and
// item handlers that decide what it shows, and the alarm-history window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "alarm_history.h"
#include "bargr.h"
#include "korvel_chartctl.h"
#include "lamp.h"
#include "link.h"
#include "maindisp.h"
#include "mv_bergraph.h"
#include "setting_items.h"
#include "settings_store.h"
#include "subdisp_history.h"
#include "test_support.h"
#include "value_format.h"

namespace qvx {
namespace {

constexpr qint32 kWhite = 0xFFFFFF;
constexpr qint32 kRed = 0x0000FF;

// A link's history that keeps nothing.
struct NoHistory final : HistorySink {
    void History_Write(const QString&, int, int) override {}
    void AlarmChk(int) override {}
};

// Shown by its own flag, whatever its tab page or frame shows.
bool shown(const QWidget* w) { return w->isVisibleTo(w->parentWidget()); }

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("s.ini")));
        state.Alarm_Color = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF};
        for (int ch = 0; ch < kChannels; ++ch) {
            state.NoConnect(ch) = 0;
            state.Monitor_Data.Connect_Code(ch) = 1;
            state.ParaData(ch, Item::InputType) = 0;
            state.ParaData(ch, 12) = 30;
            state.Monitor_Data.PvData(ch) = qint16(100 + ch);
            state.ParaData(ch, Item::SV) = qint16(200 + ch);
        }
        w = std::make_unique<MainDisp>(state, strings, ui, dir.path());
        w->setSettingsStore(store.get());
        w->Option1[0]->setChecked(true);
        w->Option2[0]->setChecked(true);
    }
    QString dd(int k, int ch) const { return Disp_Data(state, strings, k, ch); }
    void showTab(int t) { w->SSTab2->setCurrentIndex(t); }
    void selectItem(int k) { w->Select_Command->setCurrentRow(settingRowOfItem(k)); }

    QTemporaryDir dir;
    QVX720_INC state;
    StringTable strings = StringTable::builtIn(StringTable::Language::English);
    test::ScriptedUi ui;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<AlarmHistory> history;  // before the window: it outlives it
    std::unique_ptr<MainDisp> w;
};

// ---- tab 0, panels ---------------------------------------------------------------------

TEST_F(RefreshTest, PanelsShowValuesUnitsAndLamps) {
    struct Case {
        int ch, type;
        qint16 status, at;
        const char* unit;
        qint32 at_, a1, a2, a3, a4, hb, lp, sb;
    };
    const Case cases[] = {
        {0, 5, 0x4, 0, "deg.C", kWhite, 0x0000FF, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite},
        {1, 20, 0x8 | 0x40, 0, "deg.F", kWhite, kWhite, 0x00FF00, kWhite, kWhite, kRed, kWhite, kWhite},
        {2, 31, 0x1000 | 0x10, 0, "kPa", kWhite, kWhite, kWhite, 0xFF0000, kWhite, kRed, kWhite, kWhite},
        {3, 0, qint16(0x80 | 0x200 | 0x20), 1, "deg.C", 0x80FFFF, kWhite, kWhite, kWhite, 0x00FFFF, kWhite, kRed, kRed},
        {4, 36, 0x100, 0, "m3/h", kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed},
        {5, 12, 0x3, 0, "deg.C", kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite},
    };
    for (const Case& c : cases) {
        state.ParaData(c.ch, Item::InputType) = qint16(c.type);
        state.Monitor_Data.StatusData(c.ch) = c.status;
        state.ParaData(c.ch, Item::AutoTuning) = c.at;
        state.UnitText(c.ch) = QString::fromLatin1(c.unit);
    }
    showTab(0);
    w->SelectDispItem();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        const int i = c.ch;
        EXPECT_TRUE(shown(w->Frame_All[i]));
        EXPECT_EQ(w->Label_Unit[i]->text(), QString::fromLatin1(c.unit));
        EXPECT_EQ(w->DispPv[i]->text(), dd(Item::PV, c.ch));
        EXPECT_EQ(w->DispSv[i]->text(), dd(Item::SV, c.ch));
        EXPECT_FALSE(w->DispPv[i]->text().isEmpty());
        EXPECT_EQ(w->Label_at[i]->backColor(), c.at_);
        EXPECT_EQ(w->Label_A1[i]->backColor(), c.a1);
        EXPECT_EQ(w->Label_A2[i]->backColor(), c.a2);
        EXPECT_EQ(w->Label_A3[i]->backColor(), c.a3);
        EXPECT_EQ(w->Label_A4[i]->backColor(), c.a4);
        EXPECT_EQ(w->Label_HB[i]->backColor(), c.hb);
        EXPECT_EQ(w->Label_LP[i]->backColor(), c.lp);
        EXPECT_EQ(w->Label_SB[i]->backColor(), c.sb);
    }

    // A lamp goes dark again when its bit clears.
    state.Monitor_Data.StatusData(0) = 0;
    state.Monitor_Data.PvData(1) = 1234;
    w->SelectDispItem();
    EXPECT_EQ(w->Label_A1[0]->backColor(), kWhite);
    EXPECT_EQ(w->DispPv[1]->text(), dd(Item::PV, 1));
}

TEST_F(RefreshTest, LastPanelPageHidesRowsPastChannel95AndAbsentChannels) {
    state.Monitor_Data.Connect_Code(85) = 0;
    state.NoConnect(85) = 1;
    showTab(0);
    w->TabStrip1->setCurrentIndex(4);  // "81 to 95"
    w->SelectDispItem();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const int ch = 80 + i;
        if (i >= 15) {
            EXPECT_FALSE(shown(w->Frame_All[i]));
            continue;
        }
        EXPECT_EQ(w->Frame_All[i]->title(), QStringLiteral("Ch%1").arg(ch + 1));
        EXPECT_EQ(shown(w->Frame_All[i]), ch != 85);
        if (ch != 85) { EXPECT_EQ(w->DispPv[i]->text(), dd(Item::PV, ch)); }
    }
    // The hidden absent channel still goes to the chart.
    EXPECT_EQ(w->Korvel_ChartCtl1->pvCaption(85), dd(Item::PV, 85));
    EXPECT_EQ(w->Korvel_ChartCtl1->svCaption(85), dd(Item::SV, 85));

    // Back to the first page: every panel of it is written again.
    w->TabStrip1->setCurrentIndex(0);
    w->SelectDispItem();
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(shown(w->Frame_All[i])) << i;
        EXPECT_EQ(w->DispPv[i]->text(), dd(Item::PV, i)) << i;
    }
}

TEST_F(RefreshTest, RenamedChannelsReachCaptionsAndStayAfterRefresh) {
    store->save(QStringLiteral("Chname01"), QStringLiteral("Oven A"));
    store->save(QStringLiteral("Chname02"), QStringLiteral("Oven B"));
    store->save(QStringLiteral("Chname04"), QString(3000, QLatin1Char('W')));  // edited outside the program
    w->Chname_Read();
    showTab(0);
    w->SelectDispItem();
    EXPECT_EQ(w->Frame_All[0]->title(), QStringLiteral("Oven A"));
    EXPECT_EQ(w->Frame_All[1]->title(), QStringLiteral("Oven B"));
    const QString cut(12, QLatin1Char('W'));
    EXPECT_EQ(w->Frame_All[3]->title(), cut);
    EXPECT_EQ(w->tb3_CHName->itemText(3), cut);
    EXPECT_EQ(w->log_Check1[3]->text(), cut);
    EXPECT_EQ(w->BarGr1[3]->TipText(), cut);
    showTab(2);
    w->SelectDispItem();
    EXPECT_EQ(w->label_setdata[0]->text(), QStringLiteral("Oven A"));
    EXPECT_EQ(w->label_setdata[2]->text(), QStringLiteral("Ch03"));
    EXPECT_EQ(w->label_setdata[3]->text(), cut);
}

// ---- tab 0, bar graphs -------------------------------------------------------------------

TEST_F(RefreshTest, BarsTakeScaleDecimalsAndValueByInputType) {
    struct Case {
        int ch, type, dp;
        qint16 high, low, pv;
        int decimals;
        float max, min, value;
    };
    const Case cases[] = {
        {0, 31, 2, 1000, 0, 1234, 2, 10.0f, 0.0f, 12.34f},
        {1, 1, 0, 5000, -1999, -1999, 1, 500.0f, -199.9f, -199.9f},
        {2, 5, 0, 1820, 0, 345, 0, 1820.0f, 0.0f, 345.0f},
        {3, 33, 0, 500, -50, 77, 0, 500.0f, -50.0f, 77.0f},
        // A decimal point outside 0..3 keeps the bar's own scale and decimals.
        {4, 30, 7, 900, 100, 456, 1, 100.0f, 0.0f, 45.6f},
    };
    for (const Case& c : cases) {
        state.ParaData(c.ch, Item::InputType) = qint16(c.type);
        state.ParaData(c.ch, Item::DecimalPoint) = qint16(c.dp);
        state.ParaData(c.ch, Item::ScalingHigh) = c.high;
        state.ParaData(c.ch, Item::ScalingLow) = c.low;
        state.Monitor_Data.PvData(c.ch) = c.pv;
    }
    state.Monitor_Data.Connect_Code(6) = 0;
    state.Monitor_Data.StatusData(2) = 0x4;
    showTab(0);
    w->Option2[1]->setChecked(true);
    const float untouched = w->BarGr1[45]->Value();
    w->SelectDispItem();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        BarGr* b = w->BarGr1[c.ch];
        EXPECT_TRUE(shown(b));
        EXPECT_EQ(b->NumDecimals(), c.decimals);
        EXPECT_FLOAT_EQ(b->Max(), c.max);
        EXPECT_FLOAT_EQ(b->Min(), c.min);
        EXPECT_FLOAT_EQ(b->Value(), c.value);
    }
    EXPECT_FALSE(shown(w->BarGr1[6]));
    EXPECT_EQ(w->BarGr1[2]->barColor(), state.Alarm_Color.AlmColor1);
    EXPECT_EQ(w->BarGr1[45]->Value(), untouched);  // another page's bar
    EXPECT_EQ(w->Korvel_ChartCtl1->pvCaption(45), dd(Item::PV, 45));
}

TEST_F(RefreshTest, BarsRepaintOnlyWhatChanged) {
    showTab(0);
    w->Option2[3]->setChecked(true);  // channels 80..94
    w->SelectDispItem();
    int before[kChannels];
    for (int ch = 80; ch < kChannels; ++ch) before[ch] = w->BarGr1[ch]->updateRequests();
    w->SelectDispItem();  // nothing changed
    for (int ch = 80; ch < kChannels; ++ch) EXPECT_EQ(w->BarGr1[ch]->updateRequests(), before[ch]) << ch;
    state.Monitor_Data.PvData(90) = 900;
    w->SelectDispItem();
    for (int ch = 80; ch < kChannels; ++ch) {
        if (ch == 90)
            EXPECT_GT(w->BarGr1[ch]->updateRequests(), before[ch]);
        else
            EXPECT_EQ(w->BarGr1[ch]->updateRequests(), before[ch]) << ch;
    }
    EXPECT_FLOAT_EQ(w->BarGr1[90]->Value(), 900.0f);
}

TEST_F(RefreshTest, DisplaySelectionRunsItsHandlerWhenSetByCode) {
    state.NoConnect(7) = 1;
    state.Monitor_Data.Connect_Code(7) = 0;
    // Answers, but has no control unit: the selection shows its panel, the
    // refresh hides it again, also after a bar page was shown in between.
    state.Monitor_Data.Connect_Code(8) = 0;
    showTab(0);
    const struct {
        int option;
        bool strip;
        std::array<bool, 3> frames;
    } cases[] = {
        {0, true, {false, false, false}},
        {1, false, {true, false, false}},
        {2, false, {false, true, false}},
        {3, false, {false, false, true}},
        {0, true, {false, false, false}},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.option);
        w->Option2[c.option]->setChecked(true);
        w->SelectDispItem();
        EXPECT_EQ(shown(w->TabStrip1), c.strip);
        EXPECT_EQ(shown(w->Frame3), c.frames[0]);
        EXPECT_EQ(shown(w->Frame4), c.frames[1]);
        EXPECT_EQ(shown(w->Frame5), c.frames[2]);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(shown(w->Frame_All[i]), c.strip && i != 7 && i != 8) << i;
    }
}

// ---- tab 1, one channel ------------------------------------------------------------------

// A page, channel or item chosen on the shown window is filled at once: the
// next tick may be a whole time-out away (a data clear's step, a silent
// controller). Inside a tick the tick's own refresh does it.
TEST_F(RefreshTest, AChosenPageIsFilledWithoutWaitingForATick) {
    NoHistory sink;
    Link link(state, *w->comm(), *store, strings, *w, sink);
    w->setLink(&link);
    w->show();
    showTab(1);
    w->tb3_CHName->setCurrentIndex(7);
    EXPECT_EQ(w->Text_PV->text(), dd(Item::PV, 7));
    EXPECT_EQ(w->Text_SV->text(), dd(Item::SV, 7));
    state.ParaData(47, Item::SV) = 999;
    showTab(0);
    w->TabStrip1->setCurrentIndex(2);
    EXPECT_EQ(w->DispSv[7]->text(), dd(Item::SV, 47));
    w->Option2[2]->setChecked(true);
    EXPECT_EQ(w->BarGr1[47]->Value(), 147.0f);
    w->setLink(nullptr);
}

// Status panel 4 says "Data is being read now." for the whole data clear: a
// re-read or transfer let through between two of its steps hands the panel
// back to it, not to the empty text.
TEST_F(RefreshTest, TheDataClearKeepsStatusPanelFourUntilItEnds) {
    NoHistory sink;
    Link link(state, *w->comm(), *store, strings, *w, sink);
    w->setLink(&link);
    ui.answers.push_back(UiSeam::Answer::Yes);
    link.mnuClear_Click();
    ASSERT_TRUE(link.dataClearRunning());
    EXPECT_EQ(w->statusPanelText(4), strings.text(454));
    w->setStatusPanel(4, strings.text(453));
    w->setStatusPanel(4, QString());
    EXPECT_EQ(w->statusPanelText(4), strings.text(454));
    for (int tick = 0; tick < 2 * kChannels && link.dataClearRunning(); ++tick) link.Timer4_Timer();
    ASSERT_FALSE(link.dataClearRunning());
    EXPECT_EQ(w->statusPanelText(4), QString());
    w->setLink(nullptr);
}

TEST_F(RefreshTest, OneChannelViewOfAConnectedChannel) {
    const int ch = 7;
    state.ParaData(ch, Item::InputType) = 9;
    state.Monitor_Data.OptionData(ch) = qint16(0x100 | 0x1 | 0x40);
    state.Monitor_Data.StatusData(ch) = qint16(0x1 | 0x2 | 0x100 | 0x4 | 0x1000);
    state.Monitor_Data.MvData(ch) = 425;
    state.Monitor_Data.CoolMvData(ch) = 130;
    state.ParaData(ch, Item::ControlOutputOff) = 1;
    showTab(1);
    w->tb3_CHName->setCurrentIndex(ch);
    w->SSTab1->setCurrentIndex(0);
    w->SelectDispItem();

    EXPECT_TRUE(shown(w->Frame1));
    EXPECT_TRUE(shown(w->SSTab1));
    EXPECT_FALSE(shown(w->Label_notConnect));
    EXPECT_EQ(w->Label11->text(), QStringLiteral("0 to 1390 deg.C PL-2"));
    EXPECT_EQ(w->Text_PV->text(), dd(Item::PV, ch));
    EXPECT_EQ(w->Text_SV->text(), dd(Item::SV, ch));
    EXPECT_EQ(w->Label_CF[0]->text(), QStringLiteral("deg.C"));
    EXPECT_EQ(w->Label_CF[13]->text(), QStringLiteral("deg.C"));
    EXPECT_EQ(w->Lamp_CONT[0]->backColor(), 0x00C000);
    EXPECT_EQ(w->Lamp_CONT[1]->backColor(), 0x00FFFF);
    EXPECT_EQ(w->Lamp_up->backColor(), kRed);
    EXPECT_EQ(w->Lamp_down->backColor(), kWhite);
    EXPECT_EQ(w->Text_MV[0]->text(), dd(Item::MV, ch));
    EXPECT_EQ(w->Text_MV[1]->text(), dd(Item::CoolMV, ch));
    EXPECT_EQ(w->MV_BerGraph1->MvValue(), 425);
    EXPECT_EQ(w->MV_BerGraph2->MvValue(), 130);
    EXPECT_TRUE(shown(w->MV_BerGraph2));
    EXPECT_EQ(w->Label_OUTOFF->text(), QStringLiteral("Control output ON"));
    EXPECT_EQ(w->Label_HEETCOOL->text(), QStringLiteral("Heating(reverse)"));
    // Alarm page: alarm 1 and heater burnout 2 fitted.
    EXPECT_TRUE(shown(w->Frame_Alarm1));
    EXPECT_FALSE(shown(w->Frame_Alarm2));
    EXPECT_EQ(w->Lamp_Alm1->backColor(), state.Alarm_Color.AlmColor1);
    EXPECT_EQ(w->Label_A1val[0]->text(), dd(19, ch));
    EXPECT_TRUE(shown(w->Frame_HB));
    EXPECT_FALSE(shown(w->Lamp_Alm_HB[0]));
    EXPECT_TRUE(shown(w->Lamp_Alm_HB[1]));
    EXPECT_EQ(w->Lamp_Alm_HB[1]->backColor(), kRed);
    EXPECT_TRUE(shown(w->Lbl_CT1[1]));
    EXPECT_FALSE(shown(w->Lbl_CT1[0]));
    EXPECT_FALSE(shown(w->Frame_LP));

    // An MV not read since the clear command: neither its number nor its bar.
    state.Monitor_Data.Unread(ch) = Unread::MV;
    w->SelectDispItem();
    EXPECT_EQ(w->Text_MV[0]->text(), QString());
    EXPECT_TRUE(w->MV_BerGraph1->barRect().isEmpty());
    EXPECT_EQ(w->MV_BerGraph2->barRight(), mvbar::barRight(130));
    state.Monitor_Data.Unread(ch) = 0;

    // Without heating/cooling the cooling output disappears.
    state.Monitor_Data.OptionData(ch) = 0x1;
    w->SelectDispItem();
    for (QWidget* x : std::initializer_list<QWidget*>{w->Text_MV[1], w->MV_BerGraph2, w->Lamp_CONT[1], w->Text_ohlb,
                                                      w->Label_mvb})
        EXPECT_FALSE(shown(x)) << x->objectName().toStdString();
    EXPECT_FALSE(shown(w->Frame_HB));
}

TEST_F(RefreshTest, OneChannelOtherPageRowsAndUnits) {
    const struct {
        int type;
        qint16 band, coolBand, option;
        bool hysteresis, decimalPoint, atBias, cool, coolHysteresis;
        const char* unitCF13;
    } cases[] = {
        {0, 0, 0, 0x100, true, false, true, true, true, "deg.C"},
        {16, 30, 12, 0x100, false, false, true, true, false, "deg.F"},
        {31, 30, 0, 0, false, true, false, false, false, "%"},
    };
    showTab(1);
    w->tb3_CHName->setCurrentIndex(12);
    w->SSTab1->setCurrentIndex(1);
    state.UnitText(12) = QStringLiteral("kPa");
    for (auto c : cases) {
        SCOPED_TRACE(c.type);
        state.ParaData(12, Item::InputType) = qint16(c.type);
        state.ParaData(12, 12) = c.band;
        state.ParaData(12, 13) = c.coolBand;
        state.Monitor_Data.OptionData(12) = c.option;
        w->SelectDispItem();
        EXPECT_EQ(shown(w->Label_othval[10]), c.hysteresis);
        EXPECT_EQ(shown(w->Label_othval[11]), c.decimalPoint);
        EXPECT_EQ(shown(w->Label_othval[16]), c.decimalPoint);
        EXPECT_EQ(shown(w->Label_othval[14]), c.atBias);
        EXPECT_EQ(shown(w->Frame_Cool), c.cool);
        if (c.cool) { EXPECT_EQ(shown(w->Label_coolval[3]), c.coolHysteresis); }
        EXPECT_EQ(w->Label_CF[13]->text(), QString::fromLatin1(c.unitCF13));
        EXPECT_EQ(w->Label_othval[1]->text(), dd(12, 12));
        if (c.type >= 30) { EXPECT_EQ(w->Label_CF[0]->text(), QStringLiteral("kPa")); }
    }
}

TEST_F(RefreshTest, OneChannelOfAnAbsentOrUnselectedChannel) {
    state.Monitor_Data.Connect_Code(3) = 0;
    showTab(1);
    w->tb3_CHName->setCurrentIndex(3);
    w->SelectDispItem();
    EXPECT_FALSE(shown(w->Frame1));
    EXPECT_FALSE(shown(w->Frame2));
    EXPECT_FALSE(shown(w->SSTab1));
    EXPECT_TRUE(shown(w->Label_notConnect));
    EXPECT_EQ(w->Text_PV->text(), dd(Item::PV, 3));  // still written

    w->tb3_CHName->setCurrentIndex(-1);  // nothing selected: channel 0
    w->SelectDispItem();
    EXPECT_TRUE(shown(w->Frame1));
    EXPECT_FALSE(shown(w->Label_notConnect));
    EXPECT_EQ(w->Text_PV->text(), dd(Item::PV, 0));
}

// ---- tab 2, setting grid -----------------------------------------------------------------

TEST_F(RefreshTest, SettingGridReasonsAndChangeButtons) {
    struct Case {
        const char* name;
        int item;
        qint16 option, p40, type, at, connect;
        const char* reason;       // settin_inf
        const char* choiceText;   // Select_comand; nullptr: the value text
    };
    const Case cases[] = {
        {"alarm 2 not fitted", 20, 0x0, 1, 0, 0, 1, "Unsettable: Alarm2 not applied", nullptr},
        {"alarm 2 without action", 20, 0x2, 0, 0, 0, 1, "Unsettable: No alarm action", nullptr},
        {"alarm 2 settable", 20, 0x2, 1, 0, 0, 1, "", nullptr},
        {"heater burnout 1 not fitted", 23, 0x0, 0, 0, 0, 1, "Unsettable: Option HB not added", nullptr},
        {"unit of a sensor input", 65, 0x0, 0, 5, 0, 1, "Unsettable: Input is not correct.",
         "Unsettable: Input is not correct."},
        {"unit of a linear input", 65, 0x0, 0, 31, 0, 1, "", nullptr},
        {"input type", 54, 0x0, 0, 3, 0, 1, "", nullptr},
        {"auto-tuning", 10, 0x0, 0, 0, 1, 1, "Unsettable: During auto-tuning", nullptr},
        {"not connected", 54, 0x0, 0, 0, 0, 0, "Not connected", "Not connected"},
        {"not connected and auto-tuning", 10, 0x0, 0, 0, 1, 0, "Not connected", nullptr},
    };
    showTab(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int ch = 4;
        state.Monitor_Data.OptionData(ch) = c.option;
        state.ParaData(ch, 40) = c.p40;
        state.ParaData(ch, Item::InputType) = c.type;
        state.ParaData(ch, Item::AutoTuning) = c.at;
        state.Monitor_Data.Connect_Code(ch) = c.connect;
        selectItem(c.item);
        w->SelectDispItem();
        const QString reason = QString::fromLatin1(c.reason);
        EXPECT_EQ(w->settin_inf[ch]->text(), reason);
        const bool choice = isSelectionItem(c.item);
        if (choice)
            EXPECT_EQ(w->Select_comand[ch]->text(), c.choiceText ? QString::fromLatin1(c.choiceText) : dd(c.item, ch));
        else
            EXPECT_EQ(w->Setdata_Para[ch]->text(), dd(c.item, ch));
        EXPECT_EQ(shown(w->Command_change[ch]), reason.isEmpty());
        EXPECT_EQ(shown(w->Command_change2[ch]), reason.isEmpty());
        // The neighbouring row is unaffected.
        EXPECT_EQ(w->label_setdata[ch + 1]->text(), QStringLiteral("Ch06"));
    }
}

TEST_F(RefreshTest, SettingGridOnOffItemsAndLastPage) {
    state.ParaData(0, 12) = 0;          // ON/OFF control: no auto-tuning
    state.ParaData(1, Item::AutoTuning) = 1;
    state.ParaData(2, Item::ControlOutputOff) = 1;
    state.Monitor_Data.Connect_Code(3) = 0;
    showTab(2);
    selectItem(Item::AutoTuning);
    w->SelectDispItem();
    EXPECT_FALSE(shown(w->Command_AT[0]));
    EXPECT_FALSE(shown(w->Shape_AT[0]));
    EXPECT_TRUE(shown(w->Command_AT[1]));
    EXPECT_EQ(w->Shape_AT[1]->backColor(), 0x00FFFF);
    EXPECT_EQ(w->Shape_AT[2]->backColor(), kWhite);
    EXPECT_FALSE(shown(w->Command_AT[3]));
    EXPECT_FALSE(shown(w->Command_OUT[2]));

    selectItem(Item::ControlOutputOff);
    w->SelectDispItem();
    EXPECT_TRUE(shown(w->Command_OUT[2]));
    EXPECT_EQ(w->Shape_OUT[2]->backColor(), 0x00C000);
    EXPECT_EQ(w->Shape_OUT[0]->backColor(), kWhite);
    EXPECT_FALSE(shown(w->Command_OUT[3]));
    EXPECT_FALSE(shown(w->Command_AT[1]));

    // Page "81 to 95": rows 0..14 are channels 80..94, rows 15..19 have none.
    selectItem(Item::SV);
    w->Option1[4]->setChecked(true);
    w->SelectDispItem();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const bool has = i < 15;
        for (QWidget* x : std::initializer_list<QWidget*>{w->label_setdata[i], w->Setdata_Para[i], w->settin_inf[i],
                                                          w->Command_change[i], w->Select_comand[i],
                                                          w->Command_change2[i], w->Command_AT[i], w->Shape_AT[i],
                                                          w->Command_OUT[i], w->Shape_OUT[i]})
            if (!has) { EXPECT_FALSE(shown(x)) << x->objectName().toStdString(); }
        if (has) {
            EXPECT_EQ(w->label_setdata[i]->text(), QStringLiteral("Ch%1").arg(81 + i));
            EXPECT_EQ(w->Setdata_Para[i]->text(), dd(Item::SV, 80 + i));
            EXPECT_TRUE(shown(w->Command_change[i]));
        }
    }
    // Back to a full page: all 20 rows again.
    w->Option1[1]->setChecked(true);
    w->SelectDispItem();
    EXPECT_TRUE(shown(w->label_setdata[19]));
    EXPECT_EQ(w->Setdata_Para[19]->text(), dd(Item::SV, 39));
}

TEST_F(RefreshTest, ItemSelectionSetsItemFramesAndGrid) {
    const struct { int row, item, pair; } cases[] = {{1, 11, 2}, {42, 49, 2}, {49, 54, 1}, {0, 10, 0}, {14, 62, 0}};
    showTab(2);
    for (auto c : cases) {
        SCOPED_TRACE(c.row);
        w->Select_Command->setCurrentRow(c.row);
        EXPECT_EQ(state.Edit_Context.Set_Item, c.item);
        for (int n = 0; n < 3; ++n) {
            EXPECT_EQ(shown(w->Frame_sub1[n]), n == c.pair);
            EXPECT_EQ(shown(w->Frame_sub2[n]), n == c.pair);
        }
        w->SelectDispItem();
        if (c.pair == 1) { EXPECT_EQ(w->Select_comand[5]->text(), dd(c.item, 5)); }
        if (c.pair == 0) { EXPECT_EQ(w->Setdata_Para[5]->text(), dd(c.item, 5)); }
    }
    // Another item chosen elsewhere; a tab change brings the list's item back.
    state.Edit_Context.Set_Item = 29;
    showTab(0);
    EXPECT_EQ(state.Edit_Context.Set_Item, 62);
}

// ---- tab 5 and the chart ---------------------------------------------------------------------

TEST_F(RefreshTest, AllChannelsPageAndCheckBoxes) {
    for (int k = 10; k <= 66; ++k) state.AllPage_Data.AllParaData(k) = qint16(k % 3);
    showTab(5);
    w->SelectDispItem();
    for (int n = 0; n < kAllPageIndexes; ++n) {
        if (!allPageHasRow(n)) continue;
        EXPECT_EQ(w->Setdata_Para2[n]->text(), Disp_SelData(state, strings, n + 10)) << n;
    }
    state.AllPage_Data.AllParaData(12) = 77;
    w->SelectDispItem();
    EXPECT_EQ(w->Setdata_Para2[2]->text(), Disp_SelData(state, strings, 12));

    // Set by code, a check box enables or disables its row.
    for (int value : {1, 0, 2, 1}) {
        w->setOptionCheckValue(5, value);
        EXPECT_EQ(w->Cmd_change2[5]->isEnabled(), value == 1) << value;
        EXPECT_EQ(w->Setdata_Para2[5]->isEnabled(), value == 1) << value;
    }
}

TEST_F(RefreshTest, ChartGetsAllChannelsWhateverTab) {
    state.Monitor_Data.Connect_Code(50) = 0;
    state.NoConnect(50) = 1;
    for (int tab : {3, 4, 0, 1, 2, 5}) {
        SCOPED_TRACE(tab);
        showTab(tab);
        for (int ch = 0; ch < kChannels; ++ch) state.Monitor_Data.PvData(ch) = qint16(tab * 100 + ch);
        w->SelectDispItem();
        for (int ch : {0, 50, 94}) {
            EXPECT_EQ(w->Korvel_ChartCtl1->pvCaption(ch), dd(Item::PV, ch)) << ch;
            EXPECT_EQ(w->Korvel_ChartCtl1->svCaption(ch), dd(Item::SV, ch)) << ch;
        }
    }
}

// ---- alarm history window ----------------------------------------------------------------------

class HistoryWindowTest : public RefreshTest {
protected:
    void SetUp() override {
        RefreshTest::SetUp();
        state.History_Table.History_Path = dir.filePath(QStringLiteral("His.txt"));
        state.History_Table.History_Row = 1;
        history = std::make_unique<AlarmHistory>(
            state, *store, strings, [this] { return now; }, [this](const QString& t) { messages << t; },
            QLocale::c());
        w->setAlarmHistory(history.get());
        win = w->historyWindow();
        ASSERT_NE(win, nullptr);
    }
    // Entry n on channel n % 95: alarm 1 on for odd n, off for even n.
    void entries(int from, int to) {
        for (int n = from; n <= to; ++n) history->History_Write(QStringLiteral("Alarm1"), n % kChannels, n % 2 ? -1 : 0);
    }
    QString channelOf(int row) const { return win->cellText(row, 2); }

    QDateTime now{QDate(2026, 12, 8), QTime(15, 5, 7)};
    QStringList messages;
    SubDisp_History* win = nullptr;
};

TEST_F(HistoryWindowTest, LoadedHiddenWithCaptionsAndFilledByEveryEntry) {
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Alarm history"));
    const char* headers[4] = {"Date", "Time", "Channel", "Contents"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(win->MSFlexGrid1->horizontalHeaderItem(c)->text(), QLatin1String(headers[c]));
    EXPECT_EQ(win->MSFlexGrid1->rowCount(), 101);
    EXPECT_EQ(win->Command1[1]->text(), QStringLiteral("Erase"));
    EXPECT_EQ(win->Command1[2]->text(), QStringLiteral("Exit"));

    history->History_Write(QStringLiteral("Alarm1"), 0, -1);
    history->History_Write(QStringLiteral("NAK"), 4, 0);
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(win->cellText(1, 0), QStringLiteral("2026/12/8"));
    EXPECT_EQ(win->cellText(1, 1), QStringLiteral("3:5:7 PM"));
    EXPECT_EQ(win->cellText(1, 2), QStringLiteral("Ch01"));
    EXPECT_EQ(win->cellText(1, 3), QStringLiteral("Alarm 1 was turned on."));
    EXPECT_EQ(win->cellText(2, 2), QStringLiteral("Ch05"));
    EXPECT_EQ(win->cellText(2, 3), QStringLiteral("Negative acknowledgement was returned from controller."));
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(win->cellText(3, c).isEmpty());

    w->numhyst->trigger();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->cellText(2, 2), QStringLiteral("Ch05"));
    history->History_Write(QStringLiteral("LP"), 9, -1);  // shown: the row appears at once
    EXPECT_EQ(win->cellText(3, 3), QStringLiteral("Loop break alarm was turned on."));
    win->hide();
}

TEST_F(HistoryWindowTest, EraseEmptiesGridAndTableNotTheFile) {
    entries(1, 3);
    w->numhyst_Click();
    win->Command1[1]->click();
    for (int row = 1; row <= 101; ++row)
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(win->cellText(row, c).isEmpty()) << row;
    EXPECT_EQ(state.History_Table.History_Row, 1);
    EXPECT_TRUE(state.History_Table.History_Data(2, 2).isEmpty());
    entries(10, 10);
    EXPECT_EQ(channelOf(1), QStringLiteral("Ch11"));
    QFile f(state.History_Table.History_Path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count('\n'), 4);
    EXPECT_TRUE(win->isVisible());
    win->hide();
}

TEST_F(HistoryWindowTest, ExitUnloadsAndTheNextEntryLoadsItHiddenAndEmpty) {
    entries(1, 3);
    w->numhyst_Click();
    ASSERT_TRUE(win->isVisible());
    win->Command1[2]->click();
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(history->grid().isLoaded());
    EXPECT_TRUE(channelOf(1).isEmpty());

    entries(4, 4);
    EXPECT_FALSE(win->isVisible());
    EXPECT_TRUE(channelOf(1).isEmpty());  // the reloaded grid starts empty
    EXPECT_EQ(channelOf(4), QStringLiteral("Ch05"));

    // The menu refills every row from the table.
    w->numhyst_Click();
    EXPECT_TRUE(win->isVisible());
    for (int row = 1; row <= 4; ++row) EXPECT_EQ(channelOf(row), QStringLiteral("Ch%1").arg(row + 1, 2, 10, QLatin1Char('0')));

    // Closing the window acts as Exit.
    win->close();
    EXPECT_FALSE(win->isVisible());
    EXPECT_FALSE(history->grid().isLoaded());
    EXPECT_TRUE(channelOf(1).isEmpty());
}

TEST_F(HistoryWindowTest, HundredAndFirstEntryWrapsAndTheMenuShowsAllRows) {
    entries(1, 101);
    EXPECT_EQ(channelOf(1), QStringLiteral("Ch07"));  // entry 101 on channel 6
    EXPECT_TRUE(channelOf(2).isEmpty());               // blank row after the newest
    EXPECT_EQ(channelOf(3), QStringLiteral("Ch04"));
    w->numhyst_Click();
    EXPECT_EQ(channelOf(2), QStringLiteral("Ch03"));  // entry 2, from the table
    EXPECT_EQ(channelOf(100), QStringLiteral("Ch06"));
    EXPECT_TRUE(channelOf(101).isEmpty());
    win->hide();
}

TEST_F(HistoryWindowTest, WindowLeavesTheHistoryWhenReplaced) {
    w->setAlarmHistory(nullptr);
    EXPECT_EQ(w->historyWindow(), nullptr);
    entries(1, 2);  // no window: the table still fills
    EXPECT_EQ(state.History_Table.History_Row, 3);
    w->numhyst_Click();  // nothing to show, nothing breaks
    w->setAlarmHistory(history.get());
    ASSERT_NE(w->historyWindow(), nullptr);
    EXPECT_EQ(w->historyWindow()->cellText(1, 2), QStringLiteral("Ch02"));  // what the loaded grid holds
}

}  // namespace
}  // namespace qvx
