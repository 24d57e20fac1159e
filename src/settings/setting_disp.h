// The numeric (ten-key) setting dialogs:
//   Setting_Disp   one setting of one channel, written to the controller;
//   Setting4_Disp  the same, opened from a bar graph's scale labels;
//   Setting2_Disp  one value of the all-channels setting page, sent later by
//                  the page's own transmit.
// All three are modeless and share their controls and key rules; they differ
// only in the few points that Member describes.
//
// The opener fills the edit context through Range_Set and hands the result
// to open() (see Range_SetTarget). The dialog acts on that target until it is
// closed or opened again, whatever other openers do to the edit context in
// the meantime.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <array>

#include "setting_entry.h"

class QLabel;
class QPushButton;

namespace qvx {

class QVX720_INC;
class SettingsStore;
class StringTable;
class UiSeam;

// The display box: right-aligned, takes no typing of its own; the characters
// typed while it has the focus go to the dialog's key rules.
class EntryBox : public QLineEdit {
    Q_OBJECT
public:
    explicit EntryBox(QWidget* parent = nullptr);

signals:
    // The character code of a typed key (Backspace 8, Enter 13).
    void keyTyped(int keyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The layout shared by the ten-key dialogs: current value and range above the
// entry box, the keys 7-8-9 / 4-5-6 / 1-2-3 / 0, +/-, CE, OK and Cancel.
void layOutTenKeyDialog(QWidget* dialog, QWidget* label1, QWidget* nowData, QWidget* label2, QWidget* limitData,
                        QWidget* entry, const std::array<QPushButton*, 10>& keys, QPushButton* sign,
                        QPushButton* clear, QPushButton* ok, QPushButton* cancel);

class NumericSettingDialog : public QDialog {
    Q_OBJECT
public:
    enum class Member { Setting, Setting2, Setting4 };

    // (Re)targets the dialog: takes the item, channel, limits, display rule
    // and texts of t, empties the entry and the display, and shows the
    // dialog modeless with the focus in the display box.
    void open(const EditTarget& t);

    Member member() const { return m_member; }
    const EditTarget& target() const { return m_target; }
    const TenKeyEntry& entry() const { return m_entry; }

    // Handlers, also called by tests.
    void Ten_key_Click(int Index);
    void KeyPress(int KeyAscii);  // Disp_setdata_KeyPress and its namesakes
    void Command1_Click();        // "+/-"
    void Command2_Click();        // "CE"
    void Command3_Click();        // "OK"
    void Command4_Click();        // "Cancel"

    // Closing the window is Cancel.
    void reject() override;

    std::array<QPushButton*, 10> Ten_key{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    EntryBox* Disp_setdata = nullptr;
    QLabel* Now_data = nullptr;
    QLabel* Limit_data = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

signals:
    // After OK has stored a value (before the dialog closes).
    void stored(const qvx::EditTarget& target, qint16 value);

protected:
    NumericSettingDialog(Member member, QVX720_INC& state, const StringTable& strings, UiSeam& ui,
                         SettingsStore* store, QWidget* parent);

private:
    using QDialog::open;  // the window-modal open() is not for these dialogs

    void showEntry();
    void refuse(int stringId);
    void unload(int result);

    Member m_member;
    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    SettingsStore* m_store;  // not used by the page dialog
    EditTarget m_target;
    TenKeyEntry m_entry;
};

class Setting_Disp : public NumericSettingDialog {
    Q_OBJECT
public:
    Setting_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                 QWidget* parent = nullptr);
};

class Setting4_Disp : public NumericSettingDialog {
    Q_OBJECT
public:
    Setting4_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                  QWidget* parent = nullptr);
};

// The all-channels page member: shows the raw entry, "+/-" accepts
// -1999..9999 whatever the limits, OK stores into AllParaData and sends
// nothing.
class Setting2_Disp : public NumericSettingDialog {
    Q_OBJECT
public:
    Setting2_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, QWidget* parent = nullptr);

    static constexpr qint64 kSignMax = 9999;
    static constexpr qint64 kSignMin = -1999;
};

}  // namespace qvx
