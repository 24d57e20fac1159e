#include "subdisp_comm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace qvx {

SubDisp_comm::SubDisp_comm(QVX720_INC& state, const StringTable& strings, UiSeam& ui,
                           const QString& storedTimeCount, QWidget* parent)
    : QDialog(parent), m_state(state), m_strings(strings), m_ui(ui) {
    setObjectName(QStringLiteral("SubDisp_comm"));
    setModal(false);
    Combo_Port = new QComboBox(this);
    for (int n = 1; n <= 8; ++n) Combo_Port->addItem(QStringLiteral("COM%1").arg(n));
    Combo_Rate = new QComboBox(this);
    Combo_Rate->addItems({QStringLiteral("9600"), QStringLiteral("19200")});
    Combo1 = new QComboBox(this);
    for (int choice = 1; choice <= kTimeoutChoices; ++choice) Combo1->addItem(QString::number(timeoutMs(choice)));
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(QStringLiteral("msec"), this);
    Label4 = new QLabel(this);
    Label_reason = new QLabel(this);
    Label_reason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label_reason->setWordWrap(true);  // a lock's holder and file make a long reason
    Label_reason->hide();
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setDefault(true);
    Command3 = new QPushButton(this);
    for (QComboBox* c : {Combo_Port, Combo_Rate, Combo1}) c->setMinimumWidth(110);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Combo_Port, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Combo_Rate, 1, 1);
    grid->addWidget(Label4, 2, 0);
    grid->addWidget(Combo1, 2, 1);
    grid->addWidget(Label3, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Label_reason);
    outer->addLayout(grid);
    outer->addSpacing(8);
    outer->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &SubDisp_comm::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &SubDisp_comm::Command3_Click);
    Form_Load(storedTimeCount);
}

void SubDisp_comm::Form_Load(const QString& storedTimeCount) {
    setWindowTitle(m_strings.text(252));
    Label1->setText(m_strings.text(253));
    Label2->setText(m_strings.text(254));
    Label4->setText(m_strings.text(49));
    Command3->setText(m_strings.text(255));
    bool ok = false;
    const int stored = storedTimeCount.trimmed().toInt(&ok);
    if (ok) m_state.Time_Count = qint16(stored);
    // A stored choice outside 1..14 leaves the list on the default choice, so
    // that OK cannot hand on a choice that has no time-out.
    const int choice = m_state.Time_Count >= 1 && m_state.Time_Count <= kTimeoutChoices ? m_state.Time_Count
                                                                                         : kDefaultTimeoutChoice;
    Combo1->setCurrentIndex(choice - 1);
}

void SubDisp_comm::setPortText(const QString& port) {
    const int i = Combo_Port->findText(port);
    if (i >= 0) Combo_Port->setCurrentIndex(i);
}

void SubDisp_comm::setSpeedText(const QString& speed) {
    const int i = Combo_Rate->findText(speed);
    if (i >= 0) Combo_Rate->setCurrentIndex(i);
}

void SubDisp_comm::setReason(const QString& text) {
    Label_reason->setText(text);
    Label_reason->setVisible(!text.isEmpty());
}

void SubDisp_comm::Command1_Click() {
    if (accepting_) return;
    accepting_ = true;
    m_state.CommDisp_flg = false;
    const int timeCount = Combo1->currentIndex() + 1;
    m_state.Time_Count = qint16(timeCount);
    if (onAccept_) onAccept_(Combo_Port->currentText(), Combo_Rate->currentText(), timeCount);
    hide();
    accepting_ = false;
}

void SubDisp_comm::Command3_Click() {
    m_ui.messageBox(this, m_strings.text(22), m_strings.text(1), UiSeam::Icon::None, UiSeam::Buttons::Ok);
    hide();
    if (onShutDown_)
        onShutDown_();
    else
        m_ui.endProcess(0);
}

void SubDisp_comm::closeEvent(QCloseEvent* event) {
    // Closing the window with its close box confirms it like OK, so that the
    // link does not wait for ever.
    if (isVisible() && !accepting_) Command1_Click();
    event->accept();
}

}  // namespace qvx
