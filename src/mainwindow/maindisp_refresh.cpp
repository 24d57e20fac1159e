// The refresh of the visible tab after every poll transaction, and the
// alarm-history window of the main window.
//
// What each control must show is worked out by the display rules of the core
// (SelectDispItem there); this file only writes the fields that the last pass
// reports changed. Texts go to fixed-size labels, colours to painted lamps,
// values to the bar controls' setters, so a refresh in which little changes
// costs little and never relays the window out.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <initializer_list>

#include "alarm_history.h"
#include "bargr.h"
#include "korvel_chartctl.h"
#include "lamp.h"
#include "maindisp.h"
#include "mv_bergraph.h"
#include "subdisp_history.h"

namespace qvx {

namespace {

void putText(QLabel* label, const Shown<QString>& f) {
    if (f.changed) label->setText(f.value);
}

void putColor(Lamp* lamp, const Shown<qint32>& f) {
    if (f.changed) lamp->setBackColor(f.value);
}

void putMv(MV_BerGraph* bar, const Shown<std::optional<qint16>>& f) {
    if (!f.changed) return;
    if (f.value)
        bar->setMvValue(*f.value);
    else
        bar->clearMvValue();
}

void putVisible(const Shown<bool>& f, std::initializer_list<QWidget*> widgets) {
    if (!f.changed) return;
    for (QWidget* w : widgets) w->setVisible(f.value);
}

}  // namespace

// ---- selections --------------------------------------------------------------------

DisplayInputs MainDisp::displayInputs() const {
    DisplayInputs in;
    in.mainTab = SSTab2->currentIndex();
    in.displayMode = -1;
    for (int n = 0; n < 4; ++n)
        if (Option2[n]->isChecked()) {
            in.displayMode = n;
            break;
        }
    in.panelPageBase = qMax(0, tabStripPageBase());
    // With no page button set, the setting grid keeps the page it had.
    in.settingPageBase = m_settingPageBase;
    for (int n = 0; n < 5; ++n)
        if (Option1[n]->isChecked()) {
            in.settingPageBase = 20 * n;
            break;
        }
    in.oneChannel = tb3_CHName->currentIndex();
    in.infoTab = SSTab1->currentIndex();
    return in;
}

void MainDisp::reloadChannelNames() {
    for (int ch = 0; ch < kChannels; ++ch) m_names(ch) = channelName(ch);
}

// ---- the refresh ------------------------------------------------------------------

void MainDisp::SelectDispItem() {
    const DisplayInputs in = displayInputs();
    const DisplayContext ctx{m_state, m_strings, m_names};
    RefreshedTab tab = RefreshedTab::None;
    try {
        tab = qvx::SelectDispItem(ctx, in, m_views);
    } catch (...) {
        // A rule that failed leaves its fields as they were; what the pass
        // did compute is shown all the same.
        switch (in.mainTab) {
        case 0: tab = RefreshedTab::Main; break;
        case 1: tab = RefreshedTab::OneChannel; break;
        case 2: tab = RefreshedTab::SettingGrid; break;
        case 5: tab = RefreshedTab::AllChannels; break;
        default: break;
        }
    }

    switch (tab) {
    case RefreshedTab::Main: {
        int lo = 0;
        int hi = 0;
        if (m_views.main.mode == 0)
            applyPanels();
        else if (barPageChannels(m_views.main.mode, lo, hi))
            applyBars(lo, hi);
        break;
    }
    case RefreshedTab::OneChannel: applyOneChannel(); break;
    case RefreshedTab::SettingGrid: applySettingGrid(); break;
    case RefreshedTab::AllChannels: applyAllChannels(); break;
    case RefreshedTab::None: break;
    }
    // Whatever tab is shown, the chart gets the texts of all 95 channels.
    applyChartFeed();
}

void MainDisp::applyPanels() {
    for (int i = 0; i < kPanels; ++i) {
        const PanelView& p = m_views.main.panels[std::size_t(i)];
        if (p.caption.changed) Frame_All[i]->setTitle(p.caption.value);
        putText(Label_Unit[i], p.Label_Unit);
        putText(DispPv[i], p.DispPv);
        putText(DispSv[i], p.DispSv);
        putColor(Label_at[i], p.Label_at);
        putColor(Label_A1[i], p.Label_A1);
        putColor(Label_A2[i], p.Label_A2);
        putColor(Label_A3[i], p.Label_A3);
        putColor(Label_A4[i], p.Label_A4);
        putColor(Label_HB[i], p.Label_HB);
        putColor(Label_LP[i], p.Label_LP);
        putColor(Label_SB[i], p.Label_SB);
        // Shown last, with its contents already in place.
        putVisible(p.visible, {Frame_All[i]});
    }
}

void MainDisp::applyBars(int lo, int hi) {
    for (int ch = lo; ch <= hi; ++ch) {
        const BarView& b = m_views.main.bars[std::size_t(ch)];
        BarGr* bar = BarGr1[ch];
        putVisible(b.visible, {bar});
        // The scale texts take the decimals in force, and the bar is placed
        // from the scale in force: decimals, high, low, then the value.
        if (b.NumDecimals.changed) bar->setNumDecimals(b.NumDecimals.value);
        if (b.Max.changed) bar->setMax(b.Max.value);
        if (b.Min.changed) bar->setMin(b.Min.value);
        if (b.Alarmstatas.changed) bar->setAlarmstatas(b.Alarmstatas.value);
        if (b.Value.changed) bar->setValue(b.Value.value);
    }
}

void MainDisp::applyOneChannel() {
    const OneChannelView& v = m_views.one;
    putVisible(v.connectedFrames, {Frame1, Frame2, SSTab1});
    putVisible(v.Label_notConnect, {Label_notConnect});
    for (std::size_t i = 0; i < v.Label_CF.size(); ++i) putText(Label_CF[i], v.Label_CF[i]);
    putText(Label11, v.Label11);
    putText(Text_PV, v.Text_PV);
    putText(Text_SV, v.Text_SV);
    putColor(Lamp_up, v.Lamp_up);
    putColor(Lamp_down, v.Lamp_down);
    putText(Text_MV[0], v.Text_MV[0]);
    if (v.MV_BerGraph1.MvColor.changed) MV_BerGraph1->setMvColor(v.MV_BerGraph1.MvColor.value);
    putMv(MV_BerGraph1, v.MV_BerGraph1.MvValue);
    putText(Text_ohl, v.Text_ohl);
    putText(Text_oll, v.Text_oll);
    putColor(Lamp_CONT[0], v.Lamp_CONT[0]);
    putColor(Lamp_AT, v.Lamp_AT);
    putText(Label_HEETCOOL, v.Label_HEETCOOL);
    putVisible(v.outputOffVisible, {Label_OUTOFF, tb3_OUTOFF});
    if (v.tb3_OUTOFF.changed) tb3_OUTOFF->setText(v.tb3_OUTOFF.value);
    putText(Label_OUTOFF, v.Label_OUTOFF);

    // Cooling output.
    putText(Text_MV[1], v.Text_MV[1]);
    putColor(Lamp_CONT[1], v.Lamp_CONT[1]);
    if (v.MV_BerGraph2.MvColor.changed) MV_BerGraph2->setMvColor(v.MV_BerGraph2.MvColor.value);
    putMv(MV_BerGraph2, v.MV_BerGraph2.MvValue);
    putText(Text_ohlb, v.Text_ohlb);
    putText(Text_ollb, v.Text_ollb);
    putVisible(v.coolingOutput, {Label58, Label_mvb, Label19[2], Label19[3], Label21[2], Label21[3], Text_ohlb,
                                 Text_ollb, Text_MV[1], Lamp_CONT[1], MV_BerGraph2});

    // Alarm information.
    QGroupBox* const alarmFrames[4] = {Frame_Alarm1, Frame_Alarm2, Frame_Alarm3, Frame_Alarm4};
    Lamp* const alarmLamps[4] = {Lamp_Alm1, Lamp_Alm2, Lamp_Alm3, Lamp_Alm4};
    for (std::size_t g = 0; g < 4; ++g) {
        putColor(alarmLamps[g], v.Lamp_Alm[g]);
        putVisible(v.Frame_Alarm[g], {alarmFrames[g]});
    }
    for (std::size_t i = 0; i < v.Label_A1val.size(); ++i) putText(Label_A1val[i], v.Label_A1val[i]);
    for (std::size_t i = 0; i < v.Label_A2val.size(); ++i) {
        putText(Label_A2val[i], v.Label_A2val[i]);
        putText(Label_A3val[i], v.Label_A3val[i]);
        putText(Label_A4val[i], v.Label_A4val[i]);
    }
    putVisible(v.Frame_HB, {Frame_HB});
    putVisible(v.heaterGroups[0],
               {Lamp_Alm_HB[0], Label_Alm_HB[0], Label_HBval[0], Label1[2], Label_CT1[0], Label_CT1[1], Lbl_CT1[0]});
    putVisible(v.heaterGroups[1],
               {Lamp_Alm_HB[1], Label_Alm_HB[1], Label_HBval[1], Label1[11], Label_CT2[0], Label_CT2[1], Lbl_CT1[1]});
    putVisible(v.heaterGroups[2], {Lamp_Alm_HB[2], Label_Alm_HB[2]});
    putVisible(v.heaterGroups[3], {Lamp_Alm_HB[3], Label_Alm_HB[3]});
    for (std::size_t j = 0; j < 4; ++j) putColor(Lamp_Alm_HB[j], v.Lamp_Alm_HB[j]);
    for (std::size_t j = 0; j < 2; ++j) {
        putText(Label_HBval[j], v.Label_HBval[j]);
        putText(Lbl_CT1[j], v.Lbl_CT1[j]);
        putText(Label_LPval[j], v.Label_LPval[j]);
    }
    putVisible(v.Frame_LP, {Frame_LP});
    putColor(Lamp_Alm_LP, v.Lamp_Alm_LP);

    // Other information.
    putVisible(v.scalingRows, {Label_othval[6], Label_othval[7], Label_oth[6], Label_oth[7], Label_CF[6], Label_CF[7]});
    for (std::size_t i = 0; i < v.Label_othval.size(); ++i) putText(Label_othval[i], v.Label_othval[i]);
    putVisible(v.hysteresisRow, {Label_othval[10], Label_oth[10], Label_CF[9]});
    putVisible(v.decimalPointRow, {Label_othval[11], Label_oth[11]});
    putVisible(v.atBiasRow, {Label_othval[14], Label_oth[14], Label_CF[17]});
    putVisible(v.unitRow, {Label_othval[16], Label_oth[16]});
    putVisible(v.Frame_Cool, {Frame_Cool});
    for (std::size_t i = 0; i < v.Label_coolval.size(); ++i) putText(Label_coolval[i], v.Label_coolval[i]);
    putVisible(v.coolHysteresisRow, {Label_cool[3], Label_coolval[3], Label_CF[10]});
}

void MainDisp::applySettingGrid() {
    for (int i = 0; i < kPanels; ++i) {
        const SettingRowView& r = m_views.grid.rows[std::size_t(i)];
        putText(label_setdata[i], r.label_setdata);
        putText(Setdata_Para[i], r.Setdata_Para);
        putText(Select_comand[i], r.Select_comand);
        putText(settin_inf[i], r.settin_inf);
        putColor(Shape_AT[i], r.Shape_AT);
        putColor(Shape_OUT[i], r.Shape_OUT);
        putVisible(r.labelsVisible, {label_setdata[i], Setdata_Para[i], settin_inf[i], Select_comand[i]});
        putVisible(r.changeVisible, {Command_change[i], Command_change2[i]});
        putVisible(r.atVisible, {Command_AT[i], Shape_AT[i]});
        putVisible(r.outVisible, {Command_OUT[i], Shape_OUT[i]});
    }
}

void MainDisp::applyAllChannels() {
    for (int n = 0; n < kAllPageLabels; ++n)
        if (allPageHasLabel(n) && Setdata_Para2[n]) putText(Setdata_Para2[n], m_views.all.Setdata_Para2[std::size_t(n)]);
}

void MainDisp::applyChartFeed() {
    const ChartFeedView& c = m_views.chart;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (c.pv[std::size_t(ch)].changed) Korvel_ChartCtl1->setPvCaption(ch, c.pv[std::size_t(ch)].value);
        if (c.sv[std::size_t(ch)].changed) Korvel_ChartCtl1->setSvCaption(ch, c.sv[std::size_t(ch)].value);
    }
}

// ---- alarm history window -------------------------------------------------------------

void MainDisp::setAlarmHistory(AlarmHistory* history) {
    if (history == m_history) return;
    if (m_historyWindow) {
        // Leaves the old history's grid before the window goes.
        m_historyWindow->detach();
        delete m_historyWindow;
    }
    m_history = history;
    if (m_history) {
        // Loaded hidden: every entry reaches its grid whether it is shown or not.
        m_historyWindow = new SubDisp_History(*m_history, this);
    }
}

SubDisp_History* MainDisp::historyWindow() const { return m_historyWindow; }

void MainDisp::numhyst_Click() {
    if (!m_history || !m_historyWindow) return;
    m_history->refillGrid();
    m_historyWindow->showOver(this);
}

}  // namespace qvx
