#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "chart_files.h"

using namespace qvx;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The 4 bytes of record rec in a file image.
QByteArray record(const QByteArray& bytes, int rec) { return bytes.mid((rec - 1) * 4, 4); }

QByteArray le32(quint32 v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    return QByteArray(b, 4);
}

}  // namespace

TEST(ChartFiles, DefaultFileBytes) {
    const QByteArray b = ChartFileImage().bytes();
    ASSERT_EQ(b.size(), 796);
    struct Case {
        int rec;
        QByteArray bytes;
    };
    const Case cases[] = {
        {1, QByteArray("\xFF\x00\x00\x00", 4)},    // channel 0: red
        {2, QByteArray("\xFF\x80\x00\x00", 4)},    // &H0080FF
        {5, QByteArray("\x00\xFF\xFF\x00", 4)},    // &HFFFF00
        {40, QByteArray("\xC0\xC0\xC0\x00", 4)},   // channel 39
        {41, QByteArray("\xFF\x00\x00\x00", 4)},   // channel 40 repeats entry 0
        {81, QByteArray("\xFF\x00\x00\x00", 4)},   // channel 80
        {95, QByteArray("\xC0\x00\xC0\x00", 4)},   // channel 94: entry 14 &HC000C0
        {96, QByteArray("\x01\x00\x00\x00", 4)},   // long span
        {97, QByteArray("\x05\x00\x00\x00", 4)},   // 5 s
        {98, QByteArray("\x90\x01\x00\x00", 4)},   // 400
        {99, QByteArray("\x00\x00\x00\x00", 4)},   // 0
        {100, QByteArray("\x00\x00\x00\x00", 4)},  // nothing selected
        {194, QByteArray("\x00\x00\x00\x00", 4)},
        {195, QByteArray("\x00\x00\x00\x00", 4)},  // stopped
        {196, QByteArray("\x00\x00\x00\x00", 4)},
        {197, QByteArray("\x00\x00\x00\x00", 4)},
        {198, QByteArray("\x01\x00\x00\x00", 4)},
        {199, QByteArray("\x04\x00\x00\x00", 4)},  // 4 divisions
    };
    for (const Case& c : cases) EXPECT_EQ(record(b, c.rec), c.bytes) << "record " << c.rec;
    for (int rec = 100; rec <= 197; ++rec) EXPECT_EQ(record(b, rec), QByteArray(4, '\0')) << rec;
    // Every pen is its palette entry, channel mod 40.
    for (int ch = 0; ch < kChannels; ++ch)
        EXPECT_EQ(ChartFileImage().readLong(ch + 1), Chart_DefaultPalette[std::size_t(ch % 40)]) << ch;
}

TEST(ChartFiles, RecordTypesAndByteOrder) {
    ChartFileImage img;
    img.writeLong(ChartRecord::YLow, -150);
    img.writeInteger(ChartRecord::Run, 1);
    img.write({ChartRecord::YDiv, 0x12345});  // an Integer record keeps the low 16 bits
    EXPECT_EQ(record(img.bytes(), 99), QByteArray("\x6A\xFF\xFF\xFF", 4));
    EXPECT_EQ(img.read(ChartRecord::YLow), -150);
    EXPECT_EQ(record(img.bytes(), 195), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(img.read(ChartRecord::YDiv), 0x2345);
    EXPECT_THROW(img.readLong(0), std::out_of_range);
    EXPECT_THROW(img.writeInteger(200, 1), std::out_of_range);
    // The last two bytes of an Integer record are the writer's own: kept.
    QByteArray raw = ChartFileImage().bytes();
    raw.replace((195 - 1) * 4, 4, QByteArray("\x00\x00\xAB\xCD", 4));
    ChartFileImage kept = ChartFileImage::fromBytes(raw);
    kept.writeInteger(ChartRecord::Run, 1);
    EXPECT_EQ(record(kept.bytes(), 195), QByteArray("\x01\x00\xAB\xCD", 4));
    EXPECT_EQ(kept.readInteger(ChartRecord::Run), 1);
}

TEST(ChartFiles, ShortAndLongFilesLoadWithDefaultsAndKeepTheirBytes) {
    // A file of other values than the defaults, cut at various lengths.
    ChartFileImage full;
    for (int rec = 1; rec <= kChartRecords; ++rec) full.write({rec, 1000 + rec});
    const QByteArray all = full.bytes();
    struct Case {
        int length;
        int whole;  // records found
    };
    for (const Case c : {Case{0, 0}, Case{3, 0}, Case{4, 1}, Case{10, 2}, Case{400, 100}, Case{795, 198},
                         Case{796, 199}}) {
        const ChartFileImage img = ChartFileImage::fromBytes(all.left(c.length));
        EXPECT_EQ(img.recordsFound(), c.whole) << c.length;
        EXPECT_EQ(img.bytes().size(), 796) << c.length;
        for (int rec = 1; rec <= kChartRecords; ++rec)
            EXPECT_EQ(img.read(rec), rec <= c.whole ? 1000 + rec : chartRecordDefault(rec)) << c.length << " " << rec;
    }
    // Bytes past record 199 are not the program's, but they stay.
    const QByteArray longer = all + QByteArray("tail", 4);
    const ChartFileImage img = ChartFileImage::fromBytes(longer);
    EXPECT_EQ(img.recordsFound(), 199);
    EXPECT_EQ(img.bytes(), longer);
}

TEST(ChartFiles, WriteReadRoundTripAndSingleRecordUpdates) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("SVCHART2.DAT");
    ChartFileImage img;
    img.writeLong(ChartRecord::PenColor + 7, 0x123456);
    img.writeLong(ChartRecord::YLow, -200);
    ASSERT_TRUE(writeChartFile(path, img));
    const ChartFileRead r = readChartFile(path);
    ASSERT_EQ(r.status, ChartFileStatus::Ok);
    EXPECT_EQ(r.image.bytes(), img.bytes());

    // One record changes; every other byte stays as it was.
    ASSERT_TRUE(updateChartFile(path, {{ChartRecord::Run, 1}}));
    const QByteArray after = fileBytes(path);
    ASSERT_EQ(after.size(), 796);
    for (int rec = 1; rec <= kChartRecords; ++rec) {
        if (rec == ChartRecord::Run) continue;
        EXPECT_EQ(record(after, rec), record(img.bytes(), rec)) << rec;
    }
    EXPECT_EQ(record(after, 195), QByteArray("\x01\x00\x00\x00", 4));
}

TEST(ChartFiles, RunningFlagReachesBothFilesWithoutTouchingTheRest) {
    QTemporaryDir tmp;
    const QString pv = chartFilePath(tmp.path(), ChartSide::Pv);
    const QString sv = chartFilePath(tmp.path(), ChartSide::Sv);
    EXPECT_TRUE(pv.endsWith("/PVCHART1.DAT"));
    EXPECT_TRUE(sv.endsWith("/SVCHART2.DAT"));
    ChartFileImage a, b;
    a.writeLong(ChartRecord::Cycle, 30);
    b.writeLong(ChartRecord::Cycle, 60);
    ASSERT_TRUE(writeChartFile(pv, a));
    ASSERT_TRUE(writeChartFile(sv, b));
    ASSERT_TRUE(updateBothChartFiles(tmp.path(), {{ChartRecord::Run, 1}}));
    for (const auto& [path, before] : {std::pair{pv, a.bytes()}, std::pair{sv, b.bytes()}}) {
        QByteArray expect = before;
        expect.replace(194 * 4, 2, QByteArray("\x01\x00", 2));
        EXPECT_EQ(fileBytes(path), expect) << path.toStdString();
    }
    ASSERT_TRUE(updateBothChartFiles(tmp.path(), {{ChartRecord::Run, 0}}));
    EXPECT_EQ(fileBytes(pv), a.bytes());
    EXPECT_EQ(fileBytes(sv), b.bytes());
}

TEST(ChartFiles, DamagedFilesOnUpdate) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("PVCHART1.DAT");
    // A truncated file: its whole records stay, the rest becomes the defaults,
    // never zeros.
    ChartFileImage custom;
    custom.writeLong(1, 0x010203);
    custom.writeLong(2, 0x040506);
    putBytes(path, custom.bytes().left(10));
    ASSERT_TRUE(updateChartFile(path, {{ChartRecord::Run, 1}}));
    const ChartFileImage after = ChartFileImage::fromBytes(fileBytes(path));
    EXPECT_EQ(fileBytes(path).size(), 796);
    EXPECT_EQ(after.readLong(1), 0x010203);
    EXPECT_EQ(after.readLong(2), 0x040506);
    EXPECT_EQ(after.readLong(3), chartRecordDefault(3));
    EXPECT_EQ(after.readInteger(ChartRecord::YDiv), 4);
    EXPECT_EQ(after.readInteger(ChartRecord::Run), 1);

    // An oversized file keeps what follows record 199.
    putBytes(path, ChartFileImage().bytes() + "EXTRA");
    ASSERT_TRUE(updateChartFile(path, {{ChartRecord::XLong, 0}}));
    EXPECT_TRUE(fileBytes(path).endsWith("EXTRA"));
    EXPECT_EQ(fileBytes(path).size(), 801);

    // A missing file is made from the defaults before the record is written.
    const QString missing = tmp.filePath("SVCHART2.DAT");
    ASSERT_TRUE(updateChartFile(missing, {{ChartRecord::Run, 1}}));
    ChartFileImage expect;
    expect.writeInteger(ChartRecord::Run, 1);
    EXPECT_EQ(fileBytes(missing), expect.bytes());

    // A file that cannot be read is left alone.
    const QString dir = tmp.filePath("blocked");
    QDir().mkpath(dir + "/PVCHART1.DAT");
    QString error;
    EXPECT_EQ(readChartFile(dir + "/PVCHART1.DAT").status, ChartFileStatus::ReadError);
    EXPECT_FALSE(updateChartFile(dir + "/PVCHART1.DAT", {{ChartRecord::Run, 1}}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir + "/PVCHART1.DAT").isDir());
    // A folder that does not exist cannot take the file.
    QStringList errors;
    EXPECT_FALSE(updateBothChartFiles(tmp.filePath("no/such"), {{ChartRecord::Run, 1}}, &errors));
    EXPECT_EQ(errors.size(), 2);
}

TEST(ChartFiles, StartUpLoad) {
    // What each file holds before the start: nothing, or its own values.
    ChartFileImage pvImg, svImg;
    for (int ch = 0; ch < kChannels; ++ch) {
        pvImg.writeLong(ch + 1, 0x100 + ch);
        svImg.writeLong(ch + 1, 0x200 + ch);
    }
    // The PV file's shared records are never used at start.
    pvImg.writeLong(ChartRecord::XLong, 1);
    pvImg.writeLong(ChartRecord::YHigh, 999);
    svImg.writeLong(ChartRecord::XLong, 0);
    svImg.writeLong(ChartRecord::Cycle, 12);
    svImg.writeLong(ChartRecord::YHigh, 1500);
    svImg.writeLong(ChartRecord::YLow, -150);
    svImg.writeInteger(ChartRecord::Run, 1);
    svImg.writeInteger(ChartRecord::YDiv, 7);
    struct Case {
        bool pv, sv;
    };
    for (const Case c : {Case{false, false}, Case{true, true}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(testing::Message() << "pv " << c.pv << " sv " << c.sv);
        QTemporaryDir tmp;
        const QString pvPath = chartFilePath(tmp.path(), ChartSide::Pv);
        const QString svPath = chartFilePath(tmp.path(), ChartSide::Sv);
        if (c.pv) putBytes(pvPath, pvImg.bytes());
        if (c.sv) putBytes(svPath, svImg.bytes());
        QVX720_INC s;
        const ChartStartup r = loadChartFiles(s, tmp.path());
        EXPECT_TRUE(r.errors.isEmpty());
        EXPECT_EQ(r.pvCreated, !c.pv);
        EXPECT_EQ(r.svCreated, !c.sv);
        // A created file holds exactly the defaults; a present one is untouched.
        EXPECT_EQ(fileBytes(pvPath), c.pv ? pvImg.bytes() : ChartFileImage().bytes());
        EXPECT_EQ(fileBytes(svPath), c.sv ? svImg.bytes() : ChartFileImage().bytes());
        const ChartFileData& d = s.ChartFile_Data;
        for (int ch : {0, 39, 40, 80, 94}) {
            EXPECT_EQ(d.PvColor(ch), c.pv ? 0x100 + ch : defaultPenColor(ch)) << ch;
            EXPECT_EQ(d.SvColor(ch), c.sv ? 0x200 + ch : defaultPenColor(ch)) << ch;
        }
        EXPECT_EQ(d.Chart_XLong, c.sv ? 0 : 1);
        EXPECT_EQ(d.Chart_Cycle, c.sv ? 12 : 5);
        EXPECT_EQ(d.Chart_YHigh, c.sv ? 1500 : 400);
        EXPECT_EQ(d.Chart_YLow, c.sv ? -150 : 0);
        EXPECT_EQ(d.Chart_Run, c.sv ? 1 : 0);
        EXPECT_EQ(d.Chart_YDiv, c.sv ? 7 : 4);
    }
}

TEST(ChartFiles, StartUpTakesDefaultsForWhatTheControlsDoNotAllow) {
    struct Case {
        qint32 cycle, high, low;
        qint16 div;
        qint32 wantCycle, wantHigh, wantLow;
        qint16 wantDiv;
    };
    const Case cases[] = {
        {1, 2000, -200, 2, 1, 2000, -200, 2},    // every limit of the controls
        {60, 401, 400, 10, 60, 401, 400, 10},
        {0, 400, 0, 0, 5, 400, 0, 4},            // cycle and divisions below
        {1000, 400, 0, 100, 5, 400, 0, 4},       // and above
        {5, 300, 300, 4, 5, 400, 0, 4},          // high not above the low
        {5, 2001, 500, 4, 5, 400, 0, 4},         // high out of range, then below the low
        {5, 800, -201, 4, 5, 800, 0, 4},         // low out of range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cycle << " " << c.high << " " << c.low << " " << c.div);
        QTemporaryDir tmp;
        ChartFileImage sv;
        sv.writeLong(ChartRecord::Cycle, c.cycle);
        sv.writeLong(ChartRecord::YHigh, c.high);
        sv.writeLong(ChartRecord::YLow, c.low);
        sv.writeInteger(ChartRecord::YDiv, c.div);
        const QString path = chartFilePath(tmp.path(), ChartSide::Sv);
        putBytes(path, sv.bytes());
        QVX720_INC s;
        loadChartFiles(s, tmp.path());
        const ChartFileData& d = s.ChartFile_Data;
        EXPECT_EQ(d.Chart_Cycle, c.wantCycle);
        EXPECT_EQ(d.Chart_YHigh, c.wantHigh);
        EXPECT_EQ(d.Chart_YLow, c.wantLow);
        EXPECT_EQ(d.Chart_YDiv, c.wantDiv);
        EXPECT_EQ(fileBytes(path), sv.bytes());  // the file keeps what it holds
    }
}

TEST(ChartFiles, StartUpWithFilesThatCannotBeUsed) {
    QTemporaryDir tmp;
    // The SV file is a folder: unreadable. It is left as it is and the
    // defaults stand in for it.
    QDir().mkpath(chartFilePath(tmp.path(), ChartSide::Sv));
    QVX720_INC s;
    const ChartStartup r = loadChartFiles(s, tmp.path());
    EXPECT_TRUE(r.pvCreated);
    EXPECT_FALSE(r.svCreated);
    EXPECT_EQ(r.errors.size(), 1);
    EXPECT_EQ(s.ChartFile_Data.Chart_YDiv, 4);
    EXPECT_EQ(s.ChartFile_Data.SvColor(3), defaultPenColor(3));
    // A folder that does not exist: nothing can be created, the defaults hold.
    QVX720_INC s2;
    const ChartStartup r2 = loadChartFiles(s2, tmp.filePath("missing"));
    EXPECT_FALSE(r2.pvCreated);
    EXPECT_EQ(r2.errors.size(), 2);
    EXPECT_EQ(s2.ChartFile_Data.Chart_Cycle, 5);
    EXPECT_EQ(s2.ChartFile_Data.PvColor(0), 0x0000FF);
}

TEST(ChartFiles, PlotFlagsAndPenRecords) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("PVCHART1.DAT");
    EXPECT_FALSE(readPlotFlags(path).ok);  // missing
    Table1<qint32, kChannels> colors;
    std::array<qint16, kChannels> flags{};
    for (int ch = 0; ch < kChannels; ++ch) colors(ch) = 0x10000 + ch;
    flags[0] = 1;
    flags[45] = 1;
    flags[94] = 2;  // any flag but 0 reads back as 1
    flags[93] = -1;
    const QList<ChartRecordValue> recs = penRecords(colors, flags);
    ASSERT_EQ(recs.size(), 190);
    EXPECT_EQ(recs.front().rec, 1);
    EXPECT_EQ(recs[94].rec, 95);
    EXPECT_EQ(recs[95].rec, 100);
    EXPECT_EQ(recs.back().rec, 194);
    ASSERT_TRUE(updateChartFile(path, recs));
    const ChartPlotFlags f = readPlotFlags(path);
    ASSERT_TRUE(f.ok);
    std::array<qint16, kChannels> selected = flags;
    selected[93] = selected[94] = 1;
    EXPECT_EQ(f.flags, selected);
    const ChartFileImage img = ChartFileImage::fromBytes(fileBytes(path));
    EXPECT_EQ(img.readLong(46), 0x10000 + 45);
    EXPECT_EQ(img.readInteger(195), 0);  // nothing else touched
    EXPECT_EQ(img.readInteger(199), 4);
    EXPECT_EQ(record(img.bytes(), 46), le32(0x10000 + 45));
}
