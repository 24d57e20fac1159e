// Helpers shared by the simulated-bank tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clock.h"
#include "controller_bank.h"
#include "protocol.h"

namespace qvx::sim::test {

// A bank on a clock that moves only when the test says so.
struct ManualBank {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<ControllerBank> bank = std::make_shared<ControllerBank>(clock);

    // Lets simulated time pass, stepping every plant.
    void run(qint64 ms) {
        clock->advance(ms);
        bank->update();
    }
};

// The 12-character reply text of a complete reply frame ("" for silence);
// a frame with a wrong BCC gives a text led by '!'.
inline std::string replyOf(const Emission& e) {
    if (e.bytes.empty()) return {};
    if (e.bytes.size() != proto::kReplyFrameSize) return "?" + e.bytes;
    const auto d = proto::decodeReplyFrame(e.bytes);
    return d.good ? d.text : "!" + d.text.substr(1);
}

inline std::string ask(ControllerBank& bank, char address, char command, const std::string& item = {},
                       const std::string& data = {}) {
    const std::string f = proto::encodeRequest({address, ' ', command, item, data});
    EXPECT_FALSE(f.empty()) << "request cannot be framed";
    return replyOf(bank.answer(f));
}

inline std::string readItem(ControllerBank& bank, int ch, const std::string& item) {
    return ask(bank, proto::channelAddress(ch), ' ', item);
}
inline std::string writeItem(ControllerBank& bank, int ch, const std::string& item, qint16 value) {
    return ask(bank, proto::channelAddress(ch), 'P', item, proto::hex4(value));
}
// The value of an acknowledged read, or -99999 when the reply is no acknowledge.
inline int readValue(ControllerBank& bank, int ch, const std::string& item) {
    const std::string r = readItem(bank, ch, item);
    if (r.size() != 12 || r[0] != proto::ACK) return -99999;
    return *proto::parseHex4(r.substr(8, 4));
}
inline quint16 status(ControllerBank& bank, int ch) {
    return static_cast<quint16>(readValue(bank, ch, "0085"));
}

}  // namespace qvx::sim::test
