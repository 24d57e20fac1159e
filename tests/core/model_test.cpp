#include <gtest/gtest.h>

#include "qvx720_inc.h"

using namespace qvx;

TEST(ChannelModel, StartsZeroAndItems6And9StayZero) {
    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(s.ParaData(ch, Item::MonitorValue), 0);
        EXPECT_EQ(s.ParaData(ch, Item::NoCode), 0);
        EXPECT_EQ(s.NoConnect(ch), 0);
        EXPECT_FALSE(s.Mode1_flg(ch));
    }
    EXPECT_EQ(s.Poll_Cursor.Poll_Ch, 0);
    EXPECT_EQ(s.Poll_Cursor.Poll_Phase, 0);
    EXPECT_EQ(s.History_Table.History_Row, 1);
}

TEST(ChannelModel, IndexOutsideBoundsIsCaught) {
    QVX720_INC s;
    struct Case { int ch, k; } bad[] = {{-1, 10}, {95, 10}, {0, -1}, {0, 67}, {1000, 1000}};
    for (auto c : bad) EXPECT_THROW(s.ParaData(c.ch, c.k), std::out_of_range) << c.ch << "," << c.k;
    EXPECT_THROW(s.Monitor_Data.PvData(95), std::out_of_range);
    EXPECT_THROW(s.NoConnect(-1), std::out_of_range);
    EXPECT_THROW(s.Alarm_Old(12, 0), std::out_of_range);
    EXPECT_NO_THROW(s.Alarm_Old(11, 319));
    EXPECT_NO_THROW(s.ParaData(94, 66));
}

TEST(ItemCodes, TableEntries) {
    QVX720_INC s;
    fillParaAddr(s);
    const struct { int k; const char* code; } table[] = {
        {0, "0080"}, {3, "0085"}, {7, "00A1"}, {8, "00A2"}, {10, "0001"}, {11, "0003"}, {18, "000A"},
        {29, "0018"}, {49, "0037"}, {54, "0044"}, {62, "004D"}, {63, "0050"}, {64, "0051"}, {66, "0053"}};
    for (auto e : table) EXPECT_EQ(s.ParaAddr(e.k), QString::fromLatin1(e.code)) << e.k;
    EXPECT_TRUE(s.ParaAddr(9).isEmpty());
    // Codes are unique, four upper-case hex digits, and map back to their item.
    for (int k = 0; k < kItems; ++k) {
        if (k == Item::NoCode) continue;
        const QString c = s.ParaAddr(k);
        ASSERT_EQ(c.size(), 4);
        EXPECT_EQ(c, c.toUpper());
        EXPECT_EQ(itemOfCode(c), k) << c.toStdString();
    }
    EXPECT_EQ(itemOfCode(QStringLiteral("0000")), -1);
}

TEST(TimeoutTable, ChoicesToMilliseconds) {
    const int expected[] = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1500, 2000, 3000, 4000};
    for (int c = 1; c <= 14; ++c) EXPECT_EQ(timeoutMs(c), expected[c - 1]);
    EXPECT_EQ(timeoutMs(0), 0);
    EXPECT_EQ(timeoutMs(15), 0);
}
