// Frame format of the controller line (see docs/protocol.md).
// Plain C++ without Qt so that the decoder can be fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvx::proto {

inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char ACK = 0x06;
inline constexpr char NAK = 0x15;
inline constexpr char ESC = 0x1B;

inline constexpr std::size_t kReplyFrameSize = 15;  // K .. ETX BCC BCC
inline constexpr std::size_t kReplyTextSize = 12;   // K .. data, what the program sees

// Negative-acknowledge error codes (third character of a reply).
inline constexpr char ErrUnknownCommand = '1';
inline constexpr char ErrUnknownItem = '2';
inline constexpr char ErrOutOfRange = '3';
inline constexpr char ErrNotWritable = '4';
inline constexpr char ErrKeyOperation = '5';

enum class ReplyClass { None, Ack, Nak, ChecksumError };

// Class of a reply text by its first character.
ReplyClass replyClass(std::string_view replyText);

// Two upper-case hexadecimal digits of the byte sum modulo 256.
std::string bcc(std::string_view bytes);

bool isHexDigit(char c);
bool isHex4(std::string_view s);

// Four hex digits read as a signed 16-bit value. "" gives 0; anything that is
// not one to four hexadecimal digits gives no value.
std::optional<int16_t> parseHex4(std::string_view s);
// Four upper-case hexadecimal digits of a 16-bit two's-complement value.
std::string hex4(int16_t value);

// Address character of a channel (0..94) and back; -1 for a character outside.
char channelAddress(int ch);
int channelOfAddress(char address);

struct Request {
    char address = ' ';
    char subAddress = ' ';
    char command = ' ';   // ' ' read, 'P' write, 'a', 'q'
    std::string item;     // 4 hex digits; empty for 'a'
    std::string data;     // 4 characters for 'P' and 'q'; empty otherwise
};

// Whole request frame STX..BCC, or "" when the fields cannot form a frame.
std::string encodeRequest(const Request& r);

enum class ParseStatus { Ok, BadChecksum, Malformed };
struct ParsedRequest {
    ParseStatus status = ParseStatus::Malformed;
    Request request;  // address is filled whenever the frame had one
};
// Decodes one complete request frame (from STX through the two BCC characters).
ParsedRequest decodeRequest(std::string_view frame);

// Controller side: finds the end (one past the last BCC character) of the first
// complete request frame in buf, which must start with STX. Frames longer than
// any valid request are reported as complete so that the reader can resync.
std::optional<std::size_t> requestFrameLength(std::string_view buf);

struct Reply {
    char klass = ACK;
    char address = ' ';
    char error = '0';
    char command = ' ';
    std::string item = "0000";
    std::string data = "0000";
};
// The 15-byte frame and the 12-character text the program sees.
std::string encodeReply(const Reply& r);
std::string replyText(const Reply& r);

// Builds the reply the communication object returns for a complete 15-byte
// frame: the 12-character text, or a text led by ESC for a wrong BCC or a
// malformed body.
struct DecodedReply {
    bool good = false;  // BCC right and body well formed
    std::string text;   // 12 characters
};
DecodedReply decodeReplyFrame(std::string_view frame15);

// True when the reply text echoes address, command and item of the request.
bool echoMatches(std::string_view replyText, const Request& r);

// Collects reply bytes from the line and cuts frames out of them.
class ReplyScanner {
public:
    void feed(std::string_view bytes) { buf_.append(bytes); }
    void clear() { buf_.clear(); }
    // Skips noise before a class character; returns the next complete frame
    // decoded, or nothing when no complete frame is buffered yet.
    std::optional<DecodedReply> next();
    std::size_t buffered() const { return buf_.size(); }

private:
    std::string buf_;
};

}  // namespace qvx::proto
