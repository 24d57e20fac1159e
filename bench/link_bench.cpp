// Link benchmark: the start-up scan of 95 present channels and a full poll
// cycle through qvx720-sim on a pseudo-terminal with the real serial
// transport, each against the line's limit for the same frames; and the
// program's own time per monitoring tick outside the transaction.
//
// Then, on a virtual clock, what the line checks cost a scan: a sparse line
// of 8 controllers and a full one, at 100, 1000 and 4000 ms, as the ratio of
// the scan's time to the same scan without the checks' transactions; and a
// one-controller scan with and without a 3-s silence inside its read.
//
//   qvx720_link_bench [--bauds 19200,9600] [--turnaround-ms T] [--channels LIST] [--ticks N] [--checks-only]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <limits>
#include <cstdio>
#include <memory>
#include <vector>

#include "link.h"
#include "realistic_mix.h"
#include "serial_transport.h"
#include "sim_transport.h"

using namespace qvx;

namespace {

using Clock = std::chrono::steady_clock;

// Counts the bytes each way and the time spent inside the line's calls.
class MeteredLine final : public Transport {
public:
    explicit MeteredLine(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}
    bool open(int baud) override { return inner_->open(baud); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    bool send(const QByteArray& b) override {
        const auto t = Clock::now();
        sent += b.size();
        ++frames;
        const bool ok = inner_->send(b);
        inside += Clock::now() - t;
        return ok;
    }
    QByteArray receive(int ms) override {
        const auto t = Clock::now();
        QByteArray b = inner_->receive(ms);
        received += b.size();
        inside += Clock::now() - t;
        return b;
    }
    void discardInput() override { inner_->discardInput(); }

    qint64 sent = 0, received = 0, frames = 0;
    Clock::duration inside{};

private:
    std::unique_ptr<Transport> inner_;
};

class NullView final : public LinkView, public HistorySink {
public:
    void setStatusPanel(int, const QString&) override {}
    void setCommErrorVisible(bool) override {}
    void showKeyOperationMessage() override {}
    void setScanProgress(int) override {}
    void setChartMaxCh(int) override {}
    void SelectDispItem() override {}
    void startUpScanDone() override {}
    void setCommDialogPort(const QString&) override {}
    void setCommDialogSpeed(const QString&) override {}
    void showCommDialog() override {}
    void checkTimeoutMenu(int) override {}
    int optionCheckValue(int) const override { return 0; }
    bool logBoxChecked(int) const override { return false; }
    void setLogBoxEnabled(int, bool) override {}
    void setLogBoxChecked(int, bool) override {}
    void setLogFileCaption(const QString&) override {}
    void startLogging() override {}
    bool confirmDataClear() override { return false; }
    void processEvents() override {}
    void History_Write(const QString&, int, int) override { ++entries; }
    void AlarmChk(int) override {}
    int entries = 0;
};

struct Rig {
    QTemporaryDir dir;
    QVX720_INC s;
    QVX720Com com;
    SettingsStore store{dir.filePath("s.ini")};
    StringTable strings;
    NullView view;
    Link link{s, com, store, strings, view, view};
    MeteredLine* line = nullptr;
};

// Line limit of what was sent and received: 10 bits a byte plus the turnaround per frame.
double limitSeconds(const MeteredLine& m, int baud, double turnaroundMs) {
    return double(m.sent + m.received) * 10.0 / baud + double(m.frames) * turnaroundMs / 1000.0;
}

void linkRun(int baud, int turnaroundMs, const QString& channels) {
    QTemporaryDir dir;
    const QString link = dir.filePath("line");
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{"--link", link, "--baud", QString::number(baud), "--turnaround-ms", QString::number(turnaroundMs)};
    if (channels == "all") args << "--all";
    else args << "--channels" << channels;
    tool.start(QStringLiteral(QVX720_SIM_TOOL), args);
    QElapsedTimer wait;
    wait.start();
    while (!QFileInfo(link).exists() && wait.elapsed() < 5000) QThread::msleep(5);

    Rig r;
    fillParaAddr(r.s);
    r.com.setDeviceFactory([&r](const QString& dev) {
        auto m = std::make_unique<MeteredLine>(std::make_unique<SerialTransport>(dev));
        r.line = m.get();
        return m;
    });
    qputenv("QVX720_COM1", link.toLocal8Bit());
    r.com.Comm_SetPort("COM1");
    r.com.Comm_SetSpeed(QString::number(baud));
    r.com.Comm_SetTimeOut(100);
    r.com.Comm_SetOption(true);
    if (r.com.Comm_PortOpen() != -1 || !r.line) {
        std::printf("cannot open the simulator's line at %d baud\n", baud);
        return;
    }
    // Scan.
    auto t = Clock::now();
    r.link.Setdata_read();
    double secs = std::chrono::duration<double>(Clock::now() - t).count();
    int present = 0;
    for (int ch = 0; ch < kChannels; ++ch) present += r.s.NoConnect(ch) == 0;
    const int absent = kChannels - present;
    // Absent addresses wait their time-out; the limit counts it too.
    double limit = limitSeconds(*r.line, baud, turnaroundMs) + absent * 0.100 -
                   absent * (11.0 * 10.0 / baud + turnaroundMs / 1000.0);
    std::printf("%6d baud  scan of %2d present channels: %7.2f s, %5lld frames, line limit %7.2f s, ratio %.3f\n",
                baud, present, secs, static_cast<long long>(r.line->frames), limit, limit / secs);
    // One poll cycle: 7 phases over the present channels.
    r.line->sent = r.line->received = r.line->frames = 0;
    const int ticks = 7 * std::max(present, 1);
    t = Clock::now();
    for (int i = 0; i < ticks; ++i) r.link.Monitor_read();
    secs = std::chrono::duration<double>(Clock::now() - t).count();
    limit = limitSeconds(*r.line, baud, turnaroundMs);
    std::printf("%6d baud  poll cycle of %4d ticks:       %7.2f s, %5lld frames, line limit %7.2f s, ratio %.3f"
                "  (%.1f transactions/s)\n",
                baud, ticks, secs, static_cast<long long>(r.line->frames), limit, limit / secs, ticks / secs);
    tool.terminate();
    tool.waitForFinished(3000);
}

// The program's own time per monitoring tick: Monitor_read minus the time
// inside the line's calls, on the in-process line with no line time.
void tickCost(int ticks) {
    Rig r;
    fillParaAddr(r.s);
    auto bank = sim::makeRealisticBank();
    for (int ch = 0; ch < kChannels; ++ch)
        if (!bank->present(ch)) bank->setChannel(ch, sim::plainChannel(ch));
    sim::SimLineOptions o;
    o.lineTime = false;
    r.com.setSimulateAllPorts(true);
    r.com.setSimulatedLine([&r, bank, o] {
        auto m = std::make_unique<MeteredLine>(std::make_unique<sim::SimTransport>(bank, o));
        r.line = m.get();
        return m;
    });
    r.com.Comm_SetOption(true);
    r.com.Comm_PortOpen();
    r.link.Setdata_read();
    std::vector<double> own, whole;
    own.reserve(ticks);
    whole.reserve(ticks);
    for (int i = 0; i < ticks; ++i) {
        r.line->inside = {};
        const auto t = Clock::now();
        r.link.Monitor_read();
        const auto d = Clock::now() - t;
        whole.push_back(std::chrono::duration<double, std::micro>(d).count());
        own.push_back(std::chrono::duration<double, std::micro>(d - r.line->inside).count());
    }
    std::sort(own.begin(), own.end());
    std::sort(whole.begin(), whole.end());
    std::printf("monitoring tick, 95 present channels, %d ticks: program's own time median %.2f us (p99 %.2f us); "
                "with the in-process transaction %.2f us\n",
                ticks, own[own.size() / 2], own[own.size() * 99 / 100], whole[whole.size() / 2]);
}


// The simulated bank with line time counted on a virtual clock: 10 bits a
// byte each way and the turnaround; a silent controller or line costs the
// whole time-out. Replies are dropped while the line is made silent.
class VirtualLine final : public Transport {
public:
    VirtualLine(std::shared_ptr<sim::ControllerBank> bank, qint64& now, int turnaroundMs)
        : inner_(std::move(bank), sim::SimLineOptions{false, 0}), now_(now), turnaroundMs_(turnaroundMs) {}
    bool open(int baud) override {
        baud_ = baud;
        return inner_.open(baud);
    }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool send(const QByteArray& b) override {
        now_ += bytesMs(b.size()) + turnaroundMs_;
        return inner_.send(b);
    }
    QByteArray receive(int ms) override {
        QByteArray b = inner_.receive(0);  // the virtual clock waits, not this thread
        if (now_ >= silentFrom && now_ < silentFrom + silentMs) b.clear();
        now_ += b.isEmpty() ? ms : bytesMs(b.size());
        return b;
    }
    void discardInput() override { inner_.discardInput(); }

    qint64 silentFrom = std::numeric_limits<qint64>::max() / 2;
    qint64 silentMs = 0;

private:
    qint64 bytesMs(qsizetype n) const { return (qint64(n) * 10 * 1000 + baud_ - 1) / std::max(baud_, 1); }
    sim::SimTransport inner_;
    qint64& now_;
    int turnaroundMs_;
    int baud_ = 9600;
};

struct VirtualScan {
    qint64 ms = 0;
    Link::LineCheckCount checks;
    int present = 0;
};

// A start-up scan on the virtual clock, after the link check; silentAtFrame:
// the line goes silent for silentMs from the n-th frame to channel silentCh.
VirtualScan virtualScan(const std::vector<int>& there, int baud, int timeoutMs, int turnaround,
                        int silentCh = -1, int silentAtFrame = 0, qint64 silentMs = 0) {
    Rig r;
    fillParaAddr(r.s);
    auto bank = std::make_shared<sim::ControllerBank>();
    for (int ch : there) bank->setChannel(ch, sim::plainChannel(ch));
    qint64 now = 0;
    VirtualLine* line = nullptr;
    r.com.setClock([&now] { return now; });
    r.com.setSimulateAllPorts(true);
    r.com.setSimulatedLine([&] {
        auto l = std::make_unique<VirtualLine>(bank, now, turnaround);
        line = l.get();
        return l;
    });
    r.com.Comm_SetOption(true);
    r.com.Comm_SetTimeOut(timeoutMs);
    r.s.Time_Count = 0;  // the time-out given here, not a stored choice
    // The link check asks Ch01; a line without it is opened as it stands.
    if (std::find(there.begin(), there.end(), 0) != there.end()) {
        r.link.Link_open("COM1", QString::number(baud));
    } else {
        r.com.Comm_SetSpeed(QString::number(baud));
        r.com.Comm_PortOpen();
    }
    int frames = 0;
    if (silentCh >= 0)
        r.com.setBeforeTransaction([&] {
            if (r.s.Com_Adr == channelAddress(silentCh) && ++frames == silentAtFrame && line) {
                line->silentFrom = now;
                line->silentMs = silentMs;
            }
        });
    const qint64 start = now;
    r.s.Write_Request.Com_State = Com_FirstRead;
    while (r.s.Write_Request.Com_State == Com_FirstRead) r.link.Timer4_Timer();
    VirtualScan v;
    v.ms = now - start;
    v.checks = r.link.lineChecks();
    for (int ch = 0; ch < kChannels; ++ch) v.present += r.s.NoConnect(ch) == 0;
    return v;
}

void checkCosts(int turnaround) {
    const std::vector<int> sparse{0, 7, 19, 33, 48, 61, 77, 90};
    std::vector<int> full(kChannels);
    for (int ch = 0; ch < kChannels; ++ch) full[std::size_t(ch)] = ch;
    for (int baud : {19200, 9600})
        for (const auto& [name, there] : {std::pair{"8 controllers", sparse}, std::pair{"95 controllers", full}})
            for (int t : {100, 1000, 4000}) {
                const VirtualScan v = virtualScan(there, baud, t, turnaround);
                std::printf("%6d baud  scan of %s at %4d ms: %8.2f s, %3llu line checks (%6.2f s), "
                            "ratio to the scan without them %.4f\n",
                            baud, name, t, v.ms / 1000.0, static_cast<unsigned long long>(v.checks.checks),
                            v.checks.ms / 1000.0, double(v.ms) / double(v.ms - v.checks.ms));
            }
    for (int t : {1000, 4000}) {
        const VirtualScan quiet = virtualScan({5}, 19200, t, turnaround);
        const VirtualScan silent = virtualScan({5}, 19200, t, turnaround, 5, 4, 3000);
        std::printf(" 19200 baud  one controller at %4d ms: scan %7.2f s, with a 3-s silence from its 4th frame "
                    "%7.2f s (%+.2f s), %d present\n",
                    t, quiet.ms / 1000.0, silent.ms / 1000.0, (silent.ms - quiet.ms) / 1000.0, silent.present);
    }
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList bauds{"19200", "9600"};
    int turnaround = 2;
    int ticks = 20000;
    QString channels = "all";
    bool checksOnly = false;
    const QStringList a = app.arguments();
    for (int i = 1; i + 1 < a.size(); ++i) {
        if (a[i] == "--bauds") bauds = a[++i].split(',');
        else if (a[i] == "--turnaround-ms") turnaround = a[++i].toInt();
        else if (a[i] == "--ticks") ticks = a[++i].toInt();
        else if (a[i] == "--channels") channels = a[++i];
    }
    checksOnly = a.contains(QStringLiteral("--checks-only"));
    if (!checksOnly) {
        tickCost(ticks);
        for (const QString& b : bauds) linkRun(b.toInt(), turnaround, channels);
    }
    checkCosts(turnaround);
    return 0;
}
