#include "setting_items.h"

#include "qvx720_inc.h"

namespace qvx {

namespace {
struct RowGroup {
    int first, last, offset;
};
// Rows of the list follow the order of the item names, not of the items.
constexpr RowGroup kRowGroups[] = {
    {0, 13, 10}, {14, 14, 48}, {15, 31, 9}, {32, 33, 26}, {34, 46, 7},
    {47, 48, 13}, {49, 52, 5}, {53, 53, 10}, {54, 55, 11},
};

constexpr int kSelectionItems[] = {26, 35, 39, 40, 50, 51, 52, 53, 54, 55, 58, 59, 60, 61, 63, 64, 65, 66};
}  // namespace

int settingItemOfRow(int row) {
    for (const RowGroup& g : kRowGroups)
        if (row >= g.first && row <= g.last) return row + g.offset;
    return -1;
}

int settingRowOfItem(int k) {
    for (const RowGroup& g : kRowGroups)
        if (k - g.offset >= g.first && k - g.offset <= g.last) return k - g.offset;
    return -1;
}

bool isSelectionItem(int k) {
    for (int s : kSelectionItems)
        if (s == k) return true;
    return false;
}

int entryPairOfItem(int k) {
    if (k == Item::AutoTuning || k == Item::ControlOutputOff) return 2;
    if (isSelectionItem(k)) return 1;
    return 0;
}

bool allPageHasRow(int i) { return i >= 0 && i < kAllPageIndexes && i != 1 && i != 8 && i != 44; }

QStringList itemNameTexts(const StringTable& strings) {
    return {
        strings.text(101),
        strings.text(102),
        strings.text(103),
        strings.text(104),
        strings.text(105),
        strings.text(106),
        strings.text(107),
        strings.text(108),
        strings.text(109),
        strings.text(110),
        strings.text(111),
        strings.text(112),
        strings.text(113),
        strings.text(114),
        strings.text(115),
        strings.text(116),
        strings.text(117),
        strings.text(118),
        strings.text(119),
        strings.text(120),
        strings.text(121),
        strings.text(122),
        strings.text(123),
        strings.text(124),
        strings.text(125),
        strings.text(126),
        strings.text(127),
        strings.text(128),
        strings.text(129),
        strings.text(130),
        strings.text(131),
        strings.text(132),
        strings.text(133),
        strings.text(134),
        strings.text(135),
        strings.text(136),
        strings.text(137),
        strings.text(138),
        strings.text(139),
        strings.text(140),
        strings.text(141),
        strings.text(142),
        strings.text(143),
        strings.text(144),
        strings.text(145),
        strings.text(146),
        strings.text(147),
        strings.text(148),
        strings.text(149),
        strings.text(150),
        strings.text(151),
        strings.text(152),
        strings.text(153),
        strings.text(154),
        strings.text(155),
        strings.text(156),
    };
}

QString itemName(const QStringList& names, int k) {
    const int row = settingRowOfItem(k);
    return row >= 0 && row < names.size() ? names.at(row) : QString();
}

QStringList loggingIntervalTexts(const StringTable& strings) {
    return {strings.text(783), strings.text(784), strings.text(785), strings.text(786), strings.text(787), strings.text(788), strings.text(789), strings.text(790)};
}

QString helpFilePath(const QString& helpFolder, const QString& makerText) {
    if (makerText == QLatin1String("KORVEL MERIDAX CO., LTD."))
        return helpFolder + QStringLiteral("/PWS-QVX07R_E.html");
    return helpFolder + QStringLiteral("/PWS-QVX07R_J.html");
}

}  // namespace qvx
