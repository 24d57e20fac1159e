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

void WriteRequest::ask(LineRequest r) {
    Line_Queue.push(std::move(r));
    showHead();
}

void WriteRequest::headDone() {
    Line_Queue.popHead();
    showHead();
}

void WriteRequest::showHead() {
    const bool serving = Com_State == Com_Monitor || Com_State == Com_WriteOne || Com_State == Com_WriteAll ||
                         Com_State == Com_WriteSelect || Com_State == Com_ReRead;
    if (!serving) return;
    const LineRequest* head = Line_Queue.head();
    if (!head) {
        Com_State = Com_Monitor;
        return;
    }
    Com_State = head->state;
    Com_Ch = head->ch;
    if (head->state == Com_WriteOne) {
        Com_Item = head->item;
        Com_Code = head->code;
    }
    if (head->state == Com_ReRead) ReRead_Ch = head->ch;
}

void askLineWork(QVX720_INC& s, LineRequest r) {
    s.Write_Request.ask(std::move(r));
    if (s.Link_Wake) s.Link_Wake();
}

void queueSingleWrite(QVX720_INC& s, int ch, int k, bool reRead) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    LineRequest r;
    r.code = s.ParaAddr(k);  // checks k before anything is queued
    r.state = Com_WriteOne;
    r.ch = static_cast<qint16>(ch);
    r.item = static_cast<qint16>(k);
    r.value = s.ParaData(ch, k);
    r.reRead = reRead;
    askLineWork(s, std::move(r));
}

void queueReRead(QVX720_INC& s, int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    askLineWork(s, LineRequest::reReadOf(ch));
}

int timeoutMs(int choice) {
    if (choice < 1 || choice > kTimeoutChoices) return 0;
    return kTimeouts[static_cast<std::size_t>(choice - 1)];
}

}  // namespace qvx
