// A channel's chain and a transfer to several channels, queued as line work.
#include "transfer.h"

namespace qvx {

bool transferRunning(const QVX720_INC& s) { return s.Write_Request.Line_Queue.holdsChain(); }

void queueChain(QVX720_INC& s, int ch, qint16 state) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    LineRequest r;
    r.state = state;
    r.ch = static_cast<qint16>(ch);
    r.values = channelRow(s, ch);  // what was loaded or copied now
    askLineWork(s, std::move(r));
}

int queueTransfer(QVX720_INC& s, qint16 state, const std::function<void(int ch)>& store) {
    int queued = 0;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!s.present(ch)) continue;
        if (store) store(ch);
        queueChain(s, ch, state);
        ++queued;
    }
    return queued;
}

}  // namespace qvx
