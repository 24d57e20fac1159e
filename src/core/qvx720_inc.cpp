#include "qvx720_inc.h"

#include <algorithm>
#include <array>

namespace qvx {

namespace {
// Item codes by item index; item 9 has none.
constexpr std::array<const char*, kItems> kItemCodes = {
    "0080", "0081", "0082", "0085", "0088", "0089", "00A0", "00A1", "00A2", "",      // 0..9
    "0001", "0003", "0004", "0005", "0006", "0007", "0008", "0009", "000A", "000B",  // 10..19
    "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0015", "0016", "0018",  // 20..29
    "0019", "001B", "001C", "001D", "001E", "001F", "0020", "0021", "0022", "0023",  // 30..39
    "0024", "0025", "0026", "0027", "0028", "0029", "002A", "002B", "002C", "0037",  // 40..49
    "0038", "0040", "0042", "0043", "0044", "0045", "0047", "0048", "0049", "004A",  // 50..59
    "004B", "004C", "004D", "0050", "0051", "0052", "0053",                          // 60..66
};

constexpr std::array<int, kTimeoutChoices> kTimeouts = {100, 200, 300, 400, 500, 600, 700,
                                                        800, 900, 1000, 1500, 2000, 3000, 4000};
}  // namespace

QVX720_INC::QVX720_INC() = default;

QString itemCode(int k) {
    if (k < 0 || k >= kItems) throwIndexError("item", k, kItems);
    return QString::fromLatin1(kItemCodes[static_cast<std::size_t>(k)]);
}

int itemOfCode(const QString& code) {
    if (code.size() != 4) return -1;
    for (int k = 0; k < kItems; ++k)
        if (code.compare(QLatin1String(kItemCodes[static_cast<std::size_t>(k)]), Qt::CaseInsensitive) == 0)
            return k;
    return -1;
}

void fillParaAddr(QVX720_INC& s) {
    for (int k = 0; k < kItems; ++k)
        if (k != Item::NoCode) s.ParaAddr(k) = itemCode(k);
}

std::vector<qint16> channelRow(const QVX720_INC& s, int ch) {
    std::vector<qint16> row(static_cast<std::size_t>(kItems));
    for (int k = 0; k < kItems; ++k) row[std::size_t(k)] = s.ParaData(ch, k);
    return row;
}

bool chainQueued(const WriteRequest& w) {
    const auto isChain = [](qint16 st) { return st == Com_WriteAll || st == Com_WriteSelect; };
    return isChain(w.Com_State) ||
           std::any_of(w.Waiting.begin(), w.Waiting.end(), [&](const LineRequest& r) { return isChain(r.state); });
}

void queueSingleWrite(QVX720_INC& s, int ch, int k) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    const QString code = s.ParaAddr(k);  // checks k before the slot is touched
    WriteRequest& w = s.Write_Request;
    const qint16 value = s.ParaData(ch, k);
    if (w.Com_State == Com_Monitor && w.Waiting.empty()) {
        w.Com_Code = code;
        w.Com_Item = static_cast<qint16>(k);
        w.Com_State = Com_WriteOne;
        w.Com_Ch = static_cast<qint16>(ch);
        w.Com_Value = value;
        w.Com_ReReadAfter = w.Para_chgflg;
        if (s.Link_Wake) s.Link_Wake();
        return;
    }
    // The last request not yet sent that writes this item: a single write
    // takes the newer value where it stands, since nothing after it writes
    // the item; a chain of the channel (or none) has it go behind.
    const auto writes = [&](qint16 state, int c, int item) {
        if (c != ch) return false;
        if (state == Com_WriteOne) return item == k;
        return (state == Com_WriteAll || state == Com_WriteSelect) && k >= Item::FirstSetting &&
               k <= Item::LastSetting;
    };
    const auto last = std::find_if(w.Waiting.rbegin(), w.Waiting.rend(),
                                   [&](const LineRequest& r) { return writes(r.state, r.ch, r.item); });
    if (last != w.Waiting.rend() && last->state == Com_WriteOne) {
        last->value = value;
        last->reRead = last->reRead || w.Para_chgflg;
        return;
    }
    if (last == w.Waiting.rend() && w.Com_State == Com_WriteOne && w.Com_Ch == ch && w.Com_Item == k) {
        w.Com_Value = value;
        w.Com_ReReadAfter = w.Com_ReReadAfter || w.Para_chgflg;
        return;
    }
    LineRequest r;
    r.state = Com_WriteOne;
    r.ch = static_cast<qint16>(ch);
    r.item = static_cast<qint16>(k);
    r.code = code;
    r.value = value;
    r.reRead = w.Para_chgflg;
    w.Waiting.push_back(std::move(r));
    if (s.Link_Wake) s.Link_Wake();
}

int timeoutMs(int choice) {
    if (choice < 1 || choice > kTimeoutChoices) return 0;
    return kTimeouts[static_cast<std::size_t>(choice - 1)];
}

}  // namespace qvx
