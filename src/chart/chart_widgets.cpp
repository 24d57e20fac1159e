#include "chart_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "ole_color.h"

namespace qvx {

// ---------------------------------------------------------------------------
// ChartCanvas

ChartCanvas::ChartCanvas(QWidget* parent)
    : QWidget(parent), image_(kPixelWidth, kPixelHeight, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kPixelWidth, kPixelHeight);
    image_.fill(Qt::white);
}

void ChartCanvas::clear() {
    image_.fill(Qt::white);
    update();
}

void ChartCanvas::drawLines(const std::vector<chart::Line>& lines) {
    QPainter p(&image_);
    for (const chart::Line& l : lines) {
        p.setPen(QPen(oleToColor(l.color), 0));
        p.drawLine(toPixel(l.x1), toPixel(l.y1), toPixel(l.x2), toPixel(l.y2));
    }
    p.end();
    update();
}

void ChartCanvas::drawStrokes(const std::vector<chart::Stroke>& strokes) {
    if (strokes.empty()) return;
    QPainter p(&image_);
    int left = kPixelWidth, right = -1;
    for (const chart::Stroke& s : strokes) {
        const int x = toPixel(s.x);
        p.setPen(QPen(oleToColor(s.color), 0));
        p.drawPoint(x, toPixel(s.y));
        p.drawLine(x, toPixel(s.fromY), x, toPixel(s.y));
        left = qMin(left, x);
        right = qMax(right, x);
    }
    p.end();
    // Only the columns of this sample are painted again.
    update(QRect(left - 1, 0, right - left + 3, kPixelHeight));
}

void ChartCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    p.drawImage(r, image_, r);
}

// ---------------------------------------------------------------------------
// UpDown

UpDown::UpDown(const chart::UpDownRange& range, int position, QWidget* parent)
    : QWidget(parent), range_(range), value_(position) {
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    upButton = new QToolButton(this);
    upButton->setArrowType(Qt::UpArrow);
    downButton = new QToolButton(this);
    downButton->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {upButton, downButton}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        l->addWidget(b);
    }
    connect(upButton, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(downButton, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::setValue(int v) { value_ = v; }

void UpDown::stepUp() { step(1); }

void UpDown::stepDown() { step(-1); }

void UpDown::step(int dir) {
    const int v = chart::upDownStep(value_, dir, range_);
    if (v == value_) return;
    value_ = v;
    emit stepped(v);
}

// ---------------------------------------------------------------------------
// ClickLabel

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

}  // namespace qvx
