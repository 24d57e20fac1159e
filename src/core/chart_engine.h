// Rules of the trend chart that need no window: reading numbers from
// captions, the scale (timer interval, Y scale, grid lines, axis texts), the
// plot tick (which pens draw what at which X), the selection and legend
// pages, the scale steps and the chart-scale dialog's verdict.
//
// Plot coordinates are those of the plot box: 9000 units wide, 3800 high,
// X from the left edge, Y from the top edge downwards.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

#include "qvx720_inc.h"

namespace qvx::chart {

inline constexpr int kPlotWidth = 9000;
inline constexpr int kPlotHeight = 3800;
inline constexpr int kGridStepX = 900;
inline constexpr int kAxisY = 3792;       // X axis line, and where values below the scale go
inline constexpr int kBorderX = 8992;     // right border line
inline constexpr int kLineBottom = 4000;  // vertical lines run from 0 to here
inline constexpr int kShortStep = 15;     // X units per sample, short span
inline constexpr int kLongStep = 1;       // X units per sample, long span
inline constexpr int kXTexts = 11;        // X texts under 0, 900, ..., 9000
inline constexpr qint32 kGridColor = 0xC0C0C0;
inline constexpr qint32 kAxisColor = 0x000000;
inline constexpr qint32 kButtonFace = qint32(0x8000000F);  // the system's button-face colour

// ---------------------------------------------------------------------------
// Numbers

// The number at the start of a text: blanks (space, tab, line breaks) are
// skipped wherever they stand, then an optional sign, digits, a decimal
// point and an exponent (E or D) are read until a character cannot continue
// the number. 0 when there is none. A number too large for a double gives
// +/- infinity.
double Val(const QString& text);
// Conversions to 32-bit and 16-bit integers: nearest whole number, halves
// to even; values beyond the type saturate, NaN gives 0.
qint32 toLong(double x);
qint16 toInteger(double x);
// A whole number, halves to even (NaN and infinities are returned as they are).
double roundHalfEven(double x);
// The decimal text of a number: "200.5", "-3", "0".
QString numberText(double x);

// ---------------------------------------------------------------------------
// Scale

struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    qint32 color = 0;
    bool operator==(const Line&) const = default;
};

// Y positions of the horizontal grid for n divisions: step Int(3800 / n),
// lines at step, 2 x step, ... up to Int(3800 / n x (n - 1)). A count that
// gives no positive step (0, negative, not a number, above 3800) gives no
// lines.
std::vector<int> horizontalGrid(double n);

// What ScaleSet reads: the captions of the cycle, Y high, Y low and
// division labels and whether the short span is selected.
struct ScaleInputs {
    QString cycle = QStringLiteral("5");
    QString high = QStringLiteral("400");
    QString low = QStringLiteral("0");
    QString divisions = QStringLiteral("4");
    bool shortSpan = false;
};

// What ScaleSet puts and draws.
struct ScaleLayout {
    qint32 chartTime = 0;  // timer interval, ms: cycle x 1000
    qint16 high = 0;       // YHigh_Now, ScaleHigh
    qint16 low = 0;        // YLow_Now, ScaleLow
    float yFactor = 0;     // value units per plot unit
    std::array<QString, 3> yTexts;  // high, middle, low
    std::vector<Line> lines;        // in drawing order: grid, axis, verticals, border
    std::array<QString, kXTexts> xTexts;
};
ScaleLayout scaleSet(const ScaleInputs& in);

// Timer interval of a recording cycle text: Val x 1000, as a 32-bit integer.
qint32 chartTimeOf(const QString& cycleText);
// X text i (0..10) for a timer interval in ms: the elapsed minutes at grid line i.
QString xText(int i, qint32 intervalMs, bool shortSpan);

// ---------------------------------------------------------------------------
// Plot

// The two sides of a channel.
enum class Side { Pv = 0, Sv = 1 };

// Plot selections and the pen the operator pressed last.
struct Selection {
    std::array<qint16, kChannels> PvPlot{};
    std::array<qint16, kChannels> SvPlot{};
    qint16 PenChannel = 0;
    qint16 PenKind = 0;  // 0 PV, 1 SV

    qint16& flag(Side s, int ch);
    qint16 flag(Side s, int ch) const;
    // Non-zero flags: a start needs at least one.
    int selectedCount() const;
    // A press on a selection button: an unselected channel (flag 0) becomes
    // selected (1), any other value unselected (0). Returns the new flag and
    // makes the channel and side the pen of the colour choice.
    qint16 toggle(Side s, int ch);
};

// One pen's mark of a sample: the point (x, y) and the stroke from (x,
// fromY) to it.
struct Stroke {
    int x = 0;
    int y = 0;
    int fromY = 0;
    qint32 color = 0;
    bool operator==(const Stroke&) const = default;
};

// Y of a sample: cur the pen's latest text, prev the text of its previous
// sample, first true for the first sample after a start (which takes its
// previous level from cur). Above the scale y is 1, below it 3792.
struct SampleY {
    int y = 0;
    int fromY = 0;
};
SampleY sampleY(const QString& cur, const QString& prev, bool first, qint16 high, qint16 low, float yFactor);

// What a tick reads besides the plot state.
struct PlotInputs {
    const std::array<QString, kChannels>* pvValue = nullptr;
    const std::array<QString, kChannels>* svValue = nullptr;
    const Selection* selection = nullptr;
    const QVX720_INC* state = nullptr;  // NoConnect and the pen colours
    // The pens that have had a value since the program started (nullptr:
    // every pen). A pen without one draws nothing.
    const std::array<bool, kChannels>* pvFed = nullptr;
    const std::array<bool, kChannels>* svFed = nullptr;
    bool shortSpan = false;
    qint16 high = 0;
    qint16 low = 0;
    float yFactor = 0;
    int scaleWidth = kPlotWidth;
};

// The recording: position, sample count, running flag and the texts each
// pen drew last.
class PlotState {
public:
    qint16 PlotX = 0;
    qint16 PlotCount = 0;
    qint16 RunFlag = 0;
    std::array<QString, kChannels> PvPrev;
    std::array<QString, kChannels> SvPrev;
    // The pens that have drawn since the start of the plot.
    std::array<bool, kChannels> PvDrawn{};
    std::array<bool, kChannels> SvDrawn{};
    // Where the span of the next sample began (PvLog_State.mark()); {} for
    // the first sample of a plot: since monitoring began.
    PvSpanMark SpanStart;

    // Start of a plot: X and the count back to 0, no pen drawn yet.
    void restart() {
        PlotX = 0;
        PlotCount = 0;
        PvDrawn.fill(false);
        SvDrawn.fill(false);
        SpanStart = {};
    }

    enum class Tick { Idle, Sampled, Ended, Deferred };
    // One tick. Idle when not recording; Deferred, with nothing moved, while
    // a miss waits for the line check (the caller asks again shortly). Otherwise X advances (15 short, 1
    // long) and the count by one; Ended when X reaches the plot width (no
    // sample then; the caller stops the recording); else the strokes of the
    // selected (flag 1), present channels that have had a value, PV before
    // SV, channel by channel. A pen's first sample of the plot takes its
    // previous level from its own text. The chart records what was read, as
    // the logging file does: both pens of a channel whose PV the file could
    // not log now (pvRecordable over the span since the last sample) leave a
    // gap and start afresh once it is read again.
    Tick tick(const PlotInputs& in, std::vector<Stroke>& strokes);
};

// ---------------------------------------------------------------------------
// Pages of the selection panel and the legend

inline constexpr int kSlots = 40;
inline constexpr int kPages = 3;
// Base channel of tab index t (1..3): 0, 40, 80; t outside gives the nearest page.
int pageBase(int tabIndex);
// Last slot of a page: 14 on the third page, else 39.
int lastSlot(int base);
// Tab index (1..3) and slot of a channel.
inline int pageOf(int ch) { return ch / kSlots + 1; }
inline int slotOf(int ch) { return ch % kSlots; }
// Tab captions "1 to 40", "41 to 80", "81 to 95".
QString pageCaption(int tabIndex);

// Whether legend slot k of a page shows its channel: on the page, below the
// channel limit and present.
bool legendShows(const QVX720_INC& s, int base, int k, int maxCh);
// Whether panel slot k of a page offers its channel: on the page and present.
bool panelShows(const QVX720_INC& s, int base, int k);

// ---------------------------------------------------------------------------
// Scale controls

struct UpDownRange {
    int min = 0;
    int max = 0;
    int step = 1;
};
inline constexpr UpDownRange kCycleRange{1, 60, 1};
inline constexpr UpDownRange kDivisionRange{2, 10, 1};
inline constexpr UpDownRange kYRange{-200, 2000, 50};
// A step up (dir > 0) or down from pos, kept within the range.
int upDownStep(int pos, int dir, const UpDownRange& r);
// Where an up-down stands for a label's number: the number kept within the range.
int upDownPosition(double labelValue, const UpDownRange& r);

// A Y limit stepped with its up-down: the new high must stay above the low.
// Returns the value the label then shows: the stepped one, or the current
// one (YHigh_Now / YLow_Now) when the step is refused.
qint16 steppedHigh(const QString& highText, const QString& lowText, qint16 yHighNow);
qint16 steppedLow(const QString& highText, const QString& lowText, qint16 yLowNow);

// The chart-scale dialog.
inline constexpr qint64 kScaleDialogMax = 2000;
inline constexpr qint64 kScaleDialogMin = -200;
inline constexpr qint64 kScaleSignMax = 9999;  // "+/-" accepts -1999..9999
inline constexpr qint64 kScaleSignMin = -1999;
QString scaleDialogLimitText();  // "-200 to 2000"
enum class ScaleOk { Empty, OutOfRange, ScaleError, Accepted };
// OK of the dialog: an empty display first, then v outside -200..2000 (the
// upper bound first), then a high not above the current low (sel 0) or a low
// not below the current high (sel 1).
ScaleOk scaleDialogOk(bool displayEmpty, qint64 v, int sel, qint16 yHighNow, qint16 yLowNow);

}  // namespace qvx::chart
