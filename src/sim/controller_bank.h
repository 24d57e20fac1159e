// The bank of up to 95 simulated controllers on one line. It answers complete
// request frames exactly as docs/protocol.md says, steps every controller's
// plant up to the clock's present before each answer, and applies the faults
// it has been given.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "clock.h"
#include "controller.h"
#include "faults.h"

namespace qvx::sim {

inline constexpr int kBankChannels = 95;

// Bytes a controller puts on the line in answer to one request.
struct Emission {
    std::string bytes;
    // Time from the end of the request to the first reply byte; -1 for the
    // line's ordinary turnaround.
    int delayMs = -1;
};

class ControllerBank {
public:
    // Without a clock the bank runs on the real monotonic clock.
    explicit ControllerBank(std::shared_ptr<Clock> clock = nullptr);

    // Puts a controller at address ch (replacing one that is there).
    SimController& setChannel(int ch, const ChannelConfig& cfg);
    void removeChannel(int ch);
    bool present(int ch) const;
    std::vector<int> presentChannels() const;
    // The controller at ch, or nullptr for an empty address.
    SimController* controller(int ch);
    const SimController* controller(int ch) const;

    // The answer to one complete request frame (STX through the two BCC
    // characters); empty bytes for silence.
    Emission answer(std::string_view frame);
    // Steps every plant up to the clock's present.
    void update();

    void addFault(const Fault& f) { faults_.push_back(f); }
    void clearFaults() { faults_.clear(); }
    const std::vector<Fault>& faults() const { return faults_; }
    // Request frames received so far (every complete frame, to any address).
    quint64 framesReceived() const { return frames_; }

    // How long an auto-tuning run lasts, for every controller.
    void setAutoTuneDurationMs(qint64 ms);
    qint64 autoTuneDurationMs() const { return atDurationMs_; }
    // A change on the keys of controller ch (see SimController::frontPanelChange).
    bool frontPanelChange(int ch, int item, qint16 value);
    void setKeyLock(int ch, bool on);

    Clock& clock() { return *clock_; }
    const std::shared_ptr<Clock>& sharedClock() const { return clock_; }

private:
    proto::Reply replyTo(std::string_view frame, SimController& c);

    std::shared_ptr<Clock> clock_;
    std::array<std::unique_ptr<SimController>, kBankChannels> ch_;
    std::vector<Fault> faults_;
    quint64 frames_ = 0;
    qint64 simulatedTo_ = 0;
    qint64 atDurationMs_ = 20000;
};

// Cuts request frames out of a byte stream and answers them through a bank.
// Noise between frames is skipped; a frame broken off by a new STX is dropped.
class BankStream {
public:
    explicit BankStream(ControllerBank& bank) : bank_(&bank) {}
    struct Answer {
        Emission emission;
        std::size_t requestBytes = 0;  // length of the request frame answered
    };
    // Takes bytes from the line; returns the answers to every request frame
    // they complete (silent controllers give none).
    std::vector<Answer> feed(std::string_view bytes);
    void reset() { buf_.clear(); }
    std::size_t buffered() const { return buf_.size(); }

private:
    ControllerBank* bank_;
    std::string buf_;
};

}  // namespace qvx::sim
