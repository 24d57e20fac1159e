#include "bargr.h"

#include <QMouseEvent>
#include <QPainter>

#include "ole_color.h"

namespace qvx {

namespace {
constexpr quint16 kAlarmMask = 0x13FC;

QString plainNumber(float v) { return QString::number(double(v), 'g', 7); }
}  // namespace

BarGr::BarGr(QWidget* parent) : QWidget(parent) {
    setMinimumSize(20, 67);
    QFont f = font();
    f.setPointSizeF(qMax(7.0, f.pointSizeF() - 1));
    setFont(f);
    // Creation order: the scale texts are written while the decimals are 0.
    numDecimals_ = 0;
    setMin(0);
    setMax(100);
    value_ = 50;
    setNrPM(0);
    numDecimals_ = 1;
    nrIntervals_ = 10;
    Redraw();
}

void BarGr::setTipText(const QString& text) {
    tipText_ = text;
    setToolTip(text);
}

void BarGr::setNrPM(quint8 n) {
    const QString t = QString::number(n);
    if (t == indexText_) return;
    indexText_ = t;
    update();
}

quint8 BarGr::NrPM() const { return quint8(indexText_.toUInt()); }

void BarGr::setNrIntervals(quint8 n) {
    if (n > 50) {
        emit warning(QStringLiteral("Number of X grids must be less than 50"));
        n = 50;
    }
    nrIntervals_ = n;
}

void BarGr::setNumDecimals(quint8 n) {
    if (n > 5) {
        emit warning(QStringLiteral("Number of decimals must be less than 5"));
        n = 5;
    }
    numDecimals_ = n;
}

void BarGr::setValue(float v) {
    value_ = v;
    SetValue();
}

QString BarGr::formatScale(float v, const QString& previous) const {
    switch (numDecimals_) {
    case 0: return plainNumber(v);
    case 1: return QString::number(double(v), 'f', 1);
    case 2: return QString::number(double(v), 'f', 2);
    case 3: return QString::number(double(v), 'f', 3);
    default: return previous;  // 4 or 5 decimals: the text stays as it was
    }
}

void BarGr::setMin(float v) {
    const QString t = formatScale(v, minText_);
    if (t == minText_) return;
    minText_ = t;
    update();
}

void BarGr::setMax(float v) {
    const QString t = formatScale(v, maxText_);
    if (t == maxText_) return;
    maxText_ = t;
    update();
}

float BarGr::Min() const { return minText_.toFloat(); }
float BarGr::Max() const { return maxText_.toFloat(); }

void BarGr::setAlarmstatas(qint16 status) {
    const quint16 s = quint16(status) & kAlarmMask;
    const AlarmColor def;
    const AlarmColor& c = alarmColors_ ? *alarmColors_ : def;
    qint32 color = Ole::Red;
    switch (s) {
    case 0: color = Ole::Blue; break;
    case 0x4: color = c.AlmColor1; break;
    case 0x8: color = c.AlmColor2; break;
    case 0x10: color = c.AlmColor3; break;
    case 0x20: color = c.AlmColor4; break;
    case 0x40: case 0x80: case 0x100: case 0x200: case 0x1000: color = Ole::Red; break;
    default: color = c.AlmColorOther; break;
    }
    if (color == barColor_) return;
    barColor_ = color;
    update();
}

void BarGr::Redraw() {
    SetValue();
    update();
}

bool BarGr::SetValue() {
    const bool wasVisible = barVisible_;
    const double oldFraction = fraction_;
    const QString oldText = valueText_;
    barVisible_ = false;
    const float mx = Max();
    const float mn = Min();
    bool ok = true;
    if (!(value_ <= 0 && mx <= 0)) {
        if (mx == mn) {
            ok = false;
        } else {
            double f = (double(value_) - mn) / (double(mx) - mn);
            f = qBound(0.0, f, 1.0);
            fraction_ = f;
            barVisible_ = f > 0;
            valueText_ = QString::number(double(value_), 'f', numDecimals_);
        }
    }
    if (barVisible_ != wasVisible || fraction_ != oldFraction || valueText_ != oldText) update();
    return ok;
}

// Layout in the control's own units (1/15 pixel), as the design places the parts.
namespace {
constexpr double kUnit = 15.0;
}

QRect BarGr::maxRect() const { return QRect(0, int(215 / kUnit), width(), fontMetrics().height()); }

QRect BarGr::minRect() const {
    const double sh = height() * kUnit;
    return QRect(0, int((sh - 495) / kUnit), width(), fontMetrics().height());
}

void BarGr::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const double sw = width() * kUnit;
    const double sh = height() * kUnit;
    const QRectF back(30 / kUnit, 400 / kUnit, (2 * sw / 3) / kUnit, (sh - 880) / kUnit);

    p.fillRect(back, oleToColor(Ole::Grey));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(back.adjusted(0, 0, -1, -1));

    const double inner = back.height() - 60 / kUnit;
    if (barVisible_) {
        const double h = fraction_ * inner;
        const QRectF bar(back.left() + 30 / kUnit, back.bottom() - 30 / kUnit - h, back.width() - 60 / kUnit, h);
        p.fillRect(bar, oleToColor(barColor_));
    }
    if (nrIntervals_ > 0) {
        p.setPen(palette().color(QPalette::WindowText));
        const double top0 = back.top() + 30 / kUnit;
        const double step = inner / nrIntervals_;
        const double right = back.right();
        for (int i = 0; i <= nrIntervals_; ++i) {
            const double y = top0 + i * step;
            p.drawLine(QPointF(right, y), QPointF(right + 60 / kUnit, y));
        }
    }
    p.setPen(palette().color(QPalette::WindowText));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(int(30 / kUnit), 0, width(), fontMetrics().height()), Qt::AlignLeft | Qt::AlignTop, indexText_);
    p.setFont(font());
    p.drawText(maxRect(), Qt::AlignHCenter | Qt::AlignTop, maxText_);
    p.drawText(minRect(), Qt::AlignHCenter | Qt::AlignTop, minText_);
    p.drawText(QRect(0, int((sh - 285) / kUnit), width(), fontMetrics().height()), Qt::AlignHCenter | Qt::AlignTop,
               valueText_);
}

void BarGr::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (maxRect().contains(pos)) emit scaleClicked(Item::ScalingHigh);
    else if (minRect().contains(pos)) emit scaleClicked(Item::ScalingLow);
    else emit Click();
}

}  // namespace qvx
