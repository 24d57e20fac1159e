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
    // Every item's code by item index; item 9 has none.
    const char* const codes[kItems] = {
        "0080", "0081", "0082", "0085", "0088", "0089", "00A0", "00A1", "00A2", "",      // 0..9
        "0001", "0003", "0004", "0005", "0006", "0007", "0008", "0009", "000A", "000B",  // 10..19
        "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0015", "0016", "0018",  // 20..29
        "0019", "001B", "001C", "001D", "001E", "001F", "0020", "0021", "0022", "0023",  // 30..39
        "0024", "0025", "0026", "0027", "0028", "0029", "002A", "002B", "002C", "0037",  // 40..49
        "0038", "0040", "0042", "0043", "0044", "0045", "0047", "0048", "0049", "004A",  // 50..59
        "004B", "004C", "004D", "0050", "0051", "0052", "0053"};                         // 60..66
    for (int k = 0; k < kItems; ++k) {
        const QString code = QString::fromLatin1(codes[k]);
        EXPECT_EQ(s.ParaAddr(k), code) << k;
        EXPECT_EQ(itemCode(k), code) << k;
        if (k != Item::NoCode) {
            EXPECT_EQ(itemOfCode(code), k) << codes[k];
            EXPECT_EQ(itemOfCode(code.toLower()), k) << codes[k];
        }
    }
    EXPECT_EQ(itemOfCode(QStringLiteral("0000")), -1);
    EXPECT_EQ(itemOfCode(QString()), -1);
}

TEST(TimeoutTable, ChoicesToMilliseconds) {
    const int expected[] = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1500, 2000, 3000, 4000};
    for (int c = 1; c <= 14; ++c) EXPECT_EQ(timeoutMs(c), expected[c - 1]);
    EXPECT_EQ(timeoutMs(0), 0);
    EXPECT_EQ(timeoutMs(15), 0);
}
