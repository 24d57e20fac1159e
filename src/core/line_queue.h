// The line work that waits for the link, in the order it was asked: single
// writes, write-all and write-selected chains (a transfer's among them) and
// re-reads. Its head is the request the link serves next, or serves now once
// started. No link and no window are needed to use it.
#pragma once

#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <vector>

namespace qvx {

// One request for line work. A write carries the values it sends, taken when
// the operator gave them, so that whatever is read from the controller
// meanwhile never changes what goes out.
struct LineRequest {
    qint16 state = 0;  // Com_WriteOne, Com_WriteAll, Com_WriteSelect or Com_ReRead
    qint16 ch = 0;
    qint16 item = 0;  // a single write's item index and code
    QString code;
    qint16 value = 0;     // a single write's value
    bool reRead = false;  // the single write asks for a re-read of its channel once done
    std::vector<qint16> values;  // a chain's values by item index

    bool isChain() const;
    // A re-read of channel ch's settings.
    static LineRequest reReadOf(int ch);
};

// Which items a chain writes (the write-selected chain follows its boxes).
using ChainCovers = std::function<bool(qint16 state, int item)>;

class LineQueue {
public:
    // Queues r at the end. A single write removes an earlier single write of
    // its channel and item not yet started (the later value wins, in the
    // place of the later request) and keeps the re-read that one asked for;
    // a re-read is not queued again while one of its channel waits with
    // nothing of that channel behind it. Nothing else is dropped.
    void push(LineRequest r);

    // The request served next, or the one under way; null when none waits.
    const LineRequest* head() const { return items_.empty() ? nullptr : &items_.front(); }
    bool headStarted() const { return started_; }
    // The link begins the head's work: it is no longer "not yet sent".
    void startHead();
    // The head's work has ended (or it was never started): it leaves the queue.
    void popHead();

    // A write of item k of channel ch is still to go out: what a read brings
    // for it is not stored over the operator's value.
    bool writePending(int ch, int k, const ChainCovers& covers) const;
    // A chain is waiting or under way: a transfer is not over.
    bool holdsChain() const;

    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    const std::deque<LineRequest>& requests() const { return items_; }

private:
    std::deque<LineRequest> items_;
    bool started_ = false;  // the head is under way
};

}  // namespace qvx
