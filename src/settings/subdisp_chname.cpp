#include "subdisp_chname.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "fit_scroll_area.h"
#include "preferences.h"
#include "settings_store.h"
#include "ui_seam.h"

namespace qvx {

namespace {
constexpr int kRowsPerColumn = 25;  // columns of channels 0..24, 25..49, 50..74, 75..94
}

SubDisp_Chname::SubDisp_Chname(const StringTable& strings, UiSeam& ui, SettingsStore* store,
                               std::function<void()> chnameRead, CodePage codePage, QWidget* parent)
    : QDialog(parent),
      m_strings(strings),
      m_ui(ui),
      m_store(store),
      m_chnameRead(std::move(chnameRead)),
      m_codePage(codePage) {
    setObjectName(QStringLiteral("SubDisp_Chname"));
    setWindowTitle(m_strings.text(248));
    Label_channel[0] = new QLabel(m_strings.text(249), this);
    for (int c = 1; c <= 4; ++c) {
        Label_channel[c] = new QLabel(m_strings.text(250), this);
        Label_channel[c]->setObjectName(QStringLiteral("Label_channel_%1").arg(c));
    }
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int c = 0; c < 4; ++c) {
        grid->addWidget(Label_channel[c + 1], 0, c * 3, 1, 2);
        if (c > 0) grid->setColumnMinimumWidth(c * 3 - 1, 12);
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        Label1[ch] = new QLabel(QStringLiteral("No.%1").arg(ch, 2, 10, QLatin1Char('0')), this);
        ChName[ch] = new QLineEdit(this);
        ChName[ch]->setObjectName(QStringLiteral("ChName_%1").arg(ch));
        ChName[ch]->setMaxLength(kNameMaxBytes);
        ChName[ch]->setFixedWidth(ChName[ch]->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMM")) + 12);
        const int column = ch / kRowsPerColumn;
        const int row = 1 + ch % kRowsPerColumn;
        grid->addWidget(Label1[ch], row, column * 3);
        grid->addWidget(ChName[ch], row, column * 3 + 1);
        connect(ChName[ch], &QLineEdit::textChanged, this, [this, ch](const QString&) { ChName_Change(ch); });
    }
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(m_strings.text(46), this);
    for (QPushButton* b : {Command1, Command2}) b->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &SubDisp_Chname::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SubDisp_Chname::Command2_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    // 95 rows: a screen too low for them scrolls them.
    auto* outer = new QVBoxLayout(scrollingContent(this));
    outer->addWidget(Label_channel[0]);
    outer->addLayout(grid);
    outer->addLayout(buttons);
}

QString SubDisp_Chname::storedName(int ch) const {
    return m_store ? channelName(*m_store, ch, m_codePage) : defaultChannelName(ch);
}

void SubDisp_Chname::fillFromStore() {
    for (int ch = 0; ch < kChannels; ++ch) ChName[ch]->setText(storedName(ch));
}

void SubDisp_Chname::ChName_Change(int Index) {
    if (Index < 0 || Index >= kChannels || m_inRule) return;
    QLineEdit* box = ChName[Index];
    const QString kept = nameAfterChange(box->text(), storedName(Index), m_codePage);
    if (kept == box->text()) return;
    // Over the limit: the stored name goes back into the box. A stored name
    // that is itself too long goes back cut to the limit, so this runs once.
    m_inRule = true;
    box->setText(kept);
    m_inRule = false;
}

void SubDisp_Chname::Command1_Click() {
    // The answer is not used: the names are registered whatever it is.
    m_ui.messageBox(this, m_strings.text(251), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
    QStringList names;
    names.reserve(kChannels);
    for (QLineEdit* box : ChName) names << box->text();
    if (m_store) saveChannelNames(*m_store, names);
    if (m_chnameRead) m_chnameRead();
    close();
}

void SubDisp_Chname::Command2_Click() {
    if (m_chnameRead) m_chnameRead();
    close();
}

}  // namespace qvx
