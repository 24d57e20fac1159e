// The in-process simulated line: a Transport whose far end is a controller
// bank. It takes the time a real line takes (10 bits a byte at the open speed,
// then the turnaround, then the reply), sleeping rather than spinning; with
// line time off, bytes cross at once.
#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "controller_bank.h"
#include "qvx720com.h"
#include "transport.h"

namespace qvx::sim {

struct SimLineOptions {
    bool lineTime = true;  // false: bytes take no time (late replies still wait their delay)
    int turnaroundMs = 2;
};

class SimTransport final : public Transport {
public:
    explicit SimTransport(std::shared_ptr<ControllerBank> bank, SimLineOptions options = {});

    bool open(int baud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool send(const QByteArray& bytes) override;
    QByteArray receive(int timeoutMs) override;
    void discardInput() override;

    int baud() const { return baud_; }
    const SimLineOptions& options() const { return options_; }
    // Bytes on their way to the receiver that have not arrived yet.
    std::size_t inFlight() const;

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Arrival {
        TimePoint due;
        QByteArray bytes;
    };
    std::chrono::nanoseconds lineTime(std::size_t bytes) const;
    QByteArray takeArrived(TimePoint now);

    std::shared_ptr<ControllerBank> bank_;
    SimLineOptions options_;
    BankStream stream_;
    std::vector<Arrival> arrivals_;  // ordered by due time
    int baud_ = 0;
    bool open_ = false;
};

// A line factory for QVX720Com::setSimulatedLine: every open gets a new line
// to the same bank, so settings and plant state outlive a close and reopen.
QVX720Com::LineFactory simulatedLine(std::shared_ptr<ControllerBank> bank, SimLineOptions options = {});

}  // namespace qvx::sim
