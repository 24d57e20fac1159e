// The waiting line work and its rules: the order asked, the later value of a
// single write, a re-read not asked twice, and what is still to be written.
#include "line_queue.h"

#include <algorithm>

#include "qvx720_inc.h"

namespace qvx {

bool LineRequest::isChain() const { return state == Com_WriteAll || state == Com_WriteSelect; }

LineRequest LineRequest::reReadOf(int ch) {
    LineRequest r;
    r.state = Com_ReRead;
    r.ch = static_cast<qint16>(ch);
    return r;
}

void LineQueue::push(LineRequest r) {
    const auto first = items_.begin() + (started_ ? 1 : 0);
    if (r.state == Com_WriteOne) {
        const auto earlier = std::find_if(first, items_.end(), [&](const LineRequest& q) {
            return q.state == Com_WriteOne && q.ch == r.ch && q.item == r.item;
        });
        if (earlier != items_.end()) {
            r.reRead = r.reRead || earlier->reRead;
            items_.erase(earlier);
        }
    } else if (r.state == Com_ReRead) {
        const auto last = std::find_if(items_.rbegin(), std::make_reverse_iterator(first),
                                       [&](const LineRequest& q) { return q.ch == r.ch; });
        if (last != std::make_reverse_iterator(first) && last->state == Com_ReRead) return;
    }
    items_.push_back(std::move(r));
}

void LineQueue::startHead() {
    if (!items_.empty()) started_ = true;
}

void LineQueue::popHead() {
    if (!items_.empty()) items_.pop_front();
    started_ = false;
}

bool LineQueue::writePending(int ch, int k, const ChainCovers& covers) const {
    return std::any_of(items_.begin() + (started_ ? 1 : 0), items_.end(), [&](const LineRequest& q) {
        if (q.ch != ch) return false;
        if (q.state == Com_WriteOne) return q.item == k;
        return q.isChain() && covers && covers(q.state, k);
    });
}

bool LineQueue::holdsChain() const {
    return std::any_of(items_.begin(), items_.end(), [](const LineRequest& q) { return q.isChain(); });
}

}  // namespace qvx
