// The link's set-up, its tick and the transaction under every kind of line
// work: one frame out, its reply judged, and the cursor that steps line work
// of several frames. The poll, the scan and clear, and the writes each have
// a file of their own beside this one.
#include "link.h"

#include <QDateTime>
#include <algorithm>

#include "link_internal.h"
#include "preferences.h"
#include "pv_logging.h"

namespace qvx {

using namespace linkdetail;

namespace {
// Guards the tick against re-entry from nested event loops.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickGuard() { flag_ = false; }

private:
    bool& flag_;
};
}  // namespace

QString deviceLockText(const StringTable& strings, const DeviceLock& lock) {
    using H = DeviceLock::Holder;
    const auto holder = [&] {
        return lock.program.isEmpty() ? strings.text(906).arg(lock.pid)
                                      : strings.text(905).arg(lock.program).arg(lock.pid);
    };
    switch (lock.holder) {
    case H::None: break;
    case H::Running: return strings.text(902).arg(holder(), lock.file);
    case H::OtherHost: return strings.text(903).arg(holder(), lock.host, lock.file);
    case H::Ended: return strings.text(904).arg(lock.file, holder());
    case H::Unnamed: return strings.text(907).arg(lock.file);
    case H::Unreadable: return strings.text(911).arg(lock.file, lock.reason);
    case H::CannotMake: return strings.text(908).arg(lock.file, lock.reason);
    case H::NoFolder: return strings.text(909);
    case H::Exclusive: break;  // not the lock: the device's own reason
    }
    return {};
}

QString linkFailureText(const StringTable& strings, const QString& port, const QString& device,
                        const QString& deviceError, const DeviceLock& lock) {
    const QString where = device.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0 ? strings.text(901) : device;
    QString why = deviceLockText(strings, lock);
    if (lock.holder == DeviceLock::Holder::Exclusive) why = strings.text(910).arg(deviceError);
    if (why.isEmpty()) why = deviceError.isEmpty() ? strings.text(900) : deviceError;
    return QStringLiteral("%1 (%2): %3").arg(port, where, why);
}

Link::Link(QVX720_INC& s, QVX720Com& com, SettingsStore& store, const StringTable& strings, LinkView& view,
           HistorySink& history)
    : s_(s), com_(com), store_(store), strings_(strings), view_(view), history_(history) {}

// ---------------------------------------------------------------- set-up

QString Link::Link_start() {
    QString speed = store_.read(QStringLiteral("Speed"), QStringLiteral("9600"));
    if (speed != QLatin1String("9600") && speed != QLatin1String("19200")) {
        speed = QStringLiteral("9600");
        store_.save(QStringLiteral("Speed"), speed);
        view_.setCommDialogSpeed(speed);
    }
    QString port = store_.read(QStringLiteral("Port"), QStringLiteral("COM1"));
    bool portOk = false;
    for (int n = 1; n <= 8 && !portOk; ++n) portOk = port == QStringLiteral("COM%1").arg(n);
    if (!portOk) {
        port = QStringLiteral("COM1");
        store_.save(QStringLiteral("Port"), port);
        view_.setCommDialogPort(port);
    }
    return Link_open(port, speed);
}

QString Link::Link_open(const QString& port, const QString& speed) {
    QString result;
    QString reply;
    com_.Comm_PortClose();
    if (s_.Time_Count >= 1 && s_.Time_Count <= kTimeoutChoices) {
        view_.checkTimeoutMenu(s_.Time_Count);
        com_.Comm_SetTimeOut(timeoutMs(s_.Time_Count));
    }
    com_.Comm_SetPort(port);
    com_.Comm_SetSpeed(speed);
    if (!s_.CommDisp_flg) {
        lastLinkCheck_ = com_.clockMs();
        com_.Comm_PortOpen();
        reply = com_.Comm_Transact(QStringLiteral(" "), QStringLiteral(" "), kRead, itemCode(Item::PV),
                                   QString(), 2);
    }
    if (replyClassOf(reply) == ReplyClass::Ack) {
        result = QStringLiteral("ok");
        // Ch01 answered: the first controller the line can be checked with.
        lastAnswerer_ = 0;
        answered_[0] = true;
    } else if (!s_.CommDisp_flg) {
        view_.setCommDialogPort(store_.read(QStringLiteral("Port"), QStringLiteral("COM1")));
        view_.setCommDialogSpeed(store_.read(QStringLiteral("Speed"), QStringLiteral("9600")));
        view_.setCommDialogReason(linkFailureText(strings_, port, com_.device(), com_.lineError(), com_.lineLock()));
        s_.CommDisp_flg = true;
        com_.Comm_PortClose();
        view_.showCommDialog();
    }
    return result;
}

void Link::commDialogOk(const QString& port, const QString& speed, int timeoutChoice) {
    s_.CommDisp_flg = false;
    store_.save(QStringLiteral("Port"), port);
    store_.save(QStringLiteral("Speed"), speed);
    s_.Time_Count = static_cast<qint16>(timeoutChoice);
    store_.save(QStringLiteral("Time_Count"), QString::number(timeoutChoice));
}

// ---------------------------------------------------------------- state machine

void Link::Timer4_Timer() {
    if (inTick_) return;
    const qint64 start = com_.clockMs();
    tickWaited_ = false;
    {
        TickGuard guard(inTick_);
        step();
    }
    lastTickEnd_ = com_.clockMs();
    lastTickMs_ = lastTickEnd_ - start;
}

void Link::step() {
    WriteRequest& w = s_.Write_Request;
    // A miss waits for its check before anything else goes out.
    if (doubtCh_ >= 0 && w.Com_State != Com_Reopen) {
        settleDoubt();
        // A controller found silent shows it on every page at once, not
        // after the next step (which may wait out another time-out).
        view_.SelectDispItem();
        return;
    }
    // Line work under way goes on, one frame a tick, before anything else.
    switch (work_) {
    case Work::Single:
        OneData_write();
        return;
    case Work::ReRead:
        ReadPara_setflg();
        return;
    case Work::Chain:
        chainStep();
        return;
    case Work::Scan: break;  // the scan's own state goes on below
    case Work::None:
        w.showHead();  // the head of the queue is served next
        break;
    }
    // A data clear takes the place of the poll until its rescan ends. The
    // windows refuse new line work meanwhile; a request that still reaches
    // the slot (a dialog opened before the clear) goes out between two of
    // its controllers, with the value the operator gave it.
    if (clear_ != ClearPhase::None && (w.Com_State == Com_Monitor || (work_ == Work::Scan && clear_ == ClearPhase::Rescan))) {
        dataClearStep();
        return;
    }
    switch (w.Com_State) {
    case Com_FirstRead:
        // One transaction a tick, so the opening form paints and a signal is
        // answered between them; the scan waits while the device is closed.
        if (scanStep() != ScanStep::Done) break;
        // Requests made while the window's first message boxes are open must survive.
        w.Com_State = Com_Monitor;
        view_.startUpScanDone();
        resumeLogging();
        break;
    case Com_Monitor:
        Monitor_read();
        view_.SelectDispItem();
        break;
    case Com_WriteOne:
        OneData_write();
        break;
    case Com_WriteAll:
    case Com_WriteSelect:
        chainStep();
        break;
    case Com_ReRead:
        ReadPara_setflg();
        break;
    case Com_Reopen:
        if (msUntilNextTick() > 0) break;  // not yet: asleep until then
        lastRetryTick_ = com_.clockMs();
        if (!Link_start().isEmpty())
            w.Com_State = Com_FirstRead;
        else
            view_.processEvents();
        break;
    default:
        w.Com_State = Com_Monitor;
        break;
    }
}

int Link::stepGapMs(int timeOutMs) { return std::clamp(timeOutMs / 40, 2, 50); }

qint64 Link::msUntilNextTick() const {
    const qint16 state = s_.Write_Request.Com_State;
    if (state != Com_Reopen) {
        const qint64 reopen = com_.msUntilReopen();
        // Answering controllers are read at the line's limit; a step that
        // waited out a silent one leaves the run loop its moment.
        const qint64 gap = stepGapMs(com_.timeOut());
        const qint64 pause = tickWaited_ ? gap : std::min(gap, lastTickMs_ / 40);
        const qint64 paused = std::max<qint64>({0, reopen, lastTickEnd_ + pause - com_.clockMs()});
        if (reopen > 0 || work_ != Work::None || state != Com_Monitor || clear_ != ClearPhase::None || anyPresent())
            return paused;
        // Nothing to poll: a tick a time-out, as with a closed device.
        return std::max<qint64>(0, lastIdleTick_ + com_.timeOut() - com_.clockMs());
    }
    // A device that is missing fails its check at once: without this pause
    // the retry state would spin for as long as the dialog stays open.
    const qint64 since = s_.CommDisp_flg ? lastRetryTick_ : lastLinkCheck_;
    return std::max<qint64>(0, since + com_.timeOut() - com_.clockMs());
}

// ---------------------------------------------------------------- transactions

QString Link::transact(int ch, const QString& cmd, const QString& item, const QString& data, qint16 mode) {
    s_.Com_Adr = channelAddress(ch);
    s_.Com_SubAdr = QStringLiteral(" ");
    const qint64 start = com_.clockMs();
    const QString reply = com_.Comm_Transact(s_.Com_Adr, s_.Com_SubAdr, cmd, item, data, mode);
    lastTransactMs_ = com_.clockMs() - start;
    s_.NoReply_flg = false;
    // A silent controller: the whole time-out was waited out.
    if (reply.isEmpty() && com_.lastReachedLine()) tickWaited_ = true;
    PvExchange x;
    x.ch = ch;
    x.answered = !reply.isEmpty();
    x.pvPoll = cmd == kRead && item == s_.ParaAddr(Item::PV);
    x.pvMeasured = x.pvPoll && replyClassOf(reply) == ReplyClass::Ack && parseHex4(com_.Comm_GetData(reply, 1));
    x.clearCommand = cmd == kWrite && item == QLatin1String(kProbeItem) && data == QLatin1String(kClearCode) &&
                     !deviceWasClosed();
    x.deviceGone = com_.lineDown();
    notePvExchange(s_.PvLog_State, x);
    if (x.answered) {
        lastAnswerer_ = ch;
        answered_[std::size_t(ch)] = true;
        answeredMs_ = lastTransactMs_;
    }
    return reply;
}

// ---------------------------------------------------------------- whether the line answers

int Link::checkTarget(int except) const {
    const int reading = work_ == Work::Scan ? cursor_.channel() : -1;
    const auto askable = [&](int c) {
        return c >= 0 && c != except && answered_[std::size_t(c)] &&
               std::find(unsure_.begin(), unsure_.end(), c) == unsure_.end();
    };
    if (!s_.PvLog_State.LineSilent && askable(lastAnswerer_)) return lastAnswerer_;
    // Silent: each in turn, so that one switched off meanwhile cannot hold
    // the line silent for good.
    for (int n = 1; n <= kChannels; ++n) {
        const int c = (std::max(lastCheckTarget_, 0) + n) % kChannels;
        if (askable(c)) return c;
    }
    // A controller in the middle of its read that alone has answered is
    // asked itself: its answer says that the line answers.
    if (reading >= 0 && reading == except && answered_[std::size_t(reading)]) return reading;
    return -1;
}

Link::Heard Link::checkLine(int except) {
    const int target = checkTarget(except);
    if (target < 0) {
        // Nobody left to ask: the line cannot be told from the controller.
        s_.PvLog_State.LineSilent = true;
        return Heard::No;
    }
    lastCheckTarget_ = target;
    const QString reply = transact(target, kRead, s_.ParaAddr(Item::PV), QString(), 2);
    ++checkCount_.checks;
    checkCount_.ms += lastTransactMs_;
    if (deviceWasClosed()) {
        showDeviceWait(target);
        return Heard::DeviceClosed;
    }
    // Its PV is read like the poll's: during a long scan it stays current.
    judge(reply, target, Item::PV, false);
    if (!reply.isEmpty()) return Heard::Yes;
    s_.PvLog_State.LineSilent = true;
    return Heard::No;
}

qint64 Link::checkSpanMs() const {
    // A PV poll and its reply are about 30 characters of 10 bits on the line;
    // what the last answered transaction took counts when it was longer.
    const int baud = std::max(1, com_.speed().toInt());
    const qint64 checkMs = std::max<qint64>(answeredMs_, 300000 / baud);
    return std::max<qint64>(com_.timeOut(), 40 * checkMs);
}

void Link::noteDeciding() {
    s_.PvLog_State.Deciding = doubtCh_ >= 0 || scanDoubt_ != ScanDoubt::None || !unsure_.empty();
}

void Link::doubtMiss(int ch) {
    if (s_.PvLog_State.LineSilent || !com_.lastReachedLine() || com_.lineDown()) return;
    if (checkTarget(ch) < 0) {
        // Nobody else to ask: a line of one controller cannot tell.
        s_.PvLog_State.LineSilent = true;
        return;
    }
    doubtCh_ = ch;
    undecidedMiss();
}

void Link::undecidedMiss() {
    // "Communication error" tells of a silent line, and this miss may be a
    // silent controller's: the check's answer decides, a step later.
    view_.setCommErrorVisible(false);
    s_.NoReply_flg = false;
    noteDeciding();
}

void Link::settleDoubt() {
    const int ch = doubtCh_;
    switch (checkLine(ch)) {
    case Heard::DeviceClosed: return;  // asked again once the device is back
    case Heard::Yes:
        silentItself(ch);
        missCounted(ch);
        break;
    case Heard::No: break;  // the line: every page keeps what it showed
    }
    doubtCh_ = -1;
    noteDeciding();
}

void Link::missCounted(int ch) {
    // Until it answers again it tells nothing of the line.
    answered_[std::size_t(ch)] = false;
    if (lastAnswerer_ == ch) lastAnswerer_ = -1;
}

void Link::silentItself(int ch) {
    // No page shows what it measured as if it were current until it answers
    // again; its settings stay. Only what its poll reads again: a value it
    // is never asked for again would stay empty for good.
    MonitorData& m = s_.Monitor_Data;
    const qint16 opt = m.OptionData(ch);
    quint8 measured = Unread::PV | Unread::MV;
    if (has(opt, OptionBit::HeatingCooling)) measured |= Unread::CoolMV;
    if (has(opt, OptionBit::HeaterBurnout1)) measured |= Unread::HeaterCurrent1;
    if (has(opt, OptionBit::HeaterBurnout2)) measured |= Unread::HeaterCurrent2;
    m.Unread(ch) |= measured;
}

void Link::showDeviceWait(int ch) {
    // Waiting for the device: shown as the poll shows a missing reply.
    view_.setStatusPanel(1, QString());
    judge(QString(), ch, -1, false);
}

bool Link::deviceWasClosed() const { return !com_.lastReachedLine() && com_.lineDown(); }

ReplyClass Link::judge(const QString& reply, int ch, int storeItem, bool keyCheck) {
    const ReplyClass c = replyClassOf(reply);
    switch (c) {
    case ReplyClass::Ack:
        if (storeItem >= 0) ReadDataSet(reply, ch, storeItem);
        view_.setStatusPanel(1, kOk);
        break;
    case ReplyClass::Nak:
        view_.setStatusPanel(1, kNg);
        if (keyCheck && reply.size() >= 3 && reply.at(2) == QLatin1Char('5'))
            view_.showKeyOperationMessage();
        else
            history_.History_Write(kNak, ch, 0);
        break;
    case ReplyClass::ChecksumError:
        history_.History_Write(kChksum, ch, 0);
        break;
    case ReplyClass::None:
        view_.setCommErrorVisible(true);
        s_.NoReply_flg = true;
        break;
    }
    return c;
}

// ---------------------------------------------------------------- line work

void Link::startWork(Work work, int ch, std::vector<CursorFrame> frames) {
    work_ = work;
    cursor_.start(ch, std::move(frames));
}

void Link::endWork() {
    work_ = Work::None;
    cursor_.clear();
}

std::vector<CursorFrame> Link::scanFrames() {
    return {{FrameKind::TypeWord, Item::TypeWord},
            {FrameKind::OptionWord, Item::OptionWord},
            {FrameKind::ScanCommand, -1},
            {FrameKind::ExtensionA, -1},
            {FrameKind::ExtensionQ, -1}};
}

std::vector<CursorFrame> Link::settingFrames(int ch) const {
    std::vector<CursorFrame> frames;
    for (int k : bulkReadItems(s_.Monitor_Data.OptionData(ch), s_.Monitor_Data.TypeData(ch)))
        frames.push_back({FrameKind::Read, k});
    return frames;
}

void Link::skipUnchosenLinks() {
    // A link of the write-selected chain goes out only while its box is
    // checked: the boxes are read as each link comes up.
    while (!cursor_.atEnd() && cursor_.frame().kind == FrameKind::SelectWrite &&
           OptionChk(s_.ParaAddr(cursor_.frame().item)) != 1)
        cursor_.skip();
}

Link::CursorStep Link::cursorStep() {
    skipUnchosenLinks();
    if (cursor_.atEnd()) return CursorStep::Ended;
    const int ch = cursor_.channel();
    const CursorFrame f = cursor_.frame();
    const QString probeItem = QString::fromLatin1(kProbeItem);
    QString reply;
    int storeItem = -1;
    bool keyCheck = false;
    switch (f.kind) {
    case FrameKind::TypeWord:
    case FrameKind::OptionWord:
    case FrameKind::Read:
        reply = transact(ch, kRead, s_.ParaAddr(f.item), QString(), 2);
        storeItem = f.item;
        break;
    case FrameKind::ScanCommand: reply = transact(ch, kWrite, probeItem, QString::fromLatin1(kScanCode), 2); break;
    case FrameKind::ExtensionA: reply = transact(ch, QStringLiteral("a"), QString(), QString(), 2); break;
    case FrameKind::ExtensionQ: reply = transact(ch, QStringLiteral("q"), probeItem, QStringLiteral("0000"), 2); break;
    case FrameKind::ChainWrite:
    case FrameKind::SelectWrite:
        reply = transact(ch, kWrite, s_.ParaAddr(f.item), Hex4_Text(chainValues_.at(std::size_t(f.item))), 2);
        break;
    case FrameKind::SingleWrite:
        reply = transact(ch, kWrite, single_.code, Hex4_Text(single_.value), 2);
        keyCheck = true;
        break;
    case FrameKind::ReadBack:
        reply = transact(ch, kRead, single_.code, QString(), 2);
        storeItem = f.item;
        break;
    }
    if (deviceWasClosed()) {
        showDeviceWait(ch);
        return CursorStep::DeviceClosed;
    }
    const ReplyClass c = judge(reply, ch, storeItem, keyCheck);
    // A miss in a scan's read waits for the line check before it counts
    // against the controller: as the cursor stands now, it goes back to the
    // frame if the line was silent. Elsewhere the check says whose it was.
    const bool doubtRead = c == ReplyClass::None && work_ == Work::Scan && checkTarget(ch) >= 0;
    if (doubtRead) {
        doubtCursor_ = cursor_;
        scanDoubt_ = ScanDoubt::Read;
        undecidedMiss();
    } else if (c == ReplyClass::None && work_ == Work::Scan) {
        missCounted(ch);  // nobody else to ask: the miss is taken as its own
    } else if (c == ReplyClass::None) {
        doubtMiss(ch);
    }
    // An acknowledged link of a chain shows what was sent; one refused or
    // unanswered shows nothing until the controller is read back.
    if (f.kind == FrameKind::ChainWrite || f.kind == FrameKind::SelectWrite)
        s_.Monitor_Data.Untaken(ch, f.item) = c != ReplyClass::Ack;
    // A setting read answered with a damaged reply: the value shown is not
    // the controller's, so it shows nothing and is read again.
    const bool damaged = c == ReplyClass::ChecksumError && f.kind == FrameKind::Read;
    if (damaged) s_.Monitor_Data.Untaken(ch, f.item) = true;
    if (!cursor_.moveOn(c != ReplyClass::None, c == ReplyClass::Ack, damaged)) return CursorStep::Cut;
    switch (f.kind) {
    case FrameKind::ExtensionA:
        if (c == ReplyClass::Ack) {
            MonitorData& m = s_.Monitor_Data;
            const qint16 v = Hex4_Value(com_.Comm_GetData(reply, 1));
            m.OptionData(ch) = static_cast<qint16>(m.OptionData(ch) | (v & OptionBit::ScanMerge));
        }
        break;
    case FrameKind::ExtensionQ:
        // The words are in: the settings they call for follow.
        wordsUnread_[std::size_t(ch)] = false;
        cursor_.add(FrameKind::Read, bulkReadItems(s_.Monitor_Data.OptionData(ch), s_.Monitor_Data.TypeData(ch)));
        break;
    case FrameKind::ReadBack:
        // Without the read-back the window keeps the requested value, which
        // the controller may never have taken: it is read back at its next answer.
        if (c != ReplyClass::Ack) wantReRead(ch);
        break;
    default: break;
    }
    // The chain ends with its last link sent, not a tick later.
    skipUnchosenLinks();
    return cursor_.atEnd() ? CursorStep::Ended : CursorStep::Going;
}

// ---------------------------------------------------------------- logging resume

void Link::showLogBoxes() {
    for (int ch = 0; ch < kChannels; ++ch) {
        if (s_.NoConnect(ch) == 1) {
            view_.setLogBoxEnabled(ch, false);
            view_.setLogBoxChecked(ch, false);
        } else {
            view_.setLogBoxEnabled(ch, true);
        }
    }
}

void Link::resumeLogging() {
    bool ok = false;
    const bool resume = store_.read(QStringLiteral("log_start"), QStringLiteral("0")).toInt(&ok) == 1 && ok;
    if (resume) {
        const int check1 = store_.read(QStringLiteral("Check1"), QStringLiteral("0")).toInt();
        QString name;
        if (store_.contains(QStringLiteral("Log_Filename")))
            name = store_.read(QStringLiteral("Log_Filename"), QString());
        else
            name = check1 == 1 ? LogFile_Name(programFolder_, QDateTime::currentDateTime()) : QStringLiteral("0");
        view_.setLogFileCaption(name);
    }
    showLogBoxes();
    if (!resume) return;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!view_.logBoxChecked(ch)) continue;
        Monitor_read();
        view_.SelectDispItem();
    }
    view_.startLogging();
}


}  // namespace qvx
