#include <gtest/gtest.h>

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
