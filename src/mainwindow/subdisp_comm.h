// SubDisp_comm: the communication-condition dialog, shown when the link check
// at start fails. OK (or closing the window) hands the chosen port, speed and
// time-out choice to whoever waits for them; "Shut down" ends the program.
#pragma once

#include <QDialog>
#include <functional>

#include "qvx720_inc.h"
#include "string_table.h"
#include "ui_seam.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace qvx {

class SubDisp_comm : public QDialog {
    Q_OBJECT
public:
    // storedTimeCount: the stored "Time_Count" text (default "2").
    SubDisp_comm(QVX720_INC& state, const StringTable& strings, UiSeam& ui, const QString& storedTimeCount,
                 QWidget* parent = nullptr);

    // Called by OK with the port text, the speed text and the time-out choice
    // (1..14), after CommDisp_flg has been cleared and Time_Count set; the
    // receiver saves "Port", "Speed" and "Time_Count".
    using AcceptHandler = std::function<void(const QString& port, const QString& speed, int timeCount)>;
    void setAcceptHandler(AcceptHandler handler) { onAccept_ = std::move(handler); }
    // Called by "Shut down" after its box: it closes the port and ends the
    // process. Without one the dialog ends the process itself.
    void setShutDownHandler(std::function<void()> handler) { onShutDown_ = std::move(handler); }

    // Sets a combo's text; a text that is not in its list leaves it as it is.
    void setPortText(const QString& port);
    void setSpeedText(const QString& speed);
    // Why the link check failed (port, device, reason); hidden when empty.
    void setReason(const QString& text);

    void Command1_Click();  // OK
    void Command3_Click();  // "Shut down"

    QComboBox* Combo_Port = nullptr;
    QComboBox* Combo_Rate = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label_reason = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;

    // Escape confirms like OK too.
    void reject() override { Command1_Click(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load(const QString& storedTimeCount);

    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    AcceptHandler onAccept_;
    std::function<void()> onShutDown_;
    bool accepting_ = false;
};

}  // namespace qvx
