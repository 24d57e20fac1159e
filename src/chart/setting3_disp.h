// Setting3_Disp: the chart-scale dialog, a ten-key dialog for the Y high
// (ChartScale_Sel 0) or the Y low (1) of the chart. The entry shows what
// was typed; "+/-" accepts -1999..9999; OK takes -200..2000 and keeps the
// high above the low, then sets the chart's scale property and both chart
// files. Modeless; OK and Cancel unload it.
#pragma once

#include <QDialog>
#include <array>

#include "setting_entry.h"

class QLabel;
class QPushButton;

namespace qvx {

class EntryBox;
class Korvel_ChartCtl;

class Setting3_Disp : public QDialog {
    Q_OBJECT
public:
    // A dialog of the chart; it deletes itself when it is unloaded.
    explicit Setting3_Disp(Korvel_ChartCtl& chart, QWidget* parent = nullptr);

    // An opening: empties the entry and the display box and shows the
    // current value and the range.
    void retarget(const QString& nowText, const QString& limitText);

    const TenKeyEntry& entry() const { return m_entry; }

    // Handlers, also called by tests.
    void Ten_key_Click(int Index);
    void Disp_setdata3_KeyPress(int KeyAscii);
    void Command1_Click();  // "+/-"
    void Command2_Click();  // "CE"
    void Command3_Click();  // "OK"
    void Command4_Click();  // "Cancel"
    void reject() override;

    std::array<QPushButton*, 10> Ten_key{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    EntryBox* Disp_setdata3 = nullptr;
    QLabel* change_data3 = nullptr;  // hidden: the raw entry
    QLabel* Now_data = nullptr;
    QLabel* Limit_data = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

private:
    void showEntry();
    void refuse(int stringId);
    void unload();

    Korvel_ChartCtl& m_chart;
    TenKeyEntry m_entry;
};

}  // namespace qvx
