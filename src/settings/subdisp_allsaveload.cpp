#include "subdisp_allsaveload.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

#include "file_writes.h"
#include "qvx720_inc.h"
#include "setting_files.h"
#include "transfer.h"

namespace qvx {

SubDisp_AllSaveLoad::SubDisp_AllSaveLoad(QVX720_INC& state, const StringTable& strings, UiSeam& ui,
                                         FileWindowHooks hooks, QWidget* parent)
    : QDialog(parent), m_state(state), m_strings(strings), m_ui(ui), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("SubDisp_AllSaveLoad"));
    setWindowTitle(m_strings.text(530));
    Label1[0] = new QLabel(m_strings.text(531), this);
    Label1[1] = new QLabel(QStringLiteral("Loading..."), this);
    Label1[1]->setObjectName(QStringLiteral("Label1_1"));
    Label1[1]->hide();
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    // A fixed width, so that a new name does not relayout the window.
    Label2->setFixedWidth(Label2->fontMetrics().averageCharWidth() * 16);
    Command1[0] = new QPushButton(m_strings.text(781), this);
    Command1[1] = new QPushButton(m_strings.text(782), this);
    Command1[2] = new QPushButton(m_strings.text(767), this);
    for (int i = 0; i < 3; ++i) {
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->addWidget(Label1[0], 0, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(Command1[0], 1, 0);
    grid->addWidget(Command1[1], 1, 1);
    grid->addWidget(Label1[1], 2, 0);
    grid->addWidget(Label2, 2, 1);
    grid->setRowMinimumHeight(2, Label2->sizeHint().height());
    grid->addWidget(Command1[2], 3, 1, Qt::AlignRight);
}

void SubDisp_AllSaveLoad::Command1_Click(int Index) {
    switch (Index) {
    case 0: saveAll(); break;
    case 1: loadAll(); break;
    case 2:
        if (m_loading) return;
        if (m_hooks.chnameRead) m_hooks.chnameRead();
        close();
        break;
    default: break;
    }
}

void SubDisp_AllSaveLoad::reject() {
    if (!m_loading) QDialog::reject();
}

void SubDisp_AllSaveLoad::closeEvent(QCloseEvent* event) {
    if (m_loading)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void SubDisp_AllSaveLoad::message(const QString& text) {
    m_ui.messageBox(this, text, QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
}

void SubDisp_AllSaveLoad::setButtonsEnabled(bool enabled) {
    for (QPushButton* b : Command1) b->setEnabled(enabled);
}

void SubDisp_AllSaveLoad::saveAll() {
    if (m_loading) return;
    if (anyAutoTuning(m_state)) {
        message(m_strings.text(506));
        return;
    }
    const QString path = chooseSettingSaveFile(this, m_ui, m_strings, m_hooks.programFolder, m_saveName);
    if (path.isEmpty()) return;
    QString reason, place;
    if (!writeAllChannelsFile(path, m_state, &reason, &place))
        message(fileProblemText(m_strings.text(940), place, reason));
}

void SubDisp_AllSaveLoad::loadAll() {
    if (m_loading) return;
    if (m_hooks.lineWorkRefused && m_hooks.lineWorkRefused()) return;
    if (m_ui.messageBox(this, m_strings.text(536), QString(), UiSeam::Icon::Exclamation, UiSeam::Buttons::YesNo) !=
        UiSeam::Answer::Yes)
        return;
    m_loading = true;
    setButtonsEnabled(false);
    // Every end of a load, refused, cancelled, failed or done, is idle again.
    const auto idle = qScopeGuard([this] {
        Label2->clear();
        Label1[1]->hide();
        setButtonsEnabled(true);
        m_loading = false;
    });

    const UiSeam::FileDialogResult chosen =
        m_ui.fileDialog(this, settingFileDialog(m_hooks.programFolder, UiSeam::FileDialogMode::Open, m_openName));
    if (!chosen.accepted || chosen.fileName.isEmpty()) return;
    m_openName = chosen.fileName;
    const AllChannelsFileRead file = readAllChannelsBytes(chosen.fileName);
    switch (file.error) {
    case FileError::None: break;
    case FileError::CannotOpen: message(fileProblemText(m_strings.text(941), chosen.fileName, file.reason)); return;
    default:
        message(m_strings.text(532));
        return;
    }
    if (anyAutoTuning(m_state)) {
        message(m_strings.text(533));
        return;
    }
    const std::optional<AllChannelsBlocks> blocks = parseAllChannelsFile(file.bytes);
    if (!blocks) {
        // Short, or a field that is no 16-bit number: nothing is stored.
        message(m_strings.text(532));
        return;
    }
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(m_state, ch, (*blocks)[std::size_t(ch)]);
    // Every present channel's chain is queued now; the link sends them one
    // after another, whatever window is open meanwhile.
    if (queueTransfer(m_state, Com_WriteAll) > 0 && m_hooks.setStatusPanel4)
        m_hooks.setStatusPanel4(m_strings.text(453));
}

}  // namespace qvx
