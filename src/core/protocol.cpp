#include "protocol.h"

#include <array>

namespace qvx::proto {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";

bool isClassChar(char c) { return c == ACK || c == NAK || c == ESC; }
bool isAddressChar(char c) { return c >= 0x20 && c <= 0x7E; }
bool isCommand(char c) { return c == ' ' || c == 'P' || c == 'a' || c == 'q'; }
bool isPrintable(std::string_view s) {
    for (char c : s)
        if (!isAddressChar(c)) return false;
    return true;
}
}  // namespace

ReplyClass replyClass(std::string_view t) {
    if (t.empty()) return ReplyClass::None;
    switch (t.front()) {
    case ACK: return ReplyClass::Ack;
    case NAK: return ReplyClass::Nak;
    case ESC: return ReplyClass::ChecksumError;
    default: return ReplyClass::None;
    }
}

std::string bcc(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<unsigned char>(c);
    sum &= 0xFF;
    return {kHex[sum >> 4], kHex[sum & 0xF]};
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isHex4(std::string_view s) {
    if (s.size() != 4) return false;
    for (char c : s)
        if (!isHexDigit(c)) return false;
    return true;
}

std::optional<int16_t> parseHex4(std::string_view s) {
    if (s.empty()) return int16_t{0};
    if (s.size() > 4) return std::nullopt;
    unsigned v = 0;
    for (char c : s) {
        if (!isHexDigit(c)) return std::nullopt;
        unsigned d = (c <= '9') ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
        v = (v << 4) | d;
    }
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}

std::string hex4(int16_t value) {
    const auto u = static_cast<uint16_t>(value);
    return {kHex[(u >> 12) & 0xF], kHex[(u >> 8) & 0xF], kHex[(u >> 4) & 0xF], kHex[u & 0xF]};
}

char channelAddress(int ch) { return static_cast<char>(0x20 + ch); }

int channelOfAddress(char address) {
    const int ch = static_cast<unsigned char>(address) - 0x20;
    return (ch >= 0 && ch <= 94) ? ch : -1;
}

std::string encodeRequest(const Request& r) {
    if (!isAddressChar(r.address) || !isAddressChar(r.subAddress) || !isCommand(r.command))
        return {};
    const bool hasItem = r.command != 'a';
    const bool hasData = r.command == 'P' || r.command == 'q';
    if (hasItem ? !isHex4(r.item) : !r.item.empty()) return {};
    if (hasData ? (r.data.size() != 4 || !isPrintable(r.data)) : !r.data.empty()) return {};
    std::string f;
    f.reserve(16);
    f += STX;
    f += r.address;
    f += r.subAddress;
    f += r.command;
    f += r.item;
    f += r.data;
    f += ETX;
    f += bcc(std::string_view(f).substr(1));
    return f;
}

std::optional<std::size_t> requestFrameLength(std::string_view buf) {
    if (buf.empty() || buf.front() != STX) return std::nullopt;
    // The longest valid request: STX a s c iiii dddd ETX b b = 15 bytes.
    const std::size_t limit = std::min<std::size_t>(buf.size(), 16);
    for (std::size_t i = 1; i < limit; ++i) {
        if (buf[i] == ETX) {
            if (buf.size() >= i + 3) return i + 3;
            return std::nullopt;
        }
    }
    if (buf.size() >= 16) return std::size_t{16};  // no ETX where one must be
    return std::nullopt;
}

ParsedRequest decodeRequest(std::string_view f) {
    ParsedRequest out;
    if (f.size() < 7 || f.front() != STX) return out;
    out.request.address = f[1];
    const std::size_t etx = f.size() - 3;
    if (f[etx] != ETX) return out;
    const std::string_view body = f.substr(1, etx);  // address .. ETX
    if (bcc(body) != f.substr(etx + 1)) {
        out.status = ParseStatus::BadChecksum;
        return out;
    }
    const std::string_view fields = f.substr(1, etx - 1);  // address .. last data char
    if (fields.size() < 3) return out;
    Request& r = out.request;
    r.subAddress = fields[1];
    r.command = fields[2];
    const std::string_view rest = fields.substr(3);
    bool ok = isAddressChar(r.address) && isCommand(r.command);
    if (ok) {
        switch (r.command) {
        case ' ':
            ok = rest.size() == 4 && isHex4(rest);
            r.item = std::string(rest);
            break;
        case 'P':
        case 'q':
            ok = rest.size() == 8 && isHex4(rest.substr(0, 4)) && isPrintable(rest.substr(4));
            if (ok) {
                r.item = std::string(rest.substr(0, 4));
                r.data = std::string(rest.substr(4));
            }
            break;
        case 'a':
            ok = rest.empty();
            break;
        }
    }
    out.status = ok ? ParseStatus::Ok : ParseStatus::Malformed;
    return out;
}

std::string replyText(const Reply& r) {
    std::string t;
    t.reserve(kReplyTextSize);
    t += r.klass;
    t += r.address;
    t += r.error;
    t += r.command;
    t += r.item;
    t += r.data;
    return t;
}

std::string encodeReply(const Reply& r) {
    std::string f = replyText(r);
    f += ETX;
    f += bcc(f);
    return f;
}

DecodedReply decodeReplyFrame(std::string_view f) {
    DecodedReply out;
    if (f.size() < kReplyFrameSize) return out;
    f = f.substr(0, kReplyFrameSize);
    const std::string_view text = f.substr(0, kReplyTextSize);
    const bool framed = isClassChar(f[0]) && f[12] == ETX && bcc(f.substr(0, 13)) == f.substr(13, 2);
    const bool body = isAddressChar(text[1]) && isCommand(text[3]) && isHex4(text.substr(4, 4)) &&
                      isHex4(text.substr(8, 4)) && text[2] >= '0' && text[2] <= '9';
    out.good = framed && body;
    if (out.good) {
        out.text = std::string(text);
    } else {
        // The controller's answer could not be trusted: report a checksum error,
        // keeping the address so that the history names the right channel.
        out.text = std::string(1, ESC) + std::string(text.substr(1));
        for (std::size_t i = 1; i < out.text.size(); ++i)
            if (!isAddressChar(out.text[i])) out.text[i] = '?';
    }
    return out;
}

bool echoMatches(std::string_view t, const Request& r) {
    if (t.size() < kReplyTextSize) return false;
    if (t[1] != r.address) return false;
    if (t[0] == ESC) return true;  // the controller could not read the rest of our frame
    if (t[3] != r.command) return false;
    const std::string_view item = t.substr(4, 4);
    if (r.command == 'a') return item == "0000";
    if (item.size() != r.item.size()) return false;
    for (std::size_t i = 0; i < item.size(); ++i)
        if ((item[i] | 0x20) != (r.item[i] | 0x20)) return false;
    return true;
}

std::optional<DecodedReply> ReplyScanner::next() {
    std::size_t start = 0;
    while (start < buf_.size() && !isClassChar(buf_[start])) ++start;
    buf_.erase(0, start);
    if (buf_.size() < kReplyFrameSize) return std::nullopt;
    DecodedReply d = decodeReplyFrame(buf_);
    buf_.erase(0, kReplyFrameSize);
    return d;
}

}  // namespace qvx::proto
