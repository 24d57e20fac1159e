// SubDisp_Alarm: the alarm-colour window. Five swatches Lbl_alm(0..4) hold
// the colours of alarms 1..4 and of combined alarms as their background.
// This is the window's frame; picking, default and storing come later.
#pragma once

#include <QDialog>
#include <array>

#include "string_table.h"

class QLabel;
class QPushButton;

namespace qvx {

class SubDisp_Alarm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSlots = 5;

    explicit SubDisp_Alarm(const StringTable& strings, QWidget* parent = nullptr);

    // Background colour of swatch i (0x00BBGGRR); i outside 0..4 is ignored / reads 0.
    void setSwatchColor(int i, qint32 ole);
    qint32 swatchColor(int i) const;

    std::array<QPushButton*, kSlots> Cmd_Alm{};
    std::array<QLabel*, kSlots> Lbl_alm{};
    QPushButton* Cmd_OK = nullptr;
    QPushButton* Cmd_Def = nullptr;
    QPushButton* Cmd_End = nullptr;

private:
    const StringTable& m_strings;
    std::array<qint32, kSlots> colors_{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
};

}  // namespace qvx
