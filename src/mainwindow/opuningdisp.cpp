#include "opuningdisp.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QVBoxLayout>
#include <cmath>

#include "qvx720_inc.h"

namespace qvx {

QPixmap openingPicture(const QSize& size) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    QLinearGradient bg(r.topLeft(), r.bottomRight());
    bg.setColorAt(0, QColor(0x12, 0x2a, 0x44));
    bg.setColorAt(1, QColor(0x1d, 0x4e, 0x6e));
    p.fillRect(r, bg);

    // A row of channel bars and a trend line over them.
    const int bars = 16;
    const double w = r.width() / (bars + 1);
    for (int i = 0; i < bars; ++i) {
        const double h = r.height() * (0.25 + 0.45 * (0.5 + 0.5 * std::sin(i * 0.9)));
        const QRectF bar(w * (i + 0.7), r.height() - h - 8, w * 0.6, h);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0, QColor(0x5c, 0xd6, 0xff, 210));
        g.setColorAt(1, QColor(0x1f, 0x7a, 0xb8, 160));
        p.fillRect(bar, g);
    }
    QPainterPath trend;
    for (int x = 0; x <= int(r.width()); x += 4) {
        const double y = r.height() * (0.38 + 0.12 * std::sin(x / 23.0) + 0.05 * std::sin(x / 7.0));
        if (x == 0) trend.moveTo(x, y);
        else trend.lineTo(x, y);
    }
    p.setPen(QPen(QColor(0xff, 0xb3, 0x3b), 2.5));
    p.drawPath(trend);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    for (int y = 0; y < int(r.height()); y += 16) p.drawLine(QPointF(0, y), QPointF(r.width(), y));
    return pm;
}

void styleCommErrorLabel(QLabel* label) {
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, QColor(0xc6, 0x28, 0x28));
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
}

OpuningDisp::OpuningDisp(const StringTable& strings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint), m_strings(strings) {
    setObjectName(QStringLiteral("OpuningDisp"));
    Image1 = new QLabel(this);
    Image1->setPixmap(openingPicture(QSize(460, 150)));
    Image1->setFixedSize(460, 150);

    Label4 = new QLabel(QStringLiteral("PWS-QVX07R"), this);
    QFont big = Label4->font();
    big.setPointSizeF(big.pointSizeF() * 1.9);
    big.setBold(true);
    Label4->setFont(big);
    Label2 = new QLabel(QStringLiteral("QVX-52B Monitoring Software"), this);
    QFont medium = Label2->font();
    medium.setPointSizeF(medium.pointSizeF() * 1.25);
    Label2->setFont(medium);
    Label1 = new QLabel(this);
    Label3 = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, kChannels);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);
    // The scan's own "Communication error": the main window is not shown yet.
    Label_commerror = new QLabel(this);
    Label_commerror->setObjectName(QStringLiteral("Label_commerror"));
    styleCommErrorLabel(Label_commerror);
    QSizePolicy keep = Label_commerror->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Label_commerror->setSizePolicy(keep);
    Label_commerror->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 18);
    layout->setSpacing(8);
    layout->addWidget(Image1, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    layout->addWidget(Label4);
    layout->addWidget(Label2);
    layout->addWidget(Label1);
    layout->addSpacing(10);
    layout->addWidget(Label3);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Label_commerror);
    Form_Load();
    setFixedSize(sizeHint().expandedTo(QSize(500, 0)));
}

void OpuningDisp::Form_Load() {
    setWindowTitle(m_strings.text(1));
    Label1->setText(m_strings.text(2));
    Label3->setText(m_strings.text(16));
    Label_commerror->setText(m_strings.text(451));
}

void OpuningDisp::setCommErrorVisible(bool visible) {
    if (Label_commerror->isHidden() != visible) return;
    Label_commerror->setVisible(visible);
    Label_commerror->repaint();
}

void OpuningDisp::setProgress(int value) {
    ProgressBar1->setValue(value);
    ProgressBar1->repaint();
}

void OpuningDisp::closeEvent(QCloseEvent* event) {
    if (!m_onClose) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    m_onClose();
}

}  // namespace qvx
