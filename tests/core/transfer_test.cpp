#include <gtest/gtest.h>

#include "transfer.h"

using namespace qvx;

TEST(Transfer, QueuesEveryPresentChannelWithTheValuesGivenThen) {
    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) s.NoConnect(ch) = ch == 2 || ch == 5 ? 0 : 1;
    EXPECT_FALSE(transferRunning(s));
    const int n = queueTransfer(s, Com_WriteSelect, [&](int ch) { s.ParaData(ch, Item::SV) = qint16(ch * 10); });
    s.ParaData(2, Item::SV) = 999;  // a read that lands meanwhile
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(transferRunning(s));
    const auto& q = s.Write_Request.Line_Queue.requests();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].ch, 2);
    EXPECT_EQ(q[0].values.at(Item::SV), 20);
    EXPECT_EQ(q[1].ch, 5);
    EXPECT_EQ(q[1].values.at(Item::SV), 50);
    EXPECT_EQ(s.Write_Request.Com_State, Com_WriteSelect);
    EXPECT_EQ(s.Write_Request.Com_Ch, 2);
    EXPECT_THROW(queueChain(s, 95, Com_WriteAll), std::out_of_range);
}
