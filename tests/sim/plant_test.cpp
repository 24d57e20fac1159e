// The controllers' behaviour over simulated time: control, outputs, alarms,
// auto-tuning, the re-read request and heater faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "controller_bank.h"
#include "sim_test_util.h"

using namespace qvx;
using namespace qvx::sim;
using namespace qvx::sim::test;
using qvx::proto::ACK;
using qvx::proto::NAK;

namespace {

ChannelConfig kZone(qint16 sv, bool settled = true) {
    ChannelConfig c;
    c.settings = {{10, sv}};
    c.startSettled = settled;
    return c;
}

// Status words seen while time runs on in steps.
quint16 statusOr(ManualBank& m, int ch, qint64 ms, qint64 stepMs = 500) {
    quint16 seen = 0;
    for (qint64 t = 0; t < ms; t += stepMs) {
        m.run(stepMs);
        seen |= status(*m.bank, ch);
    }
    return seen;
}

}  // namespace

TEST(Plant, PvFollowsTheSetValue) {
    ManualBank m;
    m.bank->setChannel(0, kZone(200, false));
    const int start = readValue(*m.bank, 0, "0080");
    EXPECT_NEAR(start, 25, 2);  // ambient
    m.run(2'000);
    EXPECT_EQ(readValue(*m.bank, 0, "0081"), 1000);  // full output while far below SV
    m.run(600'000);
    EXPECT_NEAR(readValue(*m.bank, 0, "0080"), 200, 3);
    const int mv = readValue(*m.bank, 0, "0081");
    EXPECT_GT(mv, 50);
    EXPECT_LT(mv, 900);

    ASSERT_EQ(writeItem(*m.bank, 0, "0001", 300)[0], ACK);
    m.run(600'000);
    EXPECT_NEAR(readValue(*m.bank, 0, "0080"), 300, 3);
    EXPECT_GT(readValue(*m.bank, 0, "0081"), mv);
}

TEST(Plant, OutputLimitsBoundTheMv) {
    ManualBank m;
    ChannelConfig c = kZone(900, false);
    c.settings.push_back({32, 60});  // main output high limit 60 %
    m.bank->setChannel(0, c);
    m.run(5'000);
    EXPECT_EQ(readValue(*m.bank, 0, "0081"), 600);
}

TEST(Plant, OutputOffMakesMvZeroAndPvFallsToAmbient) {
    ManualBank m;
    m.bank->setChannel(0, kZone(250));
    m.run(1'000);
    EXPECT_GT(readValue(*m.bank, 0, "0081"), 0);
    ASSERT_EQ(writeItem(*m.bank, 0, "0037", 0)[0], ACK);
    m.run(1'000);
    EXPECT_EQ(readValue(*m.bank, 0, "0081"), 0);
    EXPECT_EQ(statusOr(m, 0, 60'000) & 0x1, 0);  // the main output never switches on
    m.run(600'000);
    EXPECT_NEAR(readValue(*m.bank, 0, "0080"), 25, 2);
}

TEST(Plant, MainOutputSwitchesWithinItsCycle) {
    ManualBank m;
    m.bank->setChannel(0, kZone(200));
    m.run(60'000);
    int on = 0, samples = 0;
    for (int i = 0; i < 80; ++i) {  // two proportional cycles of 20 s
        m.run(500);
        on += status(*m.bank, 0) & 0x1;
        ++samples;
    }
    EXPECT_GT(on, 0);
    EXPECT_LT(on, samples);
}

TEST(Plant, CoolingWorksBelowAmbient) {
    ManualBank m;
    ChannelConfig c = kZone(5);
    c.option = 0x10F;
    m.bank->setChannel(0, c);
    m.run(900'000);
    EXPECT_NEAR(readValue(*m.bank, 0, "0080"), 5, 3);
    EXPECT_GT(readValue(*m.bank, 0, "0082"), 0);
    EXPECT_EQ(readValue(*m.bank, 0, "0081"), 0);
    EXPECT_NE(statusOr(m, 0, 40'000) & 0x2, 0);
}

TEST(Plant, OnOffControlHoldsPvWithinTheHysteresis) {
    ManualBank m;
    ChannelConfig c = kZone(150, false);
    c.settings.insert(c.settings.end(), {{12, 0}, {34, 50}});  // ON/OFF, 5.0 deg hysteresis
    m.bank->setChannel(0, c);
    m.run(600'000);
    int lo = 10000, hi = -10000;
    for (int i = 0; i < 600; ++i) {
        m.run(500);
        const int pv = readValue(*m.bank, 0, "0080");
        lo = std::min(lo, pv);
        hi = std::max(hi, pv);
        const int mv = readValue(*m.bank, 0, "0081");
        EXPECT_TRUE(mv == 0 || mv == 1000) << mv;
    }
    EXPECT_GE(lo, 150 - 5 - 3);
    EXPECT_LE(hi, 150 + 3);
    EXPECT_LT(lo, hi);
}

TEST(Plant, OverscaleAndUnderscale) {
    ManualBank m;
    ChannelConfig broken = kZone(200);
    broken.sensorBreak = true;
    m.bank->setChannel(0, broken);
    ChannelConfig low;                 // R thermocouple 0..1760, SV 0
    low.inputType = 3;
    low.settings = {{27, -1000}};      // correction -100.0 deg puts PV below 0
    m.bank->setChannel(1, low);
    m.bank->setChannel(2, kZone(200));
    m.run(5'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x300, 0x100);
    EXPECT_GT(readValue(*m.bank, 0, "0080"), 1370);
    EXPECT_EQ(readValue(*m.bank, 0, "0081"), 0);  // input abnormal: output off
    EXPECT_EQ(status(*m.bank, 1) & 0x300, 0x200);
    EXPECT_EQ(status(*m.bank, 2) & 0x300, 0);
    m.bank->controller(0)->setSensorBreak(false);
    m.run(1'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x300, 0);
}

TEST(Plant, NoiseIsSmallAndDeterministic) {
    auto trace = [](quint32 seed) {
        ManualBank m;
        ChannelConfig c = kZone(1000);  // Pt100 in tenths: 100.0 deg
        c.inputType = 11;
        c.seed = seed;
        m.bank->setChannel(0, c);
        std::vector<int> pv;
        for (int i = 0; i < 50; ++i) {
            m.run(300);
            pv.push_back(readValue(*m.bank, 0, "0080"));
        }
        return pv;
    };
    const auto a = trace(7), b = trace(7), c = trace(8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    for (int v : a) EXPECT_NEAR(v, 1000, 5);
    EXPECT_GT(*std::max_element(a.begin(), a.end()), *std::min_element(a.begin(), a.end()));
}

// Alarm bits from the alarm types. PV sits at ambient (about 25) with the
// output off; SV 100, so the deviation is about -75.
TEST(Alarms, TypesDecideTheBits) {
    const struct {
        int type;
        int value;
        bool on;
    } table[] = {
        {1, 10, false}, {1, -100, true},   // high deviation: PV > SV + value
        {2, 50, true},  {2, 100, false},   // low deviation: PV < SV - value
        {3, 50, true},  {3, 100, false},   // outside SV +- value
        {4, 100, true}, {4, 50, false},    // inside SV +- value
        {5, 20, true},  {5, 30, false},    // PV above value
        {6, 30, true},  {6, 20, false},    // PV below value
        {7, -100, false},                  // high deviation with standby: held off from the start
        {0, -100, false},                  // no alarm action
    };
    for (const auto& e : table) {
        for (int slot = 0; slot < 4; ++slot) {
            ManualBank m;
            ChannelConfig c = kZone(100, false);
            const int typeItem[] = {39, 40, 58, 59};
            c.settings.insert(c.settings.end(),
                              {{49, 0}, {typeItem[slot], static_cast<qint16>(e.type)},
                               {19 + slot, static_cast<qint16>(e.value)}});
            m.bank->setChannel(0, c);
            m.run(2'000);
            const quint16 bit = static_cast<quint16>(0x4 << slot);
            EXPECT_EQ((status(*m.bank, 0) & bit) != 0, e.on)
                << "type " << e.type << " value " << e.value << " alarm " << slot + 1;
            // Without the option bit the alarm is not fitted and never comes on.
            c.option = static_cast<quint16>(0x0F & ~(1u << slot));
            m.bank->setChannel(0, c);
            m.run(2'000);
            EXPECT_EQ(status(*m.bank, 0) & bit, 0);
        }
    }
}

TEST(Alarms, DelayHoldReleaseAndReset) {
    ManualBank m;
    ChannelConfig c = kZone(100, false);
    // Alarm 1: process high at 20 (PV 25 is above), 5 s delay, held.
    c.settings.insert(c.settings.end(), {{49, 0}, {39, 5}, {19, 20}, {45, 5}, {52, 1}});
    m.bank->setChannel(0, c);
    m.run(3'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x4, 0);
    m.run(3'000);
    EXPECT_NE(status(*m.bank, 0) & 0x4, 0);
    // The cause goes away but the alarm is held.
    ASSERT_EQ(writeItem(*m.bank, 0, "000B", 40)[0], ACK);
    m.run(2'000);
    EXPECT_NE(status(*m.bank, 0) & 0x4, 0);
    // Release clears it; it stays off.
    EXPECT_EQ(writeItem(*m.bank, 0, "0051", 1), "\x06 0P00510001");
    m.run(2'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x4, 0);
    // Back in alarm, reset clears it too and the delay runs again.
    ASSERT_EQ(writeItem(*m.bank, 0, "000B", 20)[0], ACK);
    m.run(6'000);
    EXPECT_NE(status(*m.bank, 0) & 0x4, 0);
    ASSERT_EQ(writeItem(*m.bank, 0, "0051", 2)[0], ACK);
    m.run(1'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x4, 0);
    m.run(6'000);
    EXPECT_NE(status(*m.bank, 0) & 0x4, 0);
}

TEST(Alarms, StandbyWaitsUntilPvHasLeftTheAlarmZone) {
    ManualBank m;
    ChannelConfig c = kZone(100, false);
    c.settings.insert(c.settings.end(), {{49, 0}, {40, 8}, {20, 50}});  // alarm 2: low deviation 50, standby
    m.bank->setChannel(0, c);
    EXPECT_EQ(statusOr(m, 0, 30'000) & 0x8, 0);  // cold start: standby
    ASSERT_EQ(writeItem(*m.bank, 0, "0037", 1)[0], ACK);
    m.run(600'000);  // PV reaches SV: standby ends
    EXPECT_EQ(status(*m.bank, 0) & 0x8, 0);
    ASSERT_EQ(writeItem(*m.bank, 0, "0037", 0)[0], ACK);
    m.run(600'000);  // PV falls below SV - 50
    EXPECT_NE(status(*m.bank, 0) & 0x8, 0);
}

TEST(AutoTuning, RunsForItsTimeThenGivesNewPid) {
    ManualBank m;
    m.bank->setAutoTuneDurationMs(20'000);
    m.bank->setChannel(0, kZone(200));
    m.run(1'000);
    const int pb = readValue(*m.bank, 0, "0004"), ti = readValue(*m.bank, 0, "0006"),
              td = readValue(*m.bank, 0, "0007");
    ASSERT_EQ(writeItem(*m.bank, 0, "0003", 1), "\x06 0P00030001");
    m.run(500);
    EXPECT_NE(status(*m.bank, 0) & 0x800, 0);
    EXPECT_EQ(readValue(*m.bank, 0, "0003"), 1);
    m.run(18'000);
    EXPECT_NE(status(*m.bank, 0) & 0x800, 0);
    m.run(2'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x800, 0);
    EXPECT_EQ(readValue(*m.bank, 0, "0003"), 0);
    const int pb2 = readValue(*m.bank, 0, "0004"), ti2 = readValue(*m.bank, 0, "0006"),
              td2 = readValue(*m.bank, 0, "0007");
    EXPECT_TRUE(pb2 != pb || ti2 != ti || td2 != td);
    EXPECT_GT(pb2, 0);
    EXPECT_LE(pb2, 1000);
    EXPECT_GT(ti2, 0);
    EXPECT_LE(td2, 300);
}

TEST(AutoTuning, AbortKeepsPidAndOutputOffRefusesStart) {
    ManualBank m;
    m.bank->setChannel(0, kZone(200));
    m.bank->setChannel(1, kZone(200));
    const int pb = readValue(*m.bank, 0, "0004");
    ASSERT_EQ(writeItem(*m.bank, 0, "0003", 1)[0], ACK);
    m.run(5'000);
    ASSERT_EQ(writeItem(*m.bank, 0, "0003", 0)[0], ACK);
    m.run(30'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x800, 0);
    EXPECT_EQ(readValue(*m.bank, 0, "0004"), pb);

    ASSERT_EQ(writeItem(*m.bank, 1, "0037", 0)[0], ACK);
    EXPECT_EQ(writeItem(*m.bank, 1, "0003", 1), "\x15!4P00030000");
    EXPECT_EQ(readValue(*m.bank, 1, "0003"), 0);
    // Switching the output off stops a run.
    ASSERT_EQ(writeItem(*m.bank, 0, "0003", 1)[0], ACK);
    ASSERT_EQ(writeItem(*m.bank, 0, "0037", 0)[0], ACK);
    m.run(500);
    EXPECT_EQ(status(*m.bank, 0) & 0x800, 0);
    EXPECT_EQ(readValue(*m.bank, 0, "0003"), 0);
}

TEST(FrontPanel, ChangeSetsTheReReadBitUntilTheStatusIsRead) {
    ManualBank m;
    m.bank->setChannel(0, kZone(200));
    m.run(1'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x8000, 0);
    EXPECT_TRUE(m.bank->frontPanelChange(0, 10, 250));
    EXPECT_EQ(readValue(*m.bank, 0, "0001"), 250);  // other reads leave the bit
    m.run(1'000);
    EXPECT_NE(status(*m.bank, 0) & 0x8000, 0);
    EXPECT_EQ(status(*m.bank, 0) & 0x8000, 0);  // read once: cleared
    // Values beyond the range are limited; items the controller lacks are refused.
    EXPECT_TRUE(m.bank->frontPanelChange(0, 10, 5000));
    EXPECT_EQ(readValue(*m.bank, 0, "0001"), 1370);
    status(*m.bank, 0);
    EXPECT_FALSE(m.bank->frontPanelChange(0, 13, 10));  // cooling band without the option
    EXPECT_FALSE(m.bank->frontPanelChange(0, 3, 10));   // not a setting
    EXPECT_FALSE(m.bank->frontPanelChange(7, 10, 10));  // nobody there
    EXPECT_EQ(status(*m.bank, 0) & 0x8000, 0);
    // Starting auto-tuning from the keys works like the write.
    EXPECT_TRUE(m.bank->frontPanelChange(0, 11, 1));
    EXPECT_NE(status(*m.bank, 0) & 0x8800, 0);
}

TEST(Heaters, CurrentsAndBurnoutAndShortCircuit) {
    ManualBank m;
    ChannelConfig c = kZone(200);
    c.option = 0x6F;  // both heater currents
    c.settings.insert(c.settings.end(), {{23, 40}, {62, 40}});
    m.bank->setChannel(0, c);
    quint16 seen = 0;
    int maxCurrent = 0;
    for (int i = 0; i < 60; ++i) {
        m.run(500);
        seen |= status(*m.bank, 0);
        maxCurrent = std::max(maxCurrent, readValue(*m.bank, 0, "0088"));
    }
    EXPECT_NEAR(maxCurrent, 80, 2);  // 8.0 A while the output is on
    EXPECT_EQ(seen & (0x40 | 0x1000 | 0x400 | 0x2000), 0);

    m.bank->controller(0)->setHeaterFault(2, HeaterFault::Burnout);
    EXPECT_NE(statusOr(m, 0, 30'000) & 0x1000, 0);
    m.bank->controller(0)->setHeaterFault(2, HeaterFault::None);
    m.bank->controller(0)->setHeaterFault(1, HeaterFault::ActuatorShort);
    ASSERT_EQ(writeItem(*m.bank, 0, "0037", 0)[0], ACK);
    m.run(2'000);
    const quint16 s = status(*m.bank, 0);
    EXPECT_NE(s & 0x400, 0);
    EXPECT_EQ(s & 0x2000, 0);
    EXPECT_NEAR(readValue(*m.bank, 0, "0088"), 80, 2);
    EXPECT_EQ(readValue(*m.bank, 0, "0089"), 0);
}

TEST(Heaters, LoopBreakWhenPvDoesNotRiseAtFullOutput) {
    ManualBank m;
    ChannelConfig c = kZone(200, false);
    c.option = 0x3F;
    c.heater1 = HeaterFault::Burnout;
    c.settings.insert(c.settings.end(), {{23, 40}, {24, 1}, {25, 5}});
    m.bank->setChannel(0, c);
    m.run(30'000);
    EXPECT_EQ(status(*m.bank, 0) & 0x80, 0);
    EXPECT_NE(statusOr(m, 0, 60'000) & 0x80, 0);
    EXPECT_NE(status(*m.bank, 0) & 0x40, 0);
    // With the heater mended PV rises and the loop-break alarm goes.
    m.bank->controller(0)->setHeaterFault(1, HeaterFault::None);
    m.run(300'000);
    EXPECT_EQ(status(*m.bank, 0) & 0xC0, 0);
}
