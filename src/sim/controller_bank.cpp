#include "controller_bank.h"

#include <algorithm>

namespace qvx::sim {

namespace {
constexpr qint64 kMaxCatchUpMs = 10 * 60 * 1000;

bool isPrintable(char c) { return c >= 0x20 && c <= 0x7E; }
}  // namespace

ControllerBank::ControllerBank(std::shared_ptr<Clock> clock)
    : clock_(clock ? std::move(clock) : std::make_shared<SteadyClock>()) {
    simulatedTo_ = clock_->nowMs();
}

SimController& ControllerBank::setChannel(int ch, const ChannelConfig& cfg) {
    auto& slot = ch_.at(static_cast<std::size_t>(ch));
    slot = std::make_unique<SimController>(ch, cfg);
    slot->setAutoTuneDurationMs(atDurationMs_);
    return *slot;
}

void ControllerBank::removeChannel(int ch) { ch_.at(static_cast<std::size_t>(ch)).reset(); }

bool ControllerBank::present(int ch) const { return controller(ch) != nullptr; }

std::vector<int> ControllerBank::presentChannels() const {
    std::vector<int> out;
    for (int ch = 0; ch < kBankChannels; ++ch)
        if (ch_[static_cast<std::size_t>(ch)]) out.push_back(ch);
    return out;
}

SimController* ControllerBank::controller(int ch) {
    if (ch < 0 || ch >= kBankChannels) return nullptr;
    return ch_[static_cast<std::size_t>(ch)].get();
}

const SimController* ControllerBank::controller(int ch) const {
    if (ch < 0 || ch >= kBankChannels) return nullptr;
    return ch_[static_cast<std::size_t>(ch)].get();
}

void ControllerBank::setAutoTuneDurationMs(qint64 ms) {
    atDurationMs_ = ms;
    for (auto& c : ch_)
        if (c) c->setAutoTuneDurationMs(ms);
}

bool ControllerBank::frontPanelChange(int ch, int item, qint16 value) {
    update();
    SimController* c = controller(ch);
    return c && c->frontPanelChange(item, value);
}

void ControllerBank::setKeyLock(int ch, bool on) {
    if (SimController* c = controller(ch)) c->setKeyLock(on);
}

void ControllerBank::update() {
    const qint64 now = clock_->nowMs();
    if (now - simulatedTo_ > kMaxCatchUpMs) simulatedTo_ = now - kMaxCatchUpMs;
    while (simulatedTo_ + SimController::kStepMs <= now) {
        simulatedTo_ += SimController::kStepMs;
        for (auto& c : ch_)
            if (c) c->step(simulatedTo_);
    }
}

proto::Reply ControllerBank::replyTo(std::string_view f, SimController& c) {
    // The fields as received, for the echo of a frame the controller could not take.
    const std::size_t etx = f.size() - 3;
    const std::string_view fields = f.substr(1, etx - 1);  // address .. last data character
    proto::Reply r;
    r.address = f[1];
    r.command = fields.size() > 2 ? fields[2] : ' ';
    if (!isPrintable(r.command)) r.command = '?';
    const std::string_view rest = fields.size() > 3 ? fields.substr(3) : std::string_view();
    if (r.command != 'a' && rest.size() >= 4 && std::all_of(rest.begin(), rest.begin() + 4, isPrintable))
        r.item = std::string(rest.substr(0, 4));

    const proto::ParsedRequest parsed = proto::decodeRequest(f);
    switch (parsed.status) {
    case proto::ParseStatus::BadChecksum:
        r.klass = proto::ESC;
        return r;
    case proto::ParseStatus::Ok:
        if (parsed.request.subAddress != ' ') break;
        return c.handle(parsed.request);
    case proto::ParseStatus::Malformed: {
        const char cmd = r.command;
        const bool known = cmd == ' ' || cmd == 'P' || cmd == 'a' || cmd == 'q';
        const std::size_t want = cmd == 'a' ? 0 : (cmd == ' ' ? 4 : 8);
        if (fields.size() < 3 || fields[1] != ' ' || !known || rest.size() != want) break;
        r.klass = proto::NAK;
        r.error = proto::isHex4(rest.substr(0, 4)) ? proto::ErrOutOfRange : proto::ErrUnknownItem;
        return r;
    }
    }
    r.klass = proto::NAK;
    r.error = proto::ErrUnknownCommand;
    return r;
}

Emission ControllerBank::answer(std::string_view f) {
    ++frames_;
    update();
    if (f.size() < 7 || f.front() != proto::STX || f[f.size() - 3] != proto::ETX) return {};
    SimController* c = controller(proto::channelOfAddress(f[1]));
    if (!c) return {};  // an absent address stays silent

    const char command = f[3];
    const std::string_view item =
        (command != 'a' && f.size() >= 11) ? f.substr(4, 4) : std::string_view();
    Fault* fault = nullptr;
    for (auto& candidate : faults_) {
        if (candidate.matches(c->channel(), command, item, frames_)) {
            fault = &candidate;
            if (fault->count > 0) --fault->count;
            break;
        }
    }

    proto::Reply reply;
    if (fault && fault->kind == FaultKind::Silence) return {};
    if (fault && (fault->kind == FaultKind::Nak || fault->kind == FaultKind::Corrupt)) {
        // Refused, or not understood: either way the request has no effect.
        const bool refused = fault->kind == FaultKind::Nak;
        reply.klass = refused ? proto::NAK : proto::ESC;
        reply.address = f[1];
        reply.error = refused ? fault->nakCode : '0';
        reply.command = isPrintable(command) ? command : '?';
        if (item.size() == 4 && std::all_of(item.begin(), item.end(), isPrintable)) reply.item = std::string(item);
    } else {
        reply = replyTo(f, *c);
    }

    Emission e;
    e.bytes = proto::encodeReply(reply);
    if (fault) {
        switch (fault->kind) {
        case FaultKind::Garbage: e.bytes.insert(0, fault->garbage); break;
        case FaultKind::WrongBcc: e.bytes.back() = e.bytes.back() == '0' ? '1' : '0'; break;
        case FaultKind::Late: e.delayMs = fault->delayMs; break;
        case FaultKind::Partial:
            e.bytes.resize(std::min<std::size_t>(e.bytes.size() - 1, static_cast<std::size_t>(fault->partialBytes)));
            break;
        case FaultKind::Silence:
        case FaultKind::Nak:
        case FaultKind::Corrupt: break;
        }
    }
    return e;
}

std::vector<BankStream::Answer> BankStream::feed(std::string_view bytes) {
    std::vector<Answer> out;
    buf_.append(bytes);
    for (;;) {
        const auto stx = buf_.find(proto::STX);
        if (stx == std::string::npos) {
            buf_.clear();
            break;
        }
        buf_.erase(0, stx);
        // A new STX before the end of this frame means it was broken off.
        const std::size_t window = std::min<std::size_t>(buf_.size(), 16);
        const auto etx = buf_.find(proto::ETX, 1);
        const auto next = buf_.find(proto::STX, 1);
        if (next != std::string::npos && next < window && (etx == std::string::npos || next < etx)) {
            buf_.erase(0, next);
            continue;
        }
        const auto len = proto::requestFrameLength(buf_);
        if (!len) break;
        Answer a;
        a.requestBytes = *len;
        a.emission = bank_->answer(std::string_view(buf_).substr(0, *len));
        buf_.erase(0, *len);
        if (!a.emission.bytes.empty()) out.push_back(std::move(a));
    }
    return out;
}

}  // namespace qvx::sim
