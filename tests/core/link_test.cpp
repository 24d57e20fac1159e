#include <gtest/gtest.h>

#include "commands.h"
#include "link_fixture.h"
#include "preferences.h"
#include "setting_entry.h"
#include "setting_files.h"
#include "pv_logging.h"
#include "transfer.h"
#include "value_format.h"

using namespace qvx;
using namespace qvx::test;

namespace {
std::vector<int> itemsOf(const std::vector<Sent>& sent) {
    std::vector<int> v;
    for (const auto& x : sent) v.push_back(itemOfCode(QString::fromStdString(x.req.item)));
    return v;
}
}  // namespace

// ------------------------------------------------------------------ poll

TEST(Poll, PhaseTableByOptionWord) {
    const struct { qint16 opt; std::vector<int> items; } table[] = {
        {0x000, {0, 3, 11, 1, 0, 1, 0}},
        {0x160, {0, 3, 11, 1, 2, 4, 5}},
        {0x100, {0, 3, 11, 1, 2, 1, 0}},
        {0x020, {0, 3, 11, 1, 0, 4, 0}},
        {0x040, {0, 3, 11, 1, 0, 1, 5}},
    };
    for (const auto& row : table) {
        std::vector<int> got;
        for (int phase = 0; phase < 7; ++phase) got.push_back(pollItem(phase, row.opt));
        EXPECT_EQ(got, row.items) << "opt " << row.opt;
    }
}

TEST(Poll, OrderOverPresentChannelsAndPhases) {
    LinkRig r;
    r.markPresent({0, 5});
    std::vector<std::pair<int, int>> cursor;
    for (int i = 0; i < 15; ++i) {
        cursor.emplace_back(r.s.Poll_Cursor.Poll_Ch, r.s.Poll_Cursor.Poll_Phase);
        r.link.Monitor_read();
    }
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {5, 0}, {0, 1}, {5, 1}, {0, 2}, {5, 2}, {0, 3}, {5, 3},
                                                       {0, 4}, {5, 4}, {0, 5}, {5, 5}, {0, 6}, {5, 6}, {0, 0}};
    EXPECT_EQ(cursor, expected);
    EXPECT_EQ(itemsOf(r.sent), (std::vector<int>{0, 0, 3, 3, 11, 11, 1, 1, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(r.view.chartMaxChSets, 15);
}

TEST(Poll, AbsentStartChannelSendsNothingButStillAdvances) {
    LinkRig r;
    r.markPresent({7});
    r.link.Monitor_read();
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.s.Poll_Cursor.Poll_Ch, 7);
    r.link.Monitor_read();
    ASSERT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(r.sent[0].key(), "7   0080");
}

TEST(Poll, NoPresentChannelEndsAfterOnePass) {
    LinkRig r;
    r.markPresent({});
    r.link.Monitor_read();
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.view.chartMaxChSets, 0);
}

TEST(Poll, ReplyClassesAndTheirEffects) {
    struct Case {
        const char* name;
        std::function<std::string(const proto::Request&)> reply;
        QString panel;
        bool commError;
        bool noReply;
        const char* historyKind;  // nullptr: none
        int pv;
    };
    const Case cases[] = {
        {"ack", [](const proto::Request& q) { return ack(q, "FF38"); }, "OK", false, false, nullptr, -200},
        {"nak", [](const proto::Request& q) { return nak(q, '5'); }, "NG", false, false, "NAK", 0},
        {"chksum", [](const proto::Request& q) { return esc(q); }, "", false, false, "CHKSUM", 0},
        {"corrupt", [](const proto::Request& q) { auto f = ack(q, "0001"); f[13] ^= 1; return f; }, "", false, false,
         "CHKSUM", 0},
        {"silence", [](const proto::Request&) { return std::string(); }, "", true, true, nullptr, 0},
        {"garbage", [](const proto::Request&) { return std::string("\x7f\x01zz"); }, "", true, true, nullptr, 0},
    };
    for (const auto& c : cases) {
        LinkRig r;
        r.markPresent({3});
        r.s.Poll_Cursor.Poll_Ch = 3;
        r.view.panel[1] = "stale";
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> { return c.reply(q); };
        r.link.Monitor_read();
        EXPECT_EQ(r.view.panel[1], c.panel) << c.name;
        EXPECT_EQ(r.view.commError, c.commError) << c.name;
        EXPECT_EQ(r.s.NoReply_flg, c.noReply) << c.name;
        EXPECT_EQ(r.s.Monitor_Data.PvData(3), c.pv) << c.name;
        if (c.historyKind) {
            ASSERT_EQ(r.view.history.size(), 1u) << c.name;
            EXPECT_EQ(std::get<0>(r.view.history[0]), QString::fromLatin1(c.historyKind));
            EXPECT_EQ(std::get<1>(r.view.history[0]), 3);
            EXPECT_EQ(std::get<2>(r.view.history[0]), 0);
        } else {
            EXPECT_TRUE(r.view.history.empty()) << c.name;
        }
        EXPECT_EQ(r.view.keyMessages, 0) << c.name << ": a poll never shows the key-operation message";
    }
}

TEST(Poll, NoReplyFlagClearedByNextReply) {
    LinkRig r;
    r.markPresent({0});
    bool silent = true;
    r.bank.override_ = [&](const proto::Request&) -> std::optional<std::string> {
        if (silent) return std::string();
        return std::nullopt;
    };
    r.link.Monitor_read();
    EXPECT_TRUE(r.s.NoReply_flg);
    silent = false;
    r.link.Monitor_read();
    EXPECT_FALSE(r.s.NoReply_flg);
}

TEST(Poll, StoresByItem) {
    LinkRig r;
    r.markPresent({0});
    r.s.Monitor_Data.OptionData(0) = 0x160;
    const int16_t values[] = {250, 0x0804, 1, 500, -1, 32767, -32768};
    const char* codes[] = {"0080", "0085", "0003", "0081", "0082", "0088", "0089"};
    for (int i = 0; i < 7; ++i) r.bank.values[{0, codes[i]}] = values[i];
    for (int i = 0; i < 7; ++i) r.link.Monitor_read();
    const auto& m = r.s.Monitor_Data;
    EXPECT_EQ(m.PvData(0), 250);
    EXPECT_EQ(m.StatusData(0), 0x0804);
    EXPECT_EQ(r.s.ParaData(0, 11), 1);
    EXPECT_EQ(m.MvData(0), 500);
    EXPECT_EQ(m.CoolMvData(0), -1);
    EXPECT_EQ(m.Ct1Data(0), 32767);
    EXPECT_EQ(m.Ct2Data(0), -32768);
    EXPECT_EQ(r.view.alarmChecks, std::vector<int>{0});
}

// ------------------------------------------------------------------ re-read triggers

TEST(ReRead, HeldStatusBitAsksWhileTheLastStatusPollWasAcknowledged) {
    // Channel 4 holds a status word with bit &H8000 from before; each step
    // polls its status word (phase 1) or its auto-tuning flag (phase 2).
    enum Reply { Ack, Silent, Nak };
    struct Step { int phase; Reply reply; bool reRead; };
    const struct {
        const char* name;
        int16_t statusNow;  // the controller's status word
        std::vector<Step> steps;
    } table[] = {
        {"acknowledged: both polls ask", int16_t(0x8000),
         {{1, Ack, true}, {2, Ack, true}, {2, Silent, true}, {1, Ack, true}}},
        {"silent status poll: neither asks", int16_t(0x8000),
         {{2, Ack, false}, {1, Silent, false}, {2, Ack, false}, {1, Silent, false}, {2, Ack, false}}},
        {"refused status poll", int16_t(0x8000), {{1, Nak, false}, {2, Ack, false}}},
        {"answers again", int16_t(0x8000), {{1, Ack, true}, {1, Silent, false}, {2, Ack, false}, {1, Ack, true},
                                            {2, Ack, true}}},
        {"bit cleared", 0, {{1, Ack, false}, {2, Ack, false}}},
    };
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({0, 4});
        r.s.Monitor_Data.StatusData(4) = static_cast<qint16>(0x8000);
        r.bank.values[{4, "0085"}] = row.statusNow;
        Reply reply = Ack;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (reply == Silent) return std::string();
            if (reply == Nak) return nak(q, '2');
            return std::nullopt;
        };
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            const Step& st = row.steps[i];
            reply = st.reply;
            r.s.Write_Request = WriteRequest{};
            r.s.Poll_Cursor = {4, static_cast<qint16>(st.phase)};
            r.link.Monitor_read();
            EXPECT_EQ(r.s.Write_Request.Com_State == Com_ReRead, st.reRead) << row.name << ", step " << i;
            if (st.reRead) {
                EXPECT_EQ(r.s.Write_Request.ReRead_Ch, 4) << row.name << ", step " << i;
            }
        }
    }
}

TEST(ReRead, AutoTuningEndGivesExactlyOneReRead) {
    const struct { std::vector<int16_t> flags; int rereads; } table[] = {
        {{1, 0}, 1}, {{0, 0, 0}, 0}, {{1, 1, 1, 0, 0}, 1}, {{1, 0, 1, 0}, 2}};
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({2});
        int rereads = 0;
        for (int16_t f : row.flags) {
            r.s.Write_Request = WriteRequest{};
            r.bank.values[{2, "0003"}] = f;
            r.s.Poll_Cursor = {2, 2};
            r.link.Monitor_read();
            if (r.s.Write_Request.Com_State == Com_ReRead) ++rereads;
        }
        EXPECT_EQ(rereads, row.rereads);
    }
}

// ------------------------------------------------------------------ scan

TEST(Scan, BulkItemsByOptionAndTypeWords) {
    const struct { qint16 opt, type; size_t count; std::vector<int> absent; } table[] = {
        {0, 0, 44, {13, 17, 23, 28, 35, 36, 37, 38, 62, 63}},
        {0x160, 0x10, 54, {}},
        {0x160, 0x18, 53, {63}},
        {0, 0x08, 44, {63}},
        {0x100, 0, 51, {23, 62, 63}},
        {0x020, 0, 45, {13, 62, 63}},
    };
    for (const auto& row : table) {
        const auto items = bulkReadItems(row.opt, row.type);
        EXPECT_EQ(items.size(), row.count) << row.opt << "/" << row.type;
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end()));
        for (int k : row.absent) EXPECT_EQ(std::count(items.begin(), items.end(), k), 0) << k;
        EXPECT_EQ(items.front(), 10);
    }
}

TEST(Scan, FrameTranscriptOfOnePresentChannel) {
    LinkRig r;
    r.bank.present = {1};
    r.bank.values[{1, "00A2"}] = 0x10;
    r.bank.values[{1, "00A1"}] = 0x160;
    r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
        if (q.command == 'a' && proto::channelOfAddress(q.address) == 1) return ack(q, "0600");
        return std::nullopt;
    };
    r.link.Setdata_read();
    // The line checks after runs of empty addresses ask the controller found.
    std::vector<std::string> k;
    int checks = 0;
    for (const std::string& key : r.keys()) {
        if (key == "1   0080")
            ++checks;
        else
            k.push_back(key);
    }
    EXPECT_GT(checks, 0);
    EXPECT_LE(checks, 94 * r.com.timeOut() / 1000 + 1);  // no more than one a second of probes at 9600 baud
    // channel 0 probe, then channel 1's sequence, then probes of 2..94
    ASSERT_EQ(k.size(), 95u + 5 + 54);
    EXPECT_EQ(k[0], "0   0000");
    const std::vector<std::string> head = {"1   0000", "1   00A2", "1   00A1", "1 P 0000 9865", "1 a ", "1 q 0000 0000",
                                           "1   0001"};
    EXPECT_EQ(std::vector<std::string>(k.begin() + 1, k.begin() + 8), head);
    EXPECT_EQ(k[1 + 6 + 53], "1   0050");
    EXPECT_EQ(k[1 + 6 + 54], "2   0000");
    EXPECT_EQ(r.s.NoConnect(1), 0);
    EXPECT_EQ(r.s.NoConnect(0), 1);
    EXPECT_EQ(r.s.Monitor_Data.Connect_Code(1), 0x0720);
    EXPECT_EQ(r.s.Monitor_Data.TypeData(1), 0x10);
    EXPECT_EQ(r.s.Monitor_Data.OptionData(1), 0x760);
    // every probe carries mode 1 (not on the line), the rest mode 2: nothing to see
}

TEST(Scan, ExtensionWordOnlyAddsBits) {
    const struct { const char* a; qint16 option; qint16 expected; } table[] = {
        {"0600", 0x0001, 0x0601}, {"F9FF", 0x0001, 0x0001}, {"0200", 0x0400, 0x0600}, {"FFFF", 0, 0x0600}};
    for (const auto& row : table) {
        LinkRig r;
        r.bank.present = {0};
        r.bank.values[{0, "00A1"}] = row.option;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (q.command == 'a') return ack(q, row.a);
            return std::nullopt;
        };
        r.link.Setdata_read();
        EXPECT_EQ(r.s.Monitor_Data.OptionData(0), row.expected) << row.a;
    }
}

TEST(Scan, ProbeNakCountsAsPresentAndAbsentLosesItsUnit) {
    LinkRig r;
    r.bank.present = {0};
    r.s.Monitor_Data.Connect_Code(3) = 0x55;  // an earlier scan found a unit here
    r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
        if (proto::channelOfAddress(q.address) == 0 && q.item == "0000" && q.command == ' ') {
            proto::Reply rep{proto::NAK, q.address, '2', ' ', "0000", "0042"};
            return proto::encodeReply(rep);
        }
        return std::nullopt;
    };
    r.link.Setdata_read();
    EXPECT_EQ(r.s.NoConnect(0), 0);
    EXPECT_EQ(r.s.Monitor_Data.Connect_Code(0), 0x42);
    EXPECT_EQ(r.s.NoConnect(3), 1);
    EXPECT_EQ(r.s.Monitor_Data.Connect_Code(3), 0);
}

TEST(Scan, ProgressMovesAtEveryAddressAndEndsAt95) {
    std::set<int> all;
    for (int ch = 0; ch < kChannels; ++ch) all.insert(ch);
    const struct { const char* name; std::set<int> present; int unplugBefore; } table[] = {
        {"none present", {}, -1},
        {"all present", all, -1},
        {"runs of both", {0, 1, 3, 40, 41, 42, 94}, -1},
        {"device gone at a present address", {0, 1, 3, 40, 41, 42, 94}, 41},
        {"device gone at an absent address", {0, 1, 3}, 60},
    };
    std::vector<int> oneTo95;
    for (int i = 1; i <= kChannels; ++i) oneTo95.push_back(i);
    for (const auto& row : table) {
        LinkRig r;
        r.bank.present = row.present;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (proto::channelOfAddress(q.address) == row.unplugBefore && q.item == kProbeItem) r.unplugged = true;
            return std::nullopt;
        };
        bool done = r.link.Setdata_read();
        if (row.unplugBefore >= 0) {
            ASSERT_FALSE(done) << row.name;
            EXPECT_EQ(r.view.progress.back(), row.unplugBefore) << row.name;  // the bar waits with the scan
            r.unplugged = false;
            r.bank.override_ = nullptr;
            r.now += 10000;
            done = r.link.Setdata_read();
        }
        EXPECT_TRUE(done) << row.name;
        EXPECT_EQ(r.view.progress, oneTo95) << row.name;
        for (int ch = 0; ch < kChannels; ++ch) EXPECT_EQ(r.s.NoConnect(ch), row.present.count(ch) ? 0 : 1) << row.name;
    }
}

TEST(Scan, UnitAndDecimalFromStore) {
    LinkRig r;
    r.bank.present = {0, 4, 9, 11};
    r.store.save("UNIT005", "degC");
    r.store.save("Decimalpoint005", "2");
    r.store.save("Decimalpoint001", "x");
    r.store.save("Decimalpoint010", "+2");   // refused as the start-up read refuses it
    r.store.save("Decimalpoint012", " 03 ");
    r.link.Setdata_read();
    EXPECT_EQ(r.s.UnitText(4), "degC");
    EXPECT_EQ(r.s.DecimalData(4), 2);
    EXPECT_EQ(r.s.UnitText(0), "%");
    EXPECT_EQ(r.s.DecimalData(0), 0);
    EXPECT_EQ(r.s.DecimalData(9), 0);
    EXPECT_EQ(r.s.DecimalData(11), 3);
    EXPECT_EQ(r.s.ParaData(11, Item::DecimalPoint), 3);
    // The scan reads the stored numbers as the start-up load does.
    const Preferences p = loadPreferences(r.store);
    for (int ch : {0, 4, 9, 11}) EXPECT_EQ(r.s.DecimalData(ch), p.Decimalpoint(ch)) << ch;
}

TEST(ReRead, ReadsItemsOfOneChannelAndLeavesTheQueue) {
    LinkRig r;
    r.markPresent({6});
    queueReRead(r.s, 6);
    r.bank.values[{6, "0001"}] = 123;
    finish([&] { return r.link.ReadPara_setflg(); });
    EXPECT_EQ(r.sent.size(), 44u);
    EXPECT_EQ(r.s.ParaData(6, 10), 123);
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
    EXPECT_EQ(r.view.panel[4], "");
    EXPECT_EQ(r.view.panel[1], "OK");
}

// A controller that never answers one setting: each reason to read its
// settings again gets three re-reads, however many an earlier reason used.
TEST(ReRead, TriesAreCountedPerReason) {
    enum Reason { Scan, LostReadBack, ChainLinkNotTaken, WriteThatAsks };
    const struct { const char* name; std::vector<Reason> reasons; } table[] = {
        {"scan, then a lost read-back", {Scan, LostReadBack}},
        {"lost read-back, then a chain link not taken", {LostReadBack, ChainLinkNotTaken}},
        {"chain link not taken twice", {ChainLinkNotTaken, ChainLinkNotTaken}},
        {"a write that asks for its re-read, then a scan", {WriteThatAsks, Scan}},
    };
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({3});
        r.s.Write_Request.Com_State = Com_Monitor;
        r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
            if (q.item == "0004") return std::string();  // item 12: neither read nor written
            return std::nullopt;
        };
        const auto bulkReads = [&] {  // item 10 goes out only in a bulk read
            return std::count_if(r.sent.begin(), r.sent.end(), [](const Sent& x) { return x.key() == "3   0001"; });
        };
        for (Reason reason : row.reasons) {
            switch (reason) {
            case Scan: r.link.Setdata_read(); break;
            case LostReadBack:
            case WriteThatAsks:
                queueSingleWrite(r.s, 3, 12, reason == WriteThatAsks);
                r.link.Timer4_Timer();
                break;
            case ChainLinkNotTaken:
                queueChain(r.s, 3, Com_WriteAll);
                r.link.Timer4_Timer();
                break;
            }
            const auto before = bulkReads();
            for (int tick = 0; tick < 600; ++tick) r.link.Timer4_Timer();
            EXPECT_EQ(bulkReads() - before, Link::kReReadTries) << row.name << ", reason " << reason;
            EXPECT_FALSE(r.link.reReadWanted(3)) << row.name;
            EXPECT_EQ(r.s.Write_Request.Com_State, Com_Monitor) << row.name;
        }
    }
}

// ------------------------------------------------------------------ data clear

TEST(DataClear, NoSendsNothing) {
    LinkRig r;
    r.markPresent({0, 1});
    r.view.answerYes = false;
    r.com.Comm_SetTimeOut(700);
    r.link.mnuClear_Click();
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.com.timeOut(), 700);
}

// The clear commands go out at 500 ms; the scan after them, and everything
// after it, at the operator's time-out, which the menu still shows. When the
// device goes before the scan, the scan waits for it with the communication
// error shown and tries to reopen it once per operator's time-out.
TEST(DataClear, ClearsAt500msThenScansAtTheOperatorsTimeout) {
    const struct { qint16 choice; int ms; } table[] = {{14, 4000}, {3, 300}, {1, 100}, {0, 700}};
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({2, 10, 94});
        r.s.Time_Count = row.choice;  // 0: no choice, the time-out in force is kept
        r.s.Write_Request.Com_State = Com_Monitor;
        r.s.Poll_Cursor = {2, 0};
        r.com.Comm_SetTimeOut(row.ms);
        r.view.panel[1] = "OK";
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (q.item == kProbeItem && q.command == ' ') r.unplugged = true;  // the scan's first probe
            return std::nullopt;
        };
        r.link.mnuClear_Click();
        // Nothing goes out inside the menu command: one frame a tick after it.
        EXPECT_TRUE(r.sent.empty());
        for (size_t tick = 1; tick <= 4; ++tick) {
            r.link.Timer4_Timer();
            ASSERT_EQ(r.sent.size(), tick) << row.ms;
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(r.sent[i].req.command, 'P');
            EXPECT_EQ(r.sent[i].req.data, "9346");
            EXPECT_EQ(r.sent[i].timeoutMs, 500);
        }
        EXPECT_EQ(r.sent[0].key(), "2 P 0000 9346");
        EXPECT_EQ(r.sent[2].key(), "94 P 0000 9346");
        EXPECT_EQ(r.sent[3].key(), "0   0000");  // the scan follows
        EXPECT_EQ(r.sent[3].timeoutMs, row.ms);
        EXPECT_EQ(r.com.timeOut(), row.ms);
        EXPECT_EQ(r.s.Time_Count, row.choice);

        // Waiting for the device: shown as the poll shows it.
        EXPECT_TRUE(r.view.commError) << row.ms;
        EXPECT_TRUE(r.s.NoReply_flg) << row.ms;
        EXPECT_EQ(r.view.panel[1], "") << row.ms;
        r.bank.override_ = nullptr;
        const quint64 attempts = r.com.reopenAttempts();
        for (int tick = 0; tick < 80; ++tick) {
            r.now += 100;
            r.link.Timer4_Timer();
            ASSERT_TRUE(r.s.NoReply_flg) << tick;
        }
        EXPECT_EQ(r.com.reopenAttempts() - attempts, quint64(8000 / row.ms)) << row.ms;
        EXPECT_EQ(r.sent.size(), 4u) << row.ms;  // no poll meanwhile

        // Back: the scan goes on at the same time-out, one address a tick,
        // and monitoring resumes.
        r.unplugged = false;
        r.now += row.ms;
        const size_t before = r.sent.size();
        const int ticks = r.tickUntil([&] { return !r.link.dataClearRunning(); });
        EXPECT_EQ(size_t(ticks), r.sent.size() - before);  // one frame a tick
        EXPECT_EQ(ticks, kChannels + 3 * (5 + 44) + r.pvReadsSince(before));  // and the line checks
        EXPECT_FALSE(r.s.NoReply_flg);
        EXPECT_EQ(r.view.progress.back(), kChannels);
        for (size_t i = 4; i < r.sent.size(); ++i) ASSERT_EQ(r.sent[i].timeoutMs, row.ms) << i;
        for (int ch = 0; ch < kChannels; ++ch) EXPECT_EQ(r.s.NoConnect(ch), ch == 2 || ch == 10 || ch == 94 ? 0 : 1);
        const size_t scanned = r.sent.size();
        r.link.Timer4_Timer();
        ASSERT_EQ(r.sent.size(), scanned + 1);
        EXPECT_EQ(r.sent.back().key(), "2   0080");  // a poll
        EXPECT_EQ(r.com.timeOut(), row.ms);
    }
}

// A data clear runs from the ticks, one frame or address a tick. A second
// clear meanwhile is not even asked about; a single write that reaches the
// slot mid-rescan goes out at the next tick with the operator's value (the
// rescan never reads over it first), and the rescan then goes on.
TEST(DataClear, RunsFromTheTicksAndLetsAQueuedWriteThrough) {
    LinkRig r;
    r.markPresent({30, 60});
    r.s.Write_Request.Com_State = Com_Monitor;
    r.com.Comm_SetTimeOut(700);
    r.link.mnuClear_Click();
    r.link.Timer4_Timer();  // the first clear command
    // A write that waited: it goes out between two clear commands, with the
    // operator's time-out, not the clear command's.
    queueSingleWrite(r.s, 60, 10);
    r.link.Timer4_Timer();
    EXPECT_EQ(r.finishWork(), 1);  // the write, then its read-back
    ASSERT_EQ(r.sent.size(), 3u);
    EXPECT_EQ(r.sent[1].key(), "60 P " + itemCode(10).toStdString() + " 0000");
    EXPECT_EQ(r.sent[1].timeoutMs, 700);
    EXPECT_EQ(r.sent[2].timeoutMs, 700);  // its read-back
    r.link.Timer4_Timer();  // the second clear command
    r.tickUntil([&] { return r.view.progress.back() == 10; });  // ten addresses
    EXPECT_EQ(r.sent[3].key(), "60 P 0000 9346");
    EXPECT_EQ(r.sent[3].timeoutMs, 500);
    ASSERT_TRUE(r.link.dataClearRunning());
    EXPECT_EQ(r.view.progress.back(), 10);
    r.link.mnuClear_Click();
    EXPECT_EQ(r.view.questions, 1);
    r.s.ParaData(60, 10) = 345;
    queueSingleWrite(r.s, 60, 10);
    r.link.Timer4_Timer();
    r.finishWork();
    ASSERT_GE(r.sent.size(), 2u);
    EXPECT_EQ(r.sent[r.sent.size() - 2].key(), "60 P " + itemCode(10).toStdString() + " 0159");
    EXPECT_EQ(r.view.progress.back(), 10);
    const size_t rest = r.sent.size();
    const int ticks = r.tickUntil([&] { return !r.link.dataClearRunning(); });
    EXPECT_EQ(ticks, kChannels - 10 + 2 * (5 + 44) + r.pvReadsSince(rest));
    EXPECT_EQ(r.view.progress.back(), kChannels);
    EXPECT_EQ(r.s.NoConnect(60), 0);
}

// With no channel present the poll has nothing to send: the link ticks once
// per time-out, as with a closed device, and wakes at once for line work.
TEST(Poll, NothingPresentTicksOncePerTimeout) {
    const struct { int ms; std::vector<int> present; qint64 sleeps; } table[] = {
        {4000, {}, 4000}, {100, {}, 100}, {4000, {7}, 0}};
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({});
        for (int ch : row.present) r.s.NoConnect(ch) = 0, r.bank.present.insert(ch);
        r.s.Write_Request.Com_State = Com_Monitor;
        r.com.Comm_SetTimeOut(row.ms);
        int ticks = 0;
        for (const qint64 end = r.now + 10 * 4000; r.now < end; r.now += std::max<qint64>(1, r.link.msUntilNextTick())) {
            r.link.Timer4_Timer();
            if (++ticks > 100000) break;
        }
        if (row.sleeps > 0) {
            EXPECT_EQ(ticks, 10 * 4000 / row.ms) << row.ms;
            r.link.Timer4_Timer();
            EXPECT_EQ(r.link.msUntilNextTick(), row.sleeps);
            queueSingleWrite(r.s, 0, 10);
            EXPECT_EQ(r.link.msUntilNextTick(), 0) << "a request wakes the link";
        } else {
            EXPECT_GT(ticks, 10 * 4000 / 2) << "present channels are polled without pause";
        }
    }
}

// However often the device goes during the clear commands, every present
// controller gets its clear command, and the rescan starts only after the
// last of them. A command whose wait the device did not live through is
// sent again: the controller may not have had it.
TEST(DataClear, EveryControllerGetsItsCommandThroughOutages) {
    const struct { std::set<int> goneAfter; int goneDuring; std::map<int, int> expected; } table[] = {
        {{0}, 0, {{2, 1}, {10, 1}, {94, 1}}},
        {{1}, 0, {{2, 1}, {10, 1}, {94, 1}}},
        {{0, 1, 2}, 0, {{2, 1}, {10, 1}, {94, 1}}},
        {{}, 2, {{2, 1}, {10, 2}, {94, 1}}},
    };
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({2, 10, 94});
        r.s.Write_Request.Com_State = Com_Monitor;
        r.com.Comm_SetTimeOut(1000);
        int commands = 0;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (q.data == kClearCode && ++commands == row.goneDuring) r.unplugged = true;
            return std::nullopt;
        };
        r.link.mnuClear_Click();
        std::set<int> struck;
        int backIn = 0;
        for (int tick = 0; tick < 2000 && r.link.dataClearRunning(); ++tick) {
            if (row.goneAfter.count(commands) && struck.insert(commands).second) r.unplugged = true, backIn = 4;
            if (r.unplugged && --backIn <= 0) r.unplugged = false;
            r.link.Timer4_Timer();
            r.now += 500;
        }
        ASSERT_FALSE(r.link.dataClearRunning());
        EXPECT_EQ(struck.size(), row.goneAfter.size());
        std::map<int, int> cleared;
        size_t lastCommand = 0, firstProbe = r.sent.size();
        for (size_t i = 0; i < r.sent.size(); ++i) {
            const Sent& x = r.sent[i];
            if (x.req.data == kClearCode) {
                ++cleared[proto::channelOfAddress(x.req.address)];
                lastCommand = i;
                EXPECT_EQ(x.timeoutMs, 500);
            }
            if (x.req.command == ' ' && x.req.item == kProbeItem) firstProbe = std::min(firstProbe, i);
        }
        EXPECT_EQ(cleared, row.expected);
        EXPECT_LT(lastCommand, firstProbe);
        EXPECT_EQ(r.com.timeOut(), 1000);
    }
}

// From a channel's clear command until the rescan has read its settings,
// its values are neither shown nor logged as current; after the rescan its
// settings show at once (every step refreshes the window), its monitored
// values once the poll has read them again. A channel not yet cleared keeps
// what it shows.
TEST(DataClear, NothingFromBeforeTheClearIsShownOrLoggedAsCurrent) {
    LinkRig r;
    r.markPresent({0, 5});
    r.s.Write_Request.Com_State = Com_Monitor;
    for (int ch : {0, 5}) {
        r.bank.values[{ch, "0080"}] = 150;  // PV 150, SV 200
        r.bank.values[{ch, "0001"}] = 200;
        r.s.ParaData(ch, Item::SV) = 200;
    }
    r.bank.values[{0, "0085"}] = StatusBit::Alarm1;
    r.s.Poll_Cursor = {0, 0};
    for (int n = 0; n < 4; ++n) r.link.Monitor_read();  // PVs and status words
    const auto shown = [&](int ch) {
        return std::make_tuple(Disp_Data(r.s, r.strings, Item::PV, ch), Disp_Data(r.s, r.strings, Item::SV, ch),
                               logRowValues(r.s, r.strings, {ch}).value(0), r.s.Monitor_Data.PvRead(ch));
    };
    using Shown = std::tuple<QString, QString, QString, bool>;
    ASSERT_EQ(shown(0), Shown("150", "200", "150", true));

    // The controllers are cleared: PV 20, SV 0.
    for (int ch : {0, 5}) r.bank.values[{ch, "0080"}] = 20, r.bank.values[{ch, "0001"}] = 0;
    r.link.mnuClear_Click();
    const int refreshes = r.view.refreshes;
    r.link.Timer4_Timer();  // channel 0's clear command
    EXPECT_EQ(shown(0), Shown("", "", "", false));
    EXPECT_FALSE(r.s.current(0, Item::Status));
    EXPECT_EQ(shown(5), Shown("150", "200", "150", true));
    r.link.Timer4_Timer();  // channel 5's
    // The rescan of address 0, a frame a tick, the window refreshed after each.
    const int ticks = r.tickUntil([&] { return r.view.progress.back() == 1; });
    EXPECT_EQ(ticks, 1 + 5 + 44);
    EXPECT_EQ(r.view.refreshes, refreshes + 2 + ticks);
    EXPECT_EQ(shown(0), Shown("", "0", "", false));
    EXPECT_FALSE(r.s.current(0, Item::Status));
    while (r.link.dataClearRunning()) r.link.Timer4_Timer();
    // The line checks after its read asked channel 5 for its PV: read after
    // the clear, it is current; its status word is not.
    EXPECT_EQ(shown(5), Shown("20", "0", "20", true));
    EXPECT_FALSE(r.s.current(5, Item::Status));

    // The poll brings the monitored values back.
    r.s.Poll_Cursor = {0, 0};
    r.link.Monitor_read();
    EXPECT_EQ(shown(0), Shown("20", "0", "20", true));
    EXPECT_FALSE(r.s.current(0, Item::Status));
    r.link.Monitor_read();
    r.link.Monitor_read();
    EXPECT_TRUE(r.s.current(0, Item::Status));
    EXPECT_EQ(shown(5), Shown("20", "0", "20", true));
}

// A step that waited out a silent controller's time-out blocked the window
// for that long: the link then asks for a pause, counted from the step's
// end, in which the run loop answers and paints. Answering controllers are
// read at the line's limit, with no pause, whatever the time-out: the scan
// over 95 of them costs the same at 4000 ms as at 100 ms.
TEST(StateMachine, APauseFollowsOnlyAStepThatWaited) {
    std::set<int> all;
    for (int ch = 0; ch < kChannels; ++ch) all.insert(ch);
    const struct { const char* name; int ms; bool clear; std::set<int> present; } table[] = {
        {"scan at 100 ms", 100, false, {1, 50}},
        {"clear at 100 ms", 100, true, {1, 50}},
        {"clear at 4000 ms", 4000, true, {1, 50}},
        {"scan of 95 answering at 100 ms", 100, false, all},
        {"scan of 95 answering at 4000 ms", 4000, false, all},
    };
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({});
        for (int ch : row.present) r.s.NoConnect(ch) = 0, r.bank.present.insert(ch);
        r.replyMs = 12;  // a request and its reply at 19200 baud
        r.com.Comm_SetTimeOut(row.ms);
        r.s.Write_Request.Com_State = row.clear ? Com_Monitor : Com_FirstRead;
        if (row.clear) r.link.mnuClear_Click();
        const auto stepping = [&] {
            return r.link.dataClearRunning() || r.s.Write_Request.Com_State == Com_FirstRead;
        };
        const qint64 start = r.now;
        qint64 paused = 0, silences = 0;
        size_t steps = 0;
        while (stepping() && steps < 20000) {
            const size_t frames = r.sent.size();
            const qint64 before = r.now;
            r.link.Timer4_Timer();
            ++steps;
            ASSERT_EQ(r.sent.size(), frames + 1) << row.name << ": one transaction a step";
            if (!stepping()) break;
            const bool waited = r.now - before == row.ms;
            silences += waited;
            const qint64 wait = r.link.msUntilNextTick();
            ASSERT_EQ(wait, waited ? Link::stepGapMs(row.ms) : 0) << row.name << ", step " << steps;
            r.now += wait;
            paused += wait;
        }
        EXPECT_EQ(steps, r.sent.size()) << row.name;
        EXPECT_LE(paused * 40, r.now - start - paused) << row.name;
        if (row.present.size() == all.size()) {
            EXPECT_EQ(silences, 0) << row.name;
            EXPECT_EQ(r.now - start, qint64(steps) * 12) << row.name << ": the line's time, nothing more";
        }
        r.link.Timer4_Timer();
        EXPECT_EQ(r.link.msUntilNextTick(), 0) << row.name << ": the poll goes on without a pause";
    }
}

TEST(DataClear, RefusalsByErrorCode) {
    const struct { char code; int keyMessages; int history; } table[] = {{'5', 1, 0}, {'4', 0, 1}, {'1', 0, 1}};
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({0});
        r.s.Write_Request.Com_State = Com_Monitor;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (q.data == "9346") return nak(q, row.code);
            return std::nullopt;
        };
        r.link.mnuClear_Click();
        r.link.Timer4_Timer();
        EXPECT_EQ(r.view.keyMessages, row.keyMessages) << row.code;
        EXPECT_EQ(static_cast<int>(r.view.history.size()), row.history) << row.code;
    }
}

// ------------------------------------------------------------------ link set-up

TEST(LinkSetup, InvalidPortAndSpeedAreCorrectedAndSaved) {
    const struct { const char* port; const char* speed; const char* wantPort; const char* wantSpeed; } table[] = {
        {"COM3", "19200", "COM3", "19200"}, {"COM9", "9600", "COM1", "9600"}, {"COM2", "14400", "COM2", "9600"},
        {"com2", "19200 ", "COM1", "9600"}, {"", "", "COM1", "9600"}};
    for (const auto& row : table) {
        LinkRig r;
        r.store.save("Port", row.port);
        r.store.save("Speed", row.speed);
        r.markPresent({0});
        EXPECT_EQ(r.link.Link_start(), "ok") << row.port;
        EXPECT_EQ(r.com.port(), row.wantPort);
        EXPECT_EQ(r.com.speed(), row.wantSpeed);
        EXPECT_EQ(r.store.read("Port", "?"), row.wantPort);
        EXPECT_EQ(r.store.read("Speed", "?"), row.wantSpeed);
    }
}

TEST(LinkSetup, TimeoutChoiceAndMenuCheck) {
    for (int choice = 0; choice <= 15; ++choice) {
        LinkRig r;
        r.markPresent({0});
        r.com.Comm_SetTimeOut(1);
        r.s.Time_Count = static_cast<qint16>(choice);
        r.link.Link_open("COM1", "9600");
        if (choice >= 1 && choice <= 14) {
            EXPECT_EQ(r.com.timeOut(), timeoutMs(choice));
            EXPECT_EQ(r.view.checkedTimeout, choice);
        } else {
            EXPECT_EQ(r.com.timeOut(), 1) << choice;
            EXPECT_EQ(r.view.checkedTimeout, 0) << choice;
        }
    }
}

TEST(LinkSetup, CheckReadsPvOfChannelZero) {
    LinkRig r;
    r.markPresent({0});
    ASSERT_EQ(r.link.Link_open("COM1", "9600"), "ok");
    ASSERT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(r.sent[0].key(), "0   0080");
}

TEST(LinkSetup, FailingCheckShowsDialogOnceAndRetriesAfterOk) {
    LinkRig r;
    r.store.save("Port", "COM4");
    r.markPresent({});
    r.s.Write_Request.Com_State = Com_Reopen;
    EXPECT_EQ(r.link.Link_start(), "");
    EXPECT_EQ(r.view.dialogShown, 1);
    EXPECT_TRUE(r.s.CommDisp_flg);
    EXPECT_EQ(r.view.dialogPort, "COM4");
    EXPECT_EQ(r.view.dialogSpeed, "9600");
    EXPECT_FALSE(r.com.isOpen());
    const size_t frames = r.sent.size();
    for (int i = 0; i < 5; ++i) r.link.Timer4_Timer();  // waiting for the operator
    EXPECT_EQ(r.sent.size(), frames);
    EXPECT_EQ(r.view.dialogShown, 1);
    EXPECT_FALSE(r.com.isOpen());
    EXPECT_EQ(r.s.Write_Request.Com_State, Com_Reopen);
    // Still failing after OK: the dialog comes again.
    r.now += r.com.timeOut();
    r.link.commDialogOk("COM2", "19200", 3);
    r.link.Timer4_Timer();
    EXPECT_EQ(r.view.dialogShown, 2);
    EXPECT_EQ(r.store.read("Time_Count", ""), "3");
    // The controller answers now.
    r.bank.present.insert(0);
    r.now += r.com.timeOut();
    r.link.commDialogOk("COM2", "19200", 3);
    r.link.Timer4_Timer();
    EXPECT_EQ(r.s.Write_Request.Com_State, Com_FirstRead);
    EXPECT_EQ(r.com.port(), "COM2");
    EXPECT_EQ(r.com.speed(), "19200");
    EXPECT_EQ(r.com.timeOut(), 300);
    // The start-up state: the scan, one address a tick, then monitoring.
    const size_t scanFrom = r.sent.size();
    const int ticks = r.tickUntil([&] { return r.s.Write_Request.Com_State != Com_FirstRead; });
    EXPECT_EQ(ticks, kChannels + 5 + 44 + r.pvReadsSince(scanFrom));
    EXPECT_EQ(r.view.scanDone, 1);
    EXPECT_EQ(r.s.Write_Request.Com_State, Com_Monitor);
    EXPECT_EQ(r.s.NoConnect(0), 0);
}

TEST(LinkSetup, RetryStateSleepsBetweenAttemptsAndTriesAtMostOncePerTimeOut) {
    // The run loop as the program runs it: sleep as long as the link asks
    // (at least 1 ms), then tick; the operator may press OK at every wake-up.
    // maxWakes 0: a tick every millisecond whatever the link asks.
    const struct {
        int choice;      // time-out choice
        bool okAtOnce;   // OK pressed at every wake-up
        bool missing;    // no device (else a silent controller)
        int attempts;    // link checks in 2 s, at most (and at least this less one)
        int maxWakes;
    } table[] = {{2, false, true, 0, 10}, {2, true, true, 10, 10}, {2, true, true, 10, 0},
                 {14, false, true, 0, 1},  {1, true, false, 20, 20}};
    for (const auto& row : table) {
        SCOPED_TRACE(::testing::Message() << row.choice << row.okAtOnce << row.missing);
        LinkRig r;
        r.markPresent({});
        int opens = 0;  // devices opened: each attempt opens one
        if (row.missing) r.com.setSimulatedLine([&] { return ++opens, std::unique_ptr<Transport>(); });
        r.s.Time_Count = static_cast<qint16>(row.choice);
        ASSERT_EQ(r.link.Link_start(), "");  // the check at start
        r.s.Write_Request.Com_State = Com_Reopen;
        const int before = row.missing ? opens : int(r.sent.size());
        int wakes = 0;
        const auto sleep = [&] { return row.maxWakes ? std::max<qint64>(1, r.link.msUntilNextTick()) : 1; };
        for (const qint64 end = r.now + 2000; (r.now += sleep()) < end; ++wakes) {
            if (row.okAtOnce && r.s.CommDisp_flg) r.link.commDialogOk("COM1", "9600", row.choice);
            r.link.Timer4_Timer();
            EXPECT_EQ(r.com.timeOut(), timeoutMs(row.choice));  // set up again with what is stored
        }
        const int attempts = (row.missing ? opens : int(r.sent.size())) - before;
        EXPECT_LE(attempts, row.attempts);
        EXPECT_GE(attempts, row.attempts - 1);
        if (row.maxWakes) {
            EXPECT_LE(wakes, row.maxWakes);
        }
        EXPECT_EQ(r.view.dialogShown, 1 + attempts);
    }
}

// ------------------------------------------------------------------ state machine

TEST(StateMachine, TransitionsPerState) {
    const struct { qint16 state; bool chg; qint16 next; } table[] = {
        {Com_Monitor, false, Com_Monitor}, {Com_WriteOne, false, Com_Monitor}, {Com_WriteOne, true, Com_ReRead},
        {Com_WriteAll, false, Com_Monitor}, {Com_WriteSelect, false, Com_Monitor}, {Com_ReRead, true, Com_Monitor},
        {7, false, Com_Monitor}, {-3, false, Com_Monitor}};
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({1});
        switch (row.state) {
        case Com_Monitor: break;
        case Com_WriteOne: queueSingleWrite(r.s, 1, 10, row.chg); break;
        case Com_WriteAll:
        case Com_WriteSelect: queueChain(r.s, 1, row.state); break;
        case Com_ReRead: queueReRead(r.s, 1); break;
        default: r.s.Write_Request.Com_State = row.state; break;
        }
        r.link.Timer4_Timer();
        r.finishWork();
        EXPECT_EQ(r.s.Write_Request.Com_State, row.next) << row.state;
        if (row.state == Com_WriteOne && row.chg) {
            EXPECT_EQ(r.s.Write_Request.ReRead_Ch, 1);
        }
        if (row.state == Com_Monitor) {
            EXPECT_EQ(r.view.refreshes, 1);
        }
    }
}

TEST(StateMachine, AWriteWaitsBehindAPendingReRead) {
    LinkRig r;
    r.markPresent({0, 1});
    queueReRead(r.s, 0);
    // a request written before the next tick
    r.s.ParaData(1, 10) = 300;
    queueSingleWrite(r.s, 1, 10);
    EXPECT_EQ(r.s.Write_Request.Com_State, Com_ReRead);
    r.tickUntil([&] { return r.s.Write_Request.Com_State == Com_Monitor && !r.link.lineWorkRunning(); });
    const auto keys = r.keys();
    ASSERT_EQ(keys.size(), 44u + 2u);
    EXPECT_EQ(keys.front(), "0   0001");
    EXPECT_EQ(keys[44], "1 P 0001 012C");
    EXPECT_EQ(keys[45], "1   0001");
}

// ------------------------------------------------------------------ writes

TEST(Writes, SingleWriteThenReadBack) {
    LinkRig r;
    r.markPresent({1});
    r.s.ParaData(1, 10) = -200;
    queueSingleWrite(r.s, 1, 10);
    r.bank.values[{1, "0001"}] = 0;
    r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
        if (q.command == ' ') return ack(q, "0064");  // the controller holds 100
        return std::nullopt;
    };
    finish([&] { return r.link.OneData_write(); });
    EXPECT_EQ(r.keys(), (std::vector<std::string>{"1 P 0001 FF38", "1   0001"}));
    EXPECT_EQ(r.s.ParaData(1, 10), 100);
}

TEST(Writes, AlarmCommandHasNoReadBack) {
    LinkRig r;
    r.markPresent({0});
    r.s.ParaData(0, 64) = 2;
    queueSingleWrite(r.s, 0, 64);
    finish([&] { return r.link.OneData_write(); });
    EXPECT_EQ(r.keys(), (std::vector<std::string>{"0 P 0051 0002"}));
}

TEST(Writes, KeyOperationRefusalStillReadsBack) {
    LinkRig r;
    r.markPresent({0});
    r.s.ParaData(0, 10) = 50;
    queueSingleWrite(r.s, 0, 10);
    r.bank.values[{0, "0001"}] = 40;
    r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
        if (q.command == 'P') return nak(q, '5');
        return std::nullopt;
    };
    finish([&] { return r.link.OneData_write(); });
    EXPECT_EQ(r.view.keyMessages, 1);
    EXPECT_TRUE(r.view.history.empty());
    EXPECT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(r.s.ParaData(0, 10), 40);  // the controller's value came back
}

TEST(Writes, AbsentChannelGetsNothingAndTheLastChainEmptiesThePanel) {
    LinkRig r;
    r.markPresent({});
    r.bank.present.insert(3);  // a controller that would answer, were it asked
    r.s.ParaData(3, 10) = 300;
    r.view.optionBoxes = {{0, 1}};  // item 10 chosen for the write-selected chain
    const auto askAll = [&] {
        queueSingleWrite(r.s, 3, 10);
        queueChain(r.s, 3, Com_WriteAll);
        queueChain(r.s, 3, Com_WriteSelect);
    };
    askAll();
    r.view.panel[4] = "busy";
    finish([&] { return r.link.OneData_write(); });
    EXPECT_EQ(r.view.panel[4], "busy");  // a single write leaves the panel alone
    finish([&] { return r.link.AllData_write(); });
    EXPECT_EQ(r.view.panel[4], "busy");  // a chain still waits
    finish([&] { return r.link.SelectData_write(); });
    EXPECT_EQ(r.view.panel[4], "");
    EXPECT_TRUE(r.sent.empty());
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
    // The same three requests to the channel once present: write and read-back, 53 links, one link.
    r.s.NoConnect(3) = 0;
    askAll();
    finish([&] { return r.link.OneData_write(); });
    finish([&] { return r.link.AllData_write(); });
    finish([&] { return r.link.SelectData_write(); });
    ASSERT_EQ(r.sent.size(), 2u + 53u + 1u);
    EXPECT_EQ(r.sent.front().key(), "3 P 0001 012C");
    EXPECT_EQ(r.sent.back().key(), "3 P 0001 012C");
}

TEST(Writes, WriteAllChainSends53FramesInOrder) {
    LinkRig r;
    r.markPresent({0});
    for (int k = 10; k <= 63; ++k) r.s.ParaData(0, k) = static_cast<qint16>(k * 3 - 100);
    queueChain(r.s, 0, Com_WriteAll);
    r.bank.override_ = [](const proto::Request& q) -> std::optional<std::string> {
        if (q.item == "0018") return nak(q, '5');  // refusals inside a chain are plain NAKs
        return std::nullopt;
    };
    finish([&] { return r.link.AllData_write(); });
    // Input type first, then the scaling limits and the alarm action types.
    const std::vector<int> order = {54, 29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                    22, 23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
                                    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 60, 61, 55, 56, 57, 63};
    EXPECT_EQ(itemsOf(r.sent), order);
    for (const auto& x : r.sent) {
        const int k = itemOfCode(QString::fromStdString(x.req.item));
        EXPECT_EQ(x.req.data, proto::hex4(static_cast<int16_t>(k * 3 - 100)));
    }
    EXPECT_EQ(r.view.keyMessages, 0);
    EXPECT_EQ(r.view.history.size(), 1u);
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
}

TEST(Writes, WriteSelectedChainFollowsTheBoxes) {
    LinkRig r;
    r.markPresent({0});
    r.view.optionBoxes = {{0, 1}, {19, 1}, {20, 2}, {53, 1}, {44, 1}, {8, 1}, {1, 1}, {52, 0}};
    queueChain(r.s, 0, Com_WriteSelect);
    finish([&] { return r.link.SelectData_write(); });
    EXPECT_EQ(itemsOf(r.sent), (std::vector<int>{29, 10, 63}));
    EXPECT_EQ(r.link.OptionChk("0044"), 0);
    EXPECT_EQ(r.link.OptionChk("000A"), 0);
    EXPECT_EQ(r.link.OptionChk("0003"), 0);
    EXPECT_EQ(r.link.OptionChk("0001"), 1);
    EXPECT_EQ(r.link.OptionChk("0019"), 0);  // greyed
}

TEST(Writes, WriteSelectedChainOrderWithEveryBoxChecked) {
    LinkRig r;
    r.markPresent({0});
    for (int box = 0; box <= 53; ++box) r.view.optionBoxes[box] = 1;
    queueChain(r.s, 0, Com_WriteSelect);
    finish([&] { return r.link.SelectData_write(); });
    // No input type and no manual reset; the tail differs from the write-all chain.
    const std::vector<int> order = {29, 30, 39, 40, 58, 59, 10, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22,
                                    23, 62, 24, 25, 26, 27, 28, 31, 32, 33, 34, 35, 36, 37, 38, 41, 42,
                                    43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 55, 56, 57, 60, 61, 63};
    EXPECT_EQ(itemsOf(r.sent), order);
    EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
}

// ------------------------------------------------------------------ silent in the middle

// A controller that goes silent in the middle of its read or its write chain
// holds the line for two time-outs, not for the rest of its frames: the link
// goes on, one transaction a tick, and reads the controller whole once it
// answers again; meanwhile a scanned one's settings are not shown as read.
// One missing reply alone changes nothing.
TEST(LineWork, AControllerSilentInTheMiddleIsLeftAfterTwoMisses) {
    enum Work { Scan, ReRead, Chain };
    const struct {
        const char* name;
        Work work;
        int silentFrom;   // the first of its frames (0: the probe) left unanswered
        int silentCount;
        int frames;       // what the work sends it when all goes well
        bool wordsAgain;  // its read starts again at the type word
    } table[] = {
        {"scan, silent from its type word", Scan, 1, 1000, 1 + 5 + 44, true},
        {"scan, silent in its settings", Scan, 20, 1000, 1 + 5 + 44, false},
        {"scan, one reply lost", Scan, 20, 1, 1 + 5 + 44, false},
        {"re-read, silent in it", ReRead, 10, 1000, 44, false},
        {"write chain, silent in it", Chain, 10, 1000, 53, false},
        {"write chain, one reply lost", Chain, 10, 1, 53, false},
    };
    for (const auto& row : table) {
        LinkRig r;
        // Channel 0 answers throughout: the line checks ask it (a line's
        // first controller has answered the link check).
        r.markPresent({0, 5, 20});
        r.com.Comm_SetTimeOut(1000);
        r.replyMs = 12;
        int toFive = 0;  // its frames of the work; a PV poll of it is a line check
        bool fiveSilent = false;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (proto::channelOfAddress(q.address) != 5) return std::nullopt;
            if (q.command == ' ' && q.item == "0080") return fiveSilent ? std::optional(std::string()) : std::nullopt;
            const int n = toFive++;
            fiveSilent = n >= row.silentFrom && n < row.silentFrom + row.silentCount;
            if (fiveSilent) return std::string();
            return std::nullopt;
        };
        WriteRequest& w = r.s.Write_Request;
        switch (row.work) {
        case Scan: w.Com_State = Com_FirstRead; break;
        case ReRead: queueReRead(r.s, 5); break;
        case Chain: queueChain(r.s, 5, Com_WriteAll); break;
        }
        qint64 longestTick = 0;
        int ticks = 0;
        for (; (r.link.lineWorkRunning() || w.Com_State != Com_Monitor) && ticks < 1000; ++ticks) {
            const qint64 before = r.now;
            r.link.Timer4_Timer();
            longestTick = std::max(longestTick, r.now - before);
        }
        EXPECT_EQ(size_t(ticks), r.sent.size()) << row.name << ": one transaction a tick";
        EXPECT_LE(longestTick, 1000) << row.name;
        const bool left = row.silentCount > 1;
        EXPECT_EQ(toFive, left ? row.silentFrom + LineCursor::kMissesToLeave : row.frames) << row.name;
        EXPECT_TRUE(r.link.reReadWanted(5)) << row.name;
        EXPECT_EQ(r.s.NoConnect(5), 0) << row.name;
        if (row.work == Scan) {
            EXPECT_EQ(r.s.current(5, Item::SV), !left) << row.name;
            EXPECT_EQ(r.s.NoConnect(20), 0) << row.name;
        }
        EXPECT_TRUE(w.Line_Queue.empty()) << row.name;

        // It answers again: the poll finds it and its read is done whole.
        r.bank.override_ = nullptr;
        const size_t mark = r.sent.size();
        r.tickUntil([&] { return !r.link.reReadWanted(5) && !r.link.lineWorkRunning(); }, 2000);
        EXPECT_FALSE(r.link.reReadWanted(5)) << row.name;
        EXPECT_TRUE(r.s.current(5, Item::SV)) << row.name;
        int settingsRead = 0;
        bool words = false;
        for (size_t i = mark; i < r.sent.size(); ++i) {
            words |= r.sent[i].key() == "5   00A2";
            settingsRead += r.sent[i].key() == "5   0001";
        }
        EXPECT_EQ(words, row.wordsAgain) << row.name;
        EXPECT_EQ(settingsRead, 1) << row.name;
    }
}

// ------------------------------------------------------------------ requests during line work

TEST(Requests, WhatTheOperatorGaveIsWhatTheControllerGets) {
    // Asked one frame into a re-read of the channel, or between a write of
    // its SV and that write's read-back: whatever is read meanwhile, the
    // controller ends up holding the operator's values and the window shows them.
    enum Act { Single, Toggle, WriteAll, Copy };
    enum When { InReRead, BeforeReadBack };
    const struct {
        const char* name;
        Act act;
        When when;
    } table[] = {
        {"SV during a re-read", Single, InReRead},
        {"output toggle during a re-read", Toggle, InReRead},
        {"write-all during a re-read", WriteAll, InReRead},
        {"channel copy during a re-read", Copy, InReRead},
        {"second SV before the read-back", Single, BeforeReadBack},
        {"toggle before the read-back", Toggle, BeforeReadBack},
        {"write-all before the read-back", WriteAll, BeforeReadBack},
        {"copy before the read-back", Copy, BeforeReadBack},
    };
    for (const auto& row : table) {
        LinkRig r;
        r.markPresent({5, 20});
        r.replyMs = 12;
        // The controller holds 11 in every setting, its output on.
        for (int k = Item::FirstSetting; k <= Item::LastSetting; ++k) {
            r.bank.values[{5, itemCode(k).toStdString()}] = 11;
            r.s.ParaData(5, k) = 11;
            r.s.ParaData(20, k) = qint16(200 + k);  // the copy's source
        }
        r.bank.values[{5, "0037"}] = 1;
        r.s.ParaData(5, Item::ControlOutputOff) = 1;
        WriteRequest& w = r.s.Write_Request;
        std::map<int, int> want;  // item -> what the controller must hold at the end
        if (row.when == InReRead) {
            queueReRead(r.s, 5);
            r.link.Timer4_Timer();
            ASSERT_TRUE(r.link.lineWorkRunning()) << row.name;
        } else {
            r.s.ParaData(5, Item::SV) = 300;
            queueSingleWrite(r.s, 5, Item::SV);
            r.link.Timer4_Timer();
            ASSERT_EQ(r.keys().back(), "5 P 0001 012C") << row.name;
            want[Item::SV] = 300;
        }
        switch (row.act) {
        case Single:
            r.s.ParaData(5, Item::SV) = 400;
            queueSingleWrite(r.s, 5, Item::SV);
            want[Item::SV] = 400;
            break;
        case Toggle:
            tb3_OUTOFF(r.s, 5);
            want[Item::ControlOutputOff] = 0;
            break;
        case WriteAll:
        case Copy:
            if (row.act == Copy) {
                copyChannel(r.s, 20, 5);
            } else {
                for (int k : kWriteAllChain) r.s.ParaData(5, k) = qint16(50 + k);
            }
            queueChain(r.s, 5, Com_WriteAll);
            for (int k : kWriteAllChain) want[k] = (row.act == Copy ? 200 : 50) + k;
            break;
        }
        r.tickUntil([&] { return w.Com_State == Com_Monitor && !r.link.lineWorkRunning() && w.Line_Queue.empty(); }, 400);
        r.tickUntil([] { return false; }, 60);  // the re-reads the writes asked for, and polls
        for (const auto& [k, v] : want) {
            EXPECT_EQ((r.bank.values[{5, itemCode(k).toStdString()}]), v) << row.name << ", item " << k;
            EXPECT_EQ(r.s.ParaData(5, k), v) << row.name << ", item " << k;
        }
    }
}

TEST(Requests, AnAllChannelsLoadSendsTheFileAndTheOperatorsLaterValue) {
    // The file put into every channel at once; a re-read of a channel that
    // waits its turn, and a value the operator gives one before its turn.
    LinkRig r;
    r.markPresent({0, 1, 2, 3, 4});
    r.replyMs = 12;
    for (int ch = 0; ch < 5; ++ch) {
        r.bank.values[{ch, "0001"}] = 11;
        r.s.ParaData(ch, Item::SV) = qint16(100 + ch);
    }
    WriteRequest& w = r.s.Write_Request;
    queueReRead(r.s, 3);
    ASSERT_EQ(queueTransfer(r.s, Com_WriteAll), 5);
    for (int tick = 0; tick < 3; ++tick) r.link.Timer4_Timer();
    r.s.ParaData(4, Item::SV) = 77;
    queueSingleWrite(r.s, 4, Item::SV);
    r.tickUntil([&] { return w.Com_State == Com_Monitor && w.Line_Queue.empty() && !r.link.lineWorkRunning(); }, 2000);
    r.tickUntil([] { return false; }, 200);  // the re-reads the chains ask for
    const std::map<int, int> want = {{0, 100}, {1, 101}, {2, 102}, {3, 103}, {4, 77}};
    for (const auto& [ch, v] : want) {
        EXPECT_EQ((r.bank.values[{ch, "0001"}]), v) << "ch " << ch;
        EXPECT_EQ(r.s.ParaData(ch, Item::SV), v) << "ch " << ch;
    }
}

// SV 500, scaling high 2000, SV 1500 on a controller at SV 100 and scaling
// high 1000 that refuses an SV above its scaling high: asked during a re-read
// of the channel, they leave it as they do with no line work under way.
TEST(Requests, ALaterValueGoesOutAfterWhatWasAskedBeforeIt) {
    for (const bool busy : {false, true}) {
        LinkRig r;
        r.markPresent({1});
        r.bank.values[{1, "0001"}] = 100;
        r.bank.values[{1, "0018"}] = 1000;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (q.command == 'P' && q.item == "0001" && proto::parseHex4(q.data).value_or(0) > r.bank.values[{1, "0018"}])
                return nak(q, '3');
            return std::nullopt;
        };
        const auto idle = [&] { return r.s.Write_Request.Line_Queue.empty() && !r.link.lineWorkRunning(); };
        if (busy) {
            queueReRead(r.s, 1);
            r.link.Timer4_Timer();
            ASSERT_TRUE(r.link.lineWorkRunning());
        }
        const struct { int item; qint16 value; } asked[] = {{Item::SV, 500}, {Item::ScalingHigh, 2000}, {Item::SV, 1500}};
        for (const auto& a : asked) {
            r.s.ParaData(1, a.item) = a.value;
            queueSingleWrite(r.s, 1, a.item, numericSetsReRead(a.item));
            if (!busy) r.tickUntil(idle);
        }
        r.tickUntil(idle);
        EXPECT_EQ((r.bank.values[{1, "0001"}]), 1500) << busy;
        EXPECT_EQ((r.bank.values[{1, "0018"}]), 2000) << busy;
        EXPECT_EQ(r.s.ParaData(1, Item::SV), 1500) << busy;
        EXPECT_TRUE(r.view.history.empty()) << busy;  // nothing refused
    }
}

TEST(Requests, SingleWritesAskedDuringAChainAllGoOutInOrder) {
    for (const std::vector<int> channels : {std::vector<int>{1, 6}, std::vector<int>{6, 1, 7}}) {
        LinkRig r;
        r.markPresent({1, 4, 6, 7});
        r.s.Write_Request.Com_State = Com_Monitor;
        queueChain(r.s, 4, Com_WriteAll);
        r.link.Timer4_Timer();
        r.link.Timer4_Timer();
        std::vector<std::string> asked;
        for (int ch : channels) {
            r.s.ParaData(ch, Item::SV) = qint16(ch * 10);
            queueSingleWrite(r.s, ch, Item::SV);
            asked.push_back(std::to_string(ch) + " P 0001 " + proto::hex4(int16_t(ch * 10)));
            r.link.Timer4_Timer();  // the chain goes on between them
        }
        r.tickUntil([&] {
            const WriteRequest& w = r.s.Write_Request;
            return w.Com_State == Com_Monitor && w.Line_Queue.empty() && !r.link.lineWorkRunning();
        }, 400);
        std::vector<std::string> singles;
        size_t chainLinks = 0, lastChain = 0;
        const auto keys = r.keys();
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].rfind("4 P ", 0) == 0) chainLinks++, lastChain = i;
            if (keys[i].find(" P 0001 ") != std::string::npos && keys[i][0] != '4') {
                singles.push_back(keys[i]);
                EXPECT_GT(i, lastChain) << keys[i] << ": after the chain";
            }
        }
        EXPECT_EQ(chainLinks, kWriteAllChain.size());
        EXPECT_EQ(singles, asked);
    }
}

// ------------------------------------------------------------------ a silent line, a silent controller

TEST(SilentLine, AScanEndsWithEveryControllerThatIsThere) {
    // The line goes silent from the third frame of channel 5's read, for a
    // while measured on the line's clock: fewer addresses than it lasts, more,
    // and longer than the whole walk. In the start-up scan and in a data
    // clear's rescan.
    const struct {
        const char* name;
        bool rescan;
        qint64 silentMs;
    } table[] = {
        {"scan, 4.5 s", false, 4500},   {"scan, 30 s", false, 30000}, {"scan, 100 s", false, 100000},
        {"rescan, 4.5 s", true, 4500}, {"rescan, 30 s", true, 30000},
    };
    const std::set<int> there{5, 6, 7, 9, 20, 33, 40, 94};
    for (const auto& row : table) {
        LinkRig r;
        r.com.Comm_SetTimeOut(1000);
        r.replyMs = 12;
        r.bank.present = there;
        WriteRequest& w = r.s.Write_Request;
        if (row.rescan) {
            w.Com_State = Com_FirstRead;
            r.tickUntil([&] { return w.Com_State == Com_Monitor; });
            r.link.mnuClear_Click();
        } else {
            w.Com_State = Com_FirstRead;
        }
        qint64 silentFrom = -1;
        int toFive = 0;
        std::map<int, int> probesWhileAnswering;  // of empty addresses, while the line counts as answering
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            const int ch = proto::channelOfAddress(q.address);
            const bool clearCommand = q.command == 'P' && q.item == "0000" && q.data == kClearCode;
            if (ch == 5 && !clearCommand && ++toFive == 3) silentFrom = r.now;
            const bool silent = silentFrom >= 0 && r.now < silentFrom + row.silentMs;
            if (!r.s.PvLog_State.LineSilent && q.item == "0000" && q.command == ' ' && !there.count(ch))
                ++probesWhileAnswering[ch];
            if (silent) return std::string();
            return std::nullopt;
        };
        const bool done = r.tickUntil([&] {
            return w.Com_State == Com_Monitor && !r.link.dataClearRunning() && !r.link.lineWorkRunning();
        }, 5000) < 5000;
        ASSERT_TRUE(done) << row.name;
        ASSERT_GE(silentFrom, 0) << row.name;
        for (int ch = 0; ch < kChannels; ++ch) {
            const bool present = there.count(ch) > 0;
            EXPECT_EQ(r.s.NoConnect(ch), present ? 0 : 1) << row.name << ", ch " << ch;
            EXPECT_EQ(r.s.Monitor_Data.Connect_Code(ch) != 0, present) << row.name << ", ch " << ch;
            // An empty address costs one time-out while the line answers.
            if (!present) EXPECT_EQ(probesWhileAnswering[ch], 1) << row.name << ", ch " << ch;
        }
        // The controllers probed in the silence are read whole.
        EXPECT_TRUE(r.s.current(7, Item::SV)) << row.name;
        EXPECT_TRUE(r.s.current(94, Item::SV)) << row.name;
    }
}

// Wherever a silence of the line begins in a scan or a rescan (inside a
// controller's read, at a controller's probe, at an empty address's probe, at
// the end of the walk), the scan ends with every controller that is there,
// costs about the silence and no more, and probes no empty address again
// once the line has answered. The line's first controller answered the link
// check, as it must before any scan.
TEST(SilentLine, EveryControllerIsFoundWhereverTheSilenceBegins) {
    const struct {
        const char* name;
        std::set<int> there;
        int timeoutMs;
        int at;      // the silence begins with the n-th request to this address ...
        int nth;     // ... (1: its probe)
        qint64 silentMs;
        bool rescan;
    } table[] = {
        {"inside a read", {0, 5, 6, 7, 12, 20}, 1000, 5, 3, 5000, false},
        {"at a controller's probe after its neighbour's read", {0, 5, 6, 7, 12, 20}, 1000, 6, 1, 5000, false},
        {"at an empty address's probe", {0, 5, 6, 7, 12, 20}, 1000, 10, 1, 5000, false},
        {"at an empty address's probe, 4000 ms", {0, 5, 6, 7, 12, 20}, 4000, 10, 1, 20000, false},
        {"near the end of the walk", {0, 5, 89, 92}, 1000, 89, 3, 30000, false},
        {"at the last address", {0, 5, 89, 92}, 1000, 94, 1, 8000, false},
        {"a full line, inside a read", {}, 1000, 40, 20, 5000, false},
        {"rescan, at an empty address's probe", {0, 5, 6, 7, 12, 20}, 1000, 10, 1, 5000, true},
        {"rescan, inside a read", {0, 5, 6, 7, 12, 20}, 1000, 6, 4, 5000, true},
    };
    for (const auto& row : table) {
        std::set<int> there = row.there;
        if (there.empty())
            for (int ch = 0; ch < kChannels; ++ch) there.insert(ch);
        // What the scan takes with the line answering throughout, and with the silence.
        const auto scan = [&](bool silence, std::map<int, int>* emptyProbesAfter, std::map<int, int>* emptyProbes) {
            LinkRig r;
            r.com.Comm_SetTimeOut(row.timeoutMs);
            r.com.Comm_SetSpeed("19200");
            r.replyMs = 12;
            r.bank.present = there;
            EXPECT_EQ(r.link.Link_open("COM1", "19200"), "ok") << row.name;
            WriteRequest& w = r.s.Write_Request;
            w.Com_State = Com_FirstRead;
            if (row.rescan) {
                r.tickUntil([&] { return w.Com_State == Com_Monitor; });
                r.link.mnuClear_Click();
            }
            qint64 silentFrom = -1;
            int toAt = 0;
            std::set<int> probed, svRead;  // answered, in the scan
            r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
                const int ch = proto::channelOfAddress(q.address);
                const bool clearCommand = q.command == 'P' && q.item == "0000" && q.data == kClearCode;
                const bool answered = !(silentFrom >= 0 && r.now < silentFrom + row.silentMs);
                if (answered && q.command == ' ' && q.item == "0000" && !clearCommand) probed.insert(ch);
                if (answered && q.command == ' ' && q.item == "0001") svRead.insert(ch);
                if (silence && ch == row.at && !clearCommand && ++toAt == row.nth) silentFrom = r.now;
                const bool silent = silentFrom >= 0 && r.now < silentFrom + row.silentMs;
                if (emptyProbes && q.item == "0000" && q.command == ' ' && !there.count(ch)) {
                    ++(*emptyProbes)[ch];
                    if (silentFrom >= 0 && r.now >= silentFrom + row.silentMs) ++(*emptyProbesAfter)[ch];
                }
                if (silent) return std::string();
                return std::nullopt;
            };
            const qint64 start = r.now;
            const bool done = r.tickUntil([&] {
                return w.Com_State == Com_Monitor && !r.link.dataClearRunning() && !r.link.lineWorkRunning();
            }, 50000) < 50000;
            EXPECT_TRUE(done) << row.name;
            if (silence) {
                EXPECT_GE(silentFrom, 0) << row.name;
                for (int ch = 0; ch < kChannels; ++ch) {
                    // Every address probed with the line answering; every controller read.
                    EXPECT_TRUE(probed.count(ch)) << row.name << ", ch " << ch;
                    EXPECT_EQ(svRead.count(ch), there.count(ch)) << row.name << ", ch " << ch;
                    EXPECT_EQ(r.s.NoConnect(ch), there.count(ch) ? 0 : 1) << row.name << ", ch " << ch;
                    if (there.count(ch)) {
                        EXPECT_TRUE(r.s.current(ch, Item::SV)) << row.name << ", ch " << ch;
                    }
                }
                EXPECT_FALSE(r.s.PvLog_State.LineSilent) << row.name;
                EXPECT_FALSE(r.s.PvLog_State.Deciding) << row.name;
            }
            return r.now - start;
        };
        const qint64 base = scan(false, nullptr, nullptr);
        std::map<int, int> after, probes;
        const qint64 took = scan(true, &after, &probes);
        // About the silence: at most it, two time-outs and 3 %.
        EXPECT_LE(took, base + row.silentMs + 2 * row.timeoutMs + base * 3 / 100) << row.name << ": " << base;
        for (const auto& [ch, n] : probes) {
            EXPECT_LE(n, 2) << row.name << ", ch " << ch;
            EXPECT_LE(after[ch], 1) << row.name << ", ch " << ch;
        }
    }
}

TEST(SilentLine, DamagedRepliesInAScanAreNotTakenForTheController) {
    // Replies overrun by others when the line comes back arrive damaged: a
    // probe's says that something answers but not its unit, a setting
    // read's not the setting.
    LinkRig r;
    r.bank.present = {5, 7};
    r.bank.values[{7, "0001"}] = 250;
    int probes7 = 0, svReads7 = 0;
    r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
        if (proto::channelOfAddress(q.address) != 7) return std::nullopt;
        const bool damage = (q.item == "0000" && q.command == ' ' && probes7++ == 0) ||
                            (q.item == "0001" && q.command == ' ' && svReads7++ == 0);
        if (!damage) return std::nullopt;
        std::string frame = ack(q, "00FA");
        frame[13] = frame[13] == '0' ? '1' : '0';  // a wrong BCC
        return frame;
    };
    WriteRequest& w = r.s.Write_Request;
    w.Com_State = Com_FirstRead;
    r.tickUntil([&] { return w.Com_State == Com_Monitor; });
    EXPECT_EQ(probes7, 2);  // probed again before the scan ended
    EXPECT_EQ(r.s.NoConnect(7), 0);
    EXPECT_EQ(r.s.Monitor_Data.Connect_Code(7), 0x0720);
    EXPECT_FALSE(r.s.current(7, Item::SV));  // its read was damaged: nothing shown
    EXPECT_TRUE(r.link.reReadWanted(7));
    r.tickUntil([&] { return !r.link.reReadWanted(7) && !r.link.lineWorkRunning(); }, 400);
    EXPECT_TRUE(r.s.current(7, Item::SV));
    EXPECT_EQ(r.s.ParaData(7, Item::SV), 250);
}

TEST(SilentLine, TheScanTellsOfTheSilence) {
    LinkRig r;
    r.com.Comm_SetTimeOut(1000);
    r.bank.present = {5, 6};
    int toFive = 0;
    bool silent = false;
    r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
        if (proto::channelOfAddress(q.address) == 5 && ++toFive == 3) silent = true;
        if (silent) return std::string();
        return std::nullopt;
    };
    r.s.Write_Request.Com_State = Com_FirstRead;
    r.tickUntil([&] { return silent; });
    for (int tick = 0; tick < 6; ++tick) {
        r.link.Timer4_Timer();  // the read's second miss, then probes into the silence
        EXPECT_TRUE(r.s.NoReply_flg) << tick;
        EXPECT_TRUE(r.view.commError) << tick;
    }
}

TEST(SilentController, ShowsNoMeasuredValueUntilItAnswers) {
    LinkRig r;
    r.markPresent({0, 1, 2});
    for (int ch : {0, 1, 2}) r.s.Monitor_Data.OptionData(ch) = 0x160;  // cooling and both heater currents
    r.s.Write_Request.Com_State = Com_Monitor;
    std::set<int> off;
    bool lineSilent = false;
    r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
        if (lineSilent || off.count(proto::channelOfAddress(q.address))) return std::string();
        return std::nullopt;
    };
    const auto shown = [&](int ch) {
        std::vector<bool> v;
        for (int k : {Item::PV, Item::MV, Item::CoolMV, Item::HeaterCurrent1, Item::HeaterCurrent2, Item::SV})
            v.push_back(r.s.current(ch, k));
        return v;
    };
    const std::vector<bool> all(6, true);
    for (int n = 0; n < 3 * 7 * 2; ++n) r.link.Timer4_Timer();  // every phase read twice
    ASSERT_EQ(shown(1), all);

    // A whole line gone silent: every page keeps what it showed.
    lineSilent = true;
    for (int n = 0; n < 9; ++n) r.link.Timer4_Timer();
    EXPECT_EQ(shown(0), all);
    EXPECT_EQ(shown(1), all);
    EXPECT_TRUE(r.view.commError);  // the line is silent: said
    EXPECT_TRUE(r.s.NoReply_flg);
    lineSilent = false;
    r.link.Timer4_Timer();  // it answers again: nobody was silent on their own
    for (int ch : {0, 1, 2}) EXPECT_EQ(shown(ch), all) << ch;
    for (int n = 0; n < 3 * 7 * 2; ++n) r.link.Timer4_Timer();

    // Channel 1 switched off, the others answer: from its first missed poll
    // its measured values are empty, its settings stay.
    off = {1};
    r.tickUntil([&] { return r.s.Poll_Cursor.Poll_Ch == 1; });
    r.link.Timer4_Timer();  // its first miss
    // Not yet known whose silence it is: nothing said of the line.
    EXPECT_FALSE(r.view.commError);
    EXPECT_FALSE(r.s.NoReply_flg);
    const int refreshes = r.view.refreshes;
    r.link.Timer4_Timer();  // the line check: channel 0 answers
    EXPECT_FALSE(r.view.commError);
    EXPECT_GT(r.view.refreshes, refreshes);  // shown at once
    EXPECT_EQ(shown(1), (std::vector<bool>{false, false, false, false, false, true}));
    EXPECT_EQ(shown(2), all);
    // It answers again: each value shows once it is read.
    off = {};
    for (int n = 0; n < 3 * 7; ++n) r.link.Timer4_Timer();
    EXPECT_EQ(shown(1), all);
}

TEST(SilentController, AnsweringChannelsAreLoggedAndChartedWhileOthersAreSilent) {
    // 4000 ms, rows every 10 s and chart samples every second, on the line's
    // clock; channels 0 and 9 answer throughout.
    const struct {
        const char* name;
        std::set<int> off;
        bool wholeLine;  // then the whole line goes silent
    } table[] = {
        {"one silent", {1}, false},
        {"two silent", {1, 2}, false},
        {"three neighbours silent", {3, 4, 5}, false},
        {"five silent", {1, 2, 3, 4, 5}, false},
        {"the whole line silent", {}, true},
        {"five silent, then the whole line", {1, 2, 3, 4, 5}, true},
    };
    for (const auto& row : table) {
        LinkRig r;
        std::vector<int> chs(10);
        for (int ch = 0; ch < 10; ++ch) chs[std::size_t(ch)] = ch;
        for (int ch = 0; ch < kChannels; ++ch) r.s.NoConnect(ch) = ch < 10 ? 0 : 1;
        r.bank.present = {chs.begin(), chs.end()};
        r.com.Comm_SetTimeOut(4000);
        r.replyMs = 12;
        r.s.Write_Request.Com_State = Com_Monitor;
        bool off = false, lineDead = false;
        r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
            if (lineDead || (off && row.off.count(proto::channelOfAddress(q.address)))) return std::string();
            return std::nullopt;
        };
        const auto runFor = [&](qint64 ms, qint64 spanMs, int* spans, int* emptyAnswering,
                                const std::function<void()>& eachTick = {}) {
            const qint64 end = r.now + ms;
            qint64 nextRecord = r.now + spanMs;
            PvSpanMark spanStart = r.s.PvLog_State.mark();
            while (r.now < end) {
                r.link.Timer4_Timer();
                if (eachTick) eachTick();
                // A record waits for the line check, as the logger's and the chart's do.
                if (r.now < nextRecord || r.s.PvLog_State.Deciding) continue;
                ++*spans;
                for (int ch : {0, 9})
                    if (!pvRecordable(r.s.PvLog_State, ch, spanStart)) ++*emptyAnswering;
                spanStart = r.s.PvLog_State.mark();
                nextRecord += spanMs;
            }
        };
        int spans = 0, empty = 0;
        runFor(5000, 1000, &spans, &empty);
        ASSERT_EQ(empty, 0) << row.name;
        off = true;
        // From their first round on, the silent ones cost the others nothing,
        // and show no PV from their first miss, once its check has answered.
        const size_t offFrom = r.sent.size();
        int first = 0, firstEmpty = 0, blankChecked = 0;
        runFor(4000 * 8, 1000, &first, &firstEmpty, [&] {
            if (r.s.PvLog_State.Deciding) return;
            for (int ch : row.off) {
                const bool missed = std::any_of(r.sent.begin() + std::ptrdiff_t(offFrom), r.sent.end(),
                                                [&](const Sent& x) { return proto::channelOfAddress(x.req.address) == ch; });
                if (!missed) continue;
                ++blankChecked;
                EXPECT_FALSE(r.s.current(ch, Item::PV)) << row.name << ", ch " << ch;
            }
        });
        ASSERT_GT(first, 5) << row.name;
        EXPECT_EQ(firstEmpty, 0) << row.name;
        EXPECT_EQ(blankChecked > 0, !row.off.empty()) << row.name;
        int skip = 0, skipped = 0;
        if (row.wholeLine) {
            runFor(60000, 1000, &skip, &skipped);
            lineDead = true;
            runFor(4000 * 6, 1000, &skip, &skipped);  // the silent ones say nothing of it
        }
        for (qint64 spanMs : {10000, 1000}) {
            spans = empty = 0;
            runFor(120000, spanMs, &spans, &empty);
            ASSERT_GT(spans, 0) << row.name;
            // While the line answers, the answering channels are always there;
            // with the whole line silent, nowhere.
            EXPECT_EQ(empty, row.wholeLine ? 2 * spans : 0) << row.name << ", " << spanMs << " ms";
        }
    }
}

TEST(SilentController, ACutChainShowsOnlyTheLinksTaken) {
    LinkRig r;
    r.markPresent({5});
    r.s.Write_Request.Com_State = Com_Monitor;
    for (int k = Item::FirstSetting; k <= Item::LastSetting; ++k) {
        r.bank.values[{5, itemCode(k).toStdString()}] = 43;
        r.s.ParaData(5, k) = qint16(200 + k);  // copied from another channel
    }
    int links = 0;
    bool off = false;
    r.bank.override_ = [&](const proto::Request& q) -> std::optional<std::string> {
        if (q.command == 'P' && ++links > 3) off = true;
        if (off) return std::string();
        return std::nullopt;
    };
    queueChain(r.s, 5, Com_WriteAll);
    r.tickUntil([&] { return r.s.Write_Request.Com_State == Com_Monitor && !r.link.lineWorkRunning(); });
    ASSERT_EQ(links, 5);  // three taken, then two misses
    for (int i = 0; i < int(kWriteAllChain.size()); ++i) {
        const int k = kWriteAllChain[std::size_t(i)];
        EXPECT_EQ(r.s.current(5, k), i < 3) << "item " << k;
        if (i < 3) EXPECT_EQ(r.s.ParaData(5, k), 200 + k) << "item " << k;
    }
    // It answers again and is read back: what it holds shows.
    off = false;
    r.tickUntil([&] { return !r.link.reReadWanted(5) && !r.link.lineWorkRunning(); }, 400);
    constexpr int integralTime = 14;  // item 0006, never sent
    EXPECT_TRUE(r.s.current(5, integralTime));
    EXPECT_EQ(r.s.ParaData(5, integralTime), 43);
}

// ------------------------------------------------------------------ logging resume

TEST(StartUp, ResumeLoggingIntoNewAutomaticFile) {
    LinkRig r;
    r.markPresent({0, 2});
    r.store.save("log_start", "1");
    r.store.save("Check1", "1");
    r.view.logChecked = {{0, true}, {1, true}, {2, true}};
    r.link.setProgramFolder(r.dir.path());
    r.link.resumeLogging();
    EXPECT_TRUE(r.view.logCaption.startsWith(r.dir.path() + "/Logging/"));
    EXPECT_TRUE(r.view.logCaption.endsWith(".csv"));
    EXPECT_FALSE(r.view.logChecked[1]);  // absent: unchecked and disabled
    EXPECT_FALSE(r.view.logEnabled[1]);
    EXPECT_TRUE(r.view.logEnabled[2]);
    EXPECT_EQ(r.view.refreshes, 2);  // one poll step and refresh per logged channel
    EXPECT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(r.view.loggingStarts, 1);
}

TEST(StartUp, NoResumeOnlyFixesTheBoxes) {
    LinkRig r;
    r.markPresent({0});
    r.store.save("Log_Filename", "/tmp/keep.csv");
    r.view.logChecked = {{0, true}, {5, true}};
    r.link.resumeLogging();
    EXPECT_EQ(r.view.loggingStarts, 0);
    EXPECT_EQ(r.view.logCaption, "");
    EXPECT_FALSE(r.view.logChecked[5]);
    EXPECT_TRUE(r.sent.empty());
}

// ------------------------------------------------------------------ PV logging of values not current

TEST(PvLogging, AValueIsLoggedOnlyWhileItIsCurrent) {
    LinkRig r;
    r.markPresent({0, 1, 2, 3, 5});  // 4 is absent: checked, never polled
    std::set<int> silent{1};
    std::set<std::string> silentItems;  // items no channel answers; "" for every item
    int ch5Polls = 0;
    int ch2StatusMisses = 0;
    bool pvFaults = true;  // channel 2 NAKs its PV polls, channel 3 answers no number
    const std::string status = r.s.ParaAddr(Item::Status).toStdString();
    r.bank.override_ = [&](const proto::Request& req) -> std::optional<std::string> {
        const int ch = proto::channelOfAddress(req.address);
        if (silentItems.count("") || silentItems.count(req.item)) return std::string();
        if (ch == 2 && req.item == status && ch2StatusMisses > 0) {
            --ch2StatusMisses;
            return std::string();
        }
        if (req.item != "0080") return std::nullopt;
        if (silent.count(ch) || (ch == 5 && ch5Polls++ > 0)) return std::string();  // 5: its first poll only
        if (pvFaults && ch == 2) return nak(req, '1');
        if (pvFaults && ch == 3) return ack(req, "ZZZZ");
        return std::nullopt;
    };
    for (int ch = 0; ch < 6; ++ch) {
        r.s.Monitor_Data.PvData(ch) = qint16(100 + ch);  // values from before
        r.bank.values[{ch, "0080"}] = qint16(200 + ch);
    }
    PvLogger logger(r.s, r.strings);
    logger.setLocale(QLocale::c());
    QByteArray written;
    logger.setWriter([&](const QString&, const QByteArray& b, bool) {
        written = b;
        return LogWriteResult();
    });
    int seconds = 0;
    const auto row = [&] {
        if (seconds > 0) {
            logger.setClock([=] { return QDateTime::currentDateTime().addSecs(seconds); });
            EXPECT_TRUE(logger.tick("log.csv").has_value());
        }
        seconds += 10;
        const QList<QByteArray> lines = written.split('\n');
        return QString::fromUtf8(lines[lines.size() - 2]).remove('"').split(',').mid(2, 6);
    };
    const auto poll = [&](int transactions) {
        for (int n = 0; n < transactions; ++n) {
            r.link.Monitor_read();
            while (r.s.PvLog_State.Deciding) r.link.Timer4_Timer();  // a miss's line check
        }
    };
    const QStringList allEmpty{"", "", "", "", "", ""};

    // A whole poll cycle since monitoring began, then the first row: a NAK,
    // a non-number, a silent channel and a value gone silent leave their
    // fields empty, as does the absent channel that was never read.
    poll(7 * 5);
    ASSERT_GT(ch5Polls, 1);
    logger.LogTime_Set(0);
    logger.start("log.csv", false, {0, 1, 2, 3, 4, 5}, {});
    EXPECT_EQ(row(), (QStringList{"200", "", "", "", "", ""}));

    // Channel 1 answers again, channel 0 has gone silent.
    silent = {0};
    poll(7 * 5);
    EXPECT_EQ(row(), (QStringList{"", "201", "", "", "", ""}));

    // Part of a cycle (phases 1..3) in which no channel answers: every field
    // empty, though no PV poll was made.
    silent = {};
    pvFaults = false;
    ASSERT_EQ(r.s.Poll_Cursor.Poll_Phase, 0);
    poll(5);  // phase 0: the PVs current again
    EXPECT_EQ(row(), (QStringList{"200", "201", "202", "203", "", ""}));
    silentItems = {""};
    poll(3 * 5);
    EXPECT_EQ(r.s.Poll_Cursor.Poll_Phase, 4);
    EXPECT_EQ(row(), allEmpty);

    // A healthy span, but channel 2 misses one status reply after its value:
    // only its field is empty until its next PV value.
    silentItems = {};
    poll(4 * 5);  // phases 4..6 and 0: PV values for all
    EXPECT_EQ(r.s.Poll_Cursor.Poll_Phase, 1);
    ch2StatusMisses = 1;
    poll(5);
    EXPECT_EQ(row(), (QStringList{"200", "201", "", "203", "", ""}));

    // A span with no exchange at all (the device closed): every field empty.
    EXPECT_EQ(row(), allEmpty);
}
