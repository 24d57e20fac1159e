// SubDisp_Chname: the channel-name window. 95 boxes ChName(0..94) hold the
// names of the channels while they are edited; each name stays within 12
// bytes of the system's code page. OK stores all 95 names and has every
// display of names refreshed; Cancel only refreshes them.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "qvx720_inc.h"
#include "setting_files.h"
#include "string_table.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qvx {

class SettingsStore;
class UiSeam;

class SubDisp_Chname : public QDialog {
    Q_OBJECT
public:
    // store: where the names live (none: every name is its default);
    // chnameRead: QVX720_INC.Chname_Read.
    SubDisp_Chname(const StringTable& strings, UiSeam& ui, SettingsStore* store, std::function<void()> chnameRead,
                   CodePage codePage = systemCodePage(), QWidget* parent = nullptr);

    // The stored name of channel ch ("Ch01".."Ch95" by default).
    QString storedName(int ch) const;
    // The opener's step: every box := the stored name of its channel.
    void fillFromStore();

    // The length rule, run after every change of box Index, typed or set.
    void ChName_Change(int Index);
    void Command1_Click();  // OK: register
    void Command2_Click();  // Cancel

    std::array<QLineEdit*, kChannels> ChName{};
    std::array<QLabel*, kChannels> Label1{};
    std::array<QLabel*, 5> Label_channel{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    const StringTable& m_strings;
    UiSeam& m_ui;
    SettingsStore* m_store;
    std::function<void()> m_chnameRead;
    CodePage m_codePage;
    bool m_inRule = false;
};

}  // namespace qvx
