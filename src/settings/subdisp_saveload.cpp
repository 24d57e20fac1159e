#include "subdisp_saveload.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "file_writes.h"
#include "qvx720_inc.h"
#include "setting_files.h"
#include "transfer.h"

namespace qvx {

UiSeam::FileDialogRequest settingFileDialog(const QString& programFolder, UiSeam::FileDialogMode mode,
                                            const QString& lastName) {
    UiSeam::FileDialogRequest r;
    r.mode = mode;
    r.initialFolder = QDir(programFolder).filePath(QStringLiteral("Setdata"));
    r.filter = QStringLiteral("*.dat(data file)|*.dat");
    r.defaultSuffix = QStringLiteral("dat");
    r.fileName = lastName;
    r.mustExist = mode == UiSeam::FileDialogMode::Open;
    return r;
}

QString chooseSettingSaveFile(QWidget* parent, UiSeam& ui, const StringTable& strings, const QString& programFolder,
                              QString& lastName) {
    const UiSeam::FileDialogResult chosen =
        ui.fileDialog(parent, settingFileDialog(programFolder, UiSeam::FileDialogMode::Save, lastName));
    if (!chosen.accepted || chosen.fileName.isEmpty()) return {};
    const QString path = withDefaultSuffix(chosen.fileName);
    lastName = path;
    if (QFileInfo::exists(path) &&
        ui.messageBox(parent, strings.text(507), QString(), UiSeam::Icon::Question, UiSeam::Buttons::YesNo) !=
            UiSeam::Answer::Yes) {
        ui.messageBox(parent, strings.text(508), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
        return {};
    }
    return path;
}

SubDisp_SaveLoad::SubDisp_SaveLoad(QVX720_INC& state, const StringTable& strings, UiSeam& ui, FileWindowHooks hooks,
                                   QWidget* parent)
    : QDialog(parent), m_state(state), m_strings(strings), m_ui(ui), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("SubDisp_SaveLoad"));
    setWindowTitle(m_strings.text(500));
    Label1[0] = new QLabel(m_strings.text(513), this);
    Label1[1] = new QLabel(m_strings.text(513), this);
    Label1[2] = new QLabel(m_strings.text(514), this);
    Label1[3] = new QLabel(m_strings.text(515), this);
    Command1[0] = new QPushButton(m_strings.text(780), this);
    Command1[1] = new QPushButton(m_strings.text(767), this);
    Command1[2] = new QPushButton(m_strings.text(781), this);
    Command1[3] = new QPushButton(m_strings.text(782), this);
    for (int i = 0; i < 4; ++i) {
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        SaveLoad_CHname[i] = new QComboBox(this);
        SaveLoad_CHname[i]->setObjectName(QStringLiteral("SaveLoad_CHname_%1").arg(i));
        SaveLoad_CHname[i]->setMinimumWidth(180);
        SaveLoad_CHname[i]->setMaxVisibleItems(20);
    }

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(Label1[2], 0, 1, Qt::AlignHCenter);
    grid->addWidget(Label1[1], 0, 2);
    grid->addWidget(SaveLoad_CHname[0], 1, 0);
    grid->addWidget(Command1[0], 1, 1);
    grid->addWidget(SaveLoad_CHname[1], 1, 2);
    grid->setRowMinimumHeight(2, 12);
    grid->addWidget(Label1[3], 3, 1, Qt::AlignHCenter);
    grid->addWidget(Command1[2], 4, 1);
    grid->addWidget(Command1[3], 5, 1);
    grid->setRowMinimumHeight(6, 12);
    grid->addWidget(Command1[1], 7, 2, Qt::AlignRight);
}

void SubDisp_SaveLoad::setChannelNames(const QStringList& names) {
    for (QComboBox* list : SaveLoad_CHname) {
        list->clear();
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
}

void SubDisp_SaveLoad::Command1_Click(int Index) {
    switch (Index) {
    case 0: copyChannel(); break;
    case 1:
        if (m_hooks.chnameRead) m_hooks.chnameRead();
        close();
        break;
    case 2: saveChannel(); break;
    case 3: loadChannel(); break;
    default: break;
    }
}

int SubDisp_SaveLoad::listChannel(int list) const {
    const int i = SaveLoad_CHname[std::size_t(list)]->currentIndex();
    return i >= 0 && i < kChannels ? i : -1;
}

void SubDisp_SaveLoad::message(const QString& text) {
    m_ui.messageBox(this, text, QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
}

void SubDisp_SaveLoad::copyChannel() {
    if (m_hooks.lineWorkRefused && m_hooks.lineWorkRefused()) return;
    const int src = listChannel(0);
    const int dst = listChannel(1);
    const CopyVerdict verdict = checkChannelCopy(m_state, src, dst);
    switch (verdict) {
    case CopyVerdict::Allowed: break;
    case CopyVerdict::NoSelection: return;
    case CopyVerdict::SourceAbsent: message(m_strings.text(501)); return;
    case CopyVerdict::TargetAbsent: message(m_strings.text(502)); return;
    case CopyVerdict::TargetAutoTuning: message(m_strings.text(503)); return;
    }
    qvx::copyChannel(m_state, src, dst);
    queueChain(m_state, dst, Com_WriteAll);
    if (m_hooks.setStatusPanel4) m_hooks.setStatusPanel4(m_strings.text(453));
}

void SubDisp_SaveLoad::saveChannel() {
    const int ch = listChannel(0);
    if (ch < 0) return;
    if (autoTuning(m_state, ch)) {
        message(m_strings.text(506));
        return;
    }
    const QString path = chooseSettingSaveFile(this, m_ui, m_strings, m_hooks.programFolder, m_saveName);
    if (path.isEmpty()) return;
    // The values as they are now: monitoring went on while the dialogs were open.
    QString reason, place;
    if (!writeChannelFile(path, channelBlock(m_state, ch), &reason, &place))
        message(fileProblemText(m_strings.text(940), place, reason));
}

void SubDisp_SaveLoad::loadChannel() {
    if (m_ui.messageBox(this, m_strings.text(509), QString(), UiSeam::Icon::Exclamation, UiSeam::Buttons::YesNo) !=
        UiSeam::Answer::Yes)
        return;
    const UiSeam::FileDialogResult chosen =
        m_ui.fileDialog(this, settingFileDialog(m_hooks.programFolder, UiSeam::FileDialogMode::Open, m_openName));
    if (!chosen.accepted || chosen.fileName.isEmpty()) return;
    m_openName = chosen.fileName;
    const ChannelFileRead file = readChannelFile(chosen.fileName);
    switch (file.error) {
    case FileError::None: break;
    case FileError::CannotOpen: message(fileProblemText(m_strings.text(941), chosen.fileName, file.reason)); return;
    default:
        // Longer than a channel file, short, or with a field that is no
        // 16-bit number: refused before anything is stored.
        message(m_strings.text(510));
        return;
    }
    const int ch = listChannel(0);
    if (ch < 0) return;
    if (m_hooks.lineWorkRefused && m_hooks.lineWorkRefused()) return;
    storeChannelBlock(m_state, ch, file.values);
    queueChain(m_state, ch, Com_WriteAll);
    if (m_hooks.setStatusPanel4) m_hooks.setStatusPanel4(m_strings.text(453));
}

}  // namespace qvx
