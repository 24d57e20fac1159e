// The poll: one transaction a tick over the present channels, the storing of
// an acknowledged value, and the re-read a controller asks for.
#include "link.h"

#include "link_internal.h"
#include "pv_logging.h"

namespace qvx {

using namespace linkdetail;

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
        if (reply.isEmpty()) doubtMiss(ch);
    }
    if (item == Item::Status) statusAcked_[std::size_t(ch)] = c == ReplyClass::Ack;
    if (item == Item::Status || item == Item::AutoTuning) statecomchk(ch);
    // Settings that may not have reached the controller are read back the
    // first time it answers again.
    if (c == ReplyClass::Ack && reReadWanted_[std::size_t(ch)]) askReRead(ch);

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

void Link::statecomchk(int ch) {
    // The held status word asks for a re-read only while the channel's last
    // status poll was acknowledged: a bit left over from a channel that has
    // gone silent must not ask every cycle.
    if (statusAcked_.at(std::size_t(ch)) && has(s_.Monitor_Data.StatusData(ch), StatusBit::ReRead)) askReRead(ch);
    if (s_.ParaData(ch, Item::AutoTuning) == 1) {
        s_.Mode1_flg(ch) = true;
    } else if (s_.Mode1_flg(ch)) {
        s_.Mode1_flg(ch) = false;
        askReRead(ch);
    }
}


}  // namespace qvx
