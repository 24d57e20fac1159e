#include <gtest/gtest.h>

#include <set>

#include "qvx720_inc.h"
#include "setting_items.h"

namespace qvx {
namespace {

TEST(SettingItems, RowsSelectTheirItems) {
    const struct { int row, item; } cases[] = {
        {0, 10},  {1, 11},  {8, 18},  {13, 23}, {14, 62}, {15, 24}, {31, 40}, {32, 58}, {33, 59}, {34, 41},
        {42, 49}, {46, 53}, {47, 60}, {48, 61}, {49, 54}, {52, 57}, {53, 63}, {54, 65}, {55, 66},
        {-1, -1}, {56, -1}, {1000, -1},
    };
    for (auto c : cases) EXPECT_EQ(settingItemOfRow(c.row), c.item) << "row " << c.row;
}

TEST(SettingItems, EveryItemButTheCommandHasExactlyOneRow) {
    std::set<int> seen;
    for (int row = 0; row < kSettingRows; ++row) {
        const int k = settingItemOfRow(row);
        ASSERT_GE(k, 10) << row;
        ASSERT_LE(k, 66) << row;
        EXPECT_TRUE(seen.insert(k).second) << "item " << k << " twice";
        EXPECT_EQ(settingRowOfItem(k), row);
    }
    EXPECT_EQ(seen.size(), 56u);
    EXPECT_FALSE(seen.count(64));
    for (int k : {0, 9, 64, 67}) EXPECT_EQ(settingRowOfItem(k), -1) << k;
}

TEST(SettingItems, EntryFramePairs) {
    for (int k : {11, 49}) EXPECT_EQ(entryPairOfItem(k), 2) << k;
    for (int k : {26, 35, 39, 40, 50, 51, 52, 53, 54, 55, 58, 59, 60, 61, 63, 64, 65, 66})
        EXPECT_EQ(entryPairOfItem(k), 1) << k;
    for (int k : {0, 10, 12, 18, 19, 29, 30, 34, 57, 62, 67}) EXPECT_EQ(entryPairOfItem(k), 0) << k;
}

TEST(SettingItems, AllChannelsPageIndexes) {
    int n = 0;
    for (int i = -2; i < 60; ++i)
        if (allPageHasRow(i)) ++n;
    EXPECT_EQ(n, 51);
    for (int i : {-1, 1, 8, 44, 54}) EXPECT_FALSE(allPageHasRow(i)) << i;
}

TEST(SettingItems, ItemNamesFollowTheListRows) {
    QString content;
    for (int id = 1; id < 1000; ++id) content += QStringLiteral("%1\tT%1\n").arg(id);
    const StringTable t = StringTable::parse(content, StringTable::Language::English);
    const QStringList names = itemNameTexts(t);
    ASSERT_EQ(names.size(), 56);
    for (int row = 0; row < 56; ++row) EXPECT_EQ(names[row], t.text(101 + row)) << row;
    // Item names by item: 62 is named by string 115, 63 by 154, 58 by 133.
    EXPECT_EQ(itemName(names, 62), QStringLiteral("T115"));
    EXPECT_EQ(itemName(names, 63), QStringLiteral("T154"));
    EXPECT_EQ(itemName(names, 58), QStringLiteral("T133"));
    EXPECT_EQ(itemName(names, 64), QString());
}

TEST(SettingItems, HelpFileFollowsMakerText) {
    const struct { const char* text; const char* file; } cases[] = {
        {"KORVEL MERIDAX CO., LTD.", "/opt/qvx/PWS-QVX07R_E.html"},
        {"korvel meridax co., ltd.", "/opt/qvx/PWS-QVX07R_J.html"},
        {"KORVEL MERIDAX CO., LTD. ", "/opt/qvx/PWS-QVX07R_J.html"},
        {"KORVEL MERIDAX CO.,LTD.", "/opt/qvx/PWS-QVX07R_J.html"},
        {"", "/opt/qvx/PWS-QVX07R_J.html"},
    };
    for (auto c : cases)
        EXPECT_EQ(helpFilePath(QStringLiteral("/opt/qvx"), QString::fromUtf8(c.text)), QString::fromUtf8(c.file))
            << c.text;
    const StringTable ja = StringTable::builtIn(StringTable::Language::Japanese);
    EXPECT_TRUE(helpFilePath(QStringLiteral("/p"), ja.text(2)).endsWith(QStringLiteral("_J.html")));
    const StringTable en = StringTable::builtIn(StringTable::Language::English);
    EXPECT_TRUE(helpFilePath(QStringLiteral("/p"), en.text(2)).endsWith(QStringLiteral("_E.html")));
}

}  // namespace
}  // namespace qvx
