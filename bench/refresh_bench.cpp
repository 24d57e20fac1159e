// Cost of MainDisp::SelectDispItem, the refresh that runs after every poll
// transaction: the display rules of the visible tab, writing what changed
// into the widgets, and the PV and SV texts of all 95 channels for the chart.
// The main window is shown (offscreen unless QT_QPA_PLATFORM says otherwise)
// with 95 present channels. For every tab it prints, in microseconds:
//   all    - median / 99th percentile of a refresh when PV, SV, MV, status
//            and heater currents of every channel change between refreshes;
//   poll   - the same when only one channel's PV changes (what one poll does);
//   paint  - median of the event processing after an "all" refresh (the
//            repaints it asked for; not part of the refresh itself).
//   refresh_bench [--runs N]
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "maindisp.h"
#include "setting_items.h"
#include "string_table.h"
#include "ui_seam.h"

using namespace qvx;

namespace {

using Clock = std::chrono::steady_clock;

void fillBank(QVX720_INC& s) {
    for (int ch = 0; ch < kChannels; ++ch) {
        s.NoConnect(ch) = 0;
        s.Monitor_Data.Connect_Code(ch) = 1;
        s.Monitor_Data.OptionData(ch) = 0x17F;
        s.ParaData(ch, Item::InputType) = qint16(ch % 36);
        s.ParaData(ch, Item::DecimalPoint) = qint16(ch % 4);
        s.ParaData(ch, Item::ScalingHigh) = 1000;
        s.ParaData(ch, Item::ScalingLow) = -100;
        s.ParaData(ch, 12) = 30;
        s.ParaData(ch, 39) = 1;
        s.ParaData(ch, 40) = 1;
        s.UnitText(ch) = QStringLiteral("%");
    }
    for (int k = 10; k < kItems; ++k) s.AllPage_Data.AllParaData(k) = qint16(k % 2);
}

void changeAll(QVX720_INC& s, int step) {
    MonitorData& m = s.Monitor_Data;
    for (int ch = 0; ch < kChannels; ++ch) {
        m.PvData(ch) = qint16((step * 7 + ch) % 2000 - 500);
        m.MvData(ch) = qint16((step * 3 + ch) % 1000);
        m.CoolMvData(ch) = qint16((step + ch) % 1000);
        m.StatusData(ch) = qint16((step + ch) % 4 == 0 ? 0x4 : 0);
        m.Ct1Data(ch) = qint16(step % 500);
        m.Ct2Data(ch) = qint16(step % 400);
        s.ParaData(ch, Item::SV) = qint16((step + ch) % 900);
        s.AllPage_Data.AllParaData(10 + ch % 54) = qint16(step % 300);
    }
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

double micros(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

class QuietUi : public UiSeam {
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Icon, Buttons buttons) override {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    void beep() override {}
    void endProcess(int) override {}
};

struct Scenario {
    const char* name;
    std::function<void(MainDisp&)> select;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 2000;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--runs") runs = std::max(10, QByteArray(argv[i + 1]).toInt());

    const StringTable strings = StringTable::builtIn(StringTable::Language::English);
    QVX720_INC state;
    QuietUi ui;
    MainDisp w(state, strings, ui, QStringLiteral("/tmp"));
    fillBank(state);
    w.Option1[2]->setChecked(true);
    w.Option2[0]->setChecked(true);
    w.resize(1280, 860);
    w.show();
    QApplication::processEvents();

    auto tab = [](int t) { return [t](MainDisp& m) { m.SSTab2->setCurrentIndex(t); }; };
    const Scenario scenarios[] = {
        {"0 main: panels 41-60", [](MainDisp& m) { m.SSTab2->setCurrentIndex(0); m.TabStrip1->setCurrentIndex(2);
                                                 m.Option2[0]->setChecked(true); }},
        {"0 main: panels 81-95", [](MainDisp& m) { m.TabStrip1->setCurrentIndex(4); }},
        {"0 main: bars 1-40", [](MainDisp& m) { m.Option2[1]->setChecked(true); }},
        {"0 main: bars 41-80", [](MainDisp& m) { m.Option2[2]->setChecked(true); }},
        {"0 main: bars 81-95", [](MainDisp& m) { m.Option2[3]->setChecked(true); }},
        {"1 one channel: alarms", [](MainDisp& m) { m.SSTab2->setCurrentIndex(1); m.tb3_CHName->setCurrentIndex(33);
                                                  m.SSTab1->setCurrentIndex(0); }},
        {"1 one channel: other", [](MainDisp& m) { m.SSTab1->setCurrentIndex(1); }},
        {"2 setting grid: item 20", [](MainDisp& m) { m.SSTab2->setCurrentIndex(2);
                                                    m.Select_Command->setCurrentRow(settingRowOfItem(20)); }},
        {"2 setting grid: item 11", [](MainDisp& m) { m.Select_Command->setCurrentRow(settingRowOfItem(11)); }},
        {"2 setting grid: item 54", [](MainDisp& m) { m.Select_Command->setCurrentRow(settingRowOfItem(54)); }},
        {"3 chart", tab(3)},
        {"4 logging", tab(4)},
        {"5 all channels", tab(5)},
    };

    std::printf("MainDisp::SelectDispItem, 95 present channels, %d refreshes per figure (microseconds)\n", runs);
    std::printf("%-26s %20s %20s %12s\n", "tab", "all: median / p99", "poll: median / p99", "paint: med");
    int step = 0;
    for (const Scenario& sc : scenarios) {
        sc.select(w);
        QApplication::processEvents();
        std::vector<double> all, poll, paint;
        all.reserve(std::size_t(runs));
        poll.reserve(std::size_t(runs));
        paint.reserve(std::size_t(runs));
        for (int i = 0; i < runs + 50; ++i) {
            changeAll(state, ++step);
            const auto t0 = Clock::now();
            w.SelectDispItem();
            const auto t1 = Clock::now();
            QApplication::processEvents();
            const auto t2 = Clock::now();
            if (i >= 50) {  // warm-up
                all.push_back(micros(t0, t1));
                paint.push_back(micros(t1, t2));
            }
        }
        for (int i = 0; i < runs + 50; ++i) {
            state.Monitor_Data.PvData(i % kChannels) = qint16((step + i) % 1500);
            const auto t0 = Clock::now();
            w.SelectDispItem();
            const auto t1 = Clock::now();
            QApplication::processEvents();
            if (i >= 50) poll.push_back(micros(t0, t1));
        }
        std::printf("%-26s %8.1f / %8.1f   %8.1f / %8.1f   %10.1f\n", sc.name, percentile(all, 0.5),
                    percentile(all, 0.99), percentile(poll, 0.5), percentile(poll, 0.99), percentile(paint, 0.5));
        std::fflush(stdout);
    }
    return 0;
}
