#include <gtest/gtest.h>

#include "protocol.h"
#include "reply.h"

using namespace qvx;
using namespace qvx::proto;

TEST(Hex4, ValueBothWays) {
    const struct { const char* text; int value; } table[] = {
        {"0000", 0}, {"000A", 10}, {"012C", 300}, {"7FFF", 32767}, {"8000", -32768},
        {"FFFF", -1}, {"FF38", -200}, {"ffff", -1}, {"", 0}};
    for (auto e : table) {
        EXPECT_EQ(Hex4_Value(QString::fromLatin1(e.text)), e.value) << e.text;
        if (*e.text && e.text[0] != 'f') {
            EXPECT_EQ(Hex4_Text(static_cast<qint16>(e.value)), QString::fromLatin1(e.text).toUpper());
        }
    }
    EXPECT_EQ(Hex4_Text(10), QStringLiteral("000A"));
    EXPECT_EQ(Hex4_Text(-200), QStringLiteral("FF38"));
}

TEST(Hex4, GarbageGivesNoValueAndNoCrash) {
    for (const char* g : {"12G4", "12345", "-001", " 12 ", "\x80\x81", "zz"}) {
        EXPECT_FALSE(parseHex4(QString::fromLatin1(g)).has_value()) << g;
        EXPECT_EQ(Hex4_Value(QString::fromLatin1(g)), 0);
    }
    EXPECT_EQ(Hex4_Value(QStringLiteral("\u3042\u3044")), 0);
}

TEST(ReplyClass, ByFirstCharacter) {
    EXPECT_EQ(replyClassOf(QString()), ReplyClass::None);
    EXPECT_EQ(replyClassOf(QString(QChar(6)) + "x"), ReplyClass::Ack);
    EXPECT_EQ(replyClassOf(QString(QChar(21))), ReplyClass::Nak);
    EXPECT_EQ(replyClassOf(QString(QChar(27))), ReplyClass::ChecksumError);
    EXPECT_EQ(replyClassOf(QStringLiteral("A")), ReplyClass::None);
    EXPECT_EQ(replyClassOf(QStringLiteral("\u0106")), ReplyClass::None);
}

TEST(Frames, KnownRequestVectors) {
    // BCC: sum of every byte after STX through ETX, modulo 256.
    const struct { Request r; const char* frame; } table[] = {
        {{' ', ' ', ' ', "0080", ""}, "\x02   0080\x03" "2B"},
        {{'!', ' ', 'P', "0001", "012C"}, "\x02! P0001012C\x03" "2B"},
        {{' ', ' ', 'a', "", ""}, "\x02  a\x03" "A4"},
        {{'~', ' ', 'q', "0000", "0000"}, "\x02~ q00000000\x03" "92"},
        {{' ', ' ', 'P', "0000", "9865"}, "\x02  P00009865\x03" "2F"},
    };
    for (const auto& e : table) {
        EXPECT_EQ(encodeRequest(e.r), std::string(e.frame));
        const auto back = decodeRequest(e.frame);
        EXPECT_EQ(back.status, ParseStatus::Ok);
        EXPECT_EQ(back.request.command, e.r.command);
        EXPECT_EQ(back.request.item, e.r.item);
        EXPECT_EQ(back.request.data, e.r.data);
    }
}

TEST(Frames, ImpossibleRequestsGiveNoFrame) {
    const Request bad[] = {
        {'\x7F', ' ', ' ', "0080", ""},  // address outside the line's characters
        {' ', ' ', 'X', "0080", ""},     // unknown command
        {' ', ' ', ' ', "80", ""},       // short item
        {' ', ' ', ' ', "0080", "1"},    // data on a read
        {' ', ' ', 'P', "0001", "12"},   // short data on a write
        {' ', ' ', 'a', "0000", ""},     // item on "a"
    };
    for (const auto& r : bad) EXPECT_EQ(encodeRequest(r), "");
}

TEST(Frames, ReplyVectorAndDecoder) {
    Reply r{ACK, '!', '0', ' ', "0080", "FF38"};
    const std::string f = encodeReply(r);
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ(f, std::string("\x06!0 0080FF38\x03") + bcc(f.substr(0, 13)));
    const auto d = decodeReplyFrame(f);
    EXPECT_TRUE(d.good);
    EXPECT_EQ(d.text, replyText(r));

    std::string wrongBcc = f;
    wrongBcc[14] = wrongBcc[14] == '0' ? '1' : '0';
    auto w = decodeReplyFrame(wrongBcc);
    EXPECT_FALSE(w.good);
    EXPECT_EQ(w.text.front(), ESC);
    EXPECT_EQ(w.text[1], '!');
    EXPECT_EQ(w.text.size(), 12u);

    std::string badBody = encodeReply({ACK, '!', '0', ' ', "0080", "FG38"});
    EXPECT_FALSE(decodeReplyFrame(badBody).good);
}

TEST(Frames, ScannerSkipsNoiseAndWaitsForWholeFrame) {
    const std::string f = encodeReply({NAK, ' ', '3', 'P', "0001", "0000"});
    ReplyScanner s;
    s.feed("\xFF\x00zz" + f.substr(0, 7));
    EXPECT_FALSE(s.next().has_value());
    s.feed(f.substr(7));
    auto d = s.next();
    ASSERT_TRUE(d.has_value());
    EXPECT_TRUE(d->good);
    EXPECT_EQ(d->text[2], '3');
    EXPECT_FALSE(s.next().has_value());
}

TEST(Frames, EchoMatching) {
    const Request read{'#', ' ', ' ', "0085", ""};
    EXPECT_TRUE(echoMatches(replyText({ACK, '#', '0', ' ', "0085", "0004"}), read));
    EXPECT_TRUE(echoMatches(replyText({NAK, '#', '2', ' ', "0085", "0000"}), read));
    EXPECT_FALSE(echoMatches(replyText({ACK, '$', '0', ' ', "0085", "0004"}), read));
    EXPECT_FALSE(echoMatches(replyText({ACK, '#', '0', ' ', "0080", "0004"}), read));
    EXPECT_FALSE(echoMatches(replyText({ACK, '#', '0', 'P', "0085", "0004"}), read));
    const Request a{'#', ' ', 'a', "", ""};
    EXPECT_TRUE(echoMatches(replyText({ACK, '#', '0', 'a', "0000", "0600"}), a));
}

TEST(Frames, RequestFramer) {
    const std::string f = encodeRequest({' ', ' ', 'P', "0001", "012C"});
    EXPECT_EQ(requestFrameLength(f), f.size());
    EXPECT_FALSE(requestFrameLength(f.substr(0, f.size() - 1)).has_value());
    EXPECT_EQ(requestFrameLength(std::string("\x02") + std::string(20, 'A')), 16u);
    auto bad = f;
    bad[3] = 'Q';
    EXPECT_EQ(decodeRequest(bad).status, ParseStatus::BadChecksum);
}
