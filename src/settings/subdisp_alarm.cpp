#include "subdisp_alarm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ole_color.h"

namespace qvx {

SubDisp_Alarm::SubDisp_Alarm(const StringTable& strings, QWidget* parent) : QDialog(parent), m_strings(strings) {
    setWindowTitle(m_strings.text(40));
    const QString captions[kSlots] = {m_strings.text(41), m_strings.text(42), m_strings.text(53),
                                      m_strings.text(54), m_strings.text(43)};
    auto* grid = new QGridLayout;
    for (int i = 0; i < kSlots; ++i) {
        Cmd_Alm[i] = new QPushButton(captions[i], this);
        Cmd_Alm[i]->setObjectName(QStringLiteral("Cmd_Alm_%1").arg(i));
        Lbl_alm[i] = new QLabel(this);
        Lbl_alm[i]->setObjectName(QStringLiteral("Lbl_alm_%1").arg(i));
        Lbl_alm[i]->setFixedSize(64, 24);
        Lbl_alm[i]->setFrameShape(QFrame::Box);
        Lbl_alm[i]->setAutoFillBackground(true);
        grid->addWidget(Cmd_Alm[i], i, 0);
        grid->addWidget(Lbl_alm[i], i, 1);
        setSwatchColor(i, colors_[std::size_t(i)]);
    }
    Cmd_OK = new QPushButton(QStringLiteral("OK"), this);
    Cmd_Def = new QPushButton(m_strings.text(44), this);
    Cmd_End = new QPushButton(m_strings.text(46), this);
    connect(Cmd_End, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Cmd_Def);
    buttons->addStretch();
    buttons->addWidget(Cmd_OK);
    buttons->addWidget(Cmd_End);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);
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

}  // namespace qvx
