#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <limits>
#include <vector>

#include "preferences.h"
#include "setting_files.h"
#include "settings_store.h"
#include "transfer.h"
#include "value_format.h"

using namespace qvx;

namespace {

ChannelBlock sequence(int base) {
    ChannelBlock b{};
    for (int i = 0; i < kFileItems; ++i) b[std::size_t(i)] = qint16(base + i * 7 - 100);
    return b;
}

QByteArray lines(const std::vector<QByteArray>& fields, const QByteArray& end = "\r\n") {
    QByteArray out;
    for (const QByteArray& f : fields) out += f + end;
    return out;
}

// A block's 55 fields: the model text and 54 numbers, each from make(i).
std::vector<QByteArray> blockFields(const std::function<QByteArray(int)>& make) {
    std::vector<QByteArray> f{"\"QVX-720\""};
    for (int i = 0; i < kFileItems; ++i) f.push_back(make(i));
    return f;
}

QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(SettingFiles, KnownFileBytes) {
    ChannelBlock zeros{};
    const QByteArray z = formatChannelFile(zeros);
    EXPECT_EQ(z.size(), 173);
    EXPECT_EQ(z, QByteArray("\"QVX-720\"\r\n") + QByteArray("0\r\n").repeated(54));

    ChannelBlock wide{};
    wide.fill(-32768);
    EXPECT_EQ(formatChannelFile(wide).size(), 443);

    ChannelBlock mixed{};
    mixed[0] = 1234;    // item 10
    mixed[1] = -1;      // item 11
    mixed[2] = 32767;   // item 12
    mixed[53] = -200;   // item 63
    const QByteArray m = formatChannelFile(mixed);
    EXPECT_TRUE(m.startsWith("\"QVX-720\"\r\n1234\r\n-1\r\n32767\r\n0\r\n"));
    EXPECT_TRUE(m.endsWith("\r\n0\r\n-200\r\n"));
    EXPECT_EQ(m.count("\r\n"), 55);
    EXPECT_EQ(m.count('\n'), 55);  // no bare line feeds

    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(s, ch, ch == 3 ? mixed : zeros);
    const QByteArray all = formatAllChannelsFile(s);
    EXPECT_EQ(all.size(), 94 * 173 + m.size());
    EXPECT_EQ(all.count("\r\n"), 5225);
    EXPECT_EQ(all.mid(3 * 173, m.size()), m);
    EXPECT_TRUE(FileSize_Chk(qint32(formatAllChannelsFile(QVX720_INC{}).size())));
}

TEST(SettingFiles, BlocksTakeItems10To63Only) {
    QVX720_INC s;
    for (int k = 0; k < kItems; ++k) s.ParaData(5, k) = qint16(1000 + k);
    const ChannelBlock b = channelBlock(s, 5);
    EXPECT_EQ(b.front(), 1010);
    EXPECT_EQ(b.back(), 1063);
    QVX720_INC t;
    t.ParaData(6, 9) = 9;
    t.ParaData(6, 64) = 64;
    storeChannelBlock(t, 6, b);
    EXPECT_EQ(t.ParaData(6, 10), 1010);
    EXPECT_EQ(t.ParaData(6, 63), 1063);
    EXPECT_EQ(t.ParaData(6, 9), 9);
    EXPECT_EQ(t.ParaData(6, 64), 64);
}

TEST(SettingFiles, RoundTripsThroughFiles) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        ChannelBlock values;
    };
    ChannelBlock extremes{};
    for (int i = 0; i < kFileItems; ++i) extremes[std::size_t(i)] = i % 2 ? qint16(-32768) : qint16(32767);
    ChannelBlock small{};
    for (int i = 0; i < kFileItems; ++i) small[std::size_t(i)] = qint16(i % 10);
    const Case cases[] = {{"sequence", sequence(0)}, {"small", small}, {"zeros", ChannelBlock{}}};
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".dat"));
        ASSERT_TRUE(writeChannelFile(path, c.values)) << c.name;
        const ChannelFileRead r = readChannelFile(path);
        EXPECT_EQ(r.error, FileError::None) << c.name;
        EXPECT_EQ(r.values, c.values) << c.name;
    }
    // Values of four to six characters make files of 301..443 bytes: still
    // one-channel files, by their content, for the one-channel load only.
    ChannelBlock fourDigits{};
    for (int i = 0; i < kFileItems; ++i) fourDigits[std::size_t(i)] = i % 3 ? qint16(1000 + i) : qint16(-200);
    const Case wideCases[] = {{"four digits", fourDigits}, {"extremes", extremes}};
    for (const Case& c : wideCases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".dat"));
        ASSERT_TRUE(writeChannelFile(path, c.values)) << c.name;
        EXPECT_GT(fileBytes(path).size(), 300) << c.name;
        const ChannelFileRead r = readChannelFile(path);
        EXPECT_EQ(r.error, FileError::None) << c.name;
        EXPECT_EQ(r.values, c.values) << c.name;
        EXPECT_EQ(readAllChannelsBytes(path).error, FileError::WrongKind) << c.name;
    }

    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(s, ch, sequence(ch * 300 - 14000));
    const QString all = dir.filePath(QStringLiteral("all.dat"));
    ASSERT_TRUE(writeAllChannelsFile(all, s));
    const AllChannelsFileRead r = readAllChannelsBytes(all);
    ASSERT_EQ(r.error, FileError::None);
    const std::optional<AllChannelsBlocks> blocks = parseAllChannelsFile(r.bytes);
    ASSERT_TRUE(blocks.has_value());
    for (int ch = 0; ch < kChannels; ++ch) EXPECT_EQ((*blocks)[std::size_t(ch)], channelBlock(s, ch)) << ch;
}

TEST(SettingFiles, ReaderConvention) {
    const auto num = [](int i) { return QByteArray::number(i - 27); };
    const ChannelBlock expected = [&] {
        ChannelBlock b{};
        for (int i = 0; i < kFileItems; ++i) b[std::size_t(i)] = qint16(i - 27);
        return b;
    }();
    const QByteArray crlf = lines(blockFields(num));
    struct Case {
        const char* name;
        QByteArray bytes;
        bool accepted;
    };
    std::vector<QByteArray> plusFields = blockFields(num);
    plusFields[31] = "+" + num(30);
    std::vector<QByteArray> anyModel = blockFields(num);
    anyModel[0] = "\"QVX-52B, old\"";
    std::vector<QByteArray> bareModel = blockFields(num);
    bareModel[0] = "whatever";
    std::vector<QByteArray> emptyModel = blockFields(num);
    emptyModel[0] = "";
    std::vector<QByteArray> blanks = blockFields([&](int i) { return " \t" + num(i) + "  "; });
    std::vector<QByteArray> zeros = blockFields([&](int i) { return i == 3 ? QByteArray("-0000024") : num(i); });
    std::vector<QByteArray> shortBlock = blockFields(num);
    shortBlock.pop_back();
    const auto with = [&](int field, const QByteArray& text) {
        std::vector<QByteArray> f = blockFields(num);
        f[std::size_t(field)] = text;
        return lines(f);
    };
    QByteArray noFinalEnd = crlf;
    noFinalEnd.chop(2);
    QByteArray commas;
    for (const QByteArray& f : blockFields(num)) commas += f + ",";
    const Case cases[] = {
        {"CR LF lines", crlf, true},
        {"LF lines", lines(blockFields(num), "\n"), true},
        {"CR lines", lines(blockFields(num), "\r"), true},
        {"one line of commas", commas, true},
        {"no line end after the last field", noFinalEnd, true},
        {"cut in the last line end", crlf.left(crlf.size() - 1), true},
        {"content after the block", crlf + "garbage\r\n1,2,3", true},
        {"any quoted model text", lines(anyModel), true},
        {"unquoted model text", lines(bareModel), true},
        {"empty model field", lines(emptyModel), true},
        {"blanks around numbers", lines(blanks), true},
        {"plus sign", lines(plusFields), true},
        {"leading zeros", lines(zeros), true},
        {"empty", QByteArray(), false},
        {"model text only", "\"QVX-720\"\r\n", false},
        {"54 fields", lines(shortBlock), false},
        {"letter in a number", with(7, "12a"), false},
        {"decimal point", with(7, "1.5"), false},
        {"hex", with(7, "&H10"), false},
        {"32768", with(7, "32768"), false},
        {"-32769", with(7, "-32769"), false},
        {"huge", with(7, "99999999999999999999"), false},
        {"empty field", with(7, ""), false},
        {"sign alone", with(7, "-"), false},
        {"quoted number", with(7, "\"12\""), false},
        {"blank line in the block", with(7, "\r\n5"), false},
        {"unterminated quote", "\"QVX-720\r\n1\r\n", false},
    };
    for (const Case& c : cases) {
        const std::optional<ChannelBlock> v = parseChannelFile(c.bytes);
        EXPECT_EQ(v.has_value(), c.accepted) << c.name;
        if (c.accepted && v) {
            EXPECT_EQ(*v, expected) << c.name;
        }
    }
    const std::optional<ChannelBlock> extremes = parseChannelFile(with(1, "-32768"));
    ASSERT_TRUE(extremes.has_value());
    EXPECT_EQ((*extremes)[0], -32768);
    EXPECT_EQ((*parseChannelFile(with(1, "32767")))[0], 32767);
}

TEST(SettingFiles, AllChannelsParseNeeds95Blocks) {
    QVX720_INC s;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(s, ch, sequence(ch));
    const QByteArray all = formatAllChannelsFile(s);
    const qsizetype lastBlock = all.lastIndexOf("\"QVX-720\"");
    struct Case {
        const char* name;
        QByteArray bytes;
        bool accepted;
    };
    QByteArray badInLast = all;
    badInLast.replace(badInLast.lastIndexOf("\r\n", badInLast.size() - 3) + 2, 1, "x");
    const Case cases[] = {
        {"whole", all, true},
        {"content after the 95th block", all + formatChannelFile(sequence(5)), true},
        {"94 blocks", all.left(lastBlock), false},
        {"last block short", all.left(all.size() - 6), false},
        {"no line end after the last field", all.left(all.size() - 2), true},
        {"bad field in the last block", badInLast, false},
        {"one block", formatChannelFile(sequence(1)), false},
    };
    for (const Case& c : cases) EXPECT_EQ(parseAllChannelsFile(c.bytes).has_value(), c.accepted) << c.name;
}

TEST(SettingFiles, ReadRefusals) {
    QTemporaryDir dir;
    // Exactly 300 bytes is still a channel file; 301 is not.
    const auto padded = [](int total) {
        QByteArray b = formatChannelFile(ChannelBlock{});
        const int extra = total - int(b.size());
        // Leading zeros of the first value make up the length.
        b.replace(11, 1, QByteArray(extra + 1, '0'));
        return b;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        FileError channel;  // readChannelFile
        FileError all;      // readAllChannelsBytes
    };
    const Case cases[] = {
        {"173 bytes", padded(173), FileError::None, FileError::WrongKind},
        {"300 bytes", padded(300), FileError::None, FileError::WrongKind},
        {"301 bytes of one block", padded(301), FileError::None, FileError::WrongKind},
        {"one block with trailing line ends", padded(295) + "\r\n \r\n\r\n\t\r\n", FileError::None,
         FileError::WrongKind},
        {"one block of fields, a bad one, 301 bytes", QByteArray(padded(301)).replace(298, 1, "x"),
         FileError::Malformed, FileError::WrongKind},
        {"one block and more, 301 bytes", padded(298) + "1\r\n", FileError::WrongKind, FileError::None},
        {"two blocks", padded(173) + padded(173), FileError::WrongKind, FileError::None},
        {"all-channels file", formatAllChannelsFile(QVX720_INC{}), FileError::WrongKind, FileError::None},
        {"empty", QByteArray(), FileError::Malformed, FileError::WrongKind},
        {"short", lines({"\"QVX-720\"", "1", "2"}), FileError::Malformed, FileError::WrongKind},
        {"binary", QByteArray(200, '\xff'), FileError::Malformed, FileError::WrongKind},
        {"oversized", QByteArray(kAllChannelsFileMaxBytes + 1, '1'), FileError::WrongKind, FileError::TooLarge},
    };
    for (const Case& c : cases) {
        const QString path = writeBytes(dir, QString::fromLatin1(c.name), c.bytes);
        EXPECT_EQ(readChannelFile(path).error, c.channel) << c.name;
        const AllChannelsFileRead r = readAllChannelsBytes(path);
        EXPECT_EQ(r.error, c.all) << c.name;
        if (r.error == FileError::None) {
            EXPECT_EQ(r.bytes, c.bytes) << c.name;
        } else {
            EXPECT_TRUE(r.bytes.isEmpty()) << c.name;
        }
    }
    EXPECT_EQ(padded(300).size(), 300);
    EXPECT_EQ(readChannelFile(dir.filePath(QStringLiteral("300 bytes"))).values, ChannelBlock{});
    for (const QString& path : {dir.filePath(QStringLiteral("missing.dat")), dir.path(), QString()}) {
        EXPECT_EQ(readChannelFile(path).error, FileError::CannotOpen) << path.toStdString();
        EXPECT_EQ(readAllChannelsBytes(path).error, FileError::CannotOpen) << path.toStdString();
    }
}

TEST(SettingFiles, FileSizeCheck) {
    const struct {
        qint32 n;
        bool all;
    } cases[] = {{0, false}, {173, false}, {300, false}, {301, true}, {443, true}, {16435, true},
                 {std::numeric_limits<qint32>::max(), true}, {-1, false}};
    for (const auto& c : cases) EXPECT_EQ(FileSize_Chk(c.n), c.all) << c.n;
}

TEST(SettingFiles, SavesReplaceWholeFilesOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.dat"));
    ASSERT_TRUE(writeChannelFile(path, sequence(9)));
    ASSERT_TRUE(writeChannelFile(path, ChannelBlock{}));
    EXPECT_EQ(fileBytes(path), formatChannelFile(ChannelBlock{}));
    // No folder to write in: refused, and nothing is left behind.
    const QString nowhere = dir.filePath(QStringLiteral("none/b.dat"));
    EXPECT_FALSE(writeChannelFile(nowhere, sequence(1)));
    EXPECT_FALSE(writeAllChannelsFile(nowhere, QVX720_INC{}));
    EXPECT_FALSE(QFile::exists(nowhere));
    // A folder of that name is not replaced.
    EXPECT_FALSE(writeChannelFile(dir.path(), sequence(1)));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_FALSE(writeChannelFile(QString(), sequence(1)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.dat")});
}

TEST(SettingFiles, DefaultSuffix) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"/d/Setdata/oven", "/d/Setdata/oven.dat"}, {"/d/Setdata/oven.dat", "/d/Setdata/oven.dat"},
                 {"/d/Setdata/oven.txt", "/d/Setdata/oven.txt"}, {"/d/Setdata/oven.", "/d/Setdata/oven.dat"},
                 {"/d/set.data/oven", "/d/set.data/oven.dat"}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(withDefaultSuffix(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(ChannelCopy, Refusals) {
    struct Case {
        const char* name;
        int src, dst;
        bool srcPresent, dstPresent, srcAT, dstAT;
        CopyVerdict verdict;
    };
    const Case cases[] = {
        {"both present", 2, 7, true, true, false, false, CopyVerdict::Allowed},
        {"onto itself", 4, 4, true, true, false, false, CopyVerdict::Allowed},
        {"source auto-tuning is not tested", 2, 7, true, true, true, false, CopyVerdict::Allowed},
        {"source absent", 2, 7, false, true, false, false, CopyVerdict::SourceAbsent},
        {"both absent: the source first", 2, 7, false, false, false, true, CopyVerdict::SourceAbsent},
        {"target absent", 2, 7, true, false, false, false, CopyVerdict::TargetAbsent},
        {"target absent and tuning", 2, 7, true, false, false, true, CopyVerdict::TargetAbsent},
        {"target auto-tuning", 2, 7, true, true, false, true, CopyVerdict::TargetAutoTuning},
        {"no source selected", -1, 7, true, true, false, false, CopyVerdict::NoSelection},
        {"no target selected", 2, -1, true, true, false, false, CopyVerdict::NoSelection},
        {"out of range", 2, 95, true, true, false, false, CopyVerdict::NoSelection},
    };
    for (const Case& c : cases) {
        QVX720_INC s;
        const auto set = [&](int ch, bool present, bool at) {
            if (ch < 0 || ch >= kChannels) return;
            s.Monitor_Data.Connect_Code(ch) = present ? 0x21 : 0;
            s.Monitor_Data.StatusData(ch) = at ? qint16(0x0805) : qint16(0x0005);
        };
        set(c.src, c.srcPresent, c.srcAT);
        if (c.dst != c.src) set(c.dst, c.dstPresent, c.dstAT);
        const CopyVerdict v = checkChannelCopy(s, c.src, c.dst);
        EXPECT_EQ(v, c.verdict) << c.name;
    }
}

TEST(ChannelCopy, CopiesItems10To63) {
    QVX720_INC s;
    for (int k = 0; k < kItems; ++k) {
        s.ParaData(1, k) = qint16(k + 500);
        s.ParaData(2, k) = qint16(-k);
    }
    copyChannel(s, 1, 2);
    for (int k = 0; k < kItems; ++k)
        EXPECT_EQ(s.ParaData(2, k), k >= 10 && k <= 63 ? k + 500 : -k) << k;
    copyChannel(s, 2, 2);
    EXPECT_EQ(s.ParaData(2, 40), 540);
}

TEST(ChannelNames, ByteLengthAndLimit) {
    const QString kanji = QString::fromUtf8("\xE6\xB8\xA9\xE5\xBA\xA6");        // two ideographs
    const QString kana = QString::fromUtf8("\xEF\xBD\xB1\xEF\xBD\xB2");         // two half-width katakana
    const QString emoji = QString::fromUtf8("\xF0\x9F\x94\xA5");                 // one surrogate pair
    struct Case {
        const char* name;
        QString text;
        CodePage cp;
        int bytes;
        QString fitted;
    };
    const Case cases[] = {
        {"empty", QString(), CodePage::SingleByte, 0, QString()},
        {"12 ASCII", QStringLiteral("ABCDEFGHIJKL"), CodePage::DoubleByte, 12, QStringLiteral("ABCDEFGHIJKL")},
        {"13 ASCII", QStringLiteral("ABCDEFGHIJKLM"), CodePage::SingleByte, 13, QStringLiteral("ABCDEFGHIJKL")},
        {"6 ideographs", kanji.repeated(3), CodePage::DoubleByte, 12, kanji.repeated(3)},
        {"7 ideographs", kanji.repeated(3) + kanji.left(1), CodePage::DoubleByte, 14, kanji.repeated(3)},
        {"7 ideographs single-byte", kanji.repeated(3) + kanji.left(1), CodePage::SingleByte, 7,
         kanji.repeated(3) + kanji.left(1)},
        {"mix: 1 + 6 ideographs", QStringLiteral("A") + kanji.repeated(3), CodePage::DoubleByte, 13,
         QStringLiteral("A") + kanji.repeated(2) + kanji.left(1)},
        {"half-width katakana", kana.repeated(6), CodePage::DoubleByte, 12, kana.repeated(6)},
        {"surrogate pairs", emoji.repeated(7), CodePage::DoubleByte, 14, emoji.repeated(6)},
        {"surrogate pairs single-byte", emoji.repeated(13), CodePage::SingleByte, 13, emoji.repeated(12)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ansiByteLength(c.text, c.cp), c.bytes) << c.name;
        EXPECT_EQ(nameFits(c.text, c.cp), c.bytes <= 12) << c.name;
        EXPECT_EQ(fitName(c.text, c.cp), c.fitted) << c.name;
        EXPECT_TRUE(nameFits(fitName(c.text, c.cp), c.cp)) << c.name;
    }
    const QString stored = QStringLiteral("Oven A");
    EXPECT_EQ(nameAfterChange(QStringLiteral("Oven AB"), stored, CodePage::SingleByte), QStringLiteral("Oven AB"));
    EXPECT_EQ(nameAfterChange(kanji.repeated(4), stored, CodePage::DoubleByte), stored);
    EXPECT_EQ(nameAfterChange(QString(), stored, CodePage::DoubleByte), QString());
    // A stored name that is itself too long goes back cut, so the rule holds after it.
    EXPECT_EQ(nameAfterChange(kanji.repeated(4), kanji.repeated(5), CodePage::DoubleByte), kanji.repeated(3));
}

TEST(ChannelNames, StoredAllAtOnce) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    QStringList names;
    for (int ch = 0; ch < kChannels; ++ch) names << QStringLiteral("Zone %1").arg(ch);
    names[4] = QString();
    names[7] = QStringLiteral("  padded  ");
    ASSERT_TRUE(saveChannelNames(store, names));
    SettingsStore reread(store.path());
    EXPECT_EQ(reread.read(QStringLiteral("Chname01"), QString()), QStringLiteral("Zone 0"));
    EXPECT_EQ(reread.read(QStringLiteral("Chname95"), QString()), QStringLiteral("Zone 94"));
    EXPECT_TRUE(reread.contains(QStringLiteral("Chname05")));
    EXPECT_EQ(channelName(reread, 4), QString());
    EXPECT_EQ(channelName(reread, 7), QStringLiteral("  padded  "));
}

TEST(ChannelNames, AStoredNameIsHandedOutWithinTwelveBytes) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    const QString kanji = QString::fromUtf8("\xE6\xB8\xA9");  // two bytes in a double-byte code page
    store.save(chnameKey(0), QString(3000, QLatin1Char('W')));
    store.save(chnameKey(1), kanji.repeated(7));
    EXPECT_EQ(channelName(store, 0), QString(12, QLatin1Char('W')));  // the system's code page
    EXPECT_EQ(channelName(store, 1, CodePage::SingleByte), kanji.repeated(7));
    EXPECT_EQ(channelName(store, 1, CodePage::DoubleByte), kanji.repeated(6));
    EXPECT_EQ(channelName(store, 2, CodePage::DoubleByte), QStringLiteral("Ch03"));
    EXPECT_EQ(store.read(chnameKey(0), QString()).size(), 3000);   // the store keeps what it holds
}

TEST(AlarmColors, StoreTexts) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_EQ(readAlarmColors(nullptr), (AlarmColors{255, 255, 255, 255, 255}));
    EXPECT_EQ(readAlarmColors(&store), (AlarmColors{255, 255, 255, 255, 255}));
    const struct {
        const char* key;
        const char* text;
        int slot;
        qint32 read;
    } cases[] = {{"Alm1color", "65280", 0, 65280}, {"Alm2color", "abc", 1, 255}, {"Alm3color", "", 2, 255},
                 {"Alm4color", "99999999999", 3, 255}, {"Alm_other", " 16711680 ", 4, 16711680}};
    for (const auto& c : cases) store.save(QString::fromLatin1(c.key), QString::fromLatin1(c.text));
    const AlarmColors read = readAlarmColors(&store);
    for (const auto& c : cases) EXPECT_EQ(read[std::size_t(c.slot)], c.read) << c.key;


    ASSERT_TRUE(saveAlarmColors(store, {0x0000FF, 0x00FF00, 0xFF0000, 0, 0x808080}));
    SettingsStore reread(store.path());
    EXPECT_EQ(reread.read(QStringLiteral("alm1color"), QString()), QStringLiteral("255"));
    EXPECT_EQ(reread.read(QStringLiteral("Alm2color"), QString()), QStringLiteral("65280"));
    EXPECT_EQ(reread.read(QStringLiteral("Alm3color"), QString()), QStringLiteral("16711680"));
    EXPECT_EQ(reread.read(QStringLiteral("Alm4color"), QString()), QStringLiteral("0"));
    EXPECT_EQ(reread.read(QStringLiteral("Alm_other"), QString()), QStringLiteral("8421504"));

    AlarmColor c;
    setAlarmColors(c, {1, 2, 3, 4, 5});
    EXPECT_EQ(c.AlmColor1, 1);
    EXPECT_EQ(c.AlmColor4, 4);
    EXPECT_EQ(c.AlmColorOther, 5);
    EXPECT_EQ(alarmColorsOf(c), (AlarmColors{1, 2, 3, 4, 5}));
}
