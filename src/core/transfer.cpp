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
    return w.Transfers_Open > 0 || w.Com_State == Com_WriteAll || w.Com_State == Com_WriteSelect;
}

void queueChain(QVX720_INC& s, int ch, qint16 state) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    WriteRequest& w = s.Write_Request;
    if (w.Com_State == Com_WriteOne) w.Prior = {true, w.Com_Ch, w.Com_Item, w.Com_Code};
    w.AllSend_flg = true;
    w.Com_Ch = static_cast<qint16>(ch);
    w.Com_State = state;
    if (s.Link_Wake) s.Link_Wake();
}

}  // namespace qvx
