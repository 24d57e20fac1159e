#include "bar_geometry.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace qvx {

qint64 roundDivHalfEven(qint64 num, qint64 den)
{
    qint64 q = num / den;
    qint64 r = num % den;
    if (r < 0) {  // floor division
        r += den;
        --q;
    }
    const qint64 twice = 2 * r;
    if (twice > den || (twice == den && (q & 1) != 0))
        ++q;
    return q;
}

int twipsToPixels(qint64 twips)
{
    return int(roundDivHalfEven(twips, kTwipsPerPixel));
}

int twipsToPixels(double twips)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double px = std::nearbyint(twips / kTwipsPerPixel);
    constexpr double lim = std::numeric_limits<int>::max() / 2;
    return int(std::clamp(px, -lim, lim));
}

namespace bargraph {

namespace {

constexpr double kPow10[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0};

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

QString fixedText(float v, int places)
{
    if (!std::isfinite(v))
        return {};
    places = std::clamp(places, 0, kMaxDecimals);
    // A float times 10^places (at most 17 significant bits) is exact in a
    // double, so the one rounding below is the only one.
    const double scaled = double(v) * kPow10[places];
    const double r = std::round(scaled);  // halves away from zero
    if (std::fabs(r) >= 9.0e15)
        return QString::number(double(v), 'f', places);
    const qint64 n = qint64(r);
    QString digits = QString::number(n < 0 ? -n : n);
    if (places > 0) {
        if (digits.size() <= places)
            digits.prepend(QString(places + 1 - int(digits.size()), QLatin1Char('0')));
        digits.insert(digits.size() - places, QLatin1Char('.'));
    }
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

QString plainText(float v)
{
    if (!std::isfinite(v))
        return {};
    if (v == 0.0f)
        return QStringLiteral("0");
    return QString::number(double(v), 'g', 7);
}

float numericValue(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int mantissaDigits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0.0f;
    int end = i;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        int expDigits = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    bool ok = false;
    const double d = QLocale::c().toDouble(QStringView(text).mid(start, end - start), &ok);
    if (!ok)
        return 0.0f;
    return float(d);
}

QString scaleText(float v, int numDecimals, const QString& previous)
{
    switch (numDecimals) {
    case 0: return plainText(v);
    case 1:
    case 2:
    case 3: return fixedText(v, numDecimals);
    default: return previous;
    }
}

QString valueText(float v, int numDecimals)
{
    return fixedText(v, numDecimals);
}

CheckedValue checkNrIntervals(quint8 n)
{
    if (n > kMaxIntervals)
        return {quint8(kMaxIntervals), QString::fromLatin1(kIntervalsWarning)};
    return {n, {}};
}

CheckedValue checkNumDecimals(quint8 n)
{
    if (n > kMaxDecimals)
        return {quint8(kMaxDecimals), QString::fromLatin1(kDecimalsWarning)};
    return {n, {}};
}

qint32 barColorOf(qint16 status, const AlarmColor& colors)
{
    switch (quint16(status) & kAlarmMask) {
    case 0: return kBlue;
    case StatusBit::Alarm1: return colors.AlmColor1;
    case StatusBit::Alarm2: return colors.AlmColor2;
    case StatusBit::Alarm3: return colors.AlmColor3;
    case StatusBit::Alarm4: return colors.AlmColor4;
    case StatusBit::HeaterBurnout1:
    case StatusBit::LoopBreak:
    case StatusBit::Overscale:
    case StatusBit::Underscale:
    case StatusBit::HeaterBurnout2: return kRed;
    default: return colors.AlmColorOther;
    }
}

QSize minimumSize()
{
    return {twipsToPixels(qint64(300)), twipsToPixels(qint64(1000))};
}

QSize constrainedSize(QSize pixels)
{
    const QSize m = minimumSize();
    return {std::max(pixels.width(), m.width()), std::max(pixels.height(), m.height())};
}

Layout layout(QSize pixels, int nrIntervals)
{
    Layout l;
    l.size = pixels;
    const qint64 sw = qint64(pixels.width()) * kTwipsPerPixel;
    const qint64 sh = qint64(pixels.height()) * kTwipsPerPixel;

    // LBack: left 30, top 400, two thirds of the width, the height less 880.
    const qint64 backLeft = 30;
    const qint64 backTop = 400;
    const qint64 backWidth = 2 * sw / 3;  // sw is a multiple of 15: exact
    const qint64 backHeight = sh - 880;
    l.backTopTw = backTop;
    l.backHeightTw = backHeight;
    const int left = twipsToPixels(backLeft);
    const int top = twipsToPixels(backTop);
    const int right = twipsToPixels(backLeft + backWidth);
    const int bottom = twipsToPixels(backTop + backHeight);
    l.back = QRect(left, top, right - left, bottom - top);

    // LBar: 30 inside the background on the left, right and bottom.
    l.barLeft = twipsToPixels(backLeft + 30);
    l.barRight = twipsToPixels(backLeft + backWidth - 30);
    l.barBottom = twipsToPixels(backTop + backHeight - 30);

    // Ticks: NrIntervals + 1 lines, 60 long, right of the background, from
    // 30 below its top to 30 above its bottom.
    l.tickLeft = right;
    l.tickRight = twipsToPixels(backLeft + backWidth + 60);
    const qint64 top0 = backTop + 30;
    const qint64 inner = backHeight - 60;
    if (nrIntervals <= 0) {
        l.tickY.push_back(twipsToPixels(top0));
    } else {
        const qint64 n = nrIntervals;
        l.tickY.reserve(std::size_t(n + 1));
        for (qint64 i = 0; i <= n; ++i)
            l.tickY.push_back(int(roundDivHalfEven(top0 * n + i * inner, kTwipsPerPixel * n)));
    }

    l.indexPos = QPoint(twipsToPixels(qint64(30)), twipsToPixels(qint64(30)));
    l.maxTop = twipsToPixels(qint64(215));
    l.minTop = twipsToPixels(sh - 495);
    l.valueTop = twipsToPixels(sh - 285);
    return l;
}

Fill fill(float value, float min, float max, const Layout& lay)
{
    Fill f;
    if (max == min) {
        f.state = FillState::ZeroSpan;
        return f;
    }
    if (!(max > min)) {
        f.state = FillState::NoScale;
        return f;
    }
    // Single precision, as the properties are.
    float fr = (value - min) / (max - min);
    if (std::isnan(fr) || !(fr > 0.0f)) {
        f.state = FillState::Empty;
        return f;
    }
    fr = std::min(fr, 1.0f);
    const float height = fr * float(lay.backHeightTw - 60);
    const double topTw = double(lay.backTopTw + lay.backHeightTw - 30) - double(height);
    f.state = FillState::Shown;
    f.fraction = fr;
    f.top = std::min(twipsToPixels(topTw), lay.barBottom);
    return f;
}

int scaleItem(ScaleLabel label)
{
    return label == ScaleLabel::Max ? Item::ScalingHigh : Item::ScalingLow;
}

ScaleEdit scaleEditFor(const QVX720_INC& s, int nrPM, ScaleLabel label)
{
    ScaleEdit e;
    e.channel = nrPM - 1;
    e.channelValid = e.channel >= 0 && e.channel < kChannels;
    if (!e.channelValid)
        return e;
    e.autoTuning = s.ParaData(e.channel, Item::AutoTuning) == 1;
    e.open = !e.autoTuning;
    if (e.open)
        e.item = scaleItem(label);
    return e;
}

void applyScaleEdit(QVX720_INC& s, const ScaleEdit& edit)
{
    if (!edit.channelValid)
        return;
    s.Edit_Context.Set_Ch = qint16(edit.channel);
    if (edit.open)
        s.Edit_Context.Set_Item = qint16(edit.item);
}

}  // namespace bargraph

namespace mvbar {

int barWidthTwips(int value)
{
    return (value + 50) * 2;
}

Layout layout()
{
    Layout l;
    l.size = QSize(twipsToPixels(qint64(kWidthTw)), twipsToPixels(qint64(kHeightTw)));
    const int left = twipsToPixels(qint64(kBackLeft));
    const int top = twipsToPixels(qint64(kBackTop));
    const int right = twipsToPixels(qint64(kBackLeft + kBackWidth));
    const int bottom = twipsToPixels(qint64(kBackTop + kBackHeight));
    l.back = QRect(left, top, right - left, bottom - top);
    l.barTop = top;
    l.barBottom = twipsToPixels(qint64(kBackTop + kBarHeight));
    for (int n = 0; n < kLines; ++n)
        l.lineX.push_back(twipsToPixels(qint64(kFirstLine + kLineSpacing * n)));
    l.lineTop = twipsToPixels(qint64(kLineTop));
    l.lineBottom = twipsToPixels(qint64(kLineBottom));
    l.labelTop = l.lineBottom;
    return l;
}

int barRight(int value)
{
    const int w = std::clamp(barWidthTwips(value), 0, kBackWidth);
    return twipsToPixels(qint64(kBackLeft + w));
}

int textValue(const QString& text)
{
    const double v = bargraph::numericValue(text);
    constexpr double lim = 1.0e9;
    return int(std::nearbyint(std::clamp(v, -lim, lim)));
}

int textBarRight(const QString& text)
{
    if (text.trimmed().isEmpty())
        return twipsToPixels(qint64(kBackLeft));
    return barRight(textValue(text));
}

}  // namespace mvbar

}  // namespace qvx
