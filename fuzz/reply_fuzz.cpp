// Fuzz target: the reply decoder and the four-hex-digit value form must take
// any bytes from the line without crashing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qvx::proto::ReplyScanner scanner;
    // Feed in two pieces, as the line delivers them.
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    scanner.feed(bytes.substr(0, cut));
    while (auto d = scanner.next()) {
        if (d->text.size() != qvx::proto::kReplyTextSize) __builtin_trap();
        (void)qvx::proto::parseHex4(std::string_view(d->text).substr(8, 4));
    }
    scanner.feed(bytes.substr(cut));
    while (auto d = scanner.next()) {
        if (d->text.size() != qvx::proto::kReplyTextSize) __builtin_trap();
        if (d->good && qvx::proto::replyClass(d->text) == qvx::proto::ReplyClass::None) __builtin_trap();
    }
    const auto v = qvx::proto::parseHex4(bytes.substr(0, 6));
    if (v && bytes.size() >= 4 && qvx::proto::isHex4(bytes.substr(0, 4))) {
        // A value that parses must print back to the same digits (upper case).
        const std::string back = qvx::proto::hex4(*qvx::proto::parseHex4(bytes.substr(0, 4)));
        for (int i = 0; i < 4; ++i)
            if (back[i] != (bytes[i] >= 'a' ? bytes[i] - 32 : bytes[i])) __builtin_trap();
    }
    (void)qvx::proto::decodeRequest(bytes);
    (void)qvx::proto::requestFrameLength(bytes);
    return 0;
}
