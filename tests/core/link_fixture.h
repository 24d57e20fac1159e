// A scripted controller line and a recording window for the link tests.
#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link.h"
#include "protocol.h"

namespace qvx::test {

struct Sent {
    proto::Request req;
    int timeoutMs;
    std::string key() const {  // "ch cmd item data"
        return std::to_string(proto::channelOfAddress(req.address)) + " " + std::string(1, req.command) + " " +
               req.item + (req.data.empty() ? "" : " " + req.data);
    }
};

// The line: every request is decoded and recorded; the responder decides the
// reply frame (an empty string is silence).
class ScriptedLine final : public Transport {
public:
    using Responder = std::function<std::string(const proto::Request&)>;
    ScriptedLine(std::vector<Sent>& log, Responder r, const QVX720Com*& com, qint64& now, const bool& unplugged,
                 const int& replyMs)
        : log_(log), responder_(std::move(r)), com_(com), now_(now), unplugged_(unplugged), replyMs_(replyMs) {}
    bool open(int) override { open_ = !unplugged_; return open_; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_ && !unplugged_; }
    bool send(const QByteArray& bytes) override {
        const auto len = proto::requestFrameLength(std::string_view(bytes.constData(), bytes.size()));
        const auto parsed = proto::decodeRequest(std::string_view(bytes.constData(), len.value_or(0)));
        log_.push_back({parsed.request, com_ ? com_->timeOut() : 0});
        pending_ = responder_(parsed.request);
        return true;
    }
    QByteArray receive(int timeoutMs) override {
        QByteArray b = QByteArray::fromStdString(pending_);
        pending_.clear();
        // Silence: the whole wait passes on the virtual clock; a reply takes
        // the line's time for the request and itself.
        now_ += b.isEmpty() ? timeoutMs : replyMs_;
        return b;
    }
    void discardInput() override {}

private:
    std::vector<Sent>& log_;
    Responder responder_;
    const QVX720Com*& com_;
    qint64& now_;
    const bool& unplugged_;
    const int& replyMs_;
    std::string pending_;
    bool open_ = false;
};

// A bank of simple controllers: present channels answer reads from a value
// table; everything can be overridden per request.
struct FakeBank {
    std::set<int> present;
    std::map<std::pair<int, std::string>, int16_t> values;  // (ch, item) -> value
    std::function<std::optional<std::string>(const proto::Request&)> override_;
    int16_t unitCode = 0x0720;

    std::string operator()(const proto::Request& r) {
        if (override_)
            if (auto o = override_(r)) return *o;
        const int ch = proto::channelOfAddress(r.address);
        if (!present.count(ch)) return {};
        proto::Reply rep;
        rep.address = r.address;
        rep.command = r.command;
        rep.item = r.command == 'a' ? "0000" : r.item;
        if (r.command == ' ') {
            int16_t v = r.item == "0000" ? unitCode : 0;
            auto it = values.find({ch, r.item});
            if (it != values.end()) v = it->second;
            rep.data = proto::hex4(v);
        } else if (r.command == 'P') {
            if (r.item != "0000") values[{ch, r.item}] = proto::parseHex4(r.data).value_or(0);
            rep.data = r.data;
        } else if (r.command == 'q') {
            rep.data = r.data;
        } else {
            rep.data = "0000";
        }
        return proto::encodeReply(rep);
    }
};

inline std::string ack(const proto::Request& r, const std::string& data) {
    proto::Reply rep{proto::ACK, r.address, '0', r.command, r.command == 'a' ? "0000" : r.item, data};
    return proto::encodeReply(rep);
}
inline std::string nak(const proto::Request& r, char code) {
    proto::Reply rep{proto::NAK, r.address, code, r.command, r.command == 'a' ? "0000" : r.item, "0000"};
    return proto::encodeReply(rep);
}
inline std::string esc(const proto::Request& r) {
    proto::Reply rep{proto::ESC, r.address, '0', r.command, r.command == 'a' ? "0000" : r.item, "0000"};
    return proto::encodeReply(rep);
}

class RecordingView final : public LinkView, public HistorySink {
public:
    std::map<int, QString> panel;
    QStringList events;  // everything in call order
    bool commError = false;
    int keyMessages = 0;
    std::vector<int> progress;
    int chartMaxChSets = 0;
    int refreshes = 0;
    int scanDone = 0;
    int dialogShown = 0;
    QString dialogPort, dialogSpeed;
    int checkedTimeout = 0;
    std::map<int, int> optionBoxes;
    std::map<int, bool> logChecked, logEnabled;
    QString logCaption;
    int loggingStarts = 0;
    bool answerYes = true;
    int questions = 0;
    std::vector<std::tuple<QString, int, int>> history;
    std::vector<int> alarmChecks;

    void setStatusPanel(int p, const QString& t) override { panel[p] = t; }
    void setCommErrorVisible(bool v) override { commError = v; }
    void showKeyOperationMessage() override { ++keyMessages; events << "key"; }
    void setScanProgress(int v) override { progress.push_back(v); }
    void setChartMaxCh(int) override { ++chartMaxChSets; }
    void SelectDispItem() override { ++refreshes; }
    void startUpScanDone() override { ++scanDone; events << "scanDone"; }
    void setCommDialogPort(const QString& p) override { dialogPort = p; }
    void setCommDialogSpeed(const QString& s) override { dialogSpeed = s; }
    void showCommDialog() override { ++dialogShown; events << "dialog"; }
    void checkTimeoutMenu(int c) override { checkedTimeout = c; }
    int optionCheckValue(int box) const override {
        auto it = optionBoxes.find(box);
        return it == optionBoxes.end() ? 0 : it->second;
    }
    bool logBoxChecked(int ch) const override {
        auto it = logChecked.find(ch);
        return it != logChecked.end() && it->second;
    }
    void setLogBoxEnabled(int ch, bool e) override { logEnabled[ch] = e; }
    void setLogBoxChecked(int ch, bool c) override { logChecked[ch] = c; }
    void setLogFileCaption(const QString& p) override { logCaption = p; }
    void startLogging() override { ++loggingStarts; events << "logging"; }
    bool confirmDataClear() override { ++questions; return answerYes; }
    void processEvents() override {}
    void History_Write(const QString& kind, int ch, int state) override {
        history.emplace_back(kind, ch, state);
        events << "history " + kind;
    }
    void AlarmChk(int ch) override { alarmChecks.push_back(ch); }
};

// Calls a stepped procedure until it says its work has ended; the calls made.
inline int finish(const std::function<bool()>& step, int limit = 1000) {
    int calls = 1;
    while (!step() && calls < limit) ++calls;
    return calls;
}

// Everything a link test needs, wired together on a scripted line.
struct LinkRig {
    QTemporaryDir dir;
    QVX720_INC s;
    FakeBank bank;
    std::vector<Sent> sent;
    const QVX720Com* comPtr = nullptr;
    qint64 now = 0;  // virtual milliseconds of the line
    bool unplugged = false;  // the device is gone: it fails and cannot be opened
    int replyMs = 0;  // what an answered transaction takes on the virtual clock
    QVX720Com com;
    SettingsStore store{dir.filePath("settings.ini")};
    StringTable strings = StringTable::parse("454\tData is being read now.\n", StringTable::Language::English);
    RecordingView view;
    Link link{s, com, store, strings, view, view};

    LinkRig() {
        comPtr = &com;
        com.setClock([this] { return now; });
        fillParaAddr(s);
        com.setSimulateAllPorts(true);
        com.setSimulatedLine([this] {
            return std::make_unique<ScriptedLine>(sent, [this](const proto::Request& r) { return bank(r); }, comPtr, now, unplugged, replyMs);
        });
        com.Comm_SetOption(true);
        com.Comm_PortOpen();
        s.Time_Count = 0;  // keep the object's own time-out unless a test sets a choice
    }
    void markPresent(std::initializer_list<int> chs) {
        for (int ch = 0; ch < kChannels; ++ch) s.NoConnect(ch) = 1;
        for (int ch : chs) {
            s.NoConnect(ch) = 0;
            bank.present.insert(ch);
        }
    }
    // Ticks until done() holds, at most limit times; the ticks made.
    int tickUntil(const std::function<bool()>& done, int limit = 20000) {
        int ticks = 0;
        for (; !done() && ticks < limit; ++ticks) link.Timer4_Timer();
        return ticks;
    }
    // Ticks until the line work under way has ended.
    int finishWork() {
        return tickUntil([this] { return !link.lineWorkRunning(); });
    }
    // PV reads sent since sent[from]: in a scan, its line checks.
    int pvReadsSince(size_t from) const {
        int n = 0;
        for (size_t i = from; i < sent.size(); ++i) n += sent[i].req.command == ' ' && sent[i].req.item == "0080";
        return n;
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> k;
        for (const auto& x : sent) k.push_back(x.key());
        return k;
    }
};

}  // namespace qvx::test
