// Writes to the controllers: a single write with its read-back, the write-all
// and write-selected chains, each taken from the head of the line queue.
#include "link.h"

#include <algorithm>

#include "link_internal.h"

namespace qvx {

using namespace linkdetail;

const std::array<int, 53> kWriteAllChain = {
    54, 29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 60, 61, 55, 56, 57, 63};

const std::array<int, 51> kWriteSelectChain = {
    29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22,
    23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 55, 56, 57, 60, 61, 63};


bool Link::chainCovers(qint16 state, int item) const {
    if (state == Com_WriteAll) return std::find(kWriteAllChain.begin(), kWriteAllChain.end(), item) != kWriteAllChain.end();
    if (state == Com_WriteSelect) return OptionChk(s_.ParaAddr(item)) == 1;
    return false;
}

bool Link::writePending(int ch, int item) const {
    return s_.Write_Request.Line_Queue.writePending(ch, item,
                                                    [this](qint16 state, int k) { return chainCovers(state, k); });
}

// ---------------------------------------------------------------- writes

bool Link::startSingle(const LineRequest& request) {
    single_ = request;
    const int ch = request.ch;
    if (s_.NoConnect(ch) != 0) {
        singleDone();
        return false;
    }
    std::vector<CursorFrame> frames = {{FrameKind::SingleWrite, request.item}};
    if (request.code != QLatin1String(kAlarmCommandCode)) frames.push_back({FrameKind::ReadBack, request.item});
    startWork(Work::Single, ch, std::move(frames));
    return true;
}

void Link::singleDone() {
    endWork();
    s_.Write_Request.headDone();
    if (single_.reRead) askReRead(single_.ch);
}

const LineRequest* Link::takeHead(bool (*kind)(qint16 state)) {
    WriteRequest& w = s_.Write_Request;
    const LineRequest* head = w.Line_Queue.head();
    if (!head || w.Line_Queue.headStarted() || !kind(head->state)) {
        // Nothing of that kind waits: the slot shows what does.
        w.showHead();
        return nullptr;
    }
    w.Line_Queue.startHead();
    return head;
}

bool Link::OneData_write() {
    if (work_ != Work::Single) {
        const LineRequest* head = takeHead([](qint16 st) { return st == Com_WriteOne; });
        if (!head) return true;
        if (!startSingle(*head)) return true;
    }
    const int ch = cursor_.channel();
    switch (cursorStep()) {
    case CursorStep::Going: return false;
    case CursorStep::DeviceClosed:
    case CursorStep::Cut: wantReRead(ch); break;
    case CursorStep::Ended: break;
    }
    singleDone();
    return true;
}

void Link::chainDone(int ch, bool allTaken) {
    if (!allTaken) wantReRead(ch);
    endWork();
    s_.Write_Request.headDone();
    // The transfer shows until its last chain has ended.
    if (!s_.Write_Request.Line_Queue.holdsChain()) view_.setStatusPanel(4, QString());
}

bool Link::chainStep() {
    if (work_ != Work::Chain) {
        const LineRequest* head = takeHead([](qint16 st) { return st == Com_WriteAll || st == Com_WriteSelect; });
        if (!head) return true;
        const int ch = head->ch;
        const bool selected = head->state == Com_WriteSelect;
        chainValues_ = head->values;
        if (chainValues_.size() != std::size_t(kItems)) chainValues_ = channelRow(s_, ch);
        std::vector<CursorFrame> frames;
        const FrameKind kind = selected ? FrameKind::SelectWrite : FrameKind::ChainWrite;
        if (s_.NoConnect(ch) == 0) {
            if (selected)
                for (int k : kWriteSelectChain) frames.push_back({kind, k});
            else
                for (int k : kWriteAllChain) frames.push_back({kind, k});
        }
        startWork(Work::Chain, ch, std::move(frames));
    }
    const int ch = cursor_.channel();
    const CursorStep step = cursorStep();
    if (step == CursorStep::Going) return false;
    // Cut off (a silent controller, a device gone): the links not sent
    // count as not taken, and show nothing until the controller is read back.
    for (const CursorFrame& f : cursor_.rest())
        if (f.kind == FrameKind::ChainWrite || OptionChk(s_.ParaAddr(f.item)) == 1) s_.Monitor_Data.Untaken(ch, f.item) = true;
    chainDone(ch, step == CursorStep::Ended && cursor_.allTaken());
    return true;
}

bool Link::AllData_write() { return chainStep(); }

bool Link::SelectData_write() { return chainStep(); }

qint16 Link::OptionChk(const QString& code) const {
    const int k = itemOfCode(code);
    if (k < 0) return 0;
    for (int c : kWriteSelectChain)
        if (c == k) return view_.optionCheckValue(k - Item::FirstSetting) == 1 ? 1 : 0;
    return 0;
}


}  // namespace qvx
