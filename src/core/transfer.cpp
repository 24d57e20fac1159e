#include "transfer.h"

#include <QCoreApplication>

namespace qvx {

void waitForEvents() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

bool waitForTransfer(const QVX720_INC& s, const std::function<void()>& processEvents,
                     const std::function<bool()>& closing) {
    while (s.Write_Request.AllSend_flg) {
        if (closing && closing()) return false;
        if (processEvents) processEvents();
    }
    return !(closing && closing());
}

bool transferRunning(const QVX720_INC& s) {
    const WriteRequest& w = s.Write_Request;
    return w.Transfers_Open > 0 || chainQueued(w);
}

void queueChain(QVX720_INC& s, int ch, qint16 state) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    WriteRequest& w = s.Write_Request;
    // What the chain sends is what was loaded or copied now.
    std::vector<qint16> values = channelRow(s, ch);
    w.AllSend_flg = true;
    w.Transfer_Pending(ch) = false;  // the chain holds them from now on
    if (w.Com_State == Com_Monitor && w.Waiting.empty()) {
        w.Com_Ch = static_cast<qint16>(ch);
        w.Com_State = state;
        w.Com_Values = std::move(values);
    } else {
        // Behind what was asked before it, a single write still in the slot first.
        LineRequest r;
        r.state = state;
        r.ch = static_cast<qint16>(ch);
        r.values = std::move(values);
        w.Waiting.push_back(std::move(r));
    }
    if (s.Link_Wake) s.Link_Wake();
}

}  // namespace qvx
