// Colours as the controllers' configuration keeps them: a 32-bit value with
// red in the low byte (0x00BBGGRR).
#pragma once

#include <QColor>
#include <QtGlobal>

namespace qvx {

inline QColor oleToColor(qint32 ole) {
    const auto v = static_cast<quint32>(ole);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline qint32 colorToOle(const QColor& c) {
    return qint32(quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16));
}

namespace Ole {
inline constexpr qint32 White = 0xFFFFFF;
inline constexpr qint32 Red = 0x0000FF;
inline constexpr qint32 Green = 0x00C000;
inline constexpr qint32 Yellow = 0x00FFFF;
inline constexpr qint32 LightYellow = 0x80FFFF;
inline constexpr qint32 Blue = 0xFF0000;
inline constexpr qint32 Grey = 0xC0C0C0;
}  // namespace Ole

}  // namespace qvx
