// What it costs to set the 95 bar graphs on every refresh, with values that
// change every call. Prints microseconds per refresh of all 95 bars:
//   qvx720_bars_bench [--rounds N]
// Runs off screen when no display is set (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bargr.h"

using namespace qvx;

namespace {

struct Figures {
    double median = 0, mean = 0, min = 0, max = 0;
};

Figures measure(int rounds, const std::function<void(int)>& refresh) {
    std::vector<double> us;
    us.reserve(std::size_t(rounds));
    QElapsedTimer t;
    for (int r = 0; r < rounds; ++r) {
        t.start();
        refresh(r);
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::vector<double> sorted = us;
    std::sort(sorted.begin(), sorted.end());
    Figures f;
    f.median = sorted[sorted.size() / 2];
    f.min = sorted.front();
    f.max = sorted.back();
    double sum = 0;
    for (double v : us) sum += v;
    f.mean = sum / double(us.size());
    return f;
}

void print(const char* what, const Figures& f) {
    std::printf("%-52s median %9.1f us  mean %9.1f us  min %9.1f us  max %9.1f us\n", what, f.median, f.mean, f.min,
                f.max);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int rounds = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    QApplication app(argc, argv);

    QVX720_INC state;
    QWidget page;
    auto* grid = new QGridLayout(&page);
    std::array<BarGr*, kChannels> bars{};
    for (int ch = 0; ch < kChannels; ++ch) {
        bars[std::size_t(ch)] = new BarGr(&page);
        bars[std::size_t(ch)]->setSharedState(&state);
        bars[std::size_t(ch)]->setNrPM(quint8(ch + 1));
        bars[std::size_t(ch)]->setNumDecimals(1);
        bars[std::size_t(ch)]->setMax(400.0f);
        bars[std::size_t(ch)]->setMin(0.0f);
        grid->addWidget(bars[std::size_t(ch)], ch / 20, ch % 20);
    }
    page.show();
    QApplication::processEvents();

    // A PV that moves by a few tenths of a degree on every call, different per channel.
    const auto pv = [](int round, int ch) { return float((1000 + ch * 29 + round * 7 % 2000) % 4000) / 10.0f; };

    std::printf("95 bar graphs, %d refreshes each\n", rounds);
    print("Value only (setters, no paint)", measure(rounds, [&](int r) {
              for (int ch = 0; ch < kChannels; ++ch) bars[std::size_t(ch)]->setValue(pv(r, ch));
          }));
    print("NumDecimals, Max, Min, Alarmstatas, Value (no paint)", measure(rounds, [&](int r) {
              for (int ch = 0; ch < kChannels; ++ch) {
                  BarGr* b = bars[std::size_t(ch)];
                  b->setNumDecimals(1);
                  b->setMax(400.0f);
                  b->setMin(0.0f);
                  b->setAlarmstatas(qint16((r / 50 + ch) % 7 == 0 ? 0x4 : 0));
                  b->setValue(pv(r, ch));
              }
          }));
    print("Value only, then paint", measure(rounds, [&](int r) {
              for (int ch = 0; ch < kChannels; ++ch) bars[std::size_t(ch)]->setValue(pv(r, ch));
              QApplication::processEvents();
          }));
    print("Same values again, then paint (nothing changes)", measure(rounds, [&](int) {
              for (int ch = 0; ch < kChannels; ++ch) bars[std::size_t(ch)]->setValue(pv(0, ch));
              QApplication::processEvents();
          }));

    long requests = 0, paints = 0;
    for (const BarGr* b : bars) {
        requests += b->updateRequests();
        paints += b->paintCount();
    }
    std::printf("repaint requests %ld, paints %ld\n", requests, paints);
    return 0;
}
