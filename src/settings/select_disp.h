// The selection setting dialogs:
//   Select_Disp   one selection item of one channel (alarm type, input type,
//                 ON/OFF choices, unit text, decimal point...), written to
//                 the controller or, for unit and decimal point, saved;
//   Select2_Disp  one selection value of the all-channels setting page,
//                 sent later by the page's own transmit.
// One frame per kind of choice, all on the same spot; open() shows the frame
// of the target item with the option of its current value selected. Both are
// modeless and act on the target they were opened with.
#pragma once

#include <QDialog>
#include <array>

#include "setting_entry.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qvx {

class QVX720_INC;
class SettingsStore;
class StringTable;
class UiSeam;

class SelectionDialog : public QDialog {
    Q_OBJECT
public:
    // (Re)targets the dialog: hides every frame, shows the frame of t's item
    // and selects the option of its current value (or puts the unit text
    // into the unit box), then shows the dialog modeless. A value that no
    // option stands for leaves the frame without a selection.
    void open(const SelectTarget& t);

    SelectWindow window() const { return m_window; }
    const SelectTarget& target() const { return m_target; }

    // The frame of a kind (nullptr for a kind this window does not have).
    QGroupBox* frame(SelectFrame f) const;
    // The option buttons of a frame, in index order.
    QList<QRadioButton*> options(SelectFrame f) const;
    // The selected option of a frame, the first in index order; -1 for none.
    int selectedOption(SelectFrame f) const;

    void Command1_Click();  // OK
    void Command2_Click();  // Cancel
    void reject() override;  // closing the window is Cancel

    std::array<QRadioButton*, 4> Option_lock{};
    std::array<QRadioButton*, 3> Option_cool{};
    std::array<QRadioButton*, 10> Option_alarm{};
    std::array<QRadioButton*, 2> Option_out{};  // page window only
    std::array<QRadioButton*, 2> Option_onoff{};
    std::array<QRadioButton*, 2> Option_reigi{};
    std::array<QRadioButton*, 2> Option_keep{};
    std::array<QRadioButton*, 36> Option_sensor{};  // one-channel window only
    std::array<QRadioButton*, 2> Option_hc{};
    std::array<QRadioButton*, 2> Option_inout{};
    std::array<QRadioButton*, 4> Option_dp{};  // one-channel window only
    QLineEdit* Text_unit = nullptr;            // one-channel window only
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

signals:
    // After OK has stored (before the dialog closes).
    void stored(const qvx::SelectTarget& target);

protected:
    SelectionDialog(SelectWindow window, QVX720_INC& state, const StringTable& strings, UiSeam* ui,
                    SettingsStore* store, QWidget* parent);

private:
    using QDialog::open;  // the window-modal open() is not for these dialogs

    QGroupBox* addFrame(SelectFrame f, const char* name, const QString& caption);
    void clearFrame(SelectFrame f);
    void hideFrames();
    void unload(int result);

    SelectWindow m_window;
    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam* m_ui;            // one-channel window only
    SettingsStore* m_store;  // one-channel window only
    SelectTarget m_target;
    std::array<QGroupBox*, 13> m_frames{};
};

class Select_Disp : public SelectionDialog {
    Q_OBJECT
public:
    Select_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                QWidget* parent = nullptr);
};

class Select2_Disp : public SelectionDialog {
    Q_OBJECT
public:
    Select2_Disp(QVX720_INC& state, const StringTable& strings, QWidget* parent = nullptr);
};

}  // namespace qvx
