#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "commands.h"
#include "link_fixture.h"
#include "transfer.h"

using namespace qvx;

namespace {
struct Fixture {
    QTemporaryDir dir;
    QVX720_INC s;
    SettingsStore store{dir.filePath("s.ini")};
    StringTable strings =
        StringTable::parse("227\tUnsettable: During auto-tuning\n", StringTable::Language::English);
    Fixture() {
        fillParaAddr(s);
        s.Write_Request.Com_State = Com_Monitor;
    }
    const WriteRequest& w() const { return s.Write_Request; }
};
}  // namespace

TEST(Buttons, RowOutputToggleOnLastPage) {
    // Page 81..95, row 3: channel 83.
    const struct { qint16 before, after; } table[] = {{0, 1}, {1, 0}, {2, 1}, {-5, 1}};
    for (auto row : table) {
        Fixture f;
        f.s.ParaData(83, 49) = row.before;
        const auto a = Command_OUT(f.s, 80 + 3);
        EXPECT_EQ(a.kind, ButtonAction::Queued);
        EXPECT_EQ(f.s.ParaData(83, 49), row.after);
        EXPECT_EQ(f.s.Edit_Context.Set_Ch, 83);
        EXPECT_EQ(f.w().Com_State, Com_WriteOne);
        EXPECT_EQ(f.w().Com_Ch, 83);
        EXPECT_EQ(f.w().Com_Code, "0037");
        EXPECT_EQ(f.w().Com_Item, 49);
    }
}

TEST(Buttons, AutoTuningTogglePressedTwiceWritesOldValue) {
    Fixture f;
    f.s.ParaData(7, 11) = 0;
    Command_AT(f.s, 7);
    EXPECT_EQ(f.s.ParaData(7, 11), 1);
    Command_AT(f.s, 7);
    EXPECT_EQ(f.s.ParaData(7, 11), 0);
    EXPECT_EQ(f.w().Com_State, Com_WriteOne);
    EXPECT_EQ(f.w().Com_Code, "0003");
}

TEST(Buttons, RefusalsWhileAutoTuningOrOutputOff) {
    Fixture f;
    f.s.ParaData(5, 11) = 1;
    f.s.ParaData(5, 49) = 1;
    EXPECT_EQ(Command_change(f.s, 5, "x").kind, ButtonAction::None);
    EXPECT_EQ(Command_OUT(f.s, 5).kind, ButtonAction::None);
    EXPECT_EQ(f.s.ParaData(5, 49), 1);
    EXPECT_EQ(Command_1channe_sv(f.s, 5, "x").kind, ButtonAction::None);
    EXPECT_EQ(Cmd_Alm(f.s, 5, 0).kind, ButtonAction::None);
    EXPECT_EQ(f.w().Com_State, Com_Monitor);
    // Output OFF: no auto-tuning start, no alarm command.
    f.s.ParaData(6, 49) = 0;
    EXPECT_EQ(Cmd_AT(f.s, 6).kind, ButtonAction::None);
    EXPECT_EQ(Cmd_Alm(f.s, 6, 1).kind, ButtonAction::None);
    EXPECT_EQ(f.s.ParaData(6, 11), 0);
    // Status bit &H800 blocks the one-channel output switch.
    f.s.Monitor_Data.StatusData(8) = 0x0800;
    EXPECT_EQ(tb3_OUTOFF(f.s, 8).kind, ButtonAction::None);
    EXPECT_EQ(f.w().Com_State, Com_Monitor);
    // No list selection: nothing.
    EXPECT_EQ(tb3_OUTOFF(f.s, -1).kind, ButtonAction::None);
    EXPECT_EQ(Cmd_AT(f.s, -1).kind, ButtonAction::None);
}

TEST(Buttons, AlarmResetQueuesItem64WithoutChangingSetCh) {
    Fixture f;
    f.s.Edit_Context.Set_Ch = 2;
    f.s.ParaData(9, 49) = 1;
    const auto a = Cmd_Alm(f.s, 9, 1);
    EXPECT_EQ(a.kind, ButtonAction::Queued);
    EXPECT_EQ(f.s.ParaData(9, 64), 2);
    EXPECT_EQ(f.w().Com_Code, "0051");
    EXPECT_EQ(f.w().Com_Ch, 9);
    EXPECT_EQ(f.s.Edit_Context.Set_Ch, 2);
    Cmd_Alm(f.s, 9, 0);
    EXPECT_EQ(f.s.ParaData(9, 64), 1);
}

TEST(Buttons, RowSelectionRefusedWhileAnyChannelAutoTunes) {
    Fixture f;
    f.s.Edit_Context.Set_Item = 39;
    f.s.ParaData(57, 11) = 1;
    const auto a = Command_change2(f.s, 3, f.strings);
    EXPECT_EQ(a.kind, ButtonAction::Message);
    EXPECT_EQ(a.message, "Unsettable: During auto-tuning");
    EXPECT_EQ(f.s.Edit_Context.Set_Ch, 3);
    f.s.ParaData(57, 11) = 0;
    f.s.ParaData(3, 39) = 4;
    const auto b = Command_change2(f.s, 3, f.strings);
    EXPECT_EQ(b.kind, ButtonAction::OpenSelect);
    EXPECT_EQ(b.preset, 4);
    f.s.Edit_Context.Set_Item = 65;
    f.s.UnitText(3) = "kPa";
    EXPECT_EQ(Command_change2(f.s, 3, f.strings).unitText, "kPa");
}

TEST(Buttons, PageButtonNamesFirstAutoTuningChannel) {
    Fixture f;
    f.s.ParaData(4, 11) = 1;
    f.s.ParaData(12, 11) = 1;
    auto a = Cmd_change2(f.s, 9, f.strings, f.store, "x");
    EXPECT_EQ(f.s.Edit_Context.Set_Item, 19);
    EXPECT_EQ(a.kind, ButtonAction::Message);
    EXPECT_EQ(a.message, "Unsettable: During auto-tuning Ch05");
    f.store.save("Chname05", "Oven A");
    EXPECT_EQ(Cmd_change2(f.s, 9, f.strings, f.store, "x").message, "Unsettable: During auto-tuning Oven A");
}

TEST(Buttons, PageButtonsOpenTheirDialogFamily) {
    Fixture f;
    f.s.AllPage_Data.AllParaData(39) = 3;
    const auto sel = Cmd_change2(f.s, 29, f.strings, f.store, "x");
    EXPECT_EQ(sel.kind, ButtonAction::OpenPageSelect);
    EXPECT_EQ(sel.item, 39);
    EXPECT_EQ(sel.preset, 3);
    EXPECT_EQ(Cmd_change2(f.s, 0, f.strings, f.store, "x").kind, ButtonAction::OpenPageNumeric);
    for (int i : {1, 8, 44, -1, 54}) EXPECT_EQ(Cmd_change2(f.s, i, f.strings, f.store, "x").kind, ButtonAction::None);
    int selections = 0;
    for (int k = 10; k <= 63; ++k) selections += isPageSelectionItem(k);
    EXPECT_EQ(selections, 15);
}

TEST(Buttons, SvButtonWithoutSelectionEditsChannelZero) {
    Fixture f;
    f.s.Edit_Context.Set_Ch = 40;
    const auto a = Command_1channe_sv(f.s, -1, "25.0");
    EXPECT_EQ(a.kind, ButtonAction::OpenNumeric);
    EXPECT_EQ(f.s.Edit_Context.Set_Ch, 0);
    EXPECT_EQ(f.s.Edit_Context.Set_Item, 10);
    EXPECT_EQ(a.range.Now_data, "25.0");
}

TEST(Buttons, RowWithoutPageKeepsSetCh) {
    Fixture f;
    f.s.Edit_Context.Set_Ch = 44;
    Command_AT(f.s, -1);
    EXPECT_EQ(f.w().Com_Ch, 44);
}

// ------------------------------------------------------------------ request slot

TEST(RequestSlot, SingleWritesWaitInOrderAndTheLaterValueWins) {
    // Items asked while the link is busy: each goes out once, in the order
    // asked; an item asked again removes the older value not yet sent, the
    // slot's too, and goes out in the place of the later request.
    test::LinkRig r;
    r.markPresent({1, 2});
    r.s.Write_Request.Com_State = Com_Monitor;
    const auto ask = [&](int ch, int k, qint16 v) {
        r.s.ParaData(ch, k) = v;
        queueSingleWrite(r.s, ch, k);
    };
    ask(1, 10, 5);
    ask(2, 12, 6);
    ask(1, 12, 7);
    ask(2, 12, 8);
    ask(1, 10, 9);
    EXPECT_EQ(r.s.Write_Request.Line_Queue.size(), 3u);  // bounded: one per channel and item
    r.tickUntil([&] { return r.s.Write_Request.Com_State == Com_Monitor && !r.link.lineWorkRunning(); });
    std::vector<std::string> writes;
    for (const auto& k : r.keys())
        if (k.find(" P ") != std::string::npos) writes.push_back(k);
    EXPECT_EQ(writes, (std::vector<std::string>{"1 P 0004 0007", "2 P 0004 0008", "1 P 0001 0009"}));
    EXPECT_EQ(r.s.ParaData(2, 12), 8);
}

TEST(RequestSlot, SingleWriteNeverDisplacesAPendingChain) {
    for (qint16 chain : {qint16(Com_WriteAll), qint16(Com_WriteSelect)}) {
        test::LinkRig r;
        r.markPresent({0, 1});
        queueChain(r.s, 0, chain);
        r.view.optionBoxes = {{0, 1}};
        r.s.ParaData(1, 12) = 77;
        queueSingleWrite(r.s, 1, 12);
        EXPECT_EQ(r.s.Write_Request.Com_State, chain);
        r.tickUntil([&] { return r.s.Write_Request.Com_State == Com_Monitor && !r.link.lineWorkRunning(); });
        // The chain ran, and the single write followed it.
        const auto keys = r.keys();
        ASSERT_GE(keys.size(), 3u);
        EXPECT_EQ(keys[keys.size() - 2], "1 P 0004 004D");
        EXPECT_EQ(keys.back(), "1   0004");
        EXPECT_EQ(r.s.Write_Request.Com_State, Com_Monitor);
        EXPECT_TRUE(r.s.Write_Request.Line_Queue.empty());
    }
}

TEST(RequestSlot, ChainNeverDisplacesAPendingSingleWrite) {
    const struct {
        qint16 chain;
        bool reRead;      // the pending single write asks for a re-read
        bool writeAfter;  // another single write arrives while the chain waits
        size_t links;
    } table[] = {
        {Com_WriteAll, false, true, 53},
        {Com_WriteSelect, false, true, 1},
        {Com_WriteAll, true, false, 53},
        {Com_WriteSelect, true, true, 1},  // the re-read is the first write's alone
    };
    for (const auto& row : table) {
        test::LinkRig r;
        r.markPresent({1, 4, 6});
        r.s.Write_Request.Com_State = Com_Monitor;
        r.view.optionBoxes = {{0, 1}};  // the write-selected chain sends item 10 only
        r.s.ParaData(1, 12) = 77;       // the operator's value, not yet sent
        queueSingleWrite(r.s, 1, 12, row.reRead);
        queueChain(r.s, 4, row.chain);  // a copy, a load or a transmit
        if (row.writeAfter) {
            r.s.ParaData(6, 10) = 5;
            queueSingleWrite(r.s, 6, 10);
        }
        // One frame a tick until the slot is back at monitoring or holds a re-read.
        const int ticks = r.tickUntil([&] {
            const qint16 st = r.s.Write_Request.Com_State;
            return !r.link.lineWorkRunning() && (st == Com_Monitor || st == Com_ReRead);
        });
        const auto keys = r.keys();
        EXPECT_EQ(size_t(ticks), keys.size()) << row.chain;
        const size_t after = row.writeAfter ? 2 : 0;
        ASSERT_EQ(keys.size(), 2 + row.links + after) << row.chain;
        EXPECT_EQ(keys[0], "1 P 0004 004D");
        EXPECT_EQ(keys[1], "1   0004");
        for (size_t i = 2; i < 2 + row.links; ++i) EXPECT_EQ(keys[i].substr(0, 4), "4 P ") << i;
        if (row.writeAfter) {
            EXPECT_EQ(keys[keys.size() - 2], "6 P 0001 0005");
            EXPECT_EQ(keys.back(), "6   0001");
        }
        EXPECT_EQ(r.s.Write_Request.Line_Queue.size(), row.reRead ? 1u : 0u);
        EXPECT_EQ(r.s.Write_Request.Com_State, row.reRead ? Com_ReRead : Com_Monitor);
        if (row.reRead) {
            EXPECT_EQ(r.s.Write_Request.ReRead_Ch, 1);
            // The re-reads follow, each channel's in its own tick.
            std::vector<int> reReadChannels;
            for (int tick = 0; tick < 3 && r.s.Write_Request.Com_State == Com_ReRead; ++tick) {
                const size_t from = r.keys().size();
                reReadChannels.push_back(r.s.Write_Request.ReRead_Ch);
                r.link.Timer4_Timer();
                r.finishWork();
                const auto read = r.keys();
                ASSERT_GT(read.size(), from);
                for (size_t i = from; i < read.size(); ++i)
                    EXPECT_EQ(read[i][0], char('0' + reReadChannels.back())) << read[i];
            }
            EXPECT_EQ(reReadChannels, std::vector<int>{1});
            EXPECT_EQ(r.s.Write_Request.Com_State, Com_Monitor);
        }
    }
}
