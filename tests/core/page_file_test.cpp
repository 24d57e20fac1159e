#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "page_file.h"

using namespace qvx;

namespace {

ChannelBlock sequence(int start = 0) {
    ChannelBlock v{};
    for (int i = 0; i < kFileItems; ++i) v[std::size_t(i)] = qint16(start + i);
    return v;
}

QString fileWith(const QTemporaryDir& tmp, const char* name, const QByteArray& bytes) {
    const QString path = tmp.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
}

}  // namespace

TEST(PageFileTest, SaveWritesTheOneChannelLayout) {
    QTemporaryDir tmp;
    QVX720_INC s;
    for (int k = 10; k <= 63; ++k) s.AllPage_Data.AllParaData(k) = 0;
    s.AllPage_Data.AllParaData(10) = 250;
    s.AllPage_Data.AllParaData(11) = -5;
    s.AllPage_Data.AllParaData(63) = 32767;
    s.AllPage_Data.AllParaData(64) = 9;  // not on the page
    const QString path = tmp.filePath("page.dat");
    ASSERT_TRUE(writePageFile(path, pageValues(s)));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    EXPECT_TRUE(b.startsWith("\"QVX-720\"\r\n250\r\n-5\r\n0\r\n"));
    EXPECT_TRUE(b.endsWith("\r\n0\r\n32767\r\n"));
    EXPECT_EQ(b.count("\r\n"), 55);
}

TEST(PageFileTest, RoundTripAndReplace) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("page.dat");
    ChannelBlock v = sequence(-20);
    v[5] = -32768;
    v[6] = 32767;
    ASSERT_TRUE(writePageFile(path, v));
    EXPECT_EQ(readPageFile(path), v);
    ASSERT_TRUE(writePageFile(path, sequence(100)));
    EXPECT_EQ(readPageFile(path), sequence(100));
    QVX720_INC s;
    setPageValues(s, sequence(1));
    EXPECT_EQ(s.AllPage_Data.AllParaData(10), 1);
    EXPECT_EQ(s.AllPage_Data.AllParaData(63), 54);
    EXPECT_EQ(s.AllPage_Data.AllParaData(9), 0);
    EXPECT_EQ(pageValues(s), sequence(1));
}

TEST(PageFileTest, WhatLoadsAndWhatIsRefused) {
    QTemporaryDir tmp;
    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(s, ch, sequence(ch * 100));
    QByteArray one = formatChannelFile(sequence(7));
    QByteArray otherModel = one;
    otherModel.replace("QVX-720", "QVX-999");
    QByteArray badValue = one;
    badValue.replace("\r\n9\r\n", "\r\nx\r\n");
    QByteArray outOfRange = one;
    outOfRange.replace("\r\n9\r\n", "\r\n40000\r\n");
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<ChannelBlock> values;
    } cases[] = {
        {"one-channel file", one, sequence(7)},
        {"no line end after the last value", one.chopped(2), sequence(7)},
        {"model text is not compared", otherModel, sequence(7)},
        {"all-channels file: its first block", formatAllChannelsFile(s), sequence(0)},
        {"empty", "", std::nullopt},
        {"cut short", one.left(one.size() / 2), std::nullopt},
        {"a value that is no number", badValue, std::nullopt},
        {"a value beyond 16 bits", outOfRange, std::nullopt},
        {"far too long", one + QByteArray(kPageFileMaxBytes, '\n'), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(readPageFile(fileWith(tmp, "f.dat", c.bytes)), c.values) << c.name;
    EXPECT_FALSE(readPageFile(tmp.filePath("missing.dat")).has_value());
    EXPECT_FALSE(readPageFile(tmp.path()).has_value());
    EXPECT_FALSE(readPageFile(QString()).has_value());
}

// ---- the transmit's copy ---------------------------------------------------------------

TEST(PageTransmitTest, CopyFollowsBoxesAndOptionWord) {
    QVX720_INC s;
    for (int k = 10; k <= 63; ++k) s.AllPage_Data.AllParaData(k) = qint16(1000 + k);
    const auto all = [](int) { return 1; };  // every box checked
    struct Case {
        quint16 option;
        int item;
        bool copied;
    } cases[] = {
        {0x000, 29, true},  {0x000, 10, true},  {0x000, 13, false}, {0x100, 13, true},
        {0x000, 38, false}, {0x100, 38, true},  {0x002, 20, true},  {0x004, 20, false},
        {0x004, 58, true},  {0x008, 59, true},  {0x004, 59, false}, {0x010, 24, true},
        {0x000, 25, false}, {0x020, 23, true},  {0x040, 23, false}, {0x040, 62, true},
        {0x000, 11, false}, {0xFFFF, 18, false}, {0xFFFF, 54, false}, {0x000, 63, true},
    };
    for (const Case& c : cases) {
        s.ParaData(0, c.item) = 7;
        s.Monitor_Data.OptionData(0) = qint16(c.option);
        copyPageToChannel(s, 0, all);
        EXPECT_EQ(s.ParaData(0, c.item), c.copied ? 1000 + c.item : 7) << "item " << c.item << " option " << c.option;
    }
}

TEST(PageTransmitTest, OnlyBoxesWithValueOneCopy) {
    QVX720_INC s;
    s.AllPage_Data.AllParaData(10) = 500;
    s.AllPage_Data.AllParaData(12) = 600;
    s.AllPage_Data.AllParaData(14) = 700;
    copyPageToChannel(s, 4, [](int box) { return box == 0 ? 1 : box == 2 ? 2 : 0; });  // 12 greyed
    EXPECT_EQ(s.ParaData(4, 10), 500);
    EXPECT_EQ(s.ParaData(4, 12), 0);
    EXPECT_EQ(s.ParaData(4, 14), 0);
    EXPECT_EQ(s.ParaData(5, 10), 0);
}

TEST(PageTransmitTest, AutoTuningChannels) {
    QVX720_INC s;
    EXPECT_EQ(firstAutoTuningChannel(s), -1);
    s.Monitor_Data.StatusData(2) = qint16(0x800);
    s.NoConnect(2) = 1;  // absent: its stale status word does not count
    s.Monitor_Data.StatusData(6) = qint16(0x804);
    s.Monitor_Data.StatusData(9) = qint16(0x800);
    EXPECT_EQ(firstAutoTuningChannel(s), 6);

}
