#include "link.h"

#include <QDateTime>
#include <algorithm>
#include <utility>

#include "preferences.h"
#include "pv_logging.h"

namespace qvx {

const std::array<int, 53> kWriteAllChain = {
    54, 29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 60, 61, 55, 56, 57, 63};

const std::array<int, 51> kWriteSelectChain = {
    29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22,
    23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 55, 56, 57, 60, 61, 63};

namespace {
const QString kRead = QStringLiteral(" ");
const QString kWrite = QStringLiteral("P");
const QString kOk = QStringLiteral("OK");
const QString kNg = QStringLiteral("NG");
const QString kNak = QStringLiteral("NAK");
const QString kChksum = QStringLiteral("CHKSUM");

bool has(qint16 word, quint16 bits) { return (static_cast<quint16>(word) & bits) == bits; }

// Guards the tick against re-entry from nested event loops.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickGuard() { flag_ = false; }

private:
    bool& flag_;
};
}  // namespace

int pollItem(int phase, qint16 opt) {
    switch (phase) {
    case 0: return Item::PV;
    case 1: return Item::Status;
    case 2: return Item::AutoTuning;
    case 3: return Item::MV;
    case 4: return has(opt, OptionBit::HeatingCooling) ? Item::CoolMV : Item::PV;
    case 5: return has(opt, OptionBit::HeaterBurnout1) ? Item::HeaterCurrent1 : Item::MV;
    case 6: return has(opt, OptionBit::HeaterBurnout2) ? Item::HeaterCurrent2 : Item::PV;
    default: return Item::PV;
    }
}

std::vector<int> bulkReadItems(qint16 opt, qint16 type) {
    std::vector<int> items;
    items.reserve(54);
    const bool cooling = has(opt, OptionBit::HeatingCooling);
    const bool hb1 = has(opt, OptionBit::HeaterBurnout1);
    const bool hb2 = has(opt, OptionBit::HeaterBurnout2);
    const bool item63 = (static_cast<quint16>(type) & TypeBit::TypeMask) == TypeBit::TypeItem63;
    for (int k = Item::FirstSetting; k <= Item::LastSetting; ++k) {
        switch (k) {
        case 13: case 17: case 28: case 35: case 36: case 37: case 38:
            if (!cooling) continue;
            break;
        case 23:
            if (!hb1) continue;
            break;
        case 62:
            if (!hb2) continue;
            break;
        case 63:
            if (!item63) continue;
            break;
        default: break;
        }
        items.push_back(k);
    }
    return items;
}

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
    // Line work under way goes on, one frame a tick, before anything else.
    switch (work_) {
    case Work::Single:
        OneData_write();
        return;
    case Work::ReRead:
        ReadPara_setflg();
        return;
    case Work::Chain:
        if (chainStep(chainSelected_)) afterChain();
        return;
    case Work::Scan: break;  // the scan's own state goes on below
    case Work::None:
        serveWaiting();
        serveReReads();
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
        if (chainStep(w.Com_State == Com_WriteSelect)) afterChain();
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
    const QString reply = com_.Comm_Transact(s_.Com_Adr, s_.Com_SubAdr, cmd, item, data, mode);
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
    const bool lineWasSilent = s_.PvLog_State.LineSilent;
    notePvExchange(s_.PvLog_State, x);
    noteMissRun(ch, x.answered, com_.lastReachedLine() && !x.deviceGone, lineWasSilent);
    return reply;
}

void Link::noteMissRun(int ch, bool answered, bool missed, bool lineWasSilent) {
    if (answered) {
        // The line answers: the controllers that missed since the last reply
        // are silent themselves, and no page shows what they measured as if
        // it were current until they answer again. Their settings stay.
        MonitorData& m = s_.Monitor_Data;
        // Misses that ran on into a silent line may have been the line's.
        if (missRunUnclear_) missRun_.clear();
        missRunUnclear_ = false;
        for (int c : missRun_) {
            if (c == ch) continue;
            // What its poll reads again: a value it is never asked for again
            // would stay empty for good.
            const qint16 opt = m.OptionData(c);
            quint8 measured = Unread::PV | Unread::MV;
            if (has(opt, OptionBit::HeatingCooling)) measured |= Unread::CoolMV;
            if (has(opt, OptionBit::HeaterBurnout1)) measured |= Unread::HeaterCurrent1;
            if (has(opt, OptionBit::HeaterBurnout2)) measured |= Unread::HeaterCurrent2;
            m.Unread(c) |= measured;
        }
        missRun_.clear();
    } else if (missed && lineWasSilent) {
        // The line counted as silent: this miss says nothing of the
        // controller, nor of those before it. They keep what they showed.
        missRunUnclear_ = true;
    } else if (missed && std::find(missRun_.begin(), missRun_.end(), ch) == missRun_.end()) {
        missRun_.push_back(ch);
    }
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

// ---------------------------------------------------------------- poll

void Link::Monitor_read() {
    PollCursor& cur = s_.Poll_Cursor;
    s_.Com_SubAdr = QStringLiteral(" ");
    const int ch = cur.Poll_Ch;
    const int item = pollItem(cur.Poll_Phase, s_.Monitor_Data.OptionData(ch));
    view_.setStatusPanel(1, QString());
    ReplyClass c = ReplyClass::None;
    if (s_.NoConnect(ch) == 0) {
        const QString reply = transact(ch, kRead, s_.ParaAddr(item), QString(), 2);
        c = judge(reply, ch, item, false);
    }
    if (item == Item::Status) statusAcked_[std::size_t(ch)] = c == ReplyClass::Ack;
    if (item == Item::Status || item == Item::AutoTuning) statecomchk(ch);
    // Settings that may not have reached the controller are read back the
    // first time it answers again.
    WriteRequest& w = s_.Write_Request;
    if (c == ReplyClass::Ack && reReadWanted_[std::size_t(ch)] && w.Com_State == Com_Monitor) {
        w.Com_State = Com_ReRead;
        w.ReRead_Ch = static_cast<qint16>(ch);
    }

    // Advance to the next present channel; at most one full pass.
    for (int n = 0; n < kChannels; ++n) {
        if (++cur.Poll_Ch > kChannels - 1) {
            cur.Poll_Ch = 0;
            if (++cur.Poll_Phase > 6) cur.Poll_Phase = 0;
        }
        if (s_.NoConnect(cur.Poll_Ch) == 0) {
            view_.setChartMaxCh(kChannels);
            return;
        }
    }
    // No channel present: nothing to poll until a time-out has passed.
    lastIdleTick_ = com_.clockMs();
}

void Link::ReadDataSet(const QString& reply, int ch, int item) {
    const auto v = parseHex4(com_.Comm_GetData(reply, 1));
    if (!v) return;  // not a number: the last good value is kept
    MonitorData& m = s_.Monitor_Data;
    // A monitored value read again is current; the settings come back whole
    // with a scan or re-read.
    if (item >= Item::PV && item <= Item::HeaterCurrent2) m.Unread(ch) &= quint8(~Unread::of(item));
    switch (item) {
    case Item::PV:
        m.PvData(ch) = *v;
        m.PvRead(ch) = true;
        break;
    case Item::MV: m.MvData(ch) = *v; break;
    case Item::CoolMV: m.CoolMvData(ch) = *v; break;
    case Item::Status:
        m.StatusData(ch) = *v;
        history_.AlarmChk(ch);
        break;
    case Item::HeaterCurrent1: m.Ct1Data(ch) = *v; break;
    case Item::HeaterCurrent2: m.Ct2Data(ch) = *v; break;
    case Item::OptionWord: m.OptionData(ch) = *v; break;
    case Item::TypeWord: m.TypeData(ch) = *v; break;
    default:
        // The value the operator gave stays until its write has gone out.
        if (!writePending(ch, item)) {
            s_.ParaData(ch, item) = *v;
            m.Untaken(ch, item) = false;
        }
        break;
    }
}

bool Link::chainCovers(qint16 state, int item) const {
    if (state == Com_WriteAll) return std::find(kWriteAllChain.begin(), kWriteAllChain.end(), item) != kWriteAllChain.end();
    if (state == Com_WriteSelect) return OptionChk(s_.ParaAddr(item)) == 1;
    return false;
}

bool Link::writePending(int ch, int item) const {
    const WriteRequest& w = s_.Write_Request;
    if (w.Transfer_Pending(ch) && item >= Item::FirstSetting && item <= Item::LastSetting) return true;
    const auto writes = [&](qint16 state, int c, int k) {
        if (c != ch) return false;
        if (state == Com_WriteOne) return k == item;
        return chainCovers(state, item);
    };
    // The chain that runs holds the slot until its last link has gone out.
    const bool slotRuns = work_ == Work::Chain && (w.Com_State == Com_WriteAll || w.Com_State == Com_WriteSelect);
    if (!slotRuns && writes(w.Com_State, w.Com_Ch, w.Com_Item)) return true;
    return std::any_of(w.Waiting.begin(), w.Waiting.end(),
                       [&](const LineRequest& r) { return writes(r.state, r.ch, r.item); });
}

void Link::serveWaiting() {
    WriteRequest& w = s_.Write_Request;
    if (w.Com_State != Com_Monitor || w.Waiting.empty()) return;
    LineRequest r = std::move(w.Waiting.front());
    w.Waiting.pop_front();
    w.Com_State = r.state;
    w.Com_Ch = r.ch;
    switch (r.state) {
    case Com_WriteOne:
        w.Com_Item = r.item;
        w.Com_Code = r.code;
        w.Com_Value = r.value;
        w.Com_ReReadAfter = r.reRead;
        break;
    case Com_WriteAll:
    case Com_WriteSelect: w.Com_Values = std::move(r.values); break;
    case Com_ReRead: w.ReRead_Ch = r.ch; break;
    default: break;
    }
}

void Link::statecomchk(int ch) {
    WriteRequest& w = s_.Write_Request;
    // The held status word asks for a re-read only while the channel's last
    // status poll was acknowledged: a bit left over from a channel that has
    // gone silent must not ask every cycle.
    if (statusAcked_.at(std::size_t(ch)) && has(s_.Monitor_Data.StatusData(ch), StatusBit::ReRead)) {
        w.Com_State = Com_ReRead;
        w.ReRead_Ch = static_cast<qint16>(ch);
    }
    if (s_.ParaData(ch, Item::AutoTuning) == 1) {
        s_.Mode1_flg(ch) = true;
    } else if (s_.Mode1_flg(ch)) {
        s_.Mode1_flg(ch) = false;
        w.ReRead_Ch = static_cast<qint16>(ch);
        w.Com_State = Com_ReRead;
    }
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

// ---------------------------------------------------------------- scan, re-read, clear

bool Link::anyPresent() const {
    for (int ch = 0; ch < kChannels; ++ch)
        if (s_.NoConnect(ch) == 0) return true;
    return false;
}

Link::ScanStep Link::scanStep() {
    if (work_ != Work::Scan) {
        // The walk over the addresses, then the rounds of those probed while
        // the line was silent.
        const bool again = scanNext_ >= kChannels;
        const int ch = again ? scanRound_.front() : scanNext_;
        if (ch == 0 && !again) {
            s_.Com_Adr = QStringLiteral(" ");
            s_.Com_SubAdr = QStringLiteral(" ");
            com_.Comm_PreRead1();
            com_.Comm_PreRead2();
            scanDeferred_.clear();
            scanRound_.clear();
            probeDamaged_.fill(false);
        }
        MonitorData& m = s_.Monitor_Data;
        const QString probe = transact(ch, kRead, QString::fromLatin1(kProbeItem), QString(), 1);
        if (deviceWasClosed()) {
            // The address waits for the device.
            showDeviceWait(ch);
            return ScanStep::DeviceClosed;
        }
        if (again) scanRound_.erase(scanRound_.begin());
        s_.NoConnect(ch) = 0;
        if (probe.isEmpty()) {
            s_.NoConnect(ch) = 1;
            statusAcked_[std::size_t(ch)] = false;
            reReadWanted_[std::size_t(ch)] = false;
            // A controller that no longer answers has no unit: the displays
            // must not show its last values as live.
            m.Connect_Code(ch) = 0;
            if (s_.PvLog_State.LineSilent) {
                // A probe into a silent line says nothing of its address: it
                // is probed again once the line answers, before the scan ends.
                scanDeferred_.push_back(ch);
                showDeviceWait(ch);
            }
            return nextScanAddress();
        }
        // A damaged reply says that something answers, not its unit: the
        // address is probed again before the scan ends, once.
        if (replyClassOf(probe) == ReplyClass::ChecksumError && !probeDamaged_[std::size_t(ch)]) {
            probeDamaged_[std::size_t(ch)] = true;
            s_.NoConnect(ch) = 1;
            m.Connect_Code(ch) = 0;
            scanDeferred_.push_back(ch);
            return nextScanAddress();
        }
        m.Connect_Code(ch) = Hex4_Value(com_.Comm_GetData(probe, 1));
        wordsUnread_[std::size_t(ch)] = true;
        startWork(Work::Scan, ch, scanFrames());
        return ScanStep::Going;
    }
    const int ch = cursor_.channel();
    switch (cursorStep()) {
    case CursorStep::Going: return ScanStep::Going;
    case CursorStep::DeviceClosed: return ScanStep::DeviceClosed;  // the frame goes again once it is back
    case CursorStep::Cut: finishScanAddress(ch, true); break;
    case CursorStep::Ended: finishScanAddress(ch, false); break;
    }
    return nextScanAddress();
}

void Link::finishScanAddress(int ch, bool cut) {
    MonitorData& m = s_.Monitor_Data;
    // The data clear's rescan has read the settings again; what was polled
    // before the clear is current only once the poll has read it anew.
    if (clear_ == ClearPhase::Rescan) {
        m.Unread(ch) = Unread::Monitored;
        m.PvRead(ch) = false;
    }
    // A controller left in the middle of its read is read whole when it
    // answers again; its settings are not shown as read meanwhile.
    if (cut) m.Unread(ch) |= Unread::Settings;
    reReadTries_[std::size_t(ch)] = 0;
    reReadWanted_[std::size_t(ch)] = cut || !cursor_.allAnswered();
    endWork();
    s_.UnitText(ch) = store_.read(QStringLiteral("UNIT") + channelKey3(ch), QStringLiteral("%"));
    s_.DecimalData(ch) = readInt16(store_, decimalPointKey(ch), 0);
    s_.ParaData(ch, Item::DecimalPoint) = s_.DecimalData(ch);
}

Link::ScanStep Link::nextScanAddress() {
    if (scanNext_ < kChannels) {
        view_.setScanProgress(scanNext_ + 1);
        if (++scanNext_ < kChannels) return ScanStep::Going;
        roundFrom_ = kNoRound;
    }
    if (!scanRound_.empty()) return ScanStep::Going;
    // A round of the addresses probed while the line was silent follows the
    // walk, and another while a round heard the line answer: a line that
    // stays silent for a whole round leaves them absent until the next scan.
    const quint64 heard = s_.PvLog_State.Replies;
    if (!scanDeferred_.empty() && (roundFrom_ == kNoRound || roundFrom_ != heard)) {
        scanRound_ = std::exchange(scanDeferred_, {});
        roundFrom_ = heard;
        return ScanStep::Going;
    }
    scanDeferred_.clear();
    scanNext_ = 0;
    return ScanStep::Done;
}

bool Link::Setdata_read() {
    ScanStep step = ScanStep::Going;
    while (step == ScanStep::Going) step = scanStep();
    return step == ScanStep::Done;
}

bool Link::ReadPara_setflg() {
    WriteRequest& w = s_.Write_Request;
    if (work_ != Work::ReRead) {
        const int ch = w.ReRead_Ch;
        // Taken from the slot: the next request waiting takes its place.
        if (w.Com_State == Com_ReRead) {
            w.Com_State = Com_Monitor;
            serveWaiting();
        }
        w.Para_chgflg = false;
        s_.Com_SubAdr = QStringLiteral(" ");
        com_.Comm_PreRead1();
        com_.Comm_PreRead2();
        view_.setStatusPanel(4, strings_.text(454));
        // A re-read that does not follow an unfinished one has a reason of
        // its own (the controller asked, a write): it starts its own count.
        if (!reReadWanted_.at(std::size_t(ch))) reReadTries_[std::size_t(ch)] = 0;
        // The rest of a read that was left before the words: from them on.
        startWork(Work::ReRead, ch, wordsUnread_[std::size_t(ch)] ? scanFrames() : settingFrames(ch));
    }
    const int ch = cursor_.channel();
    const CursorStep step = cursorStep();
    if (step == CursorStep::Going) return false;
    auto& tries = reReadTries_[std::size_t(ch)];
    const bool complete = step == CursorStep::Ended && cursor_.allAnswered();
    if (complete) {
        s_.Monitor_Data.Unread(ch) &= quint8(~Unread::Settings);
        tries = 0;
        reReadWanted_[std::size_t(ch)] = false;
    } else if (step == CursorStep::DeviceClosed) {
        // Read again when the device is back, however often it goes.
        tries = 0;
        reReadWanted_[std::size_t(ch)] = true;
    } else {
        // A controller that keeps leaving items unanswered is not read for ever.
        reReadWanted_[std::size_t(ch)] = ++tries < kReReadTries;
    }
    endWork();
    view_.setStatusPanel(4, QString());
    serveReReads();
    return true;
}

void Link::wantReRead(int ch) {
    reReadWanted_.at(std::size_t(ch)) = true;
    reReadTries_[std::size_t(ch)] = 0;
}

void Link::askReRead(int ch) {
    if (std::find(reReadQueue_.begin(), reReadQueue_.end(), ch) == reReadQueue_.end()) reReadQueue_.push_back(ch);
    serveReReads();
}

void Link::serveReReads() {
    WriteRequest& w = s_.Write_Request;
    if (reReadQueue_.empty() || w.Com_State != Com_Monitor) return;
    w.ReRead_Ch = static_cast<qint16>(reReadQueue_.front());
    w.Com_State = Com_ReRead;
    reReadQueue_.erase(reReadQueue_.begin());
}

void Link::mnuClear_Click() {
    if (clear_ != ClearPhase::None) return;
    if (!view_.confirmDataClear()) return;
    clear_ = ClearPhase::Commands;
    clearNext_ = 0;
    view_.dataClearRunning(true);
    view_.setScanProgress(0);
}

void Link::dataClearStep() {
    if (clear_ == ClearPhase::Commands) {
        while (clearNext_ < kChannels && s_.NoConnect(clearNext_) != 0) ++clearNext_;
        if (clearNext_ < kChannels) {
            sendClearCommand(clearNext_);
            view_.SelectDispItem();
            return;
        }
        clear_ = ClearPhase::Rescan;
        scanNext_ = 0;
    }
    const ScanStep step = scanStep();
    // Each channel shows what the rescan read from it at once.
    view_.SelectDispItem();
    if (step != ScanStep::Done) return;
    clear_ = ClearPhase::None;
    showLogBoxes();
    view_.dataClearRunning(false);
}

void Link::sendClearCommand(int ch) {
    // The clear command alone waits 500 ms for its reply; everything else
    // (a request let through between two commands, the rescan) keeps the
    // time-out the operator chose, which the menu shows throughout.
    const int operatorMs = com_.timeOut();
    com_.Comm_SetTimeOut(kClearTimeoutMs);
    const QString reply =
        transact(ch, kWrite, QString::fromLatin1(kProbeItem), QString::fromLatin1(kClearCode), 3);
    com_.Comm_SetTimeOut(operatorMs);
    if (deviceWasClosed()) {
        // Nothing went out: the command is sent once the device is back.
        showDeviceWait(ch);
        return;
    }
    ++clearNext_;
    // From its clear command on, nothing read from the controller before it
    // is shown as current.
    MonitorData& m = s_.Monitor_Data;
    m.Unread(ch) = Unread::All;
    m.PvRead(ch) = false;
    judge(reply, ch, -1, true);
}

// ---------------------------------------------------------------- writes

bool Link::startSingle(const LineRequest& request) {
    single_ = request;
    const int ch = request.ch;
    if (s_.NoConnect(ch) != 0) {
        singleDone();
        return false;
    }
    std::vector<CursorFrame> frames = {{FrameKind::SingleWrite, request.item}};
    if (request.code != QLatin1String(kAlarmCommandCode)) frames.push_back({FrameKind::ReadBack, request.item});
    startWork(Work::Single, ch, std::move(frames));
    return true;
}

void Link::singleDone() {
    endWork();
    if (single_.reRead || s_.Write_Request.Para_chgflg) askReRead(single_.ch);
}

bool Link::OneData_write() {
    if (work_ != Work::Single) {
        WriteRequest& w = s_.Write_Request;
        LineRequest request;
        request.state = Com_WriteOne;
        request.ch = w.Com_Ch;
        request.item = w.Com_Item;
        request.code = w.Com_Code;
        request.value = w.Com_Value.value_or(s_.ParaData(w.Com_Ch, w.Com_Item));
        request.reRead = w.Com_ReReadAfter;
        w.Com_Value.reset();
        w.Com_ReReadAfter = false;
        // Taken from the slot: the next request waiting takes its place.
        if (w.Com_State == Com_WriteOne) {
            w.Com_State = Com_Monitor;
            serveWaiting();
        }
        if (!startSingle(request)) return true;
    }
    const int ch = cursor_.channel();
    switch (cursorStep()) {
    case CursorStep::Going: return false;
    case CursorStep::DeviceClosed:
    case CursorStep::Cut: wantReRead(ch); break;
    case CursorStep::Ended: break;
    }
    singleDone();
    return true;
}

void Link::chainDone(int ch, bool allTaken) {
    if (!allTaken) wantReRead(ch);
    view_.setStatusPanel(4, QString());
    s_.Write_Request.AllSend_flg = false;
}

bool Link::chainStep(bool selected) {
    if (work_ != Work::Chain) {
        WriteRequest& w = s_.Write_Request;
        const int ch = w.Com_Ch;
        // The values taken when the chain was asked for; a chain put into
        // the slot by hand sends what ParaData holds now.
        chainValues_ = std::exchange(w.Com_Values, {});
        if (chainValues_.size() != std::size_t(kItems)) chainValues_ = channelRow(s_, ch);
        std::vector<CursorFrame> frames;
        const FrameKind kind = selected ? FrameKind::SelectWrite : FrameKind::ChainWrite;
        if (s_.NoConnect(ch) == 0) {
            if (selected)
                for (int k : kWriteSelectChain) frames.push_back({kind, k});
            else
                for (int k : kWriteAllChain) frames.push_back({kind, k});
        }
        chainSelected_ = selected;
        startWork(Work::Chain, ch, std::move(frames));
    }
    const int ch = cursor_.channel();
    const CursorStep step = cursorStep();
    if (step == CursorStep::Going) return false;
    // Cut off (a silent controller, a device gone): the links not sent
    // count as not taken, and show nothing until the controller is read back.
    for (const CursorFrame& f : cursor_.rest())
        if (f.kind == FrameKind::ChainWrite || OptionChk(s_.ParaAddr(f.item)) == 1) s_.Monitor_Data.Untaken(ch, f.item) = true;
    chainDone(ch, step == CursorStep::Ended && cursor_.allTaken());
    endWork();
    return true;
}

bool Link::AllData_write() { return chainStep(false); }

bool Link::SelectData_write() { return chainStep(true); }

void Link::afterChain() {
    WriteRequest& w = s_.Write_Request;
    w.Com_State = Com_Monitor;
    // What was asked while the chain ran goes first; the re-reads asked for
    // follow.
    serveWaiting();
    serveReReads();
}

qint16 Link::OptionChk(const QString& code) const {
    const int k = itemOfCode(code);
    if (k < 0) return 0;
    for (int c : kWriteSelectChain)
        if (c == k) return view_.optionCheckValue(k - Item::FirstSetting) == 1 ? 1 : 0;
    return 0;
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
