#include "sim_transport.h"

#include <algorithm>
#include <thread>

namespace qvx::sim {

using Steady = std::chrono::steady_clock;

SimTransport::SimTransport(std::shared_ptr<ControllerBank> bank, SimLineOptions options)
    : bank_(std::move(bank)), options_(options), stream_(*bank_) {}

bool SimTransport::open(int baud) {
    if (baud <= 0) return false;
    baud_ = baud;
    open_ = true;
    arrivals_.clear();
    stream_.reset();
    return true;
}

void SimTransport::close() {
    open_ = false;
    arrivals_.clear();
    stream_.reset();
}

std::chrono::nanoseconds SimTransport::lineTime(std::size_t bytes) const {
    if (!options_.lineTime || baud_ <= 0) return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * 10 * 1'000'000'000LL / baud_);
}

bool SimTransport::send(const QByteArray& bytes) {
    if (!open_) return false;
    const TimePoint start = Steady::now();
    const TimePoint sent = start + lineTime(static_cast<std::size_t>(bytes.size()));
    if (sent > start) std::this_thread::sleep_until(sent);  // the request leaves the port
    const auto answers = stream_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (const auto& a : answers) {
        const Emission& e = a.emission;
        std::chrono::nanoseconds delay{0};
        if (e.delayMs >= 0) delay = std::chrono::milliseconds(e.delayMs);
        else if (options_.lineTime) delay = std::chrono::milliseconds(options_.turnaroundMs);
        Arrival arr{sent + delay + lineTime(e.bytes.size()),
                    QByteArray(e.bytes.data(), static_cast<qsizetype>(e.bytes.size()))};
        const auto pos = std::upper_bound(arrivals_.begin(), arrivals_.end(), arr.due,
                                          [](TimePoint t, const Arrival& x) { return t < x.due; });
        arrivals_.insert(pos, std::move(arr));
    }
    return true;
}

QByteArray SimTransport::takeArrived(TimePoint now) {
    QByteArray out;
    auto it = arrivals_.begin();
    while (it != arrivals_.end() && it->due <= now) {
        out += it->bytes;
        ++it;
    }
    arrivals_.erase(arrivals_.begin(), it);
    return out;
}

QByteArray SimTransport::receive(int timeoutMs) {
    if (!open_) return {};
    TimePoint now = Steady::now();
    if (QByteArray got = takeArrived(now); !got.isEmpty()) return got;
    const TimePoint deadline = now + std::chrono::milliseconds(std::max(0, timeoutMs));
    const TimePoint wake = arrivals_.empty() ? deadline : std::min(deadline, arrivals_.front().due);
    if (wake > now) std::this_thread::sleep_until(wake);
    return takeArrived(Steady::now());
}

void SimTransport::discardInput() { takeArrived(Steady::now()); }

std::size_t SimTransport::inFlight() const {
    std::size_t n = 0;
    for (const auto& a : arrivals_) n += static_cast<std::size_t>(a.bytes.size());
    return n;
}

QVX720Com::LineFactory simulatedLine(std::shared_ptr<ControllerBank> bank, SimLineOptions options) {
    return [bank = std::move(bank), options]() -> std::unique_ptr<Transport> {
        return std::make_unique<SimTransport>(bank, options);
    };
}

}  // namespace qvx::sim
