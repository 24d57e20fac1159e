// The handshake of transfers to several channels: the requester queues one
// channel's chain with AllSend_flg set and waits, processing events, until
// the link's chain clears the flag.
#pragma once

#include <functional>

#include "qvx720_inc.h"

namespace qvx {

// One pass of a transfer's wait: handles the pending events, or sleeps until
// the next one comes (the link timer's tick, the operator's input), so that a
// wait costs no more than the run loop does.
void waitForEvents();

// Waits until AllSend_flg is false, calling processEvents between the tests.
// Returns false, without waiting further, once closing() says the program is
// ending (a requester must never hold the program open).
bool waitForTransfer(const QVX720_INC& s, const std::function<void()>& processEvents,
                     const std::function<bool()>& closing);

// Queues the chain of channel ch (Com_WriteAll or Com_WriteSelect) with the
// handshake set and the values ParaData holds now. A request asked before it
// and not yet carried out is not lost: the link carries it out first.
void queueChain(QVX720_INC& s, int ch, qint16 state);

// Marks a transfer to several channels as under way for its whole walk, the
// gaps between two chains included.
class TransferScope {
public:
    explicit TransferScope(QVX720_INC& s) : s_(s) { ++s_.Write_Request.Transfers_Open; }
    ~TransferScope() {
        if (--s_.Write_Request.Transfers_Open == 0) s_.Write_Request.Transfer_Pending.fill(false);
    }
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

private:
    QVX720_INC& s_;
};

// A transfer is under way: a walk over several channels, or a chain waiting
// in the request slot. A data clear would read over the values it has yet
// to send.
bool transferRunning(const QVX720_INC& s);

}  // namespace qvx
