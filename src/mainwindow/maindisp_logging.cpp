// The logging buttons, the logging clock and the all-channels page buttons of
// the main window. The rules (clock, lines, file layouts, the transmit's copy)
// live in core/pv_logging and core/page_file; here are the questions, the
// dialogs and the controls. Every file is named by its full path (a bare
// logging file name lives in the program's folder), so no dialog or failure
// needs the process's current folder put back.
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "setting_files.h"

#include "file_writes.h"
#include "link.h"
#include "korvel_chartctl.h"
#include "maindisp_logging.h"
#include "page_file.h"
#include "transfer.h"

namespace qvx {

MainDisp::Logging& MainDisp::logging() { return *m_logging; }

void MainDisp::setupLogging() {
    m_logging = std::make_shared<Logging>(m_state, m_strings);

    // The refusal label of the transmit sits above the page's buttons.
    QWidget* page = Command2[0]->parentWidget();
    Label2 = new QLabel(page);
    Label2->setObjectName(QStringLiteral("Label2"));
    if (auto* box = qobject_cast<QBoxLayout*>(page->layout())) box->insertWidget(box->count() - 1, Label2);

    for (int i = 0; i < 3; ++i) {
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        connect(Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    }
    connect(Timer1, &QTimer::timeout, this, &MainDisp::Timer1_Timer);
}

// ---- logging ------------------------------------------------------------------------

// The link asks for this at the end of the start-up tick; what the start may
// ask or tell (516, 508, the file dialog) waits for the tick's end, so the
// link runs under it.
void MainDisp::startLogging() {
    QTimer::singleShot(0, this, [this] {
        if (!End_flg) Command1_Click(0);
    });
}

void MainDisp::Command1_Click(int Index) {
    switch (Index) {
    case 0: logStart(); break;
    case 1: logStop(); break;
    case 2: chooseLogFile(); break;
    default: break;
    }
}

QString MainDisp::logFilePath() const {
    const QString caption = Savename_text->text();
    if (caption.isEmpty() || QDir::isAbsolutePath(caption)) return caption;
    return QDir(m_programFolder).absoluteFilePath(caption);  // a bare name lives in the program's folder
}

// The logging file dialog. False when it was cancelled (the caption stays).
bool MainDisp::chooseLogFile() {
    UiSeam::FileDialogRequest r;
    r.mode = UiSeam::FileDialogMode::Open;  // the operator may type a name that does not exist yet
    r.initialFolder = QDir(m_programFolder).filePath(QStringLiteral("Logging"));
    r.filter = QStringLiteral("*.csv");
    r.defaultSuffix = QStringLiteral("csv");
    r.fileName = m_logging->CommonDialog1;
    const UiSeam::FileDialogResult chosen = m_ui.fileDialog(this, r);
    if (!chosen.accepted || chosen.fileName.isEmpty()) return false;
    m_logging->CommonDialog1 = chosen.fileName;
    setLogFileCaption(chosen.fileName);
    return true;
}

void MainDisp::logTimeSet() {
    const int shown = m_logging->logger.LogTime_Set(Logging_time->currentIndex());
    if (Logging_time->currentIndex() != shown) Logging_time->setCurrentIndex(shown);
}

void MainDisp::showLogWriteFailure(const LogWriteResult& failure) {
    if (m_logging->messageOpen) return;
    m_logging->messageOpen = true;
    m_ui.messageBox(this, logWriteFailureText(m_strings, failure, logFilePath()), QString(), UiSeam::Icon::None,
                    UiSeam::Buttons::Ok);
    m_logging->messageOpen = false;
}

void MainDisp::postLogWriteFailure(const LogWriteResult& failure) {
    // A box opened inside Timer1's own tick would hold Timer1 until it is
    // answered: the rows of that time would be lost.
    postOutsideTick([this, failure] { showLogWriteFailure(failure); });
}

void MainDisp::logStart() {
    // 1. At least one channel checked and present.
    const QList<int> columns = logColumns(m_state, [this](int ch) { return logBoxChecked(ch); });
    if (columns.isEmpty()) {
        m_ui.messageBox(this, m_strings.text(621), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
        return;
    }
    // 2. The file. A cancelled dialog ends the start: the file the operator
    // did not want overwritten is never written.
    const bool append = Check1->checkState() != Qt::Unchecked;
    // "0" is what the logging resume shows when no name was stored: no file chosen.
    if (Savename_text->text().isEmpty() || Savename_text->text() == QLatin1String("0")) {
        if (!append) {
            m_ui.messageBox(this, m_strings.text(508), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
            if (!chooseLogFile()) return;
        } else {
            setLogFileCaption(LogFile_Name(m_programFolder, m_logging->logger.now()));
        }
    } else if (!append) {
        const UiSeam::Answer keep = m_ui.messageBox(this, m_strings.text(516), QString(), UiSeam::Icon::Question,
                                                    UiSeam::Buttons::YesNo);
        if (keep != UiSeam::Answer::Yes) {
            m_ui.messageBox(this, m_strings.text(508), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
            if (!chooseLogFile()) return;
        }
    }
    // 3. Already running: the file choice was all.
    if (Timer1->isActive()) return;
    // 4.-5.
    if (m_store) m_store->save(QLatin1String(PrefKey::log_start), QStringLiteral("1"));
    setStatusPanel(2, m_strings.text(19));
    logTimeSet();
    // 6.-7. Header pair and first row, in one write.
    QStringList names;
    for (int ch : columns) names << logColumnName(channelName(ch));
    const LogWriteResult wrote = m_logging->logger.start(logFilePath(), append, columns, names);
    if (wrote != LogWrite::Ok) {
        // The operator pressed Start: a failure is always told.
        showLogWriteFailure(wrote);
        logTimeSet();
        // Logging did not start: say so, here and in the store.
        if (m_store) m_store->save(QLatin1String(PrefKey::log_start), QStringLiteral("0"));
        setStatusPanel(2, m_strings.text(18));
        return;
    }
    // 8.
    Command1[0]->setEnabled(false);
    Frame_logging->setEnabled(false);
    Timer1->start();
}

void MainDisp::logStop() {
    if (!Timer1->isActive()) return;
    Timer1->stop();
    if (m_store) m_store->save(QLatin1String(PrefKey::log_start), QStringLiteral("0"));
    setStatusPanel(2, m_strings.text(18));
    Command1[0]->setEnabled(true);
    Frame_logging->setEnabled(true);
}

void MainDisp::lineDecided() {
    if (Timer1->isActive()) Timer1_Timer();
    if (Korvel_ChartCtl1) Korvel_ChartCtl1->sampleIfDeferred();
}

void MainDisp::Timer1_Timer() {
    const std::optional<LogWriteResult> wrote = m_logging->logger.tick(logFilePath());
    if (!wrote || *wrote == LogWrite::Ok) return;
    // The row is lost; logging goes on at the next interval, and writes its
    // rows again as soon as the file takes them, box or no box. One box per
    // run of failing rows.
    logTimeSet();
    if (m_logging->logger.failureToTell()) postLogWriteFailure(*wrote);
}

// ---- the all-channels page ----------------------------------------------------------------

namespace {
UiSeam::FileDialogRequest pageFileDialog(UiSeam::FileDialogMode mode, const QString& programFolder,
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
}  // namespace

void MainDisp::fileFailure(int textId, const QString& path, const QString& reason) {
    m_ui.messageBox(this, fileProblemText(m_strings.text(textId), path, reason), QString(), UiSeam::Icon::None,
                    UiSeam::Buttons::Ok);
}

void MainDisp::transmitRefusal(int ch) {
    Label2->setText(m_strings.text(227) + QLatin1Char(' ') + channelName(ch));
    m_ui.messageBox(this, m_strings.text(503), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
    Label2->clear();
}

void MainDisp::Command2_Click(int Index) {
    switch (Index) {
    case 0: {  // save
        m_ui.beep();
        const UiSeam::FileDialogResult chosen = m_ui.fileDialog(
            this, pageFileDialog(UiSeam::FileDialogMode::Save, m_programFolder, m_logging->CommonDialog2));
        if (!chosen.accepted || chosen.fileName.isEmpty()) return;
        m_logging->CommonDialog2 = chosen.fileName;
        if (QFileInfo::exists(chosen.fileName)) {
            const UiSeam::Answer a = m_ui.messageBox(this, m_strings.text(507), QString(), UiSeam::Icon::Question,
                                                     UiSeam::Buttons::YesNo);
            if (a != UiSeam::Answer::Yes) {
                m_ui.messageBox(this, m_strings.text(508), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
                return;
            }
        }
        QString reason, place;
        if (!writePageFile(chosen.fileName, pageValues(m_state), &reason, &place)) fileFailure(940, place, reason);
        return;
    }
    case 1: {  // load
        m_ui.beep();
        if (m_ui.messageBox(this, m_strings.text(535), QString(), UiSeam::Icon::Exclamation,
                            UiSeam::Buttons::YesNo) != UiSeam::Answer::Yes)
            return;
        const UiSeam::FileDialogResult chosen = m_ui.fileDialog(
            this, pageFileDialog(UiSeam::FileDialogMode::Open, m_programFolder, m_logging->CommonDialog3));
        if (!chosen.accepted || chosen.fileName.isEmpty()) return;
        m_logging->CommonDialog3 = chosen.fileName;
        // The page changes only when the whole file is good; nothing is sent.
        QString cannotOpen;
        if (const std::optional<ChannelBlock> v = readPageFile(chosen.fileName, &cannotOpen))
            setPageValues(m_state, *v);
        else if (!cannotOpen.isEmpty())
            fileFailure(941, chosen.fileName, cannotOpen);
        return;
    }
    case 2: {  // transmit
        if (lineWorkRefused()) return;
        if (m_ui.messageBox(this, m_strings.text(534), QString(), UiSeam::Icon::Exclamation,
                            UiSeam::Buttons::YesNo) != UiSeam::Answer::Yes)
            return;
        // A channel in auto-tuning refuses the whole command before any
        // channel's values change.
        if (const int at = firstAutoTuningChannel(m_state); at >= 0) {
            transmitRefusal(at);
            return;
        }
        // Every present channel's chain is queued now, with the page's
        // values; the link sends them one after another, whatever box is
        // open meanwhile.
        const auto boxes = [this](int box) { return optionCheckValue(box); };
        if (queueTransfer(m_state, Com_WriteSelect, [&](int ch) { copyPageToChannel(m_state, ch, boxes); }) > 0)
            setStatusPanel(4, m_strings.text(453));
        Label2->clear();
        return;
    }
    default: return;
    }
}

}  // namespace qvx
