// Cost of the chart's data feed, which runs after every poll transaction:
// the 190 caption writes (Pv0Caption..Pv94Caption, Sv0Caption..Sv94Caption)
// and the legend refresh (ChartMaxCh := 95). The chart is shown (offscreen
// unless QT_QPA_PLATFORM says otherwise) with 95 present channels and the
// first legend page on show. It prints, in microseconds, median / 99th
// percentile of:
//   captions-new   - 190 writes, every text different from the last feed;
//   captions-same  - 190 writes of the texts already shown;
//   captions-off   - 190 new texts with a legend page whose channels are absent;
//   legend         - ChartMaxCh := 95 (names from the store, visibility, colours);
//   paint          - the event processing after a captions-new feed (not part of it);
//   tick           - one plot tick with all 190 pens selected.
//   chart_bench [--runs N]
#include <QApplication>
#include <QTabBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "chart_files.h"
#include "korvel_chartctl.h"
#include "string_table.h"
#include "ui_seam.h"

using namespace qvx;

namespace {

using Clock = std::chrono::steady_clock;

class QuietUi : public QtUiSeam {
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
    void beep() override {}
};

void report(const char* name, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    const double median = us[us.size() / 2];
    const double p99 = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    std::printf("%-14s median %8.1f us   p99 %8.1f us   (%zu runs)\n", name, median, p99, us.size());
}

std::vector<double> measure(int runs, const std::function<void(int)>& before, const std::function<void()>& body) {
    std::vector<double> us;
    us.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        before(i);
        const auto t0 = Clock::now();
        body();
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    return us;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int runs = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == QLatin1String("--runs")) runs = std::max(10, atoi(argv[i + 1]));

    QTemporaryDir folder;
    QVX720_INC state;
    const StringTable strings = StringTable::builtIn(StringTable::Language::English);
    QuietUi ui;
    loadChartFiles(state, folder.path());
    ChartEnv env;
    env.state = &state;
    env.strings = &strings;
    env.ui = &ui;
    env.programFolder = folder.path();
    Korvel_ChartCtl chart(env);
    chart.setYScaleHigh(QStringLiteral("400"));
    chart.show();
    QApplication::processEvents();

    // Two sets of texts as the formatter writes them, prepared beforehand.
    std::vector<QString> pv[2], sv[2];
    for (int set = 0; set < 2; ++set)
        for (int ch = 0; ch < kChannels; ++ch) {
            pv[set].push_back(QString::number(100.0 + ch + set * 0.1, 'f', 1));
            sv[set].push_back(QString::number(200.0 + ch + set * 0.1, 'f', 1));
        }
    const auto feed = [&](int set) {
        for (int ch = 0; ch < kChannels; ++ch) {
            chart.setPvCaption(ch, pv[set][std::size_t(ch)]);
            chart.setSvCaption(ch, sv[set][std::size_t(ch)]);
        }
    };
    chart.setChartMaxCh(95);
    feed(0);
    QApplication::processEvents();

    report("captions-new", measure(runs, [](int) {}, [&, n = 0]() mutable { feed(++n % 2); }));
    QApplication::processEvents();
    report("captions-same", measure(runs, [](int) {}, [&] { feed(0); }));
    report("legend", measure(runs, [](int) {}, [&] { chart.setChartMaxCh(95); }));
    {
        int n = 0;
        std::vector<double> paint;
        for (int i = 0; i < std::min(runs, 300); ++i) {
            feed(++n % 2);
            const auto t0 = Clock::now();
            QApplication::processEvents();
            paint.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        report("paint", paint);
    }
    for (int ch = 0; ch < 40; ++ch) state.NoConnect(ch) = 1;
    chart.setChartMaxCh(95);
    report("captions-off", measure(runs, [](int) {}, [&, n = 0]() mutable { feed(++n % 2); }));
    for (int ch = 0; ch < 40; ++ch) state.NoConnect(ch) = 0;

    // Plot ticks: every pen selected, long span (8999 samples fit).
    chart.selection().PvPlot.fill(1);
    chart.selection().SvPlot.fill(1);
    chart.auto_run();
    report("tick", measure(std::min(runs, 8000), [&](int i) { feed(i % 2); }, [&] { chart.timChart_Timer(); }));
    chart.cmdStop_Click();
    return 0;
}
