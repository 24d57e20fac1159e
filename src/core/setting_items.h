// Rules of the setting display and the all-channels page that need no
// window: which item a row of the setting-item list selects, which entry
// frame serves an item, and which indexes the all-channels page has.
#pragma once

#include <QString>
#include <QStringList>

#include "string_table.h"

namespace qvx {

inline constexpr int kSettingRows = 56;   // rows of the setting-item list
inline constexpr int kAllPageIndexes = 54;  // all-channels page indexes 0..53 (no 1, 8, 44)
inline constexpr int kSettingGridRows = 20;

// Item index selected by row L of the setting-item list; -1 outside 0..55.
int settingItemOfRow(int row);
// Row of the setting-item list that selects item k; -1 for items without a row.
int settingRowOfItem(int k);
// Entry-frame pair that serves item k: 2 for the ON/OFF items 11 and 49,
// 1 for the selection items, 0 for every other item.
int entryPairOfItem(int k);
// True for the items whose value is a choice (shown in Select_comand).
bool isSelectionItem(int k);
// The all-channels page has a row i (item i + 10) for i = 0..53 except 1, 8, 44.
bool allPageHasRow(int i);

// Texts of the setting-item list in row order (the item names).
QStringList itemNameTexts(const StringTable& strings);
// Name of item k (its list row's text); "" for items without a row.
QString itemName(const QStringList& names, int k);
// Texts of the logging-interval list, "10 sec" .. "1 h".
QStringList loggingIntervalTexts(const StringTable& strings);

// The help file for the table whose text 2 is makerText: the English file when
// it is exactly the English maker name, the Japanese file otherwise. The help
// is HTML, shown by the desktop's browser.
QString helpFilePath(const QString& helpFolder, const QString& makerText);

}  // namespace qvx
