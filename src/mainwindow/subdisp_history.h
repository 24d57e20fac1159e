// SubDisp_History: the alarm-history window. Its grid MSFlexGrid1 shows the
// grid of the alarm history (header, rows 1..101); Erase empties the history
// table and the grid, Exit unloads the window. The window object lives as
// long as the main window; "unloaded" means hidden with an empty grid, which
// the next entry loads again, still hidden.
#pragma once

#include <QWidget>
#include <array>

#include "alarm_history.h"

class QPushButton;
class QTableWidget;

namespace qvx {

class SubDisp_History : public QWidget, public HistoryGridObserver {
    Q_OBJECT
public:
    // Created hidden; observes history's grid until destroyed. The history
    // must outlive the window or be detached first (detach()).
    explicit SubDisp_History(AlarmHistory& history, QWidget* parent = nullptr);
    ~SubDisp_History() override;

    // Stops observing the history's grid; the buttons then do nothing.
    void detach();

    // Shows the window modeless; the first time centred over owner.
    void showOver(QWidget* owner);

    // Command1(1) Erase, Command1(2) Exit.
    void Command1_Click(int Index);

    // Text of grid row 1..101, column 0..3 ("" outside).
    QString cellText(int row, int column) const;

    QTableWidget* MSFlexGrid1 = nullptr;
    std::array<QPushButton*, 3> Command1{};  // index 0 unused

    // ---- HistoryGridObserver
    void historyRowChanged(int row, const HistoryCells& cells) override;
    void historyGridReset(bool loaded) override;

protected:
    // Closing the window unloads it, as Exit does.
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void clearCells();

    AlarmHistory* history_ = nullptr;
    bool placed_ = false;
};

}  // namespace qvx
