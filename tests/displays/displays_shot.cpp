// Renders a page of 40 bar graphs and the two MV bars with sample values of
// the kind the refresh writes, into PNG files, to look at them:
//   displays_shot [output-folder]
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QStyleFactory>
#include <QVBoxLayout>

#include "bargr.h"
#include "mv_bergraph.h"

using namespace qvx;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    QDir().mkpath(out);

    QVX720_INC state;
    state.Alarm_Color.AlmColor1 = 0x0000FF;
    state.Alarm_Color.AlmColor2 = 0x00A5FF;
    state.Alarm_Color.AlmColor3 = 0x00FFFF;
    state.Alarm_Color.AlmColor4 = 0xFF00FF;
    state.Alarm_Color.AlmColorOther = 0x008000;

    QWidget page;
    auto* v = new QVBoxLayout(&page);
    auto* box = new QGroupBox(QStringLiteral("1 to 40"), &page);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(8, 8, 8, 8);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(10);
    for (int ch = 0; ch < 40; ++ch) {
        auto* b = new BarGr(box);
        b->setSharedState(&state);
        b->setNrPM(quint8(ch + 1));
        b->setTipText(QStringLiteral("CH%1").arg(ch + 1));
        // The refresh's order: decimals, high, low, status, value.
        const int kind = ch % 5;
        if (kind == 0) {  // a one-decimal sensor
            b->setNumDecimals(1);
            b->setMax(400.0f);
            b->setMin(0.0f);
        } else if (kind == 1) {  // a whole-degree sensor
            b->setNumDecimals(0);
            b->setMax(1370.0f);
            b->setMin(-200.0f);
        } else if (kind == 2) {  // a linear input with two decimals
            b->setNumDecimals(2);
            b->setMax(10.0f);
            b->setMin(0.0f);
        } else if (kind == 3) {  // a linear input with three decimals and a negative scale
            b->setNumDecimals(3);
            b->setMax(-1.0f);
            b->setMin(-9.999f);
        } else {
            b->setNumDecimals(1);
            b->setMax(199.9f);
            b->setMin(-199.9f);
        }
        const quint16 alarms[] = {0, 0, 0x4, 0, 0x8, 0, 0x100, 0x4 | 0x20, 0, 0x10};
        b->setAlarmstatas(qint16(alarms[ch % 10]));
        const float fractions[] = {0.1f, 0.35f, 0.5f, 0.75f, 0.95f, 1.2f, 0.0f, -0.1f};
        const float lo = b->Min();
        const float hi = b->Max();
        b->setValue(lo + (hi - lo) * fractions[ch % 8]);
        if (ch == 38) b->setValue(b->Max());
        if (ch == 39) b->hide();  // a channel without a control unit
        g->addWidget(b, ch / 20, ch % 20);
    }
    v->addWidget(box);

    auto* mv = new QGroupBox(QStringLiteral("MV"), &page);
    auto* m = new QGridLayout(mv);
    const struct { const char* caption; qint16 value; qint32 color; } bars[] = {
        {"Heating MV 42.5 %", 425, 0xFF0000},
        {"Cooling MV 0.0 %", 0, 0x00C000},
        {"MV 100.0 %", 1000, 0x0000FF},
        {"MV -5.0 %", -50, 0xFF0000},
    };
    int r = 0;
    for (const auto& b : bars) {
        auto* w = new MV_BerGraph(mv);
        w->setMvColor(b.color);
        w->setMvValue(b.value);
        m->addWidget(new QLabel(QString::fromLatin1(b.caption), mv), r, 0);
        m->addWidget(w, r++, 1);
    }
    m->setColumnStretch(2, 1);
    v->addWidget(mv);

    page.resize(1280, 760);
    page.show();
    QApplication::processEvents();
    const QString file = out + QStringLiteral("/bars_page.png");
    page.grab().save(file);
    // Enlarged views of a few bars and an MV bar.
    box->grab(QRect(0, 0, 8 + 6 * 64, box->height())).scaled(2 * (8 + 6 * 64), 2 * box->height())
        .save(out + QStringLiteral("/bars_zoom.png"));
    mv->grab().scaled(mv->width() * 2, mv->height() * 2).save(out + QStringLiteral("/mv_zoom.png"));
    qInfo("%s", qPrintable(file));
    return 0;
}
