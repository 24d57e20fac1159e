// SubDisp_SaveLoad: the one-channel setting-value window. Its two channel
// lists SaveLoad_CHname(0) (source) and SaveLoad_CHname(1) (target) list the
// 95 channel names, entry i = channel i. Copy, save and load come later.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

#include "string_table.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace qvx {

class SubDisp_SaveLoad : public QDialog {
    Q_OBJECT
public:
    explicit SubDisp_SaveLoad(const StringTable& strings, QWidget* parent = nullptr);

    // Empties both lists and appends the names in channel order; no entry stays selected.
    void setChannelNames(const QStringList& names);

    std::array<QComboBox*, 2> SaveLoad_CHname{};
    std::array<QLabel*, 4> Label1{};
    std::array<QPushButton*, 4> Command1{};

private:
    const StringTable& m_strings;
};

}  // namespace qvx
