// Setting limits of the numeric setting dialogs and the write request that a
// changed setting turns into.
//
// Before a numeric dialog opens, Range_Set works out the raw limits of the
// edited item of the edited channel (Edit_Context.Set_Max / Set_Min), whether
// the value is shown in tenths (Set_Dec1), and the two texts the dialog shows:
// the current value (handed in by the opener, returned unchanged) and the
// setting range. The dialogs put the returned texts into their labels
// Now_data and Limit_data themselves.
//
// After a dialog has stored a value, Setdata_Write queues the single write of
// that item (or, for the program-side unit and decimal point, saves them).
#pragma once

#include <QString>
#include <QtGlobal>

#include "qvx720_inc.h"

namespace qvx {

class SettingsStore;

// A pair of raw limits, both inclusive.
struct Limits {
    qint16 max = 0;
    qint16 min = 0;
    bool operator==(const Limits&) const = default;
};

// Input range of channel ch for item k: the sensor's range for input types
// 0..29; for any other type -1999..9999 when k is a scaling item (29, 30),
// else the channel's scaling limits (items 30..29).
Limits Range_Sensor(const QVX720_INC& s, int ch, int k);

// Limits of alarm set value k (19..22) of channel ch, by the alarm's action
// type (items 39, 40, 58, 59): +-span, 0..span or the scaling limits, capped
// at 9999 / -1999. Worked out in 32 bits and saturated to 16 bits, so any
// pair of scaling values gives sound limits.
Limits Range_Alarm(const QVX720_INC& s, int ch, int k);

// Limits of the manual reset (item 18) of channel ch: +-w with
// w = span x proportional band / 100 in single precision, rounded half to
// even, capped at 9999 / -1999 and saturated to 16 bits.
Limits manualResetLimits(const QVX720_INC& s, int ch);

// What Range_Set works out for one item of one channel.
struct SettingRange {
    qint16 Set_Max = 0;
    qint16 Set_Min = 0;
    bool Set_Dec1 = false;
    QString Now_data;    // the current-value text, as handed in
    QString Limit_data;  // the setting-range text, "low to high"
};

// The limits, one-decimal flag and texts of item k of channel ch. Items
// without a limit rule keep the limits now in s.Edit_Context (Set_Dec1
// false). Changes nothing.
SettingRange settingRange(const QVX720_INC& s, int k, int ch, const QString& nowText);

// The range text of the limits low..high of item k of channel ch. Linear
// inputs (type 30 and up) show items 10, 19..22, 25, 27..30 with the
// channel's decimal point (item 66); a decimal point outside 0..3 gives the
// empty text. Otherwise tenths when dec1, else plain integers, each preceded
// by a blank when not negative.
QString rangeText(const QVX720_INC& s, int k, int ch, qint16 low, qint16 high, bool dec1);

// For Set_Item of Set_Ch: stores Set_Max, Set_Min and Set_Dec1 in
// s.Edit_Context and returns them with the two dialog texts.
SettingRange Range_Set(QVX720_INC& s, const QString& nowText);

// After a dialog stored the value of Set_Item of Set_Ch: item 65 saves
// UnitText under "UNIT"+NNN, item 66 saves DecimalData under
// "Decimalpoint"+NNN (NNN = 001..095), neither queues anything; any other
// item queues a single write (queueSingleWrite), which asks for the
// channel's re-read once done when reRead is set. A failure of the store is
// not reported.
void Setdata_Write(QVX720_INC& s, SettingsStore& store, bool reRead = false);

// A negative v becomes 0 (in place); returns the resulting value.
qint16 Zero_Under(qint16& v);

// Items that a linear input (input type 30 or more) shows and limits in the
// channel's decimal places.
bool followsDecimalPoint(int k);

}  // namespace qvx
