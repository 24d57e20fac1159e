// Input types of a controller channel (setting item 54) and what follows from
// them: whether values are kept in tenths, and the measuring range.
#pragma once

#include <QtGlobal>
#include <optional>

namespace qvx::sim {

inline constexpr int kMaxInputType = 35;

// Thermocouple and resistance types whose values are kept in tenths of a degree.
bool isOneDecimalType(int t);
// Current and voltage inputs (30..35), scaled by settings 29 (high) and 30 (low).
bool isLinearType(int t);
// Fahrenheit sensor types 15..29.
bool isFahrenheitType(int t);

struct Range {
    qint16 low = 0;
    qint16 high = 0;
};
// Measuring range of a sensor type 0..29 in raw units; nothing for linear inputs.
std::optional<Range> sensorRange(int t);

}  // namespace qvx::sim
