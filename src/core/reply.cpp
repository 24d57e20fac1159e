#include "reply.h"

#include "bounded.h"

namespace qvx {

ReplyClass replyClassOf(const QString& reply) {
    if (reply.isEmpty()) return ReplyClass::None;
    const char16_t c = reply.front().unicode();
    if (c >= 0x80) return ReplyClass::None;
    const char ch = static_cast<char>(c);
    return proto::replyClass(std::string_view(&ch, 1));
}

std::optional<qint16> parseHex4(const QString& field) {
    if (field.size() > 4) return std::nullopt;
    std::string s;
    for (QChar c : field) {
        if (c.unicode() >= 0x80) return std::nullopt;
        s += static_cast<char>(c.unicode());
    }
    return proto::parseHex4(s);
}

qint16 Hex4_Value(const QString& field) { return parseHex4(field).value_or(0); }

QString Hex4_Text(qint16 value) { return QString::fromLatin1(proto::hex4(value).c_str()); }

QString channelAddress(int ch) {
    if (ch < 0 || ch > 94) throwIndexError("channel", ch, 95);
    return QString(QChar(0x20 + ch));
}

}  // namespace qvx
