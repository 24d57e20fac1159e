// Time source of the simulated controllers: milliseconds since an arbitrary
// start. The bank steps its plants up to "now" before it answers a frame, so a
// test that owns a ManualClock decides exactly how much simulated time passes.
#pragma once

#include <QtGlobal>
#include <chrono>

namespace qvx::sim {

class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

// The real monotonic clock (the tool and the program's simulated line).
class SteadyClock final : public Clock {
public:
    SteadyClock() : start_(std::chrono::steady_clock::now()) {}
    qint64 nowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(qint64 startMs = 0) : now_(startMs) {}
    qint64 nowMs() const override { return now_; }
    void advance(qint64 ms) { now_ += ms; }
    void set(qint64 ms) { now_ = ms; }

private:
    qint64 now_;
};

}  // namespace qvx::sim
