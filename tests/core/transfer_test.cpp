#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "transfer.h"

using namespace qvx;

TEST(Transfer, WaitEndsWhenTheChainClearsTheFlag) {
    QVX720_INC s;
    queueChain(s, 7, Com_WriteAll);
    EXPECT_TRUE(s.Write_Request.AllSend_flg);
    EXPECT_EQ(s.Write_Request.Com_Ch, 7);
    EXPECT_EQ(s.Write_Request.Com_State, Com_WriteAll);
    int rounds = 0;
    const bool done = waitForTransfer(
        s, [&] { if (++rounds == 3) s.Write_Request.AllSend_flg = false; }, [] { return false; });
    EXPECT_TRUE(done);
    EXPECT_EQ(rounds, 3);
}

TEST(Transfer, WaitEndsWhenTheProgramCloses) {
    QVX720_INC s;
    queueChain(s, 0, Com_WriteSelect);
    bool closing = false;
    int rounds = 0;
    const bool done = waitForTransfer(s, [&] { if (++rounds == 5) closing = true; }, [&] { return closing; });
    EXPECT_FALSE(done);
    EXPECT_EQ(rounds, 5);
    EXPECT_THROW(queueChain(s, 95, Com_WriteAll), std::out_of_range);
}

// The program's wait sleeps until an event comes: with a timer standing in
// for the link (a tick every 5 ms, the flag cleared on the fifth), it makes
// about one pass per tick, where a wait that spins makes thousands.
TEST(Transfer, ProgramWaitSleepsBetweenEvents) {
    static int argc = 1;
    static char arg0[] = "test_core";
    static char* argv[] = {arg0, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    QVX720_INC s;
    queueChain(s, 3, Com_WriteAll);
    int ticks = 0;
    QTimer link;
    link.setInterval(5);
    QObject::connect(&link, &QTimer::timeout, [&] {
        if (++ticks == 5) s.Write_Request.AllSend_flg = false;
    });
    link.start();
    int passes = 0;
    EXPECT_TRUE(waitForTransfer(s, [&] { ++passes; waitForEvents(); }, [] { return false; }));
    EXPECT_EQ(ticks, 5);
    EXPECT_LE(passes, 2 * ticks + 5);
}
