// Writes to the controllers: a single write with its read-back, the write-all
// and write-selected chains, and the waiting work served when the slot frees.
#include "link.h"

#include <algorithm>
#include <utility>

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
    const WriteRequest& w = s_.Write_Request;
    if (w.Transfer_Pending(ch) && item >= Item::FirstSetting && item <= Item::LastSetting) return true;
    const auto writes = [&](qint16 state, int c, int k) {
        if (c != ch) return false;
        if (state == Com_WriteOne) return k == item;
        return chainCovers(state, item);
    };
    // The chain that runs holds the slot until its last link has gone out.
    const bool slotRuns = work_ == Work::Chain && (w.Com_State == Com_WriteAll || w.Com_State == Com_WriteSelect);
    if (!slotRuns && writes(w.Com_State, w.Com_Ch, w.Com_Item)) return true;
    return std::any_of(w.Waiting.begin(), w.Waiting.end(),
                       [&](const LineRequest& r) { return writes(r.state, r.ch, r.item); });
}

void Link::serveWaiting() {
    WriteRequest& w = s_.Write_Request;
    if (w.Com_State != Com_Monitor || w.Waiting.empty()) return;
    LineRequest r = std::move(w.Waiting.front());
    w.Waiting.pop_front();
    w.Com_State = r.state;
    w.Com_Ch = r.ch;
    switch (r.state) {
    case Com_WriteOne:
        w.Com_Item = r.item;
        w.Com_Code = r.code;
        w.Com_Value = r.value;
        w.Com_ReReadAfter = r.reRead;
        break;
    case Com_WriteAll:
    case Com_WriteSelect: w.Com_Values = std::move(r.values); break;
    case Com_ReRead: w.ReRead_Ch = r.ch; break;
    default: break;
    }
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
    if (single_.reRead || s_.Write_Request.Para_chgflg) askReRead(single_.ch);
}

bool Link::OneData_write() {
    if (work_ != Work::Single) {
        WriteRequest& w = s_.Write_Request;
        LineRequest request;
        request.state = Com_WriteOne;
        request.ch = w.Com_Ch;
        request.item = w.Com_Item;
        request.code = w.Com_Code;
        request.value = w.Com_Value.value_or(s_.ParaData(w.Com_Ch, w.Com_Item));
        request.reRead = w.Com_ReReadAfter;
        w.Com_Value.reset();
        w.Com_ReReadAfter = false;
        // Taken from the slot: the next request waiting takes its place.
        if (w.Com_State == Com_WriteOne) {
            w.Com_State = Com_Monitor;
            serveWaiting();
        }
        if (!startSingle(request)) return true;
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
    view_.setStatusPanel(4, QString());
    s_.Write_Request.AllSend_flg = false;
}

bool Link::chainStep(bool selected) {
    if (work_ != Work::Chain) {
        WriteRequest& w = s_.Write_Request;
        const int ch = w.Com_Ch;
        // The values taken when the chain was asked for; a chain put into
        // the slot by hand sends what ParaData holds now.
        chainValues_ = std::exchange(w.Com_Values, {});
        if (chainValues_.size() != std::size_t(kItems)) chainValues_ = channelRow(s_, ch);
        std::vector<CursorFrame> frames;
        const FrameKind kind = selected ? FrameKind::SelectWrite : FrameKind::ChainWrite;
        if (s_.NoConnect(ch) == 0) {
            if (selected)
                for (int k : kWriteSelectChain) frames.push_back({kind, k});
            else
                for (int k : kWriteAllChain) frames.push_back({kind, k});
        }
        chainSelected_ = selected;
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
    endWork();
    return true;
}

bool Link::AllData_write() { return chainStep(false); }

bool Link::SelectData_write() { return chainStep(true); }

void Link::afterChain() {
    WriteRequest& w = s_.Write_Request;
    w.Com_State = Com_Monitor;
    // What was asked while the chain ran goes first; the re-reads asked for
    // follow.
    serveWaiting();
    serveReReads();
}

qint16 Link::OptionChk(const QString& code) const {
    const int k = itemOfCode(code);
    if (k < 0) return 0;
    for (int c : kWriteSelectChain)
        if (c == k) return view_.optionCheckValue(k - Item::FirstSetting) == 1 ? 1 : 0;
    return 0;
}


}  // namespace qvx
