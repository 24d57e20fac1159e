// Renders the chart tab of the main window with a recorded plot, the
// channel-selection panel and the chart-scale dialog into PNG files, to look
// at the layout:
//   chart_shot [output-folder] [--ja]
#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

#include "korvel_chartctl.h"
#include "maindisp.h"
#include "setting3_disp.h"
#include "ui_seam.h"

using namespace qvx;

namespace {

class QuietUi : public QtUiSeam {
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
    void beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QString out = QStringLiteral("/tmp");
    bool ja = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--ja"))
            ja = true;
        else
            out = a;
    }
    QDir().mkpath(out);
    const QString suffix = ja ? QStringLiteral("_ja") : QString();
    const StringTable strings =
        StringTable::builtIn(ja ? StringTable::Language::Japanese : StringTable::Language::English);
    QTemporaryDir folder;
    QVX720_INC state;
    QuietUi ui;
    for (int ch = 0; ch < kChannels; ++ch) state.NoConnect(ch) = (ch == 6 || ch > 90) ? 1 : 0;
    MainDisp w(state, strings, ui, folder.path());
    w.system_init();
    w.SSTab2->setCurrentIndex(3);
    w.show();
    Korvel_ChartCtl& c = *w.Korvel_ChartCtl1;

    // Six pens, a short span of 600 samples, 100 samples recorded.
    for (int ch : {0, 1, 2, 3}) c.selection().PvPlot[std::size_t(ch)] = 1;
    for (int ch : {0, 2}) c.selection().SvPlot[std::size_t(ch)] = 1;
    c.setXScaleShort(true);
    c.setChartMaxCh(95);
    c.text_color_ref();
    const auto feed = [&](int step) {
        for (int ch = 0; ch < kChannels; ++ch) {
            const double pv = 150 + 60 * ch % 200 + 40 * std::sin((step + 7 * ch) / 12.0) + step * 0.4;
            c.setPvCaption(ch, QString::number(pv, 'f', 1));
            c.setSvCaption(ch, QString::number(200 + 25 * (ch % 4), 'f', 1));
        }
    };
    feed(0);
    c.auto_run();
    for (int step = 1; step < 100; ++step) {
        feed(step);
        c.timChart_Timer();
    }
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/chart_tab%1.png").arg(suffix));
    c.grab().save(out + QStringLiteral("/chart_control%1.png").arg(suffix));

    // The selection panel (standby only).
    c.cmdStop_Click();
    c.cmdChartsel_Click();
    c.TabStrip2->setCurrentIndex(0);
    QApplication::processEvents();
    c.grab().save(out + QStringLiteral("/chart_panel%1.png").arg(suffix));
    c.cmdSelend_Click();

    // The chart-scale dialog for the Y high, with an entry.
    c.lblSH_Click();
    Setting3_Disp* d = c.chartScaleDialog();
    d->Ten_key_Click(8);
    d->Ten_key_Click(0);
    d->Ten_key_Click(0);
    QApplication::processEvents();
    d->grab().save(out + QStringLiteral("/chart_scale_dialog%1.png").arg(suffix));
    return 0;
}
