#include "setting_limits.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "settings_store.h"
#include "value_format.h"

namespace qvx {

namespace {

using fmt::isLinearInput;
using fmt::isOneDecimalInput;

// Items that a linear input or a one-decimal type shows in tenths.
bool isScaledItem(int k) {
    switch (k) {
    case 10: case 19: case 20: case 21: case 22: case 25: case 29: case 30:
        return true;
    default:
        return false;
    }
}


// Raw input range of the sensor types 0..29: {high, low}.
constexpr std::array<Limits, 30> kSensorRange = {{
    {1370, -200},  {5000, -1999}, {1000, -200}, {1760, 0},     {1760, 0},
    {1820, 0},     {800, -200},   {4000, -1999}, {1300, -200}, {1390, 0},
    {2315, 0},     {8500, -1999}, {5000, -1999}, {850, -200},  {500, -200},
    {2500, -320},  {9320, -1999}, {1800, -320}, {3200, 0},     {3200, 0},
    {3300, 0},     {1500, -320},  {7500, -1999}, {2300, -320}, {2500, 0},
    {4200, 0},     {9999, -1999}, {9000, -1999}, {1500, -300}, {900, -300},
}};

// Type word bit that widens the main output limits to -5..105.
inline constexpr quint16 kTypeWideOutput = 0x10;

inline constexpr qint32 kCapHigh = 9999;
inline constexpr qint32 kCapLow = -1999;

qint16 saturate16(qint64 v) {
    return static_cast<qint16>(std::clamp<qint64>(v, -32768, 32767));
}

// The nearest integer of w, halves to the even neighbour, saturated to 16 bits.
qint16 roundHalfEven16(float w) {
    const double x = w;  // exact
    const double f = std::floor(x);
    const double frac = x - f;  // exact: x has at most 24 significant bits
    double r = f;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1.0;
    if (r <= -32768.0) return -32768;
    if (r >= 32767.0) return 32767;
    return static_cast<qint16>(r);
}

}  // namespace

bool followsDecimalPoint(int k) {
    switch (k) {
    case 10: case 19: case 20: case 21: case 22: case 25: case 27: case 28: case 29: case 30:
        return true;
    default:
        return false;
    }
}

Limits Range_Sensor(const QVX720_INC& s, int ch, int k) {
    const int t = s.ParaData(ch, Item::InputType);
    if (t >= 0 && t < static_cast<int>(kSensorRange.size())) return kSensorRange[static_cast<std::size_t>(t)];
    if (k == Item::ScalingHigh || k == Item::ScalingLow) return {static_cast<qint16>(kCapHigh), static_cast<qint16>(kCapLow)};
    return {s.ParaData(ch, Item::ScalingHigh), s.ParaData(ch, Item::ScalingLow)};
}

Limits Range_Alarm(const QVX720_INC& s, int ch, int k) {
    const qint32 high = s.ParaData(ch, Item::ScalingHigh);
    const qint32 low = s.ParaData(ch, Item::ScalingLow);
    const qint32 span = high - low;  // fits in 32 bits for any pair

    int typeItem = -1;
    switch (k) {
    case 19: typeItem = 39; break;
    case 20: typeItem = 40; break;
    case 21: typeItem = 58; break;
    case 22: typeItem = 59; break;
    default: break;
    }
    const int a = typeItem < 0 ? 0 : s.ParaData(ch, typeItem);

    qint32 max = high;
    qint32 min = low;
    switch (a) {
    case 1: case 2: case 7: case 8:  // high / low limit alarm, with or without standby
        max = span;
        min = -span;
        break;
    case 3: case 4: case 9:  // high/low limits, range; limits with standby
        max = span;
        min = 0;
        break;
    default:  // no alarm action, process alarms, unknown codes
        break;
    }
    if (max > kCapHigh) max = kCapHigh;
    if (min < kCapLow) min = kCapLow;
    return {saturate16(max), saturate16(min)};
}

Limits manualResetLimits(const QVX720_INC& s, int ch) {
    const int t = s.ParaData(ch, Item::InputType);
    const qint16 rawLow = s.ParaData(ch, Item::ScalingLow);
    const qint16 rawHigh = s.ParaData(ch, Item::ScalingHigh);
    float lo = rawLow;
    float hi = rawHigh;
    if (isOneDecimalInput(t)) {
        lo = static_cast<float>(rawLow / 10.0);
        hi = static_cast<float>(rawHigh / 10.0);
    }
    // Single precision throughout, one rounding per step.
    const float span = hi - lo;
    const float product = span * static_cast<float>(s.ParaData(ch, 12));
    const float w = product / 100.0f;

    Limits r;
    r.min = -w < static_cast<float>(kCapLow) ? static_cast<qint16>(kCapLow) : roundHalfEven16(-w);
    r.max = w > static_cast<float>(kCapHigh) ? static_cast<qint16>(kCapHigh) : roundHalfEven16(w);
    return r;
}

QString rangeText(const QVX720_INC& s, int k, int ch, qint16 low, qint16 high, bool dec1) {
    const int t = s.ParaData(ch, Item::InputType);
    if (t >= 30 && followsDecimalPoint(k)) {
        const int d = s.ParaData(ch, Item::DecimalPoint);
        if (d < 0 || d > 3) return QString();
        return fmt::decimals(low, d) + QStringLiteral(" to ") + fmt::decimals(high, d);
    }
    if (dec1) return fmt::decimals(low, 1) + QStringLiteral(" to ") + fmt::decimals(high, 1);
    return fmt::plainSigned(low) + QStringLiteral(" to ") + fmt::plainSigned(high);
}

SettingRange settingRange(const QVX720_INC& s, int k, int ch, const QString& nowText) {
    const auto P = [&](int n) -> qint16 { return s.ParaData(ch, n); };
    const int t = P(Item::InputType);
    const bool linear = isLinearInput(t);
    const bool oneDecimal = isOneDecimalInput(t);
    const bool option80 = (static_cast<quint16>(s.Monitor_Data.OptionData(ch)) & OptionBit::SmallHeaterRange) != 0;
    const bool type10 = (static_cast<quint16>(s.Monitor_Data.TypeData(ch)) & kTypeWideOutput) != 0;

    SettingRange r;
    r.Set_Max = s.Edit_Context.Set_Max;
    r.Set_Min = s.Edit_Context.Set_Min;
    r.Set_Dec1 = isScaledItem(k) && (linear || oneDecimal);
    r.Now_data = nowText;

    const auto set = [&r](qint32 max, qint32 min) {
        r.Set_Max = saturate16(max);
        r.Set_Min = saturate16(min);
    };

    switch (k) {
    case 10:
        set(P(Item::ScalingHigh), P(Item::ScalingLow));
        break;
    case 12:
        if (linear) set(1000, 0);
        else if (oneDecimal) set(9999, 0);
        else set(t > 14 ? 2000 : 1000, 0);
        r.Set_Dec1 = linear || oneDecimal;
        break;
    case 13:
        set(100, 0);
        r.Set_Dec1 = true;
        break;
    case 14:
        set(1000, 0);
        break;
    case 15:
        set(300, 0);
        break;
    case 16: case 17:
        set(120, 1);
        break;
    case Item::ManualReset: {
        const Limits m = manualResetLimits(s, ch);
        set(m.max, m.min);
        r.Set_Dec1 = true;
        break;
    }
    case 19: case 20: case 21: case 22: {
        const Limits a = Range_Alarm(s, ch, k);
        set(a.max, a.min);
        break;
    }
    case 23: case 62:
        set(option80 ? 200 : 1000, 0);
        r.Set_Dec1 = true;
        break;
    case 24:
        set(200, 0);
        break;
    case 25:
        set(r.Set_Dec1 ? 1500 : 150, 0);
        break;
    case 27: case 28:
        set(1000, -1000);
        r.Set_Dec1 = true;
        break;
    case Item::ScalingHigh:
        set(Range_Sensor(s, ch, k).max, P(Item::ScalingLow));
        break;
    case Item::ScalingLow:
        set(P(Item::ScalingHigh), Range_Sensor(s, ch, k).min);
        break;
    case 31:
        set(100, 0);
        r.Set_Dec1 = true;
        break;
    case 32:
        set(type10 ? 105 : 100, P(33));
        break;
    case 33:
        set(P(32), type10 ? -5 : 0);
        break;
    case 34: case 38: case 41: case 42: case 43: case 44:
        set(1000, 1);
        r.Set_Dec1 = true;
        break;
    case 36:
        set(100, P(37));
        break;
    case 37:
        set(P(36), 0);
        break;
    case 45: case 46: case 47: case 48:
        set(9999, 0);
        break;
    case 56: {
        qint32 base = 0;
        if (t >= 0 && t <= 14) base = 50;
        else if (t >= 15 && t <= 29) base = 100;
        set(oneDecimal ? base * 10 : base, 0);
        r.Set_Dec1 = oneDecimal;
        break;
    }
    case 57:
        set(100, 0);
        break;
    default:  // selection items and items without limits keep the old ones
        r.Set_Dec1 = false;
        break;
    }

    r.Limit_data = rangeText(s, k, ch, r.Set_Min, r.Set_Max, r.Set_Dec1);
    return r;
}

SettingRange Range_Set(QVX720_INC& s, const QString& nowText) {
    EditContext& e = s.Edit_Context;
    SettingRange r = settingRange(s, e.Set_Item, e.Set_Ch, nowText);
    e.Set_Max = r.Set_Max;
    e.Set_Min = r.Set_Min;
    e.Set_Dec1 = r.Set_Dec1;
    return r;
}

void Setdata_Write(QVX720_INC& s, SettingsStore& store, bool reRead) {
    const int k = s.Edit_Context.Set_Item;
    const int ch = s.Edit_Context.Set_Ch;
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    if (k == Item::Unit) {
        store.save(QStringLiteral("UNIT") + channelKey3(ch), s.UnitText(ch));
        return;
    }
    if (k == Item::DecimalPoint) {
        store.save(QStringLiteral("Decimalpoint") + channelKey3(ch), QString::number(s.DecimalData(ch)));
        return;
    }
    queueSingleWrite(s, ch, k, reRead);
}

qint16 Zero_Under(qint16& v) {
    if (v < 0) v = 0;
    return v;
}

}  // namespace qvx
