// The value formatter: the one place that turns a raw 16-bit value of a
// channel into the text that the windows show, the chart plots and the PV log
// writes. It applies the input type, the decimal point, the fixed scaling of
// the items kept in tenths and the choice texts of the selection items.
//
// Everything here reads the shared state and the string table only; nothing
// writes, and nothing does input or output.
#pragma once

#include <QString>
#include <QtGlobal>

namespace qvx {

class QVX720_INC;
class StringTable;

// Number patterns and input-type classes, shared with the setting procedures
// and the dialogs that show raw values the same way.
namespace fmt {

// v / 10^places with exactly `places` decimals, as the patterns "#####0",
// "###0.0", "##0.00" and "#0.000" write it: no leading blanks or zeros except
// the one before the ".", a leading "-" for negative values ("-0.5" for -5 in
// tenths). The division is exact, so nothing is ever rounded. `places`
// outside 0..3 gives the empty text.
QString decimals(qint32 v, int places);

// v as a decimal integer without a leading blank ("-15", "240").
QString plain(qint32 v);

// v as a decimal integer with a sign position: one blank before a value that
// is not negative (" 1370", " 0", "-200").
QString plainSigned(qint32 v);

enum class InputClass {
    Whole,       // sensor types shown in whole degrees (and codes outside 0..35)
    OneDecimal,  // sensor types whose values are kept in tenths
    Linear,      // DC current and voltage inputs, shown with the channel's decimal point
};

inline constexpr int kInputTypes = 36;  // input-type codes 0..35

// Class of input-type code t (item 54).
InputClass inputClass(int t);
inline bool isOneDecimalInput(int t) { return inputClass(t) == InputClass::OneDecimal; }
inline bool isLinearInput(int t) { return inputClass(t) == InputClass::Linear; }

// v by an input type: tenths for the one-decimal types, the decimal point d
// for linear inputs (empty when d is outside 0..3), plain otherwise.
QString byInputType(qint32 v, int t, int d);

// The temperature unit of a sensor type: "deg.C" for 0..14, "deg.F" for
// 15..29, the empty text for any other code.
QString sensorUnit(const StringTable& st, int t);

// Name of a decimal-point choice 0..3 ("XXXX", "XXX. X", "XX. XX",
// "X. XXX"); empty for any other value.
QString decimalPointName(int d);

}  // namespace fmt

// Display text of item k (0..66) of channel ch (0..94). An index outside
// those bounds, or a value not read again since the channel's clear command,
// gives the empty text.
QString Disp_Data(const QVX720_INC& s, const StringTable& st, int k, int ch);

// Display text of the all-channels page value of item k (0..66). Those
// values hold one raw value for all channels, so no input type or decimal
// point applies. An index outside 0..66 gives the empty text.
QString Disp_SelData(const QVX720_INC& s, const StringTable& st, int k);

// Name of an alarm-type code (items 39, 40, 58, 59); empty for codes other
// than 0..9.
QString Alarm_Name(const StringTable& st, int code);

// The size test of the setting-file dialogs: true when a file of n bytes is
// an all-channels file (longer than 300 bytes).
bool FileSize_Chk(qint32 n);

// The input-range text of channel ch: the sensor's range, unit and name, or
// for a DC input its scaling limits as the formatter shows them followed by
// the signal. Empty for an input type outside 0..35 or a channel outside
// 0..94.
QString MakeRange(const QVX720_INC& s, const StringTable& st, int ch);

}  // namespace qvx
