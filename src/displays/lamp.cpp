#include "lamp.h"

#include <QPainter>
#include <QRadialGradient>

#include "ole_color.h"

namespace qvx {

Lamp::Lamp(const QString& text, Shape shape, QWidget* parent) : QWidget(parent), text_(text), shape_(shape) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setFillColor(const QColor& color) {
    if (color == fill_) return;
    fill_ = color;
    update();
}

void Lamp::setBackColor(qint32 ole) { setFillColor(oleToColor(ole)); }

qint32 Lamp::backColor() const { return colorToOle(fill_); }

void Lamp::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize Lamp::sizeHint() const {
    if (shape_ == Shape::Circle) return {16, 16};
    const int w = text_.isEmpty() ? 18 : fontMetrics().horizontalAdvance(text_) + 8;
    return {qMax(w, 22), 18};
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, shape_ == Shape::Circle);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (shape_ == Shape::Circle) {
        // An indicator lamp: a dark bezel around a softly shaded face.
        const qreal d = qMin(r.width(), r.height()) - 1;
        const QRectF face(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
        QRadialGradient g(face.center() - QPointF(d / 5, d / 5), d * 0.75);
        g.setColorAt(0, fill_.lighter(125));
        g.setColorAt(1, fill_.darker(118));
        p.setPen(QPen(QColor(0x3c, 0x42, 0x4a), 1.6));
        p.setBrush(g);
        p.drawEllipse(face);
    } else {
        p.setPen(QColor(0x60, 0x66, 0x70));
        p.setBrush(fill_);
        p.drawRect(r);
    }
    if (!text_.isEmpty()) {
        // Dark text on light fills, white text on dark ones.
        p.setPen(fill_.lightness() > 140 ? QColor(0x20, 0x24, 0x2a) : Qt::white);
        p.drawText(rect(), Qt::AlignCenter, text_);
    }
}

}  // namespace qvx
