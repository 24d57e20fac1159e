#include "value_format.h"

#include "qvx720_inc.h"
#include "string_table.h"

namespace qvx {

namespace fmt {

QString decimals(qint32 v, int places)
{
    static constexpr qint64 kScale[] = {1, 10, 100, 1000};
    if (places < 0 || places > 3)
        return {};
    // Work on the magnitude in 64 bits so that the most negative value has
    // one too.
    const qint64 wide = v;
    const qint64 magnitude = wide < 0 ? -wide : wide;
    const qint64 scale = kScale[places];
    QString text = QString::number(magnitude / scale);
    if (places > 0) {
        text += u'.';
        text += QString::number(magnitude % scale).rightJustified(places, u'0');
    }
    if (wide < 0)
        text.prepend(u'-');
    return text;
}

QString plain(qint32 v)
{
    return QString::number(v);
}

QString plainSigned(qint32 v)
{
    return v < 0 ? QString::number(v) : u' ' + QString::number(v);
}

InputClass inputClass(int t)
{
    switch (t) {
    case 1: case 7: case 11: case 12: case 16: case 22: case 26: case 27:
        return InputClass::OneDecimal;
    case 30: case 31: case 32: case 33: case 34: case 35:
        return InputClass::Linear;
    default:
        return InputClass::Whole;
    }
}

QString byInputType(qint32 v, int t, int d)
{
    switch (inputClass(t)) {
    case InputClass::OneDecimal:
        return decimals(v, 1);
    case InputClass::Linear:
        return decimals(v, d);
    case InputClass::Whole:
        break;
    }
    return plain(v);
}

QString sensorUnit(const StringTable& st, int t)
{
    if (t >= 0 && t <= 14)
        return st.text(215);
    if (t >= 15 && t <= 29)
        return st.text(216);
    return {};
}

QString decimalPointName(int d)
{
    switch (d) {
    case 0: return QStringLiteral("XXXX");
    case 1: return QStringLiteral("XXX. X");
    case 2: return QStringLiteral("XX. XX");
    case 3: return QStringLiteral("X. XXX");
    default: return {};
    }
}

}  // namespace fmt

namespace {

bool validChannel(int ch) { return ch >= 0 && ch < kChannels; }
bool validItem(int k) { return k >= 0 && k < kItems; }

// The raw value behind item k of channel ch.
qint16 rawValue(const QVX720_INC& s, int k, int ch)
{
    const MonitorData& m = s.Monitor_Data;
    switch (k) {
    case 0: return m.PvData(ch);
    case 1: return m.MvData(ch);
    case 2: return m.CoolMvData(ch);
    case 3: return m.StatusData(ch);
    case 4: return m.Ct1Data(ch);
    case 5: return m.Ct2Data(ch);
    case 7: return m.OptionData(ch);
    case 8: return m.TypeData(ch);
    default: return s.ParaData(ch, k);
    }
}

QString memorySaveName(const StringTable& st, int v)
{
    if (v >= 0 && v <= 2)
        return st.text(244);  // "Save"
    if (v == 3)
        return st.text(245);  // "No save"
    return {};
}

QString coolingModeName(const StringTable& st, int v)
{
    switch (v) {
    case 0: return st.text(217);  // air
    case 1: return st.text(218);  // oil
    case 2: return st.text(219);  // water
    default: return {};
    }
}

QString energizedName(const StringTable& st, int v)
{
    return v != 0 ? st.text(243) : st.text(242);
}

QString holdName(const StringTable& st, int v)
{
    return v != 0 ? st.text(269) : st.text(268);
}

QString actionName(const StringTable& st, int v)
{
    return v != 0 ? st.text(214) : st.text(213);
}

struct SensorRangeText {
    const char* range;   // ends in a blank
    const char* sensor;  // begins with a blank; nullptr: a blank and string 565
};

// Input types 0..29; 15..29 are 0..14 in Fahrenheit.
constexpr SensorRangeText kSensorRanges[30] = {
    {"-200 to 1370 ", " K"},
    {"-199.9 to 500.0 ", " K"},
    {"-200 to 1000 ", " J"},
    {"0 to 1760 ", " R"},
    {"0 to 1760 ", " S"},
    {"0 to 1820 ", " B"},
    {"-200 to 800 ", " E"},
    {"-199.9 to 400.0 ", " T"},
    {"-200 to 1300 ", " N"},
    {"0 to 1390 ", nullptr},
    {"0 to 2315 ", " C(W/Re5-26)"},
    {"-199.9 to 850.0 ", " Pt100"},
    {"-199.9 to 500.0 ", " JPt100"},
    {"-200 to 850 ", " Pt100"},
    {"-200 to 500 ", " JPt100"},
    {"-320 to 2500 ", " K"},
    {"-199.9 to 932.0 ", " K"},
    {"-320 to 1800 ", " J"},
    {"0 to 3200 ", " R"},
    {"0 to 3200 ", " S"},
    {"0 to 3300 ", " B"},
    {"-320 to 1500 ", " E"},
    {"-199.9 to 750.0 ", " T"},
    {"-320 to 2300 ", " N"},
    {"0 to 2500 ", nullptr},
    {"0 to 4200 ", " C(W/Re5-26)"},
    {"-199.9 to 999.9 ", " Pt100"},
    {"-199.9 to 900.0 ", " JPt100"},
    {"-300 to 1500 ", " Pt100"},
    {"-300 to 900 ", " JPt100"},
};

// Signals of the DC inputs 30..35.
constexpr const char* kSignals[6] = {
    " DC 4 to 20mA", " DC 0 to 20mA", " DC 0 to 1V",
    " DC 0 to 5V",   " DC 1 to 5V",   " DC 0 to 10V",
};

}  // namespace

QString Disp_Data(const QVX720_INC& s, const StringTable& st, int k, int ch)
{
    // A value from before the channel's clear command is no value now.
    if (!validItem(k) || !validChannel(ch) || !s.current(ch, k))
        return {};
    const int v = rawValue(s, k, ch);
    const int t = s.ParaData(ch, Item::InputType);
    const int d = s.ParaData(ch, Item::DecimalPoint);

    switch (k) {
    // By input type.
    case 0: case 3: case 6: case 7: case 8: case 9: case 10:
    case 19: case 20: case 21: case 22: case 25: case 29: case 30:
    case 49: case 56: case 64:
        return fmt::byInputType(v, t, d);

    // Kept in tenths on every input type.
    case 1: case 2: case 4: case 5: case 12: case 13: case 18: case 23: case 31: case 62:
        return fmt::decimals(v, 1);

    // Plain integers.
    case 11: case 14: case 15: case 16: case 17: case 24: case 32: case 33:
    case 36: case 37: case 45: case 46: case 47: case 48: case 57:
        return fmt::plain(v);

    // Decimal point on a linear input, tenths on every sensor type.
    case 27: case 28: case 34: case 38: case 41: case 42: case 43: case 44:
        return fmt::isLinearInput(t) ? fmt::decimals(v, d) : fmt::decimals(v, 1);

    case 26: return memorySaveName(st, v);
    case 35: return coolingModeName(st, v);
    case 39: case 40: case 58: case 59: return Alarm_Name(st, v);
    case 50: return v != 0 ? st.text(161) : st.text(160);
    case 51: return energizedName(st, v);
    case 52: case 53: case 60: case 61: return holdName(st, v);
    case 54: return MakeRange(s, st, ch);
    case 55: return actionName(st, v);
    case 63: return v != 0 ? st.text(165) : st.text(164);
    case 65: return s.UnitText(ch);
    case 66: return fmt::decimalPointName(v);
    default: return {};  // every item 0..66 is handled above
    }
}

QString Disp_SelData(const QVX720_INC& s, const StringTable& st, int k)
{
    if (!validItem(k))
        return {};
    const int v = s.AllPage_Data.AllParaData(k);

    switch (k) {
    case 26: return memorySaveName(st, v);
    case 35: return coolingModeName(st, v);
    case 39: case 40: case 58: case 59: return Alarm_Name(st, v);
    case 49:
        if (v == 0) return st.text(317);
        if (v == 1) return st.text(318);
        return {};
    case 50:
        if (v == 0) return st.text(160);
        if (v == 1) return st.text(161);
        return {};
    case 51: return energizedName(st, v);
    case 52: case 53: case 60: case 61: return holdName(st, v);
    case 55: return actionName(st, v);
    case 63:
        if (v == 0) return st.text(164);
        if (v == 1) return st.text(165);
        return {};
    case 65: return s.AllPage_Data.AllUnitText;
    case 66: return fmt::decimalPointName(v);
    default: return fmt::plain(v);
    }
}

QString Alarm_Name(const StringTable& st, int code)
{
    switch (code) {
    case 0: return st.text(200);
    case 1: return st.text(201);
    case 2: return st.text(203);
    case 3: return st.text(205);
    case 4: return st.text(207);
    case 5: return st.text(209);
    case 6: return st.text(211);
    case 7: return st.text(202);
    case 8: return st.text(204);
    case 9: return st.text(206);
    default: return {};
    }
}

bool FileSize_Chk(qint32 n)
{
    return n > 300;
}

QString MakeRange(const QVX720_INC& s, const StringTable& st, int ch)
{
    if (!validChannel(ch))
        return {};
    const int t = s.ParaData(ch, Item::InputType);
    if (t >= 0 && t < 30) {
        const SensorRangeText& r = kSensorRanges[t];
        const QString sensor =
            r.sensor ? QString::fromLatin1(r.sensor) : u' ' + st.text(565);
        return QString::fromLatin1(r.range) + fmt::sensorUnit(st, t) + sensor;
    }
    if (t >= 30 && t < fmt::kInputTypes) {
        return Disp_Data(s, st, Item::ScalingLow, ch) + QStringLiteral(" to ")
               + Disp_Data(s, st, Item::ScalingHigh, ch) + QString::fromLatin1(kSignals[t - 30]);
    }
    return {};
}

}  // namespace qvx
