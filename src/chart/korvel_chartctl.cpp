#include "korvel_chartctl.h"

#include <QPainter>

namespace qvx {

Korvel_ChartCtl::Korvel_ChartCtl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Korvel_ChartCtl::setChartMaxCh(qint16 n) {
    chartMaxCh_ = n;
    // The legend of the visible chart page follows with the full chart.
}

void Korvel_ChartCtl::setPvCaption(int ch, const QString& text) {
    if (ch < 0 || ch >= kChannels) return;
    pv_[std::size_t(ch)] = text;
}

void Korvel_ChartCtl::setSvCaption(int ch, const QString& text) {
    if (ch < 0 || ch >= kChannels) return;
    sv_[std::size_t(ch)] = text;
}

QString Korvel_ChartCtl::pvCaption(int ch) const {
    return ch >= 0 && ch < kChannels ? pv_[std::size_t(ch)] : QString();
}

QString Korvel_ChartCtl::svCaption(int ch) const {
    return ch >= 0 && ch < kChannels ? sv_[std::size_t(ch)] : QString();
}

void Korvel_ChartCtl::auto_run() {
    running_ = true;
}

void Korvel_ChartCtl::paintEvent(QPaintEvent*) {
    // An empty plot area with its grid.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect plot = rect().adjusted(56, 16, -16, -36);
    p.fillRect(plot, QColor(0x10, 0x18, 0x20));
    p.setPen(QColor(0x38, 0x44, 0x50));
    for (int i = 1; i < 10; ++i) {
        const int x = plot.left() + plot.width() * i / 10;
        p.drawLine(x, plot.top(), x, plot.bottom());
    }
    for (int i = 1; i < 4; ++i) {
        const int y = plot.top() + plot.height() * i / 4;
        p.drawLine(plot.left(), y, plot.right(), y);
    }
    p.setPen(QColor(0x70, 0x78, 0x80));
    p.drawRect(plot.adjusted(0, 0, -1, -1));
}

}  // namespace qvx
