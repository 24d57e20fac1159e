#include "subdisp_saveload.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace qvx {

SubDisp_SaveLoad::SubDisp_SaveLoad(const StringTable& strings, QWidget* parent)
    : QDialog(parent), m_strings(strings) {
    setWindowTitle(m_strings.text(500));
    Label1[0] = new QLabel(m_strings.text(513), this);
    Label1[1] = new QLabel(m_strings.text(513), this);
    Label1[2] = new QLabel(m_strings.text(514), this);
    Label1[3] = new QLabel(m_strings.text(515), this);
    Command1[0] = new QPushButton(m_strings.text(780), this);
    Command1[1] = new QPushButton(m_strings.text(767), this);
    Command1[2] = new QPushButton(m_strings.text(781), this);
    Command1[3] = new QPushButton(m_strings.text(782), this);
    for (int i = 0; i < 2; ++i) {
        SaveLoad_CHname[i] = new QComboBox(this);
        SaveLoad_CHname[i]->setObjectName(QStringLiteral("SaveLoad_CHname_%1").arg(i));
        SaveLoad_CHname[i]->setMinimumWidth(180);
    }
    connect(Command1[1], &QPushButton::clicked, this, &QDialog::close);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(Label1[2], 0, 1, Qt::AlignHCenter);
    grid->addWidget(Label1[1], 0, 2);
    grid->addWidget(SaveLoad_CHname[0], 1, 0);
    grid->addWidget(Command1[0], 1, 1);
    grid->addWidget(SaveLoad_CHname[1], 1, 2);
    grid->addWidget(Label1[3], 2, 1, Qt::AlignHCenter);
    grid->addWidget(Command1[2], 3, 1);
    grid->addWidget(Command1[3], 4, 1);
    grid->addWidget(Command1[1], 5, 2, Qt::AlignRight);
}

void SubDisp_SaveLoad::setChannelNames(const QStringList& names) {
    for (QComboBox* list : SaveLoad_CHname) {
        list->clear();
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
}

}  // namespace qvx
