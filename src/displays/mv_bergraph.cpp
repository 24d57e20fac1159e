#include "mv_bergraph.h"

#include <QPainter>

#include "ole_color.h"

namespace qvx {

namespace {
// The design's extent in its own units; the picture is scaled to the widget.
constexpr double kDesignWidth = 2900;
constexpr double kDesignHeight = 760;
}  // namespace

MV_BerGraph::MV_BerGraph(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void MV_BerGraph::setMvValue(qint16 v) {
    if (v == mvValue_) return;
    mvValue_ = v;
    update();
}

void MV_BerGraph::setMvColor(qint32 ole) {
    mvColor_ = ole;
    if (ole == appliedColor_) return;
    appliedColor_ = ole;
    update();
}

void MV_BerGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const double sx = width() / kDesignWidth;
    const double sy = height() / kDesignHeight;
    auto r = [&](double x, double y, double w, double h) { return QRectF(x * sx, y * sy, w * sx, h * sy); };

    const QRectF back = r(240, 60, 2202, 372);
    p.fillRect(back, Qt::white);
    // The bar: from the left edge of the background, clipped to it.
    const double w = qBound(0.0, double(barWidth()), 2202.0);
    if (w > 0) p.fillRect(r(240, 61, w, 370), oleToColor(appliedColor_));
    p.setPen(QColor(0x60, 0x66, 0x70));
    p.drawRect(back.adjusted(0, 0, -1, -1));

    p.setPen(palette().color(QPalette::WindowText));
    for (int n = 0; n <= 10; ++n) {
        const double x = (340 + 200 * n) * sx;
        p.drawLine(QPointF(x, 440 * sy), QPointF(x, (n % 5 == 0 ? 560 : 510) * sy));
    }
    QFont f = font();
    f.setPointSizeF(qMax(6.5, f.pointSizeF() - 1.5));
    p.setFont(f);
    const int th = QFontMetrics(f).height();
    const char* marks[3] = {"0", "50", "100"};
    for (int i = 0; i < 3; ++i) {
        const double x = (340 + 1000 * i) * sx;
        p.drawText(QRectF(x - 30, height() - th, 60, th), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::fromLatin1(marks[i]));
    }
}

}  // namespace qvx
