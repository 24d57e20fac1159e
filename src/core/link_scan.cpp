// The start-up scan, a channel's re-read and the data clear with its rescan,
// each stepped one frame a tick.
#include "link.h"

#include <algorithm>
#include <utility>

#include "link_internal.h"
#include "preferences.h"

namespace qvx {

using namespace linkdetail;

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


// ---------------------------------------------------------------- scan, re-read, clear

bool Link::anyPresent() const {
    for (int ch = 0; ch < kChannels; ++ch)
        if (s_.NoConnect(ch) == 0) return true;
    return false;
}

Link::ScanStep Link::scanStep() {
    if (scanDoubt_ != ScanDoubt::None) return settleScanDoubt();
    // A silent line: nothing but the check goes out until it answers.
    const int reading = work_ == Work::Scan ? cursor_.channel() : -1;
    if (s_.PvLog_State.LineSilent && checkTarget(reading) >= 0) {
        if (checkLine(reading) == Heard::DeviceClosed) return ScanStep::DeviceClosed;
        return ScanStep::Going;
    }
    if (work_ != Work::Scan) {
        // The addresses probed in a silence first, then the walk; the last
        // run of unanswered probes is judged before the scan ends.
        const bool again = !reprobe_.empty();
        if (!again && scanNext_ >= kChannels) return nextScanAddress(false);
        const int ch = again ? reprobe_.front() : scanNext_;
        if (ch == 0 && !again) {
            s_.Com_Adr = QStringLiteral(" ");
            s_.Com_SubAdr = QStringLiteral(" ");
            com_.Comm_PreRead1();
            com_.Comm_PreRead2();
            damagedProbes_.clear();
            probeDamaged_.fill(false);
        }
        MonitorData& m = s_.Monitor_Data;
        const QString probe = transact(ch, kRead, QString::fromLatin1(kProbeItem), QString(), 1);
        if (deviceWasClosed()) {
            // The address waits for the device.
            showDeviceWait(ch);
            return ScanStep::DeviceClosed;
        }
        if (again) reprobe_.pop_front();
        s_.NoConnect(ch) = 0;
        if (probe.isEmpty()) {
            s_.NoConnect(ch) = 1;
            statusAcked_[std::size_t(ch)] = false;
            reReadWanted_[std::size_t(ch)] = false;
            // A controller that no longer answers has no unit: the displays
            // must not show its last values as live.
            m.Connect_Code(ch) = 0;
            // An empty address, or a silent line: a check after the run
            // tells, while it costs a fortieth of the run at most.
            if (checkTarget(ch) >= 0) {
                unsure_.push_back(ch);
                unsureMs_ += lastTransactMs_;
                if (unsureMs_ >= checkSpanMs()) scanDoubt_ = ScanDoubt::Probes;
                noteDeciding();
            } else {
                missCounted(ch);
            }
            return nextScanAddress(!again);
        }
        // The line answers: the addresses probed since it last did are empty.
        for (int c : unsure_) missCounted(c);
        unsure_.clear();
        unsureMs_ = 0;
        noteDeciding();
        // A damaged reply says that something answers, not its unit: the
        // address is probed again before the scan ends, once.
        if (replyClassOf(probe) == ReplyClass::ChecksumError && !probeDamaged_[std::size_t(ch)]) {
            probeDamaged_[std::size_t(ch)] = true;
            s_.NoConnect(ch) = 1;
            m.Connect_Code(ch) = 0;
            damagedProbes_.push_back(ch);
            return nextScanAddress(!again);
        }
        m.Connect_Code(ch) = Hex4_Value(com_.Comm_GetData(probe, 1));
        wordsUnread_[std::size_t(ch)] = true;
        readFromWalk_ = !again;
        startWork(Work::Scan, ch, scanFrames());
        return ScanStep::Going;
    }
    const int ch = cursor_.channel();
    const CursorStep step = cursorStep();
    if (scanDoubt_ == ScanDoubt::Read) {
        doubtStep_ = step;
        return ScanStep::Going;
    }
    return afterScanFrame(ch, step);
}

Link::ScanStep Link::afterScanFrame(int ch, CursorStep step) {
    switch (step) {
    case CursorStep::Going: return ScanStep::Going;
    case CursorStep::DeviceClosed: return ScanStep::DeviceClosed;  // the frame goes again once it is back
    case CursorStep::Cut: finishScanAddress(ch, true); break;
    case CursorStep::Ended: finishScanAddress(ch, false); break;
    }
    return nextScanAddress(readFromWalk_);
}

Link::ScanStep Link::settleScanDoubt() {
    const int reading = scanDoubt_ == ScanDoubt::Read ? cursor_.channel() : -1;
    const Heard heard = checkLine(reading);
    if (heard == Heard::DeviceClosed) return ScanStep::DeviceClosed;
    const ScanDoubt doubt = std::exchange(scanDoubt_, ScanDoubt::None);
    ScanStep result = ScanStep::Going;
    if (doubt == ScanDoubt::Probes) {
        // Silent: the run goes again, before anything else, once the line answers.
        if (heard == Heard::No)
            reprobe_.insert(reprobe_.begin(), unsure_.begin(), unsure_.end());
        else
            for (int c : unsure_) missCounted(c);
        unsure_.clear();
        unsureMs_ = 0;
        if (scanNext_ >= kChannels && reprobe_.empty()) result = nextScanAddress(false);
    } else if (heard == Heard::Yes) {
        // The miss was the controller's own (a reply lost, when it was the
        // one asked).
        if (lastCheckTarget_ != reading) missCounted(reading);
        result = afterScanFrame(reading, doubtStep_);
    } else {
        // The line's: the frame goes again once it answers, and the miss
        // counts against nobody.
        cursor_ = doubtCursor_;
    }
    noteDeciding();
    return result;
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

Link::ScanStep Link::nextScanAddress(bool walked) {
    if (walked && scanNext_ < kChannels) {
        view_.setScanProgress(scanNext_ + 1);
        if (++scanNext_ < kChannels) return ScanStep::Going;
        // Damaged probes are probed again once the walk is over.
        reprobe_.insert(reprobe_.end(), damagedProbes_.begin(), damagedProbes_.end());
        damagedProbes_.clear();
    }
    if (!reprobe_.empty() || scanNext_ < kChannels) return ScanStep::Going;
    if (!unsure_.empty()) {
        // The last run is judged before the scan ends.
        scanDoubt_ = ScanDoubt::Probes;
        noteDeciding();
        return ScanStep::Going;
    }
    scanNext_ = 0;
    return ScanStep::Done;
}

bool Link::Setdata_read() {
    ScanStep step = ScanStep::Going;
    while (step == ScanStep::Going) step = scanStep();
    return step == ScanStep::Done;
}

bool Link::ReadPara_setflg() {
    if (work_ != Work::ReRead) {
        const LineRequest* head = takeHead([](qint16 st) { return st == Com_ReRead; });
        if (!head) return true;
        const int ch = head->ch;
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
    s_.Write_Request.headDone();
    // A transfer whose chains wait behind the re-read shows again.
    view_.setStatusPanel(4, s_.Write_Request.Line_Queue.holdsChain() ? strings_.text(453) : QString());
    return true;
}

void Link::wantReRead(int ch) {
    reReadWanted_.at(std::size_t(ch)) = true;
    reReadTries_[std::size_t(ch)] = 0;
}

void Link::askReRead(int ch) { s_.Write_Request.ask(LineRequest::reReadOf(ch)); }

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


}  // namespace qvx
