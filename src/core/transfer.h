// Transfers to the controllers of whole channels: a channel's chain, and a
// transfer to several channels queued whole when asked. The link serves them
// one chain after another, whatever window is open meanwhile.
#pragma once

#include <functional>

#include "qvx720_inc.h"

namespace qvx {

// Queues the chain of channel ch (Com_WriteAll or Com_WriteSelect) with the
// values ParaData holds now, behind what was asked before it.
void queueChain(QVX720_INC& s, int ch, qint16 state);

// Queues the chain of every present channel at once, each with the values
// ParaData holds right after store(ch) (may be empty) has put them there.
// Returns the number of chains queued.
int queueTransfer(QVX720_INC& s, qint16 state, const std::function<void(int ch)>& store = {});

// A chain is waiting or under way: a data clear would read over the values
// it has yet to send.
bool transferRunning(const QVX720_INC& s);

}  // namespace qvx
