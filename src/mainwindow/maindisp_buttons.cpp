// The channel setting and command buttons of the main window: each handler
// beeps, lets the core rule change the shared state, and opens what it says.
#include <QLabel>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "bargr.h"
#include "commands.h"
#include "maindisp.h"
#include "select_disp.h"
#include "setting_disp.h"
#include "setting_entry.h"

namespace qvx {

void MainDisp::connectButtons() {
    for (int i = 0; i < kPanels; ++i) {
        connect(Command_change[i], &QPushButton::clicked, this, [this, i] { Command_change_Click(i); });
        connect(Command_change2[i], &QPushButton::clicked, this, [this, i] { Command_change2_Click(i); });
        connect(Command_AT[i], &QPushButton::clicked, this, [this, i] { Command_AT_Click(i); });
        connect(Command_OUT[i], &QPushButton::clicked, this, [this, i] { Command_OUT_Click(i); });
    }
    connect(Command_1channe_sv, &QPushButton::clicked, this, [this] { Command_1channe_sv_Click(); });
    connect(tb3_OUTOFF, &QPushButton::clicked, this, [this] { tb3_OUTOFF_Click(); });
    connect(Cmd_AT, &QPushButton::clicked, this, [this] { Cmd_AT_Click(); });
    for (int i = 0; i < 2; ++i) connect(Cmd_Alm[i], &QPushButton::clicked, this, [this, i] { Cmd_Alm_Click(i); });
    for (int i = 0; i < int(Cmd_change2.size()); ++i)
        if (Cmd_change2[i]) connect(Cmd_change2[i], &QPushButton::clicked, this, [this, i] { Cmd_change2_Click(i); });
    // The scale labels of the bar graphs edit the scaling limits of their channel.
    DisplayPrompts prompts;
    prompts.critical = [this](QWidget* parent, const QString& text, const QString& title) {
        m_ui.messageBox(parent, text, title, UiSeam::Icon::Critical, UiSeam::Buttons::Ok);
    };
    prompts.beep = [this] { m_ui.beep(); };
    for (BarGr* bar : BarGr1) {
        bar->setPrompts(prompts);
        connect(bar, &BarGr::scaleEditRequested, this, [this](int, int, const QString& nowText) {
            if (lineWorkRefused()) return;
            if (Setting4_Disp* d = setting4Disp()) d->open(Range_SetTarget(m_state, nowText));
        });
    }
}

// Channel of a row of the setting display: page base + row, or -1 when no
// channel page is selected.
int MainDisp::rowChannel(int row) const {
    for (int n = 0; n < 5; ++n)
        if (Option1[n]->isChecked()) return 20 * n + row;
    return -1;
}

namespace {
// A selection dialog opens on what the button found: the option of the
// value it read, or the unit text.
SelectTarget selectionOf(const ButtonAction& a) {
    SelectTarget t;
    t.item = qint16(a.item);
    t.channel = qint16(a.ch);
    t.value = qint16(a.preset);
    t.unit = a.unitText;
    return t;
}
}  // namespace

void MainDisp::applyButtonAction(const ButtonAction& a) {
    switch (a.kind) {
    case ButtonAction::None:
    case ButtonAction::Queued:
        break;
    case ButtonAction::Message:
        m_ui.messageBox(this, a.message, QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
        break;
    case ButtonAction::OpenNumeric:
        if (Setting_Disp* d = settingDisp()) d->open(editTarget(m_state, a.range));
        break;
    case ButtonAction::OpenSelect:
        if (Select_Disp* d = selectDisp()) d->open(selectionOf(a));
        break;
    case ButtonAction::OpenPageNumeric:
        setting2Disp()->open(editTarget(m_state, a.range));
        break;
    case ButtonAction::OpenPageSelect:
        select2Disp()->open(selectionOf(a));
        break;
    }
}

void MainDisp::Command_change_Click(int Index) {
    m_ui.beep();
    if (lineWorkRefused()) return;
    if (Index < 0 || Index >= kPanels) return;
    applyButtonAction(qvx::Command_change(m_state, rowChannel(Index), Setdata_Para[Index]->text()));
}

void MainDisp::Command_change2_Click(int Index) {
    m_ui.beep();
    if (lineWorkRefused()) return;
    if (Index < 0 || Index >= kPanels) return;
    applyButtonAction(qvx::Command_change2(m_state, rowChannel(Index), m_strings));
}

void MainDisp::Command_AT_Click(int Index) {
    m_ui.beep();
    if (lineWorkRefused()) return;
    if (Index < 0 || Index >= kPanels) return;
    applyButtonAction(qvx::Command_AT(m_state, rowChannel(Index)));
}

void MainDisp::Command_OUT_Click(int Index) {
    m_ui.beep();
    if (lineWorkRefused()) return;
    if (Index < 0 || Index >= kPanels) return;
    applyButtonAction(qvx::Command_OUT(m_state, rowChannel(Index)));
}

void MainDisp::Command_1channe_sv_Click() {
    m_ui.beep();
    if (lineWorkRefused()) return;
    applyButtonAction(qvx::Command_1channe_sv(m_state, tb3_CHName->currentIndex(), Text_SV->text()));
}

void MainDisp::tb3_OUTOFF_Click() {
    m_ui.beep();
    if (lineWorkRefused()) return;
    applyButtonAction(qvx::tb3_OUTOFF(m_state, tb3_CHName->currentIndex()));
}

void MainDisp::Cmd_AT_Click() {
    m_ui.beep();
    if (lineWorkRefused()) return;
    applyButtonAction(qvx::Cmd_AT(m_state, tb3_CHName->currentIndex()));
}

void MainDisp::Cmd_Alm_Click(int Index) {
    m_ui.beep();
    if (lineWorkRefused()) return;
    applyButtonAction(qvx::Cmd_Alm(m_state, tb3_CHName->currentIndex(), Index));
}

void MainDisp::Cmd_change2_Click(int Index) {
    m_ui.beep();
    if (Index < 0 || Index >= int(Setdata_Para2.size()) || !Setdata_Para2[Index]) return;
    if (!m_store) return;
    applyButtonAction(qvx::Cmd_change2(m_state, Index, m_strings, *m_store, Setdata_Para2[Index]->text()));
}

Setting_Disp* MainDisp::settingDisp() {
    if (!m_settingDisp && m_store) m_settingDisp = new Setting_Disp(m_state, m_strings, m_ui, *m_store, this);
    return m_settingDisp;
}

Setting2_Disp* MainDisp::setting2Disp() {
    if (!m_setting2Disp) m_setting2Disp = new Setting2_Disp(m_state, m_strings, m_ui, this);
    return m_setting2Disp;
}

Setting4_Disp* MainDisp::setting4Disp() {
    if (!m_setting4Disp && m_store) m_setting4Disp = new Setting4_Disp(m_state, m_strings, m_ui, *m_store, this);
    return m_setting4Disp;
}

Select_Disp* MainDisp::selectDisp() {
    if (!m_selectDisp && m_store) m_selectDisp = new Select_Disp(m_state, m_strings, m_ui, *m_store, this);
    return m_selectDisp;
}

Select2_Disp* MainDisp::select2Disp() {
    if (!m_select2Disp) m_select2Disp = new Select2_Disp(m_state, m_strings, this);
    return m_select2Disp;
}

}  // namespace qvx
