#include "subdisp_alarm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ole_color.h"
#include "qvx720_inc.h"
#include "setting_files.h"
#include "settings_store.h"
#include "ui_seam.h"

namespace qvx {

SubDisp_Alarm::SubDisp_Alarm(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore* store,
                             QWidget* parent)
    : QDialog(parent), m_state(state), m_strings(strings), m_ui(ui), m_store(store) {
    setObjectName(QStringLiteral("SubDisp_Alarm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_strings.text(40));
    const QString captions[kSlots] = {m_strings.text(41), m_strings.text(42), m_strings.text(53),
                                      m_strings.text(54), m_strings.text(43)};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < kSlots; ++i) {
        Cmd_Alm[i] = new QPushButton(captions[i], this);
        Cmd_Alm[i]->setObjectName(QStringLiteral("Cmd_Alm_%1").arg(i));
        Cmd_Alm[i]->setAutoDefault(false);
        connect(Cmd_Alm[i], &QPushButton::clicked, this, [this, i] { Cmd_Alm_Click(i); });
        Lbl_alm[i] = new QLabel(this);
        Lbl_alm[i]->setObjectName(QStringLiteral("Lbl_alm_%1").arg(i));
        Lbl_alm[i]->setFixedSize(64, 24);
        Lbl_alm[i]->setFrameShape(QFrame::Box);
        Lbl_alm[i]->setAutoFillBackground(true);
        grid->addWidget(Cmd_Alm[i], i, 0);
        grid->addWidget(Lbl_alm[i], i, 1);
    }
    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_Def = new QPushButton(m_strings.text(44), this);
    Cmd_End = new QPushButton(m_strings.text(46), this);
    for (QPushButton* b : {Cmd_OK, Cmd_Def, Cmd_End}) b->setAutoDefault(false);
    connect(Cmd_OK, &QPushButton::clicked, this, &SubDisp_Alarm::Cmd_OK_Click);
    connect(Cmd_Def, &QPushButton::clicked, this, &SubDisp_Alarm::Cmd_Def_Click);
    connect(Cmd_End, &QPushButton::clicked, this, &SubDisp_Alarm::Cmd_End_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Def);
    buttons->addSpacing(16);
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_End);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addSpacing(8);
    outer->addLayout(buttons);

    // The load: the stored colours into the swatches and from them into use.
    const AlarmColors stored = readAlarmColors(m_store);
    for (int i = 0; i < kSlots; ++i) setSwatchColor(i, stored[std::size_t(i)]);
    setAlarmColors(m_state.Alarm_Color, colors_);
}

void SubDisp_Alarm::setSwatchColor(int i, qint32 ole) {
    if (i < 0 || i >= kSlots) return;
    colors_[std::size_t(i)] = ole;
    QPalette pal = Lbl_alm[std::size_t(i)]->palette();
    pal.setColor(QPalette::Window, oleToColor(ole));
    Lbl_alm[std::size_t(i)]->setPalette(pal);
}

qint32 SubDisp_Alarm::swatchColor(int i) const {
    if (i < 0 || i >= kSlots) return 0;
    return colors_[std::size_t(i)];
}

void SubDisp_Alarm::Cmd_Alm_Click(int Index) {
    if (Index < 0 || Index >= kSlots) return;
    // The dialog opens with the colour in use, not with an earlier pick.
    const qint32 inUse = alarmColorsOf(m_state.Alarm_Color)[std::size_t(Index)];
    if (const std::optional<qint32> chosen = m_ui.chooseColor(this, inUse)) setSwatchColor(Index, *chosen);
}

void SubDisp_Alarm::Cmd_Def_Click() {
    if (m_ui.messageBox(this, m_strings.text(45), m_strings.text(40), UiSeam::Icon::Question,
                        UiSeam::Buttons::OkCancel) != UiSeam::Answer::Ok)
        return;
    for (int i = 0; i < kSlots; ++i) setSwatchColor(i, kDefaultAlarmColor);
}

void SubDisp_Alarm::Cmd_OK_Click() {
    setAlarmColors(m_state.Alarm_Color, colors_);
    if (m_store) saveAlarmColors(*m_store, colors_);
    close();
}

void SubDisp_Alarm::Cmd_End_Click() { close(); }

}  // namespace qvx
