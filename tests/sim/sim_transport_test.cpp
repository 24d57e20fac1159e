// The communication object over the in-process simulated line: every way a
// reply can come back, and the time the line takes.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <ctime>

#include "qvx720_inc.h"
#include "qvx720com.h"
#include "sim_test_util.h"
#include "sim_transport.h"

using namespace qvx;
using namespace qvx::sim;
using namespace qvx::sim::test;

namespace {

struct ComOnSimLine : ::testing::Test {
    ManualBank m;
    QVX720Com com;

    void SetUp() override {
        for (int ch : {0, 1, 2}) m.bank->setChannel(ch, ChannelConfig{});
        com.setSimulatedLine(simulatedLine(m.bank, SimLineOptions{false, 0}));
        com.setSimulateAllPorts(true);
        com.Comm_SetSpeed("19200");
        com.Comm_SetTimeOut(100);
        ASSERT_EQ(com.Comm_PortOpen(), -1);
    }
    QString tx(int ch, const char* cmd, const char* item, const char* data = "") {
        return com.Comm_Transact(QString(QChar(0x20 + ch)), " ", cmd, item, data, 2);
    }
    Fault& inject(FaultKind kind) {
        Fault f;
        f.kind = kind;
        m.bank->addFault(f);
        return const_cast<Fault&>(m.bank->faults().back());
    }
};

}  // namespace

TEST_F(ComOnSimLine, AcknowledgeAndEveryNegativeAcknowledge) {
    EXPECT_EQ(tx(1, " ", "0001"), QString("\x06!0 00010000"));
    EXPECT_EQ(tx(1, "P", "0001", "0064"), QString("\x06!0P00010064"));
    EXPECT_EQ(com.Comm_GetData(tx(1, " ", "0001"), 1), "0064");
    // Refusals the controllers give by themselves.
    EXPECT_EQ(tx(1, " ", "00FF"), QString("\x15!2 00FF0000"));
    EXPECT_EQ(tx(1, "P", "0001", "7FFF"), QString("\x15!3P00010000"));
    EXPECT_EQ(tx(1, "P", "0080", "0000"), QString("\x15!4P00800000"));
    m.bank->setKeyLock(1, true);
    EXPECT_EQ(tx(1, "P", "0001", "0000"), QString("\x15!5P00010000"));
    // And every code through the fault.
    for (char code : {'1', '2', '3', '4', '5'}) {
        m.bank->clearFaults();
        inject(FaultKind::Nak).nakCode = code;
        const QString r = tx(2, " ", "0080");
        EXPECT_EQ(r, QString("\x15\"") + QChar(code) + QString(" 00800000"));
    }
}

TEST_F(ComOnSimLine, ChecksumErrorsBothWays) {
    com.Comm_SetOption(true);
    inject(FaultKind::Corrupt);  // our request arrives damaged: the controller says so
    EXPECT_EQ(tx(0, " ", "0001"), QString("\x1B 0 00010000"));
    m.bank->clearFaults();
    inject(FaultKind::WrongBcc);  // its reply is damaged on the way back
    EXPECT_EQ(tx(0, " ", "0001"), QString("\x1B 0 00010000"));
    EXPECT_EQ(tx(0, " ", "0000"), QString("\x1B 0 00000001"));  // the received text, led by ESC
}

TEST_F(ComOnSimLine, NoiseBeforeTheFrameIsSkipped) {
    inject(FaultKind::Garbage);
    EXPECT_EQ(tx(0, " ", "0000"), QString("\x06 0 00000001"));
}

TEST_F(ComOnSimLine, NoReplyWaitsOutTheTimeOut) {
    const struct {
        int ch;
        FaultKind fault;
        bool inject;
    } table[] = {{5, FaultKind::Silence, false}, {0, FaultKind::Silence, true}, {0, FaultKind::Partial, true}};
    for (const auto& e : table) {
        m.bank->clearFaults();
        if (e.inject) inject(e.fault);
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(tx(e.ch, " ", "0080"), QString());
        EXPECT_GE(t.elapsed(), 95);  // waited out the time-out (clocks differ by a hair)
    }
}

TEST_F(ComOnSimLine, LateReplyIsStaleForTheNextTransaction) {
    com.Comm_SetTimeOut(200);
    for (bool option : {true, false}) {
        com.Comm_SetOption(option);
        m.bank->clearFaults();
        Fault& late = inject(FaultKind::Late);
        late.nthFrame = m.bank->framesReceived() + 1;
        late.delayMs = 300;  // comes 100 ms into the next transaction
        Fault& next = inject(FaultKind::Late);
        next.nthFrame = m.bank->framesReceived() + 2;
        next.delayMs = 160;  // that one's own reply comes 60 ms after the stale one
        EXPECT_EQ(tx(0, " ", "0080").size(), 0);
        const QString r = tx(0, " ", "0001");
        if (option) EXPECT_EQ(r, QString("\x06 0 00010000"));
        else EXPECT_EQ(r.mid(0, 8), QString("\x06 0 0080"));  // the late answer taken for ours
        QThread::msleep(100);  // let the line fall quiet before the next case
    }
}

TEST_F(ComOnSimLine, ClosedPortAndReopen) {
    ASSERT_EQ(tx(1, "P", "0001", "012C").at(0), QChar(6));
    com.Comm_PortClose();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(tx(1, " ", "0001"), QString());
    EXPECT_LT(t.elapsed(), 50);
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    EXPECT_EQ(tx(1, " ", "0001"), QString("\x06!0 0001012C"));  // the bank kept its settings
}

TEST_F(ComOnSimLine, StartUpScanFrames) {
    m.bank->controller(2)->setExtensionWord(0x0A5F);
    EXPECT_EQ(com.Comm_GetData(tx(2, " ", "0000"), 1), "0001");
    EXPECT_EQ(com.Comm_GetData(tx(2, " ", "00A2"), 1), "0000");
    EXPECT_EQ(com.Comm_GetData(tx(2, " ", "00A1"), 1), "000F");
    EXPECT_EQ(tx(2, "P", "0000", "9865"), QString("\x06\"0P00009865"));
    EXPECT_EQ(tx(2, "a", ""), QString("\x06\"0a00000A5F"));
    EXPECT_EQ(tx(2, "q", "0000", "0000"), QString("\x06\"0q00000000"));
    int acks = 0;
    for (int k = 10; k <= 63; ++k) acks += tx(2, " ", itemCode(k).toLatin1().constData()).startsWith(QChar(6));
    EXPECT_EQ(acks, 44);
    EXPECT_EQ(tx(2, "P", "0000", "9346"), QString("\x06\"0P00009346"));
}

TEST(SimLineTiming, TakesTheTimeOfARealLineWithoutSpinning) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    for (int baud : {9600, 19200}) {
        QVX720Com com;
        com.setSimulatedLine(simulatedLine(m.bank, SimLineOptions{true, 2}));
        com.setSimulateAllPorts(true);
        com.Comm_SetSpeed(QString::number(baud));
        ASSERT_EQ(com.Comm_PortOpen(), -1);
        QElapsedTimer t;
        t.start();
        const int n = 5;
        for (int i = 0; i < n; ++i) ASSERT_EQ(com.Comm_Transact(" ", " ", " ", "0080", "", 2).size(), 12);
        // 11 request and 15 reply bytes of 10 bits, and the turnaround.
        const double lineMs = 260.0 * 1000.0 / baud + 2.0;
        EXPECT_GE(t.nsecsElapsed() / 1e6, n * lineMs - 0.5) << baud;
    }
    // A wait for a silent controller sleeps.
    QVX720Com com;
    com.setSimulatedLine(simulatedLine(m.bank, SimLineOptions{true, 2}));
    com.setSimulateAllPorts(true);
    com.Comm_SetTimeOut(300);
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    const std::clock_t cpu = std::clock();
    EXPECT_EQ(com.Comm_Transact("!", " ", " ", "0080", "", 2), QString());
    EXPECT_LT(double(std::clock() - cpu) / CLOCKS_PER_SEC, 0.1);
}
