#include "bargr.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>

#include "ole_color.h"

namespace qvx {

using namespace bargraph;

namespace {
// The labels' font: 11 pixels high fits the 13 to 14 pixels that the layout
// leaves between the texts.
constexpr int kFontPixels = 11;
}  // namespace

BarGr::BarGr(QWidget* parent) : QWidget(parent), prompts_(DisplayPrompts::platform())
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMinimumSize(bargraph::minimumSize());
    QFont f = font();
    f.setPixelSize(kFontPixels);
    setFont(f);
    resize(sizeHint());
    layout_ = bargraph::layout(size(), nrIntervals_);

    // Creation order: the scale texts are written while the decimals are 0,
    // so they start as "0" and "100".
    numDecimals_ = 0;
    setMin(0);
    setMax(100);
    setValue(50);
    setNrPM(0);
    setNumDecimals(1);
    setNrIntervals(10);
    Redraw();
    clearChangedProperties();
}

// ---- properties ---------------------------------------------------------------------------

void BarGr::setTipText(const QString& text)
{
    tipText_ = text;
    PropertyChanged(P_TipText);
}

void BarGr::setNrPM(quint8 n)
{
    const QString t = QString::number(n);
    if (t != indexText_) {
        indexText_ = t;
        requestUpdate(indexRect());
    }
    PropertyChanged(P_NrPM);
}

quint8 BarGr::NrPM() const
{
    return quint8(std::clamp(numericValue(indexText_), 0.0f, 255.0f));
}

void BarGr::setNrIntervals(quint8 n)
{
    const CheckedValue c = checkNrIntervals(n);
    if (!c.warning.isEmpty())
        warn(c.warning);
    nrIntervals_ = c.value;
    PropertyChanged(P_NrIntervals);
}

void BarGr::setNumDecimals(quint8 n)
{
    const CheckedValue c = checkNumDecimals(n);
    if (!c.warning.isEmpty())
        warn(c.warning);
    numDecimals_ = c.value;
    PropertyChanged(P_NumDecimals);
}

void BarGr::setValue(float v)
{
    value_ = v;
    SetValue();
    PropertyChanged(P_Value);
}

void BarGr::setAlarmMin(float v)
{
    alarmMin_ = v;
    PropertyChanged(P_AlarmMin);
}

void BarGr::setAlarmMax(float v)
{
    alarmMax_ = v;
    PropertyChanged(P_AlarmMax);
}

void BarGr::setMin(float v)
{
    const QString t = scaleText(v, numDecimals_, minText_);
    if (t != minText_) {
        minText_ = t;
        minValue_ = numericValue(t);
        requestUpdate(minRect());
    }
    PropertyChanged(P_Min);
}

float BarGr::Min() const { return minValue_; }

void BarGr::setMax(float v)
{
    const QString t = scaleText(v, numDecimals_, maxText_);
    if (t != maxText_) {
        maxText_ = t;
        maxValue_ = numericValue(t);
        requestUpdate(maxRect());
    }
    PropertyChanged(P_Max);
}

float BarGr::Max() const { return maxValue_; }

void BarGr::setAlarmstatas(qint16 status)
{
    const qint32 color = barColorOf(status, state_ ? state_->Alarm_Color : AlarmColor{});
    if (color == barColor_)
        return;
    barColor_ = color;
    if (fill_.visible())
        requestUpdate(barRect());
}

// ---- drawing ------------------------------------------------------------------------------

void BarGr::Redraw()
{
    const Layout l = bargraph::layout(size(), nrIntervals_);
    if (!(l == layout_)) {
        layout_ = l;
        requestUpdate(rect());
    }
    SetValue();
}

bool BarGr::SetValue()
{
    const Fill f = fill(value_, minValue_, maxValue_, layout_);
    const int oldTop = fill_.visible() ? fill_.top : layout_.barBottom;
    const int newTop = f.visible() ? f.top : layout_.barBottom;
    const bool barChanged = f.visible() != fill_.visible() || oldTop != newTop;
    fill_ = f;
    if (barChanged) {
        // Only the band between the old and the new top changes.
        requestUpdate(QRect(layout_.barLeft, std::min(oldTop, newTop), layout_.barRight - layout_.barLeft,
                            std::abs(newTop - oldTop)));
    }
    // The value text shows the value whatever the bar does. (Formatted again
    // only when the value or the decimals differ from the last text's.)
    if (!textFresh_ || value_ != textValue_ || numDecimals_ != textDecimals_) {
        const QString t = bargraph::valueText(value_, numDecimals_);
        textFresh_ = true;
        textValue_ = value_;
        textDecimals_ = numDecimals_;
        if (t != valueText_) {
            valueText_ = t;
            requestUpdate(valueRect());
        }
    }
    return f.state != FillState::ZeroSpan;
}

QRect BarGr::barRect() const
{
    if (!fill_.visible())
        return {};
    return QRect(layout_.barLeft, fill_.top, layout_.barRight - layout_.barLeft, layout_.barBottom - fill_.top);
}

QRect BarGr::indexRect() const
{
    const QPoint p = layout_.indexPos;
    return QRect(p.x(), p.y(), width() - p.x(), std::max(1, layout_.maxTop - p.y()));
}

QRect BarGr::maxRect() const
{
    return QRect(0, layout_.maxTop, width(), std::max(1, layout_.back.top() - layout_.maxTop));
}

QRect BarGr::minRect() const
{
    return QRect(0, layout_.minTop, width(), std::max(1, layout_.valueTop - layout_.minTop));
}

QRect BarGr::valueRect() const
{
    return QRect(0, layout_.valueTop, width(), std::max(1, height() - layout_.valueTop));
}

void BarGr::requestUpdate(const QRect& r)
{
    ++updateRequests_;
    update(r);
}

void BarGr::paintEvent(QPaintEvent* event)
{
    ++paintCount_;
    const QRect dirty = event->rect();
    QPainter p(this);
    const QPalette& pal = palette();

    p.fillRect(layout_.back, oleToColor(kGrey));
    const QRect bar = barRect();
    if (!bar.isEmpty())
        p.fillRect(bar, oleToColor(barColor_));

    p.setPen(pal.color(QPalette::WindowText));
    for (int y : layout_.tickY)
        p.drawLine(layout_.tickLeft, y, layout_.tickRight - 1, y);

    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;
    if (dirty.intersects(indexRect())) {
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(indexRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, indexText_);
        p.setFont(font());
    }
    if (dirty.intersects(maxRect()))
        p.drawText(maxRect(), flags, maxText_);
    if (dirty.intersects(minRect()))
        p.drawText(minRect(), flags, minText_);
    if (dirty.intersects(valueRect()))
        p.drawText(valueRect(), flags, valueText_);
}

void BarGr::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Redraw();
}

// ---- tool tip, clicks ---------------------------------------------------------------------

bool BarGr::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = toolTipAt(help->pos());
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, this, indexRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

QString BarGr::toolTipAt(const QPoint& pos) const
{
    return indexRect().contains(pos) ? tipText_ : QString();
}

BarGr::Part BarGr::partAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return Part::None;
    if (maxRect().contains(pos))
        return Part::Max;
    if (minRect().contains(pos))
        return Part::Min;
    return Part::Other;
}

void BarGr::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? partAt(event->position().toPoint()) : Part::None;
}

void BarGr::mouseReleaseEvent(QMouseEvent* event)
{
    const Part pressed = pressed_;
    pressed_ = Part::None;
    // A click: pressed and released on the same part.
    if (event->button() != Qt::LeftButton || pressed == Part::None || partAt(event->position().toPoint()) != pressed)
        return;
    switch (pressed) {
    case Part::Max: LMax_Click(); break;
    case Part::Min: LMin_Click(); break;
    default: emit Click(); break;
    }
}

void BarGr::LMax_Click() { scaleClick(ScaleLabel::Max); }

void BarGr::LMin_Click() { scaleClick(ScaleLabel::Min); }

void BarGr::scaleClick(ScaleLabel label)
{
    if (prompts_.beep)
        prompts_.beep();
    if (!state_)
        return;
    // The channel is checked before it goes into the edit context.
    const ScaleEdit e = scaleEditFor(*state_, NrPM(), label);
    applyScaleEdit(*state_, e);
    if (e.open)
        emit scaleEditRequested(e.item, e.channel, label == ScaleLabel::Max ? maxText_ : minText_);
}

void BarGr::warn(const QString& text)
{
    if (prompts_.critical)
        prompts_.critical(this, text, QString::fromLatin1(kWarningTitle));
}

// ---- property bag -------------------------------------------------------------------------

namespace {
quint8 byteOf(const QVariant& v) { return quint8(std::clamp(v.toInt(), 0, 255)); }
}  // namespace

void BarGr::ReadProperties(const PropertyBag& bag)
{
    // Through the set procedures, in this order: Min and Max are formatted
    // with the decimals in force before NumDecimals is read.
    setMin(bag.ReadProperty(QStringLiteral("Min"), 0.0f).toFloat());
    setMax(bag.ReadProperty(QStringLiteral("Max"), 100.0f).toFloat());
    setValue(bag.ReadProperty(QStringLiteral("Value"), 50.0f).toFloat());
    setAlarmMin(bag.ReadProperty(QStringLiteral("AlarmMin"), 10.0f).toFloat());
    setAlarmMax(bag.ReadProperty(QStringLiteral("AlarmMax"), 90.0f).toFloat());
    setNrPM(byteOf(bag.ReadProperty(QStringLiteral("NrPM"), 0)));
    setNrIntervals(byteOf(bag.ReadProperty(QStringLiteral("NrIntervals"), 10)));
    setNumDecimals(byteOf(bag.ReadProperty(QStringLiteral("NumDecimals"), 1)));
    setTipText(bag.ReadProperty(QStringLiteral("TipText"), QString()).toString());
}

void BarGr::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Min"), Min(), 0.0f);
    bag.WriteProperty(QStringLiteral("Max"), Max(), 100.0f);
    bag.WriteProperty(QStringLiteral("Value"), value_, 50.0f);
    bag.WriteProperty(QStringLiteral("AlarmMin"), alarmMin_, 10.0f);
    bag.WriteProperty(QStringLiteral("AlarmMax"), alarmMax_, 90.0f);
    bag.WriteProperty(QStringLiteral("NrPM"), int(NrPM()), 0);
    bag.WriteProperty(QStringLiteral("NrIntervals"), int(nrIntervals_), 10);
    bag.WriteProperty(QStringLiteral("NumDecimals"), int(numDecimals_), 1);
    bag.WriteProperty(QStringLiteral("TipText"), tipText_, QString());
}

QStringList BarGr::changedProperties() const
{
    static const struct { Property bit; const char* name; } names[] = {
        {P_TipText, "TipText"}, {P_NrPM, "NrPM"},         {P_NrIntervals, "NrIntervals"},
        {P_NumDecimals, "NumDecimals"}, {P_Value, "Value"}, {P_AlarmMin, "AlarmMin"},
        {P_AlarmMax, "AlarmMax"}, {P_Min, "Min"},         {P_Max, "Max"},
    };
    QStringList out;
    for (const auto& n : names)
        if (changed_ & n.bit)
            out << QString::fromLatin1(n.name);
    return out;
}

}  // namespace qvx
