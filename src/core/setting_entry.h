// Rules of the setting dialogs that need no window.
//
// Numeric (ten-key) dialogs: the entry the operator builds key by key, how it
// is shown in the channel's decimals, the test at OK and what OK stores.
// Selection dialogs: which frame serves an item, which option stands for a
// stored value, and what OK stores for the option chosen.
//
// A dialog works on the target it was opened with (item, channel, limits,
// display rule), never on whatever the shared edit context holds later: the
// dialogs are modeless, and other openers change the context while one is
// open.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "qvx720_inc.h"
#include "setting_limits.h"

namespace qvx {

class SettingsStore;
class StringTable;

// ---------------------------------------------------------------------------
// Numeric dialogs

// How a numeric dialog shows its entry.
struct EntryDisplay {
    // -1: the raw entry text as it is, sign position included;
    // 0..3: the value divided by 10^places with exactly that many decimals.
    int places = -1;
    bool operator==(const EntryDisplay&) const = default;
};

// The display rule of item k of channel ch: a linear input (type 30 and up)
// shows items 10, 19..22, 25 and 27..30 in the channel's decimal places
// (item 66); else tenths when dec1; else the raw entry. A linear input whose
// decimal places lie outside 0..3 shows the raw entry too.
EntryDisplay entryDisplayRule(const QVX720_INC& s, int k, int ch, bool dec1);

// Everything a numeric dialog acts on, fixed when it is opened.
struct EditTarget {
    qint16 item = 0;
    qint16 channel = 0;
    qint16 max = 0;  // raw, inclusive
    qint16 min = 0;  // raw, inclusive
    bool dec1 = false;
    EntryDisplay display;
    QString Now_data;    // current-value text
    QString Limit_data;  // setting-range text ("" when it cannot be shown)
};

// The target for Set_Item of Set_Ch with the limits and texts that Range_Set
// worked out (r is its result).
EditTarget editTarget(const QVX720_INC& s, const SettingRange& r);

// Runs Range_Set for the edit context (the opener has set Set_Item and, for
// the one-channel dialogs, Set_Ch) and returns the target to open a numeric
// dialog with.
EditTarget Range_SetTarget(QVX720_INC& s, const QString& nowText);

// The ten-key entry: the raw entry (the value in raw units after a sign
// position: " 12", "-12", or "" when nothing is entered) and the display made
// from it by the display rule.
class TenKeyEntry {
public:
    // At most eight digits and the sign position.
    static constexpr int kMaxChars = 9;

    explicit TenKeyEntry(EntryDisplay rule = {}) : rule_(rule) {}

    const QString& raw() const { return raw_; }
    const QString& display() const { return display_; }
    // Numeric value of the raw entry; 0 when it is empty.
    qint64 value() const { return value_; }
    EntryDisplay rule() const { return rule_; }

    // A new rule, raw entry and display emptied.
    void reset(EntryDisplay rule);

    // A digit 0..9 appended to the value with its sign; dropped when the raw
    // entry already has nine characters. The display is refreshed either way.
    void digit(int d);
    // Typed "-": the value negated (an empty entry gives 0), no limit test.
    void typedMinus();
    // "+/-": the value negated (an empty entry gives 0) and tested against
    // min..max, the upper bound first. Outside: raw entry and display are
    // emptied and false is returned.
    bool plusMinus(qint64 min, qint64 max);
    // "CE", Backspace, ".": raw entry and display emptied.
    void clear();
    // The display made again from the raw entry.
    void refresh();

    // The display text of a raw entry under a rule.
    static QString displayText(const QString& raw, qint64 value, EntryDisplay rule);

private:
    void setValue(qint64 v);

    QString raw_;
    QString display_;
    qint64 value_ = 0;
    EntryDisplay rule_;
};

// What a character typed into the display box does.
enum class TypedKey { Digit, Minus, Clear, Enter, Other };
TypedKey classifyTyped(int keyAscii);

// The verdict of OK on an entry: an empty display is refused first, then a
// value outside min..max.
enum class OkCheck { Empty, OutOfRange, Accepted };
OkCheck checkOk(const TenKeyEntry& e, qint16 min, qint16 max);

// Items whose change makes the link re-read the channel's settings after the
// write (scaling high and low limit).
bool numericSetsReRead(int k);

// Setdata_Write for item k of channel ch, whatever the edit context holds:
// the context's item and channel are set for the call and put back after it.
void Setdata_WriteFor(QVX720_INC& s, SettingsStore& store, int k, int ch, bool reRead = false);

// OK of a one-channel numeric dialog on an accepted value: stores it in
// ParaData of the target and queues the single write, with the re-read
// after it for items 29 and 30 (items 65 and 66 go to the settings store).
void storeNumeric(QVX720_INC& s, SettingsStore& store, const EditTarget& t, qint16 v);

// OK of the all-channels page dialog: stores the value of the target item
// in AllParaData. Nothing is sent.
void storePageNumeric(QVX720_INC& s, const EditTarget& t, qint16 v);

// ---------------------------------------------------------------------------
// Selection dialogs

enum class SelectWindow { OneChannel, Page };

// The option frames of the selection dialogs.
enum class SelectFrame { None, Lock, Cool, Alarm, Out, OnOff, Reigi, Keep, Sensor, Hc, Inout, Unit, Dp };

// The frame that serves item k in a window; None for items it does not edit.
SelectFrame selectFrameOf(int k, SelectWindow w);

// Number of options of a frame (0 for None and for the unit box).
int optionCount(SelectFrame f);

// The option that stands for a stored value; -1 when none does (a value
// outside the frame's choices selects nothing).
int presetOption(SelectFrame f, int value);

// The value stored for an option: its index, except the memory-save frame,
// whose three "Save" options store 0.
qint16 optionValue(SelectFrame f, int option);

// Items whose change makes the link re-read the channel's settings after the
// write (alarm types and input type).
bool selectionSetsReRead(int k);

// Everything a selection dialog acts on, fixed when it is opened.
struct SelectTarget {
    qint16 item = 0;
    qint16 channel = 0;  // one-channel window only
    qint16 value = 0;    // current value, selected when the dialog opens
    QString unit;        // current unit text (item 65)
};

// Target of the one-channel window: item k of channel ch, current value from
// ParaData (unit text from UnitText for item 65).
SelectTarget selectTarget(const QVX720_INC& s, int k, int ch);
// Target of the page window: item k, current value from AllParaData.
SelectTarget pageSelectTarget(const QVX720_INC& s, int k);

// OK of the one-channel window. option is the selected option of the target
// item's frame (-1: none, nothing is stored); unitText the unit box (item
// 65). The write of an alarm type or the input type asks for the channel's
// re-read whether an option was chosen or not. The write is queued (or unit / decimal point saved) in
// every case.
void storeSelection(QVX720_INC& s, SettingsStore& store, const SelectTarget& t, int option,
                    const QString& unitText);

// OK of the page window: stores the option's value in AllParaData. Nothing
// is sent or saved, and nothing asks for a re-read.
void storePageSelection(QVX720_INC& s, const SelectTarget& t, int option);

// Captions of the 36 input-type options 0..35: range, unit and sensor for
// 0..29 (as the formatter writes a channel's input range), the signal for
// 30..35.
QStringList inputTypeCaptions(const StringTable& st);

}  // namespace qvx
