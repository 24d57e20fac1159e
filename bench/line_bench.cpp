// Line benchmark: read transactions per second through qvx720-sim on a
// pseudo-terminal with the real serial transport, against the line's limit,
// and the cost of one transaction on the in-process simulated line.
//
//   qvx720_line_bench [--count N] [--inproc-count M] [--turnaround-ms T]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "protocol.h"
#include "qvx720com.h"
#include "realistic_mix.h"
#include "sim_transport.h"

namespace {

const char* const kItems[] = {"0080", "0085", "0003", "0081"};

struct PtyResult {
    bool ok = false;
    int replies = 0;
    double seconds = 0;
    double medianMs = 0;  // of single transactions: robust against stalls caused by other processes
};

PtyResult runPty(int baud, int count, int turnaroundMs) {
    PtyResult res;
    QTemporaryDir dir;
    const QString link = dir.filePath("line");
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral(QVX720_SIM_TOOL), {"--link", link, "--baud", QString::number(baud), "--channels",
                                                 "0-7", "--turnaround-ms", QString::number(turnaroundMs)});
    if (!tool.waitForStarted(5000)) return res;
    QElapsedTimer wait;
    wait.start();
    while (!QFileInfo(link).exists() && wait.elapsed() < 5000) QThread::msleep(5);

    qputenv("QVX720_COM1", link.toLocal8Bit());
    qvx::QVX720Com com;
    com.Comm_SetPort("COM1");
    com.Comm_SetSpeed(QString::number(baud));
    com.Comm_SetTimeOut(500);
    com.Comm_SetOption(true);
    if (com.Comm_PortOpen() != -1) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(link));
    } else {
        for (int i = 0; i < 10; ++i) com.Comm_Transact(" ", " ", " ", "0080", "", 2);  // warm up
        std::vector<double> each;
        each.reserve(static_cast<std::size_t>(count));
        QElapsedTimer t;
        t.start();
        qint64 before = 0;
        for (int i = 0; i < count; ++i) {
            const QString adr(QChar(0x20 + i % 8));
            const QString r = com.Comm_Transact(adr, " ", " ", kItems[(i / 8) % 4], "", 2);
            res.replies += r.size() == 12 && r.front() == QChar(6);
            const qint64 after = t.nsecsElapsed();
            each.push_back((after - before) / 1e6);
            before = after;
        }
        res.seconds = t.nsecsElapsed() / 1e9;
        std::sort(each.begin(), each.end());
        res.medianMs = each[each.size() / 2];
        res.ok = true;
        com.Comm_PortClose();
    }
    tool.terminate();
    tool.waitForFinished(3000);
    return res;
}

double inProcessMicroseconds(int count) {
    auto bank = qvx::sim::makeRealisticBank();
    qvx::QVX720Com com;
    com.setSimulatedLine(qvx::sim::simulatedLine(bank, qvx::sim::SimLineOptions{false, 0}));
    com.setSimulateAllPorts(true);
    com.Comm_SetOption(true);
    if (com.Comm_PortOpen() != -1) return -1;
    const auto present = bank->presentChannels();
    int good = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        const int ch = present[static_cast<std::size_t>(i) % present.size()];
        good += com.Comm_Transact(QString(QChar(0x20 + ch)), " ", " ", kItems[i % 4], "", 2).size() == 12;
    }
    const double us = t.nsecsElapsed() / 1e3 / count;
    if (good != count) std::fprintf(stderr, "in-process: %d of %d replies\n", good, count);
    return us;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 300, inproc = 200000, turnaround = 2;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--count") count = args[i + 1].toInt();
        else if (args[i] == "--inproc-count") inproc = args[i + 1].toInt();
        else if (args[i] == "--turnaround-ms") turnaround = args[i + 1].toInt();
    }
    if (count <= 0 || inproc <= 0 || turnaround < 0) {
        std::fprintf(stderr, "usage: %s [--count N] [--inproc-count M] [--turnaround-ms T]\n", argv[0]);
        return 2;
    }

    // A read request is STX, address, second address, command, four item
    // digits, ETX and two BCC characters: 11 bytes; the reply 15 bytes.
    const std::size_t requestBytes = qvx::proto::encodeRequest({' ', ' ', ' ', "0080", ""}).size();
    const std::size_t lineBits = 10 * (requestBytes + qvx::proto::kReplyFrameSize);
    std::printf("Read transactions through qvx720-sim on a pseudo-terminal, serial transport\n");
    std::printf("(request %zu bytes + reply %zu bytes = %zu bits per transaction, turnaround %d ms;\n"
                " ratio = throughput over the line's limit, ratio-med = limit over the median transaction,\n"
                " ratio240 = throughput against a 9-byte request, 240 bits, which no read can reach)\n",
                requestBytes, qvx::proto::kReplyFrameSize, lineBits, turnaround);
    std::printf("%7s %7s %9s %11s %8s %10s %11s %7s %9s %9s\n", "baud", "count", "tx/s", "limit tx/s", "ms/tx",
                "median ms", "limit ms/tx", "ratio", "ratio-med", "ratio240");
    bool allOk = true;
    for (int baud : {9600, 19200}) {
        const PtyResult r = runPty(baud, count, turnaround);
        const double lineMs = double(lineBits) * 1000.0 / baud + turnaround;
        const double lineMs240 = 240.0 * 1000.0 / baud + turnaround;
        if (!r.ok || r.replies != count) {
            std::printf("%7d  failed: %d of %d replies\n", baud, r.replies, count);
            allOk = false;
            continue;
        }
        const double tps = count / r.seconds;
        const double limit = 1000.0 / lineMs;
        std::printf("%7d %7d %9.2f %11.2f %8.3f %10.3f %11.3f %7.3f %9.3f %9.3f\n", baud, count, tps, limit,
                    1000.0 * r.seconds / count, r.medianMs, lineMs, tps / limit, lineMs / r.medianMs,
                    tps * lineMs240 / 1000.0);
    }
    const double us = inProcessMicroseconds(inproc);
    std::printf("In-process simulated line, no line time: %.2f us per transaction (%d transactions)\n", us, inproc);
    return allOk && us > 0 ? 0 : 1;
}
