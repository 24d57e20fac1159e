// Reply classes and the four-hex-digit value form of the line, for QString texts.
#pragma once

#include <QString>
#include <optional>

#include "protocol.h"

namespace qvx {

using proto::ReplyClass;

// Class of a reply text by its first character (ACK, NAK, ESC, anything else).
ReplyClass replyClassOf(const QString& reply);

// Four hexadecimal digits as a signed 16-bit value ("FFFF" -1, "" 0). Text
// that is not one to four hexadecimal digits gives 0.
qint16 Hex4_Value(const QString& field);
// The same, telling a text that is no number apart from 0.
std::optional<qint16> parseHex4(const QString& field);
// Four upper-case hexadecimal digits of a 16-bit value (10 "000A", -200 "FF38").
QString Hex4_Text(qint16 value);

// Address character of channel ch (0..94): the character with code ch + 32.
QString channelAddress(int ch);

}  // namespace qvx
