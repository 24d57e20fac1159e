#include "program.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "file_writes.h"
#include "opuningdisp.h"
#include "pv_logging.h"
#include "startup.h"

namespace qvx {

Program::Program(ProgramOptions options, StringTable strings, UiSeam& ui)
    : options_(std::move(options)), strings_(std::move(strings)), ui_(ui), store_(options_.settingsPath) {}

Program* Program::running_ = nullptr;

// ---- before the windows --------------------------------------------------------------

QString Program::noDisplayReason(const QStringList& args, const QProcessEnvironment& env) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto named = [&env](const char* name) { return !env.value(QLatin1String(name)).isEmpty(); };
    if (named("DISPLAY") || named("WAYLAND_DISPLAY") || named("QT_QPA_PLATFORM")) return {};
    if (args.contains(QLatin1String("-platform")) || args.contains(QLatin1String("--platform"))) return {};
    return QStringLiteral("no display (DISPLAY is not set)");
#else
    Q_UNUSED(args);
    Q_UNUSED(env);
    return {};
#endif
}

namespace {
// What Qt says while the application is made: kept back, so that a window
// system that cannot start is told in one line; passed on once it has started.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> heldMessages;
QByteArray programName;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        heldMessages.push_back({type, QByteArray(context.category ? context.category : "default"), text});
        return;
    }
    // Qt gives up on its window system: the first thing it said names the cause
    // ("could not connect to display :1"), else its own first line.
    QString reason = text.section(QLatin1Char('\n'), 0, 0);
    for (const HeldMessage& m : heldMessages)
        if (m.category.startsWith("qt.qpa")) {
            reason = m.text.section(QLatin1Char('\n'), 0, 0);
            break;
        }
    const QByteArray line = programName + ": cannot open the window: " + reason.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
    std::_Exit(1);  // nothing has started that an exit would have to end
}
}  // namespace

std::unique_ptr<QApplication> Program::makeApplication(int& argc, char** argv) {
    programName = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toLocal8Bit() : QByteArray("qvx720");
    heldMessages.clear();
    const QtMessageHandler before = qInstallMessageHandler(&holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(before);
    for (const HeldMessage& m : std::exchange(heldMessages, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
        qt_message_output(m.type, context, m.text);
    }
    return app;
}

Program::~Program() {
    if (running_ == this) running_ = nullptr;
    if (window_) {
        window_->setAlarmHistory(nullptr);  // the history goes before the window
        window_->Timer4->stop();
        if (window_->comm()) window_->comm()->Comm_PortClose();
    }
}

void Program::Main() {
    // 1. The edited item.
    state_.Edit_Context.Set_Item = Item::SV;
    // 2./3. The first channel page and the 20-channel display; building the
    // window runs its load (communication object, item codes, captions).
    window_ = std::make_unique<MainDisp>(state_, strings_, ui_, options_.programFolder, options_.helpFolder);
    watchSettingsWrites();
    window_->setSettingsStore(&store_);
    if (QVX720Com* com = window_->comm()) {
        com->setSimulatedLine(options_.simulatedLine);
        com->setSimulateAllPorts(options_.simulateAllPorts);
        com->setStoredDevice([this](const QString& port) { return store_.read(portDeviceKey(port), QString()); });
        if (options_.initialTimeoutMs > 0) com->Comm_SetTimeOut(options_.initialTimeoutMs);
        // A tick can make many transactions (the start-up scan) without
        // returning to the event loop: an exit signal is seen between them.
        com->setBeforeTransaction([this] {
            if (exitSignals_) exitSignals_->dispatchPending();
        });
    }
    window_->Option1[0]->setChecked(true);
    window_->Option2[0]->setChecked(true);
    // 4.
    state_.History_Table.History_Row = 1;
    state_.CommDisp_flg = false;
    // 5.-8. Folders and this run's alarm-history file. What cannot be made is
    // told once the run loop runs; the program goes on without it.
    QStringList failures;
    createProgramFolders(options_.programFolder, &failures);
    const QDateTime start = QDateTime::currentDateTime();
    state_.History_Table.History_Path = HistoryFile_Name(options_.programFolder, start);
    QString reason;
    if (!createHistoryFile(state_.History_Table.History_Path, start.date(), QLocale::system(), &reason))
        failures << pathReasonText(state_.History_Table.History_Path, reason);

    // Entries come inside the link tick: their box waits for the tick's end.
    history_ = std::make_unique<AlarmHistory>(
        state_, store_, strings_, [] { return QDateTime::currentDateTime(); },
        [this](const QString& text) { tellLater(text); });
    // A start that could not write the header (a full disk) leaves it to the first line.
    history_->setFileHeader(historyFileHeader(start.date()));
    if (!reason.isEmpty()) history_->markFileFailing();  // the box at start names it
    window_->setAlarmHistory(history_.get());
    link_ = std::make_unique<Link>(state_, *window_->comm(), store_, strings_, *window_, *history_);
    link_->setProgramFolder(options_.programFolder);
    window_->setLink(link_.get());
    // Line work queued while the link sleeps (nothing to poll) is taken at
    // once, after the run loop has gone idle for a moment: a chain of writes
    // holds it for a second or two, and the windows must have repainted
    // what the closed dialogs covered before it starts.
    state_.Link_Wake = [this] {
        if (!ending_) paceLinkTimer(kSettleMs);
    };
    window_->setUnloadHandler([this](bool& cancel) { Form_Unload(cancel); });
    window_->setShutDownHandler([this] { endProgram(ExitSave::Nothing); });
    window_->setCommAcceptHandler([this](const QString& port, const QString& speed, int choice) {
        link_->commDialogOk(port, speed, choice);
        // The link is tried again as soon as it may be, not after a long sleep.
        paceLinkTimer();
    });

    // 9. The opening form, painted at once.
    OpuningDisp* opening = window_->opening();
    // Closed by the operator while the scan runs, it ends the program as an
    // exit signal does: the settings saved, the port and its lock let go.
    opening->setCloseHandler([this] {
        if (window_ && link_) endProgram(ExitSave::Settings);
    });
    opening->show();
    opening->repaint();
    QCoreApplication::processEvents();
    // 10. The settings store into the windows and the shared state.
    const Preferences prefs = loadPreferences(store_);
    applyPreferences(prefs, state_);
    window_->regRead(prefs);
    // 11. The chart settings.
    failures += window_->system_init();
    // 12.
    communicate();
    if (exitSignals_) exitSignals_->setEnabled(true);
    // From here on there is something to save. Registered late: what the
    // exit steps use (the port, the settings file, Qt's own statics) was
    // made before, so it is destroyed after the hook has run.
    static const bool hooked = std::atexit(&Program::endOnForeignExit) == 0;
    if (hooked) running_ = this;
    const QStringList told = startupFailuresToTell(failures);
    if (!told.isEmpty()) tellLater(strings_.text(944).arg(told.join(u'\n')));
}

void Program::tellLater(const QString& text) {
    // Shown from the run loop, never from inside the step that failed, so
    // the link timer and the displays go on while the box is open.
    window_->postOutsideTick([this, text] {
        ui_.messageBox(window_.get(), text, strings_.text(1), UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
    });
}

QString Program::settingsFailureText(int textId) const {
    return fileProblemText(strings_.text(textId), store_.lastErrorPlace(), store_.lastError());
}

void Program::watchSettingsWrites() {
    store_.setWriteWatcher([this](bool ok) {
        if (ok) {
            settingsFailures_.succeed();
            return;
        }
        // The exit tells of its own failure itself.
        if (settingsFailures_.fail() && !exitSaving_) tellLater(settingsFailureText(942));
    });
}

void Program::communicate() {
    window_->End_flg = false;
    QVX720Com* com = window_->comm();
    com->Comm_SetOption(true);
    state_.Write_Request.Com_State = link_->Link_start().isEmpty() ? Com_Reopen : Com_FirstRead;
    QObject::connect(window_->Timer4, &QTimer::timeout, window_.get(), [this] { linkTick(); });
    window_->Timer4->start();
}

void Program::linkTick() {
    if (window_->End_flg) return;
    window_->deferStatusPanels(true);
    const bool deciding = state_.PvLog_State.Deciding;
    link_->Timer4_Timer();
    window_->deferStatusPanels(false);
    if (deciding && !state_.PvLog_State.Deciding) window_->lineDecided();
    if (!state_.NoReply_flg) window_->setCommErrorVisible(false);
    paceLinkTimer();
}

void Program::paceLinkTimer(int atLeastMs) {
    // While the device is closed, or the link waits to be tried again, a
    // tick can do nothing before the next attempt: the run loop sleeps until
    // then, so the window stays live and nothing spins.
    const int interval = int(std::clamp<qint64>(link_->msUntilNextTick(), atLeastMs,
                                                std::max(atLeastMs, window_->comm()->timeOut())));
    QTimer* timer = window_->Timer4;
    // The timer's next time-out was fixed when the tick began; after a tick
    // that blocked it is already due. A pause is counted from now instead
    // (start() re-arms it), so the loop really goes idle for it.
    if (timer->isActive() && interval > 1)
        timer->start(interval);
    else if (timer->interval() != interval)
        timer->setInterval(interval);
}

bool Program::saveOnExit() {
    Preferences p;
    gatherPreferences(state_, p);
    window_->gatherExitPreferences(p);
    exitSaving_ = true;
    const bool saved = saveExitPreferences(store_, p);
    exitSaving_ = false;
    return saved;
}

void Program::endProgram(ExitSave save, int signal) {
    if (ending_) return;
    runExitSteps(save, signal == 0 ? QByteArray()
                                   : "ending on signal " + QByteArray::number(signal) + " (" + strsignal(signal) + ')');
    ui_.endProcess(0);
}

void Program::runExitSteps(ExitSave save, const QByteArray& say) {
    ending_ = true;
    window_->End_flg = true;
    window_->Timer4->stop();
    const bool saved = save == ExitSave::Nothing || saveOnExit();
    if (QVX720Com* com = window_->comm()) com->Comm_PortClose();
    // Only now a word on the error output: it may be a pipe whose reader has
    // gone, and nothing it does may cost the save or the lock file.
    if (!say.isEmpty()) qInfo("%s", say.constData());
    // Nobody may be there to answer (a logout, a shutdown): no box.
    if (!saved) qWarning("%s", qUtf8Printable(settingsFailureText(943)));
}

void Program::Form_Unload(bool& Cancel) {
    if (!saveOnExit())
        ui_.messageBox(window_.get(), settingsFailureText(943), strings_.text(1), UiSeam::Icon::Exclamation,
                       UiSeam::Buttons::Ok);
    const auto answer = ui_.messageBox(window_.get(), strings_.text(17), strings_.text(1),
                                       UiSeam::Icon::Exclamation, UiSeam::Buttons::YesNo);
    // A signal that ended the program while the question was open has done the rest.
    if (ending_) return;
    if (answer != UiSeam::Answer::Yes) {
        Cancel = true;
        return;
    }
    endProgram(ExitSave::Nothing);  // saved before the question
}

void Program::watchExitSignals() {
    if (exitSignals_) return;
    exitSignals_ = std::make_unique<ExitSignals>([this](int sig) { endBySignal(sig); });
    // Until the run loop runs there is nothing to end: the signal waits.
    exitSignals_->setEnabled(window_ && link_);
}

void Program::endOnForeignExit() {
    // exit() is already running (with Qt's code): the steps only, no second
    // exit(), no box, no event processing. Our own exits have set ending_.
    // Only from the program's own thread; at most once.
    Program* p = std::exchange(running_, nullptr);
    if (!p || p->ending_ || QThread::currentThread() != p->window_->thread()) return;
    p->runExitSteps(ExitSave::Settings, QByteArrayLiteral("ending: the display was lost"));
}

void Program::endBySignal(int signal) {
    if (!window_ || !link_) return;
    endProgram(ExitSave::Settings, signal);
}

}  // namespace qvx
