#include "input_types.h"

#include <array>

namespace qvx::sim {

namespace {
// Raw low and high limit of each sensor type 0..29.
constexpr std::array<Range, 30> kSensorRanges = {{
    {-200, 1370}, {-1999, 5000}, {-200, 1000}, {0, 1760},    {0, 1760},     {0, 1820},
    {-200, 800},  {-1999, 4000}, {-200, 1300}, {0, 1390},    {0, 2315},     {-1999, 8500},
    {-1999, 5000}, {-200, 850},  {-200, 500},  {-320, 2500}, {-1999, 9320}, {-320, 1800},
    {0, 3200},    {0, 3200},     {0, 3300},    {-320, 1500}, {-1999, 7500}, {-320, 2300},
    {0, 2500},    {0, 4200},     {-1999, 9999}, {-1999, 9000}, {-300, 1500}, {-300, 900},
}};
}  // namespace

bool isOneDecimalType(int t) {
    switch (t) {
    case 1: case 7: case 11: case 12: case 16: case 22: case 26: case 27: return true;
    default: return false;
    }
}

bool isLinearType(int t) { return t >= 30 && t <= kMaxInputType; }

bool isFahrenheitType(int t) { return t >= 15 && t <= 29; }

std::optional<Range> sensorRange(int t) {
    if (t < 0 || t >= static_cast<int>(kSensorRanges.size())) return std::nullopt;
    return kSensorRanges[static_cast<std::size_t>(t)];
}

}  // namespace qvx::sim
