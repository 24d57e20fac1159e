#include "chart_engine.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "pv_logging.h"

namespace qvx::chart {

// ---------------------------------------------------------------------------
// Numbers

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

template <typename T>
T saturate(double x) {
    if (std::isnan(x)) return 0;
    const double r = roundHalfEven(x);
    if (r >= double(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    if (r <= double(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    return static_cast<T>(r);
}

}  // namespace

double Val(const QString& text) {
    QByteArray num;
    num.reserve(24);
    int i = 0;
    const int n = int(text.size());
    const auto next = [&]() -> QChar {
        while (i < n && isBlank(text.at(i))) ++i;
        return i < n ? text.at(i) : QChar();
    };
    QChar c = next();
    if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
        num.append(char(c.unicode()));
        ++i;
        c = next();
    }
    bool digits = false;
    while (c.isDigit() && c.unicode() < 128) {
        num.append(char(c.unicode()));
        digits = true;
        ++i;
        c = next();
    }
    if (c == QLatin1Char('.')) {
        num.append('.');
        ++i;
        c = next();
        while (c.isDigit() && c.unicode() < 128) {
            num.append(char(c.unicode()));
            digits = true;
            ++i;
            c = next();
        }
    }
    if (!digits) return 0;
    const QChar e = c.toUpper();
    if (e == QLatin1Char('E') || e == QLatin1Char('D')) {
        // An exponent counts only when digits follow it.
        int j = i + 1;
        QByteArray exp("e");
        while (j < n && isBlank(text.at(j))) ++j;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-'))) {
            exp.append(char(text.at(j).unicode()));
            ++j;
        }
        bool expDigits = false;
        while (j < n) {
            const QChar d = text.at(j);
            if (isBlank(d)) {
                ++j;
                continue;
            }
            if (!d.isDigit() || d.unicode() >= 128) break;
            exp.append(char(d.unicode()));
            expDigits = true;
            ++j;
        }
        if (expDigits) num.append(exp);
    }
    return std::strtod(num.constData(), nullptr);
}

double roundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    const double f = std::floor(x);
    const double d = x - f;
    if (d > 0.5) return f + 1;
    if (d < 0.5) return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

qint32 toLong(double x) { return saturate<qint32>(x); }

qint16 toInteger(double x) { return saturate<qint16>(x); }

QString numberText(double x) {
    if (x == 0) return QStringLiteral("0");  // no "-0"
    if (std::isfinite(x) && x == std::floor(x) && std::fabs(x) < 1e15) return QString::number(qint64(x));
    return QString::number(x, 'g', 15);
}

// ---------------------------------------------------------------------------
// Scale

std::vector<int> horizontalGrid(double n) {
    std::vector<int> ys;
    if (!(n > 0) || !std::isfinite(n)) return ys;
    const double step = std::floor(kPlotHeight / n);
    const double last = std::floor(kPlotHeight / n * (n - 1));
    if (step < 1) return ys;
    for (double y = step; y <= last; y += step) ys.push_back(int(y));
    return ys;
}

qint32 chartTimeOf(const QString& cycleText) { return toLong(Val(cycleText) * 1000); }

QString xText(int i, qint32 intervalMs, bool shortSpan) {
    const double w = kPlotWidth;
    const double per = shortSpan ? 9000.0 : 600.0;
    return numberText(roundHalfEven(i * w / per * double(intervalMs) / 1000.0));
}

ScaleLayout scaleSet(const ScaleInputs& in) {
    ScaleLayout out;
    out.chartTime = chartTimeOf(in.cycle);
    out.high = toInteger(Val(in.high));
    out.low = toInteger(Val(in.low));
    out.yFactor = float(out.high - out.low) / float(kPlotHeight);
    out.yTexts[0] = QString::number(out.high);
    out.yTexts[1] = numberText(double(out.high - out.low) / 2 + out.low);
    out.yTexts[2] = QString::number(out.low);
    for (int y : horizontalGrid(Val(in.divisions))) out.lines.push_back({0, y, kPlotWidth, y, kGridColor});
    out.lines.push_back({0, kAxisY, kPlotWidth, kAxisY, kAxisColor});
    for (int x = kGridStepX; x <= 8100; x += kGridStepX) out.lines.push_back({x, 0, x, kLineBottom, kGridColor});
    out.lines.push_back({kBorderX, 0, kBorderX, kLineBottom, kAxisColor});
    for (int i = 0; i < kXTexts; ++i) out.xTexts[std::size_t(i)] = xText(i, out.chartTime, in.shortSpan);
    return out;
}

// ---------------------------------------------------------------------------
// Plot

qint16& Selection::flag(Side s, int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    return (s == Side::Pv ? PvPlot : SvPlot)[std::size_t(ch)];
}

qint16 Selection::flag(Side s, int ch) const { return const_cast<Selection*>(this)->flag(s, ch); }

int Selection::selectedCount() const {
    int n = 0;
    for (int ch = 0; ch < kChannels; ++ch) n += (PvPlot[std::size_t(ch)] != 0) + (SvPlot[std::size_t(ch)] != 0);
    return n;
}

qint16 Selection::toggle(Side s, int ch) {
    qint16& f = flag(s, ch);
    f = f == 0 ? 1 : 0;
    PenKind = s == Side::Pv ? 0 : 1;
    PenChannel = qint16(ch);
    return f;
}

namespace {

// A plot row for a computed position; positions far outside the box (a zero
// span, a huge value) are drawn just outside it.
int row(double y) {
    if (std::isnan(y)) return 0;
    return int(toLong(std::clamp(y, -1.0, double(kPlotHeight + 1))));
}

}  // namespace

SampleY sampleY(const QString& cur, const QString& prev, bool first, qint16 high, qint16 low, float yFactor) {
    const double cv = Val(cur);
    const qint32 v = toLong(cv);
    const double p = first ? cv : Val(prev);
    const double f = double(yFactor);
    SampleY s;
    s.fromY = row((high - p) / f);
    if (v > high) {
        s.y = 1;
    } else if (v >= low) {
        // A zero span has no room between its limits: the value sits at the top.
        s.y = f == 0 ? 0 : int(toInteger((high - double(v)) / f));
        if (s.y >= kPlotHeight) s.y = kAxisY;
        if (s.fromY >= kPlotHeight) s.fromY = kAxisY;
    } else {
        s.y = kAxisY;
    }
    return s;
}

PlotState::Tick PlotState::tick(const PlotInputs& in, std::vector<Stroke>& strokes) {
    strokes.clear();
    if (RunFlag != 1) return Tick::Idle;
    // A miss still waiting for the line check: the sample waits for its answer.
    if (in.state && in.state->PvLog_State.Deciding) return Tick::Deferred;
    PlotX = qint16(PlotX + (in.shortSpan ? kShortStep : kLongStep));
    PlotCount = qint16(PlotCount + 1);
    if (float(PlotX) >= float(in.scaleWidth)) return Tick::Ended;
    const ChartFileData& colors = in.state->ChartFile_Data;
    const auto pen = [&](std::size_t c, qint16 flag, bool fed, const QString& cur, QString& prev, bool& drawn,
                         qint32 color) {
        if (flag != 1) return;
        if (!fed) {
            // No value now: the pen leaves a gap and starts afresh.
            drawn = false;
            return;
        }
        const SampleY y = sampleY(cur, prev, !drawn, in.high, in.low, in.yFactor);
        prev = cur;
        drawn = true;
        strokes.push_back({PlotX, y.y, y.fromY, color});
    };
    for (int ch = 0; ch < kChannels; ++ch) {
        if (in.state->NoConnect(ch) != 0) continue;
        const auto c = std::size_t(ch);
        // A PV pen draws from the first acknowledged PV on, and again only
        // once the PV is read after the channel's clear command; an SV pen
        // not before the clear's rescan has read the SV again. Neither draws
        // while the channel's PV is not read (an outage, a poll that brought
        // no value): the panels keep the last value, the chart does not.
        const bool read = pvRecordable(in.state->PvLog_State, ch, SpanStart);
        const bool pvFed = (!in.pvFed || (*in.pvFed)[c]) && in.state->Monitor_Data.PvRead(ch) && read;
        const bool svFed = (!in.svFed || (*in.svFed)[c]) && in.state->current(ch, Item::SV) && read;
        pen(c, in.selection->PvPlot[c], pvFed, (*in.pvValue)[c], PvPrev[c], PvDrawn[c], colors.PvColor(ch));
        pen(c, in.selection->SvPlot[c], svFed, (*in.svValue)[c], SvPrev[c], SvDrawn[c], colors.SvColor(ch));
    }
    SpanStart = in.state->PvLog_State.mark();
    return Tick::Sampled;
}

// ---------------------------------------------------------------------------
// Pages

int pageBase(int tabIndex) { return (std::clamp(tabIndex, 1, kPages) - 1) * kSlots; }

int lastSlot(int base) { return base >= 2 * kSlots ? kChannels - 2 * kSlots - 1 : kSlots - 1; }

QString pageCaption(int tabIndex) {
    const int base = pageBase(tabIndex);
    return QStringLiteral("%1 to %2").arg(base + 1).arg(base + lastSlot(base) + 1);
}

bool legendShows(const QVX720_INC& s, int base, int k, int maxCh) {
    if (k < 0 || k > lastSlot(base)) return false;
    const int ch = base + k;
    return ch < maxCh && s.NoConnect(ch) == 0;
}

bool panelShows(const QVX720_INC& s, int base, int k) {
    if (k < 0 || k > lastSlot(base)) return false;
    return s.NoConnect(base + k) == 0;
}

// ---------------------------------------------------------------------------
// Scale controls

int upDownStep(int pos, int dir, const UpDownRange& r) {
    const qint64 p = qint64(pos) + (dir > 0 ? r.step : dir < 0 ? -r.step : 0);
    return int(std::clamp<qint64>(p, r.min, r.max));
}

int upDownPosition(double labelValue, const UpDownRange& r) {
    if (std::isnan(labelValue)) return r.min;
    return int(std::clamp<double>(roundHalfEven(labelValue), r.min, r.max));
}

qint16 steppedHigh(const QString& highText, const QString& lowText, qint16 yHighNow) {
    const qint16 high = toInteger(Val(highText));
    const qint16 low = toInteger(Val(lowText));
    return high <= low ? yHighNow : high;
}

qint16 steppedLow(const QString& highText, const QString& lowText, qint16 yLowNow) {
    const qint16 high = toInteger(Val(highText));
    const qint16 low = toInteger(Val(lowText));
    return high <= low ? yLowNow : low;
}

QString scaleDialogLimitText() { return QStringLiteral("-200 to 2000"); }

ScaleOk scaleDialogOk(bool displayEmpty, qint64 v, int sel, qint16 yHighNow, qint16 yLowNow) {
    if (displayEmpty) return ScaleOk::Empty;
    if (v > kScaleDialogMax || v < kScaleDialogMin) return ScaleOk::OutOfRange;
    if (sel == 1 ? v >= yHighNow : v <= yLowNow) return ScaleOk::ScaleError;
    return ScaleOk::Accepted;
}

}  // namespace qvx::chart
