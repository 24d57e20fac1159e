// The string table: the text form, the two built-in tables, and that every
// id the program fetches exists in both languages.
#include "string_table.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <ostream>
#include <utility>
#include <vector>

namespace qvx {
namespace {

using Lang = StringTable::Language;

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

QSet<int> idSet(const StringTable& t)
{
    const QList<int> ids = t.ids();
    return QSet<int>(ids.begin(), ids.end());
}

QString idList(QList<int> ids)
{
    std::sort(ids.begin(), ids.end());
    QStringList parts;
    for (int id : ids)
        parts << QString::number(id);
    return parts.join(u',');
}

// ---------------------------------------------------------------------------
// The text form

struct ParseCase {
    const char* name;
    const char* content;
    int id;
    bool present;
    const char* expected;  // UTF-8; ignored when !present
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class StringTableParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StringTableParse, Line)
{
    const ParseCase& c = GetParam();
    const StringTable t = StringTable::parse(q(c.content), Lang::English);
    ASSERT_EQ(t.has(c.id), c.present) << c.name;
    if (c.present)
        EXPECT_EQ(t.text(c.id), q(c.expected)) << c.name;
    else
        EXPECT_EQ(t.text(c.id), QString()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringTableParse,
    ::testing::Values(
        ParseCase{"plain", "17\tDo you want to close the program?\n", 17, true,
                  "Do you want to close the program?"},
        ParseCase{"newline escape", "1\tone\\ntwo\n", 1, true, "one\ntwo"},
        ParseCase{"tab escape", "1\ta\\tb\n", 1, true, "a\tb"},
        ParseCase{"backslash escape", "1\tC:\\\\Setdata\n", 1, true, "C:\\Setdata"},
        ParseCase{"escaped backslash before n", "1\ta\\\\nb\n", 1, true, "a\\nb"},
        ParseCase{"unknown escape kept", "1\ta\\qb\n", 1, true, "a\\qb"},
        ParseCase{"lone backslash at end kept", "1\tend\\\n", 1, true, "end\\"},
        ParseCase{"raw tab inside the text", "1\ta\tb\n", 1, true, "a\tb"},
        ParseCase{"trailing blank kept", "550\tData logging conditions \n", 550, true,
                  "Data logging conditions "},
        ParseCase{"several trailing blanks kept", "557\tDate  :   \n", 557, true, "Date  :   "},
        ParseCase{"leading blanks kept", "1\t  indented\n", 1, true, "  indented"},
        ParseCase{"CR LF: only the CR goes", "554\tContinue to save data \r\n", 554, true,
                  "Continue to save data "},
        ParseCase{"last line without line end", "5\tlast ", 5, true, "last "},
        ParseCase{"empty text", "8\t\n", 8, true, ""},
        ParseCase{"byte order mark", "\xEF\xBB\xBF" "2\tKORVEL MERIDAX CO., LTD.\n", 2, true,
                  "KORVEL MERIDAX CO., LTD."},
        ParseCase{"Japanese text", "230\t\xE8\xA8\xAD\xE5\xAE\x9A\xE5\x80\xA4\n", 230, true,
                  "\xE8\xA8\xAD\xE5\xAE\x9A\xE5\x80\xA4"},
        ParseCase{"comment line", "# 9\tnot a string\n", 9, false, ""},
        ParseCase{"hash after the tab is text", "9\t# not a comment\n", 9, true,
                  "# not a comment"},
        ParseCase{"no tab", "10 no tab\n", 10, false, ""},
        ParseCase{"blank instead of tab", "10 text\n", 10, false, ""},
        ParseCase{"blank before the id", " 11\ttext\n", 11, false, ""},
        ParseCase{"letter in the id", "1a\ttext\n", 1, false, ""},
        ParseCase{"negative id", "-3\ttext\n", -3, false, ""},
        ParseCase{"id too large", "99999999999\ttext\n", 0, false, ""}));

TEST(StringTableParse, MalformedLinesAreSkippedAndTheRestIsRead)
{
    const char* content =
        "# header\n"
        "\n"
        "   \n"
        "garbage\n"
        "\tno id\n"
        "x1\ttext\n"
        "99999999999\toverflow\n"
        "\\\n"
        "\t\t\t\n"
        "1\tfirst\n"
        "\r\n"
        "2\tsecond\n";
    const StringTable t = StringTable::parse(q(content), Lang::Japanese);
    EXPECT_EQ(t.language(), Lang::Japanese);
    EXPECT_EQ(idList(t.ids()), QStringLiteral("1,2"));
    EXPECT_EQ(t.text(1), QStringLiteral("first"));
    EXPECT_EQ(t.text(2), QStringLiteral("second"));
}

TEST(StringTableParse, EmptyAndCommentOnlyContentGiveEmptyTables)
{
    for (const char* content : {"", "\n\n", "# only a comment\n", "\xEF\xBB\xBF"}) {
        const StringTable t = StringTable::parse(q(content), Lang::English);
        EXPECT_TRUE(t.ids().isEmpty()) << content;
        EXPECT_EQ(t.text(1), QString());
    }
}

// ---------------------------------------------------------------------------
// The built-in tables

// Every id that the program's windows, dialogs and messages use.
QSet<int> requiredIds()
{
    QSet<int> ids;
    auto add = [&ids](int from, int to) {
        for (int id = from; id <= to; ++id)
            ids.insert(id);
    };
    add(1, 13);     // titles, maker, menus
    add(15, 36);    // menus, status texts, page and display options, printing
    add(40, 49);    // alarm colours, cancel, menus, time-out
    add(51, 54);
    add(60, 60);
    add(101, 161);  // item names, alarm buttons, HOLD frame, control status
    add(164, 169);
    add(194, 195);
    add(200, 219);  // alarm types, actions, units, cooling modes
    add(222, 245);  // "Unsettable" reasons, dialog captions, selection options
    add(248, 256);
    add(267, 272);
    add(300, 313);  // tabs and labels of the main window
    add(315, 318);
    add(321, 327);
    add(329, 331);
    add(333, 334);
    add(371, 371);
    add(374, 374);
    add(400, 424);  // alarm history messages
    add(451, 454);
    add(500, 503);  // setting-value files
    add(506, 510);
    add(513, 516);
    add(520, 522);
    add(530, 536);
    add(550, 565);  // logging, all-channels page, numeric dialogs
    add(621, 621);
    add(658, 674);  // chart control
    add(700, 700);
    add(714, 714);
    add(767, 767);
    add(779, 790);
    add(900, 911);  // why the link check failed, who holds the device or its lock
    add(920, 920);  // logging file failure with its reason
    add(940, 946);  // files and folders that cannot be written, read or made
    add(960, 967);  // help and printing failures, row buttons, version notices
    return ids;
}

TEST(StringTableBuiltIn, BothTablesLoadFromTheResource)
{
    const StringTable en = StringTable::builtIn(Lang::English);
    const StringTable ja = StringTable::builtIn(Lang::Japanese);
    EXPECT_EQ(en.language(), Lang::English);
    EXPECT_EQ(ja.language(), Lang::Japanese);
    EXPECT_EQ(en.ids().size(), requiredIds().size());
    EXPECT_EQ(ja.ids().size(), requiredIds().size());
}

TEST(StringTableBuiltIn, BothTablesHoldTheSameIds)
{
    const QSet<int> en = idSet(StringTable::builtIn(Lang::English));
    const QSet<int> ja = idSet(StringTable::builtIn(Lang::Japanese));
    EXPECT_EQ(idList((en - ja).values()), QString()) << "ids only in English";
    EXPECT_EQ(idList((ja - en).values()), QString()) << "ids only in Japanese";
}

TEST(StringTableBuiltIn, EveryRequiredIdIsInBothTables)
{
    const QSet<int> required = requiredIds();
    for (Lang lang : {Lang::English, Lang::Japanese}) {
        const QSet<int> have = idSet(StringTable::builtIn(lang));
        EXPECT_EQ(idList((required - have).values()), QString())
            << "missing in " << (lang == Lang::English ? "English" : "Japanese");
        EXPECT_EQ(idList((have - required).values()), QString())
            << "unexpected in " << (lang == Lang::English ? "English" : "Japanese");
    }
}

TEST(StringTableBuiltIn, NoTextIsEmpty)
{
    for (Lang lang : {Lang::English, Lang::Japanese}) {
        const StringTable t = StringTable::builtIn(lang);
        for (int id : t.ids())
            EXPECT_FALSE(t.text(id).isEmpty()) << "id " << id;
    }
}

// Every line of a resource file is a comment, blank, or a well-formed string
// line, and no id appears twice: a typo must not make a string vanish, and
// a repeated id must not hide the first text.
TEST(StringTableBuiltIn, ResourceFilesHaveNoStrayLinesOrRepeatedIds)
{
    static const QRegularExpression stringLine(QStringLiteral("^(\\d+)\\t"));
    for (const char* path : {":/strings/en.txt", ":/strings/ja.txt"}) {
        QFile file(QString::fromLatin1(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        const QString content = QString::fromUtf8(file.readAll());
        EXPECT_FALSE(content.contains(u'\r')) << path << " has CR LF line ends";
        QSet<int> seen;
        int lineNo = 0;
        for (const QString& line : content.split(u'\n')) {
            ++lineNo;
            if (line.trimmed().isEmpty() || line.startsWith(u'#'))
                continue;
            const QRegularExpressionMatch m = stringLine.match(line);
            ASSERT_TRUE(m.hasMatch()) << path << ":" << lineNo << " is not a string line";
            const int id = m.captured(1).toInt();
            EXPECT_FALSE(seen.contains(id)) << path << ":" << lineNo << " repeats id " << id;
            seen.insert(id);
        }
    }
}

struct KnownText {
    int id;
    const char* text;  // UTF-8, byte for byte
};

void PrintTo(const KnownText& k, std::ostream* os) { *os << "id " << k.id; }

class EnglishKnownText : public ::testing::TestWithParam<KnownText> {};

TEST_P(EnglishKnownText, ByteForByte)
{
    static const StringTable en = StringTable::builtIn(Lang::English);
    const KnownText& k = GetParam();
    ASSERT_TRUE(en.has(k.id)) << k.id;
    EXPECT_EQ(en.text(k.id).toUtf8().toStdString(), std::string(k.text)) << k.id;
}

INSTANTIATE_TEST_SUITE_P(
    Sample, EnglishKnownText,
    ::testing::Values(
        KnownText{1, "QVX-720 Monitoring software"},
        KnownText{2, "KORVEL MERIDAX CO., LTD."},
        KnownText{10, "All channels(&A)"},
        KnownText{17, "Do you want to close the program?"},
        KnownText{22, "The software will be shut down."},
        KnownText{36, "Data clear(&L)"},
        KnownText{45, "Alarm color will revert to default. Is this OK? "},
        KnownText{60, "The Data clearing is initiated. Is this OK?"},
        KnownText{101, "Main setting value"},
        KnownText{156, "Decimal point place selection"},
        KnownText{227, "Unsettable: During auto-tuning"},
        KnownText{229, "Out of the setting range."},
        KnownText{233, "Setting item selection "},
        KnownText{269, "Alarm HOLD [Used]"},
        KnownText{270, "Unsettable:"},
        KnownText{412, "Negative acknowledgement was returned from controller."},
        KnownText{413, "Checksum error occurred."},
        KnownText{451, "Communication error"},
        KnownText{452,
                  "The controller is being operated with key. Setting value cannot be changed."},
        KnownText{502,
                  "The selected channel is not connected to the PC. Data cannot be transmitted. "},
        KnownText{503, "Setting value cannot be transmitted since AT is performing. Transmit "
                       "the setting value after cancelling AT ."},
        KnownText{521, "<Date         |<Time           |"},
        KnownText{522, "<Channel          |<Contents"},
        KnownText{550, "Data logging conditions "},
        KnownText{553, "File name for saving data logging. "},
        KnownText{554, "Continue to save data "},
        KnownText{557, "Date  : "},
        KnownText{558, "Time  :"},
        KnownText{559, "Check the input value."},
        KnownText{565, "PL-2"},
        KnownText{672, "Select a channel number for changing the recording color, then click "
                       "this button."},
        KnownText{783, "10 sec"},
        KnownText{784, "30 sec"},
        KnownText{785, "1 min"},
        KnownText{786, "5 min"},
        KnownText{787, "10 min"},
        KnownText{788, "15 min"},
        KnownText{789, "30 min"},
        KnownText{790, "1 h"}));

class JapaneseKnownText : public ::testing::TestWithParam<KnownText> {};

TEST_P(JapaneseKnownText, ByteForByte)
{
    static const StringTable ja = StringTable::builtIn(Lang::Japanese);
    const KnownText& k = GetParam();
    ASSERT_TRUE(ja.has(k.id)) << k.id;
    EXPECT_EQ(ja.text(k.id).toUtf8().toStdString(), std::string(k.text)) << k.id;
}

INSTANTIATE_TEST_SUITE_P(
    Sample, JapaneseKnownText,
    ::testing::Values(
        KnownText{20, "ﾁｬｰﾄ 待機中"},
        KnownText{21, "ﾁｬｰﾄ 実行中"},
        KnownText{36, "データクリア(&L)"},
        KnownText{229, "設定範囲を外れた値です。"},
        KnownText{230, "設定値変更画面"},
        KnownText{231, "現在の設定値"},
        KnownText{232, "設定可能範囲"},
        KnownText{559, "入力値を確認してください。"},
        KnownText{659, "600ｻﾝﾌﾟﾙ"},
        KnownText{660, "9000ｻﾝﾌﾟﾙ"},
        KnownText{668, "チャートを実行する項目とチャンネルを選択します｡"},
        KnownText{672, "記録色を変更したいﾁｬﾝﾈﾙ番号を選択し、このボタンを押して下さい。"},
        KnownText{700, "分"}));

// The help file is chosen by comparing text 2 with the English maker's name.
TEST(StringTableBuiltIn, MakerNameTellsTheLanguagesApart)
{
    const QString literal = QStringLiteral("KORVEL MERIDAX CO., LTD.");
    EXPECT_EQ(StringTable::builtIn(Lang::English).text(2), literal);
    const QString ja = StringTable::builtIn(Lang::Japanese).text(2);
    EXPECT_FALSE(ja.isEmpty());
    EXPECT_NE(ja, literal);
}

// A menu accelerator "(&X)" of the English caption is kept, same letter, at
// the end of the Japanese caption; texts without one get none.
TEST(StringTableBuiltIn, MenuAcceleratorsMatch)
{
    static const QRegularExpression accel(QStringLiteral("\\(&[A-Z]\\)$"));
    const StringTable en = StringTable::builtIn(Lang::English);
    const StringTable ja = StringTable::builtIn(Lang::Japanese);
    int withAccel = 0;
    for (int id : en.ids()) {
        const QRegularExpressionMatch m = accel.match(en.text(id));
        if (m.hasMatch()) {
            ++withAccel;
            EXPECT_TRUE(ja.text(id).endsWith(m.captured(0))) << "id " << id;
        } else {
            EXPECT_FALSE(ja.text(id).contains(u'&')) << "id " << id;
        }
    }
    EXPECT_EQ(withAccel, 17);
}

// 521 and 522 form the column layout of the alarm-history grid: both
// languages need the same columns ('<' left-aligned, '|' separators).
TEST(StringTableBuiltIn, HistoryGridFormatHasFourColumnsInBothLanguages)
{
    for (Lang lang : {Lang::English, Lang::Japanese}) {
        const StringTable t = StringTable::builtIn(lang);
        const QString format = t.text(521) + t.text(522);
        EXPECT_EQ(format.count(u'<'), 4);
        EXPECT_EQ(format.count(u'|'), 3);
        EXPECT_TRUE(t.text(521).startsWith(u'<'));
        EXPECT_TRUE(t.text(521).endsWith(u'|'));
    }
}

TEST(StringTableBuiltIn, LocalePicksTheTable)
{
    const QString ja2 = StringTable::builtIn(Lang::Japanese).text(2);
    const QString en2 = StringTable::builtIn(Lang::English).text(2);
    const std::vector<std::pair<QLocale, Lang>> cases = {
        {QLocale(QLocale::Japanese, QLocale::Japan), Lang::Japanese},
        {QLocale(QLocale::English, QLocale::UnitedStates), Lang::English},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), Lang::English},
        {QLocale(QLocale::German, QLocale::Germany), Lang::English},
        {QLocale(QLocale::Chinese, QLocale::China), Lang::English},
        {QLocale::c(), Lang::English},
    };
    for (const auto& [locale, lang] : cases) {
        const StringTable t = StringTable::forLocale(locale);
        EXPECT_EQ(t.language(), lang) << locale.name().toStdString();
        EXPECT_EQ(t.text(2), lang == Lang::Japanese ? ja2 : en2) << locale.name().toStdString();
    }
}

// ---------------------------------------------------------------------------
// Every id that code fetches with a literal, spelled text(NNN), exists in
// both tables.

TEST(StringTableBuiltIn, EveryIdUsedInCodeExistsInBothTables)
{
    static const QRegularExpression use(QStringLiteral("\\btext\\(\\s*(\\d+)\\s*\\)"));
    const QString srcDir = QStringLiteral(QVX720_SOURCE_DIR "/src");
    ASSERT_TRUE(QFile::exists(srcDir)) << srcDir.toStdString();

    const StringTable en = StringTable::builtIn(Lang::English);
    const StringTable ja = StringTable::builtIn(Lang::Japanese);
    int files = 0;
    int uses = 0;
    QDirIterator it(srcDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++files;
        const QString code = QString::fromUtf8(file.readAll());
        for (auto m = use.globalMatch(code); m.hasNext();) {
            const QRegularExpressionMatch hit = m.next();
            const int id = hit.captured(1).toInt();
            ++uses;
            EXPECT_TRUE(en.has(id)) << path.toStdString() << ": id " << id << " not in English";
            EXPECT_TRUE(ja.has(id)) << path.toStdString() << ": id " << id << " not in Japanese";
        }
    }
    EXPECT_GT(files, 0);
    // The windows fetch their captions this way, so a scan that finds none
    // has lost its way (a moved source folder, a broken pattern).
    EXPECT_GT(uses, 0);
    RecordProperty("ids_used_in_code", uses);
}

}  // namespace
}  // namespace qvx
