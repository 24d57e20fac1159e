// Line work of more than one transaction to one controller (the read of an
// address in a scan, a re-read, a chain of writes, a single write and its
// read-back), stepped one transaction a tick: the frames still to send,
// where the work stands, and the replies missed in a row.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qvx {

// What a frame of such work is. The link builds the frame as it goes out,
// so a write sends the value held then.
enum class FrameKind : unsigned char {
    TypeWord,     // read of the type word
    OptionWord,   // read of the option word
    ScanCommand,  // the scan command write
    ExtensionA,   // the "a" frame: bits added to the option word
    ExtensionQ,   // the "q" frame; the settings' reads follow it
    Read,         // read of a setting
    ChainWrite,   // a link of the write-all chain
    SelectWrite,  // a link of the write-selected chain: sent when its box is checked then
    SingleWrite,  // a single write
    ReadBack,     // its read-back
};

struct CursorFrame {
    FrameKind kind;
    int item;
};

class LineCursor {
public:
    // A controller that has missed this many replies in a row holds the
    // line no longer: one missing reply (noise) changes nothing.
    static constexpr int kMissesToLeave = 2;

    void start(int ch, std::vector<CursorFrame> frames) {
        *this = LineCursor();
        ch_ = ch;
        frames_ = std::move(frames);
    }
    void add(FrameKind kind, const std::vector<int>& items) {
        for (int k : items) frames_.push_back({kind, k});
    }
    void clear() { *this = LineCursor(); }
    bool active() const { return ch_ >= 0; }
    int channel() const { return ch_; }
    bool atEnd() const { return next_ >= frames_.size(); }
    const CursorFrame& frame() const { return frames_.at(next_); }
    // The frames not sent yet.
    std::vector<CursorFrame> rest() const {
        return {frames_.begin() + std::ptrdiff_t(std::min(next_, frames_.size())), frames_.end()};
    }
    // Passes over the frame without sending it.
    void skip() { ++next_; }
    // The frame went out and got its answer: a reply (taken: an
    // acknowledge) or none. False when that was the controller's second
    // missing reply in a row: it is left.
    // A damaged reply (damaged) came from the controller, but what it said
    // is not known: it counts as unanswered, though not as a miss in a row.
    bool moveOn(bool replied, bool taken, bool damaged = false) {
        ++next_;
        if (!taken) notTaken_ = true;
        if (damaged) missed_ = true;
        if (replied) {
            missesInRow_ = 0;
            return true;
        }
        missed_ = true;
        return ++missesInRow_ < kMissesToLeave;
    }
    // Every frame sent so far got a reply; every one was acknowledged.
    bool allAnswered() const { return !missed_; }
    bool allTaken() const { return !notTaken_; }

private:
    int ch_ = -1;
    std::vector<CursorFrame> frames_;
    std::size_t next_ = 0;
    int missesInRow_ = 0;
    bool missed_ = false;
    bool notTaken_ = false;
};

}  // namespace qvx
