// SubDisp_Alarm: the alarm-colour window. Five swatches Lbl_alm(0..4) hold
// the colours of alarms 1..4 and of combined alarms as their background,
// as edited in the window; the program-wide Alarm_Color holds the colours in
// use until OK copies the swatches into it and stores them.
//
// Each creation of the window is a load: the swatches and Alarm_Color take
// the stored colours. OK and Cancel unload it (the window is deleted), so
// colours picked and not stored are gone.
#pragma once

#include <QDialog>
#include <array>

#include "string_table.h"

class QLabel;
class QPushButton;

namespace qvx {

class QVX720_INC;
class SettingsStore;
class UiSeam;

class SubDisp_Alarm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSlots = 5;

    // store: where the colours live (none: every colour is red).
    SubDisp_Alarm(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore* store,
                  QWidget* parent = nullptr);

    // Background colour of swatch i (0x00BBGGRR); i outside 0..4 is ignored / reads 0.
    void setSwatchColor(int i, qint32 ole);
    qint32 swatchColor(int i) const;

    void Cmd_Alm_Click(int Index);  // pick the colour of slot Index
    void Cmd_Def_Click();           // all swatches to red, after a confirmation
    void Cmd_OK_Click();            // colours into use and into the store
    void Cmd_End_Click();           // close without storing

    std::array<QPushButton*, kSlots> Cmd_Alm{};
    std::array<QLabel*, kSlots> Lbl_alm{};
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Def = nullptr;
    QPushButton* Cmd_End = nullptr;

private:
    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    SettingsStore* m_store;
    std::array<qint32, kSlots> colors_{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
};

}  // namespace qvx
