// Cost of the display refresh that runs after every poll transaction: the
// view of each tab plus the PV and SV texts of all 95 channels for the chart.
// 95 present channels; prints the median and the 99th percentile in
// microseconds per refresh for three kinds of change between refreshes:
//   all     - PV, SV, MV, status and heater currents of every channel change
//             (the worst case: every text is formatted again);
//   one     - only the polled channel's PV changes (what the poll does);
//   forced  - nothing changes but the views are invalidated (every field is
//             reported changed, as after a page or tab change).
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "display_rules.h"
#include "preferences.h"
#include "qvx720_inc.h"
#include "string_table.h"

using namespace qvx;

namespace {

struct Scenario {
    const char* name;
    DisplayInputs in;
};

void fillBank(QVX720_INC& s)
{
    for (int ch = 0; ch < kChannels; ++ch) {
        s.Monitor_Data.Connect_Code(ch) = 1;
        s.Monitor_Data.OptionData(ch) = 0x17F;
        s.ParaData(ch, Item::InputType) = qint16(ch % 36);
        s.ParaData(ch, Item::DecimalPoint) = qint16(ch % 4);
        s.ParaData(ch, Item::ScalingHigh) = 1000;
        s.ParaData(ch, Item::ScalingLow) = -100;
        s.ParaData(ch, 12) = 30;
        s.ParaData(ch, 39) = 1;
        s.UnitText(ch) = QStringLiteral("%");
    }
    for (int k = 10; k < kItems; ++k)
        s.AllPage_Data.AllParaData(k) = qint16(k % 2);
}

void changeAll(QVX720_INC& s, int step)
{
    for (int ch = 0; ch < kChannels; ++ch) {
        MonitorData& m = s.Monitor_Data;
        m.PvData(ch) = qint16((step * 7 + ch) % 2000 - 500);
        m.MvData(ch) = qint16((step * 3 + ch) % 1000);
        m.CoolMvData(ch) = qint16((step + ch) % 1000);
        m.StatusData(ch) = qint16((step + ch) % 4 == 0 ? 0x4 : 0);
        m.Ct1Data(ch) = qint16(step % 500);
        m.Ct2Data(ch) = qint16(step % 400);
        s.ParaData(ch, Item::SV) = qint16((step + ch) % 900);
    }
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const StringTable strings = StringTable::builtIn(StringTable::Language::English);
    QVX720_INC state;
    fillBank(state);
    ChannelNames names;
    for (int ch = 0; ch < kChannels; ++ch)
        names(ch) = defaultChannelName(ch);
    const DisplayContext ctx{state, strings, names};

    auto inputs = [](int tab, int mode, int info = 0) {
        DisplayInputs in;
        in.mainTab = tab;
        in.displayMode = mode;
        in.panelPageBase = 40;
        in.settingPageBase = 40;
        in.oneChannel = 33;
        in.infoTab = info;
        return in;
    };
    const Scenario scenarios[] = {
        {"chart feed only (tab 3)", inputs(3, 0)},
        {"main: 20 panels", inputs(0, 0)},
        {"main: bars 1-40", inputs(0, 1)},
        {"one channel: alarms", inputs(1, 0, 0)},
        {"one channel: other", inputs(1, 0, 1)},
        {"setting grid (item 20)", inputs(2, 0)},
        {"all channels page", inputs(5, 0)},
    };
    state.Edit_Context.Set_Item = 20;

    constexpr int kRuns = 5000;
    std::printf("display refresh, 95 present channels, %d refreshes per figure\n", kRuns);
    std::printf("%-26s %22s %22s %22s\n", "tab", "all change: med/p99", "one changes: med/p99",
                "forced: med/p99");
    for (const Scenario& sc : scenarios) {
        std::printf("%-26s", sc.name);
        for (int kind = 0; kind < 3; ++kind) {
            DisplayViews views;
            std::vector<double> us;
            us.reserve(kRuns);
            for (int i = 0; i < kRuns + 100; ++i) {
                if (kind == 0)
                    changeAll(state, i);
                else if (kind == 1)
                    state.Monitor_Data.PvData(i % kChannels) = qint16(i % 1500);
                else
                    views.invalidate();
                const auto t0 = std::chrono::steady_clock::now();
                SelectDispItem(ctx, sc.in, views);
                const auto t1 = std::chrono::steady_clock::now();
                if (i >= 100)  // warm-up
                    us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            }
            std::printf("   %8.2f / %8.2f us", percentile(us, 0.5), percentile(us, 0.99));
        }
        std::printf("\n");
    }
    return 0;
}
