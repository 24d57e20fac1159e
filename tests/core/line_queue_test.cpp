// The queue of waiting line work on its own: its order, the later value, the
// re-read asked twice, and what is still to be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_queue.h"
#include "qvx720_inc.h"

using namespace qvx;

namespace {

// "W1/10=5" a single write of item 10 to channel 1 (value 5, "r": with its
// re-read), "A1" a write-all chain, "S1" a write-selected one, "R1" a
// re-read, "start" the head begins.
void apply(LineQueue& q, const std::string& op) {
    if (op == "start") return q.startHead();
    LineRequest r;
    r.ch = qint16(std::stoi(op.substr(1)));
    switch (op[0]) {
    case 'W': {
        r.state = Com_WriteOne;
        r.item = qint16(std::stoi(op.substr(op.find('/') + 1)));
        r.value = qint16(std::stoi(op.substr(op.find('=') + 1)));
        r.reRead = op.back() == 'r';
        break;
    }
    case 'A': r.state = Com_WriteAll; break;
    case 'S': r.state = Com_WriteSelect; break;
    default: r.state = Com_ReRead; break;
    }
    q.push(std::move(r));
}

std::string shown(const LineQueue& q) {
    std::string out;
    for (const LineRequest& r : q.requests()) {
        if (!out.empty()) out += ' ';
        const std::string ch = std::to_string(r.ch);
        switch (r.state) {
        case Com_WriteOne:
            out += "W" + ch + "/" + std::to_string(r.item) + "=" + std::to_string(r.value) + (r.reRead ? "r" : "");
            break;
        case Com_WriteAll: out += "A" + ch; break;
        case Com_WriteSelect: out += "S" + ch; break;
        default: out += "R" + ch; break;
        }
    }
    return out;
}

}  // namespace

TEST(LineQueue, OrderLaterValueAndReReads) {
    const struct {
        const char* name;
        std::vector<std::string> ops;
        const char* queue;
    } table[] = {
        {"every kind in the order asked", {"W1/10=5", "A2", "R3", "S4", "W5/12=1"}, "W1/10=5 A2 R3 S4 W5/12=1"},
        {"a later value goes at the end, the earlier gone",
         {"W1/10=500", "W1/29=2000r", "W1/10=1500"}, "W1/29=2000r W1/10=1500"},
        {"the head not yet started gives way too", {"W1/10=5", "A2", "W1/10=9"}, "A2 W1/10=9"},
        {"the head under way stays", {"W1/10=5", "start", "W1/10=9"}, "W1/10=5 W1/10=9"},
        {"another item or channel stays", {"W1/10=5", "W2/10=6", "W1/12=7"}, "W1/10=5 W2/10=6 W1/12=7"},
        {"the re-read of the removed write is kept", {"W1/29=5r", "W1/29=6"}, "W1/29=6r"},
        {"a chain of the channel is not a later value", {"A1", "W1/10=5", "A1"}, "A1 W1/10=5 A1"},
        {"a re-read asked twice waits once", {"R1", "W2/10=5", "R1"}, "R1 W2/10=5"},
        {"a write of the channel behind it: read again after it", {"R1", "W1/10=5", "R1"}, "R1 W1/10=5 R1"},
        {"a re-read under way is asked again", {"R1", "start", "R1"}, "R1 R1"},
    };
    for (const auto& row : table) {
        LineQueue q;
        for (const std::string& op : row.ops) apply(q, op);
        EXPECT_EQ(shown(q), row.queue) << row.name;
    }
}

TEST(LineQueue, WriteStillToGoOut) {
    // Item 29 is written by a chain of channel 4; item 10 by none.
    const ChainCovers covers = [](qint16, int k) { return k == 29; };
    const struct {
        const char* name;
        std::vector<std::string> ops;
        int ch, item;
        bool pending;
    } table[] = {
        {"a single write waiting", {"R3", "W1/10=5"}, 1, 10, true},
        {"another item", {"W1/10=5"}, 1, 12, false},
        {"another channel", {"W1/10=5"}, 2, 10, false},
        {"the head under way (its read-back is stored)", {"W1/10=5", "start"}, 1, 10, false},
        {"behind the head under way", {"W1/10=5", "start", "W1/10=6"}, 1, 10, true},
        {"a chain that writes the item", {"A4"}, 4, 29, true},
        {"a chain that does not", {"S4"}, 4, 10, false},
        {"a re-read writes nothing", {"R1"}, 1, 10, false},
    };
    for (const auto& row : table) {
        LineQueue q;
        for (const std::string& op : row.ops) apply(q, op);
        EXPECT_EQ(q.writePending(row.ch, row.item, covers), row.pending) << row.name;
    }
}
