// What the two painted display controls show, worked out without a widget:
// the bar-graph control BarGr (one channel's PV as a vertical bar with ticks,
// scale texts, value text and channel number) and the MV bar MV_BerGraph (an
// output level as a horizontal bar over a scale marked 0, 50 and 100).
//
// Both controls are laid out in their own units, twips (15 to a pixel). The
// layouts are kept in whole twips where the numbers allow it and every edge
// is turned into a pixel once, to the nearest pixel with halves to the even
// neighbour, so a bar ends exactly on the tick or line of its value.
//
// Number texts follow the system's number patterns ("0.0", "###0.0"...):
// the value is rounded to the shown decimals with halves away from zero.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <vector>

#include "qvx720_inc.h"

namespace qvx {

// ---------------------------------------------------------------------------
// Units

inline constexpr int kTwipsPerPixel = 15;

// num / den (den > 0) to the nearest integer, halves to the even neighbour.
qint64 roundDivHalfEven(qint64 num, qint64 den);
// Twips to pixels, to the nearest pixel, halves to the even neighbour.
int twipsToPixels(qint64 twips);
int twipsToPixels(double twips);

// ---------------------------------------------------------------------------
// Number texts of the bar-graph control

namespace bargraph {

// v with exactly `places` (0..5) decimals, halves away from zero, a leading
// "-" only when the rounded value is not zero. A value that is not finite
// gives the empty text.
QString fixedText(float v, int places);

// The plain decimal text of a number, at most 7 significant digits ("100",
// "12.345", "-0.5").
QString plainText(float v);

// Numeric value of a text as the scale texts are read back: leading blanks
// skipped, the longest leading number taken, 0 when there is none.
float numericValue(const QString& text);

// Text of a scale label (LMax, LMin) for v with the current NumDecimals:
// 0 the plain text, 1..3 that many decimals, 4 or 5 the previous text kept.
QString scaleText(float v, int numDecimals, const QString& previous);

// Value text (LCrtVal): "0" for 0 decimals, "0.0", "0.00"... otherwise.
QString valueText(float v, int numDecimals);

// ---------------------------------------------------------------------------
// Property limits and their warnings (fixed texts, not from the string table)

inline constexpr int kMaxIntervals = 50;
inline constexpr int kMaxDecimals = 5;
inline constexpr const char* kWarningTitle = "Warning";
inline constexpr const char* kIntervalsWarning = "Number of X grids must be less than 50";
inline constexpr const char* kDecimalsWarning = "Number of decimals must be less than 5";

// A property value after its check: the value to store and the warning to
// show first (empty when the value is stored as given).
struct CheckedValue {
    quint8 value = 0;
    QString warning;
    bool operator==(const CheckedValue&) const = default;
};

CheckedValue checkNrIntervals(quint8 n);  // above 50: 50 with the warning
CheckedValue checkNumDecimals(quint8 n);  // above 5: 5 with the warning

// ---------------------------------------------------------------------------
// Bar colour by alarm state

// Bits of the status word that colour the bar: alarms 1..4, heater burnout
// 1 and 2, loop break, overscale and underscale.
inline constexpr quint16 kAlarmMask = 0x13FC;

// Blue without alarm; AlmColor1..4 for one of alarms 1..4 alone; red for
// heater burnout, loop break, over- or underscale alone; AlmColorOther for
// any two or more bits at once. Bits outside the mask do not count.
qint32 barColorOf(qint16 status, const AlarmColor& colors);

inline constexpr qint32 kBlue = 0xFF0000;
inline constexpr qint32 kRed = 0x0000FF;
inline constexpr qint32 kGrey = 0xC0C0C0;

// ---------------------------------------------------------------------------
// Layout

// The smallest control: 300 x 1000 twips.
QSize minimumSize();
// A requested size raised to the smallest control.
QSize constrainedSize(QSize pixels);

struct Layout {
    QSize size;                 // the control, pixels
    // Twips of the parts that the bar is placed in.
    qint64 backTopTw = 0;       // LBack.Top
    qint64 backHeightTw = 0;    // LBack.Height
    // Pixels.
    QRect back;                 // LBack
    int barLeft = 0;            // LBar left edge
    int barRight = 0;           // LBar right edge (exclusive)
    int barBottom = 0;          // LBar bottom edge (exclusive): 30 twips above the background's bottom
    int tickLeft = 0;           // the ticks run from tickLeft to tickRight
    int tickRight = 0;
    std::vector<int> tickY;     // NrIntervals + 1 ticks, top first
    QPoint indexPos;            // top left of LIndex
    int maxTop = 0;             // top of LMax
    int minTop = 0;             // top of LMin
    int valueTop = 0;           // top of LCrtVal
    bool operator==(const Layout&) const = default;
};

// Layout of a control of `pixels` (already constrained) with nrIntervals
// tick intervals. With 0 intervals only the top tick is drawn.
Layout layout(QSize pixels, int nrIntervals);

// Where the bar stands for a value.
enum class FillState {
    Shown,      // the bar covers top..layout.barBottom
    Empty,      // the value is at or below Min (or not a number): no bar
    NoScale,    // Max below Min: the scale is empty, no bar
    ZeroSpan,   // Max equals Min: nothing to divide by, no bar
};

struct Fill {
    FillState state = FillState::Empty;
    double fraction = 0;   // (Value - Min) / (Max - Min) clamped to 0..1
    int top = 0;           // top edge in pixels when shown
    bool visible() const { return state == FillState::Shown; }
    bool operator==(const Fill&) const = default;
};

// The bar for value between min and max (the scale values as read back
// from their texts). Any scale with Max above Min places the bar, an
// all-negative one as well.
Fill fill(float value, float min, float max, const Layout& lay);

// ---------------------------------------------------------------------------
// Scale labels: clicking LMax or LMin edits the channel's scaling high
// (item 29) or low (item 30) limit in the scale dialog.

enum class ScaleLabel { Max, Min };

int scaleItem(ScaleLabel label);

struct ScaleEdit {
    bool channelValid = false;  // NrPM - 1 is a channel 0..94
    int channel = -1;
    bool autoTuning = false;    // item 11 of the channel is 1
    bool open = false;          // open the scale dialog
    int item = 0;               // 29 or 30 when open
    bool operator==(const ScaleEdit&) const = default;
};

// What a click on a scale label of the bar with channel number nrPM does.
ScaleEdit scaleEditFor(const QVX720_INC& s, int nrPM, ScaleLabel label);

// Writes the edit context: Set_Ch when the channel is valid (also while the
// channel is auto-tuning), Set_Item when the dialog opens. An invalid
// channel writes nothing.
void applyScaleEdit(QVX720_INC& s, const ScaleEdit& edit);

}  // namespace bargraph

// ---------------------------------------------------------------------------
// MV bar control

namespace mvbar {

// Design of the control in twips.
inline constexpr int kBackLeft = 240;
inline constexpr int kBackTop = 120;
inline constexpr int kBackWidth = 2202;
inline constexpr int kBackHeight = 372;
inline constexpr int kBarHeight = 370;
inline constexpr int kFirstLine = 340;     // x of line 0 (mark 0)
inline constexpr int kLineSpacing = 200;   // 100 value units
inline constexpr int kLines = 11;
inline constexpr int kLineTop = 490;
inline constexpr int kLineBottom = 600;
inline constexpr int kWidthTw = 2700;
inline constexpr int kHeightTw = 840;

inline constexpr qint32 kDefaultColor = 0xFF0000;  // blue
inline constexpr qint16 kDefaultMaxValue = 1050;
inline constexpr qint16 kDefaultMinValue = -50;

// Width of the bar in twips for a value: (value + 50) x 2; negative below -50.
int barWidthTwips(int value);

struct Layout {
    QSize size;                // the control, pixels
    QRect back;                // MV_ShapeBack
    int barTop = 0;            // MV_Shape top and bottom (exclusive) edges
    int barBottom = 0;
    std::vector<int> lineX;    // Line1(0..10)
    int lineTop = 0;
    int lineBottom = 0;        // exclusive
    int labelTop = 0;          // Label1(0..2) under lines 0, 5 and 10
    bool operator==(const Layout&) const = default;
};

Layout layout();

// The marks under lines 0, 5 and 10.
inline constexpr const char* kMarks[3] = {"0", "50", "100"};
inline constexpr int kMarkLines[3] = {0, 5, 10};

// Right edge (exclusive, pixels) of the bar for a value. The bar starts at
// the background's left edge; a width below 0 draws nothing (right edge at
// the left edge) and a width past the background is clipped to it.
int barRight(int value);

// Numeric value of Text1's text: the decimal integer it holds, 0 when it holds none.
int textValue(const QString& text);

// Right edge of the bar that Text1's text draws: an empty (or blank) text is
// a value not known and draws no bar at all; any other text draws the bar of
// its value (barRight(textValue(text))).
int textBarRight(const QString& text);

}  // namespace mvbar

}  // namespace qvx
