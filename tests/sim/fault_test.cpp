// Injected line faults and the tool's option texts.
#include <gtest/gtest.h>

#include "controller_bank.h"
#include "sim_options.h"
#include "sim_test_util.h"

using namespace qvx;
using namespace qvx::sim;
using namespace qvx::sim::test;
using qvx::proto::ACK;

namespace {
Fault fault(FaultKind kind) {
    Fault f;
    f.kind = kind;
    return f;
}

Emission send(ControllerBank& bank, int ch, char command, const std::string& item, const std::string& data = {}) {
    return bank.answer(proto::encodeRequest({proto::channelAddress(ch), ' ', command, item, data}));
}
}  // namespace

TEST(Faults, EachKindShapesTheReply) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    const std::string good = proto::encodeReply({ACK, ' ', '0', ' ', "0001", "0000"});

    struct Case {
        Fault f;
        void (*check)(const Emission&, const std::string& good);
    };
    Fault nak = fault(FaultKind::Nak);
    nak.nakCode = '4';
    Fault late = fault(FaultKind::Late);
    late.delayMs = 450;
    Fault partial = fault(FaultKind::Partial);
    partial.partialBytes = 9;
    const Case cases[] = {
        {fault(FaultKind::Silence), [](const Emission& e, const std::string&) { EXPECT_TRUE(e.bytes.empty()); }},
        {nak, [](const Emission& e, const std::string&) { EXPECT_EQ(replyOf(e), "\x15 4 00010000"); }},
        {fault(FaultKind::Corrupt), [](const Emission& e, const std::string&) { EXPECT_EQ(replyOf(e), "\x1B 0 00010000"); }},
        {fault(FaultKind::WrongBcc),
         [](const Emission& e, const std::string& g) {
             EXPECT_EQ(e.bytes.substr(0, 13), g.substr(0, 13));
             EXPECT_NE(e.bytes, g);
             EXPECT_FALSE(proto::decodeReplyFrame(e.bytes).good);
         }},
        {fault(FaultKind::Garbage),
         [](const Emission& e, const std::string& g) {
             ASSERT_GT(e.bytes.size(), g.size());
             EXPECT_EQ(e.bytes.substr(e.bytes.size() - g.size()), g);
             proto::ReplyScanner s;
             s.feed(e.bytes);
             const auto d = s.next();
             ASSERT_TRUE(d.has_value());
             EXPECT_TRUE(d->good);
         }},
        {late, [](const Emission& e, const std::string& g) {
             EXPECT_EQ(e.bytes, g);
             EXPECT_EQ(e.delayMs, 450);
         }},
        {partial, [](const Emission& e, const std::string& g) { EXPECT_EQ(e.bytes, g.substr(0, 9)); }},
    };
    for (const auto& c : cases) {
        m.bank->clearFaults();
        m.bank->addFault(c.f);
        c.check(send(*m.bank, 0, ' ', "0001"), good);
        EXPECT_EQ(send(*m.bank, 0, ' ', "0001").delayMs, c.f.kind == FaultKind::Late ? 450 : -1);
    }
    m.bank->clearFaults();
    EXPECT_EQ(send(*m.bank, 0, ' ', "0001").bytes, good);
}

TEST(Faults, RefusedOrUnheardWritesHaveNoEffect) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    for (FaultKind k : {FaultKind::Silence, FaultKind::Nak, FaultKind::Corrupt}) {
        m.bank->clearFaults();
        Fault f = fault(k);
        f.command = 'P';
        m.bank->addFault(f);
        send(*m.bank, 0, 'P', "0001", "0064");
        EXPECT_EQ(readValue(*m.bank, 0, "0001"), 0);
    }
    // A reply lost on the way back does not undo the write.
    m.bank->clearFaults();
    Fault f = fault(FaultKind::Partial);
    f.command = 'P';
    m.bank->addFault(f);
    send(*m.bank, 0, 'P', "0001", "0064");
    EXPECT_EQ(readValue(*m.bank, 0, "0001"), 100);
}

TEST(Faults, FiltersAndCounts) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    m.bank->setChannel(1, ChannelConfig{});
    Fault byChannel = fault(FaultKind::Silence);
    byChannel.channel = 1;
    byChannel.count = 2;
    Fault byItem = fault(FaultKind::Nak);
    byItem.item = "0085";
    byItem.nakCode = '1';
    m.bank->addFault(byChannel);
    m.bank->addFault(byItem);

    EXPECT_EQ(readItem(*m.bank, 1, "0080"), "");
    EXPECT_EQ(readItem(*m.bank, 0, "0080")[0], ACK);
    EXPECT_EQ(readItem(*m.bank, 0, "0085")[2], '1');
    EXPECT_EQ(readItem(*m.bank, 1, "0080"), "");      // second and last strike
    EXPECT_EQ(readItem(*m.bank, 1, "0085")[2], '1');  // now the item fault
    EXPECT_EQ(readItem(*m.bank, 1, "0080")[0], ACK);

    m.bank->clearFaults();
    Fault nth = fault(FaultKind::Silence);
    nth.nthFrame = m.bank->framesReceived() + 2;
    m.bank->addFault(nth);
    Fault onA = fault(FaultKind::Nak);
    onA.command = 'a';
    m.bank->addFault(onA);
    EXPECT_EQ(readItem(*m.bank, 0, "0080")[0], ACK);
    EXPECT_EQ(readItem(*m.bank, 0, "0080"), "");
    EXPECT_EQ(readItem(*m.bank, 0, "0080")[0], ACK);
    EXPECT_EQ(ask(*m.bank, ' ', 'a')[0], proto::NAK);
    EXPECT_EQ(ask(*m.bank, ' ', 'q', "0000", "0000")[0], ACK);
}

TEST(ToolOptions, FaultTexts) {
    const struct {
        const char* text;
        FaultKind kind;
        int channel;
        const char* item;
        char command;
        quint64 nth;
        int count;
    } good[] = {
        {"silence", FaultKind::Silence, -1, "", 0, 0, -1},
        {"nak:code=5,ch=3,cmd=P", FaultKind::Nak, 3, "", 'P', 0, -1},
        {"late:ms=400,nth=50", FaultKind::Late, -1, "", 0, 50, -1},
        {"partial:bytes=7,item=0080,count=2", FaultKind::Partial, -1, "0080", 0, 0, 2},
        {"bcc:cmd=read", FaultKind::WrongBcc, -1, "", ' ', 0, -1},
        {"garbage:bytes=3,cmd=a", FaultKind::Garbage, -1, "", 'a', 0, -1},
        {"esc:ch=94", FaultKind::Corrupt, 94, "", 0, 0, -1},
    };
    for (const auto& g : good) {
        std::string err;
        const auto f = parseFault(g.text, &err);
        ASSERT_TRUE(f.has_value()) << g.text << ": " << err;
        EXPECT_EQ(f->kind, g.kind);
        EXPECT_EQ(f->channel, g.channel);
        EXPECT_EQ(f->item, g.item);
        EXPECT_EQ(f->command, g.command);
        EXPECT_EQ(f->nthFrame, g.nth);
        EXPECT_EQ(f->count, g.count);
    }
    EXPECT_EQ(parseFault("nak:code=5")->nakCode, '5');
    EXPECT_EQ(parseFault("late:ms=400")->delayMs, 400);
    EXPECT_EQ(parseFault("partial:bytes=7")->partialBytes, 7);
    EXPECT_EQ(parseFault("garbage:bytes=3")->garbage.size(), 3u);
    for (const char* bad : {"", "boom", "nak:code=", "nak:code=12", "late:ms=-1", "silence:ch=95", "nak:item=80",
                            "silence:nth=0", "silence:count=0", "silence:foo=1", "silence:ch", "bcc:cmd=x"}) {
        std::string err;
        EXPECT_FALSE(parseFault(bad, &err).has_value()) << bad;
        EXPECT_FALSE(err.empty()) << bad;
    }
}

TEST(ToolOptions, ArgumentsAndLayout) {
    EXPECT_EQ(parseChannelList("0-3,7,5,2"), (std::vector<int>{0, 1, 2, 3, 5, 7}));
    for (const char* bad : {"", "95", "3-1", "a", "1,,2", "-1", "0-95"})
        EXPECT_FALSE(parseChannelList(bad).has_value()) << bad;

    std::string err;
    const auto o = parseToolArgs({"--link", "/tmp/x", "--baud=19200", "--channels", "0-2,40", "--option", "1=0160",
                                  "--type", "all=0x10", "--input-type", "2=30", "--key-lock", "40", "--fault",
                                  "nak:code=3,cmd=P", "--turnaround-ms", "5", "--at-seconds", "3"},
                                 &err);
    ASSERT_TRUE(o.has_value()) << err;
    EXPECT_EQ(o->link, "/tmp/x");
    EXPECT_EQ(o->baud, 19200);
    EXPECT_EQ(o->turnaroundMs, 5);
    ASSERT_EQ(o->faults.size(), 1u);

    ManualBank m;
    applyToolOptions(*m.bank, *o);
    EXPECT_EQ(m.bank->presentChannels(), (std::vector<int>{0, 1, 2, 40}));
    EXPECT_EQ(readValue(*m.bank, 1, "00A1"), 0x160);
    EXPECT_EQ(readValue(*m.bank, 0, "00A2"), 0x10);
    EXPECT_EQ(readValue(*m.bank, 2, "0044"), 30);
    EXPECT_EQ(readValue(*m.bank, 2, "0018"), 1000);  // the linear input's own scaling
    EXPECT_EQ(m.bank->autoTuneDurationMs(), 3000);
    EXPECT_EQ(writeItem(*m.bank, 0, "0001", 10)[2], '3');   // the injected fault
    m.bank->clearFaults();
    EXPECT_EQ(writeItem(*m.bank, 40, "0001", 10)[2], '5');  // key lock

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--baud", "4800"}, {"--channels"}, {"--option", "1=XYZ"}, {"--option", "1"},
          {"--input-type", "0=36"}, {"--fault", "boom"}, {"--bogus"}, {"--turnaround-ms", "-1"}}) {
        std::string e;
        EXPECT_FALSE(parseToolArgs(bad, &e).has_value()) << bad[0];
        EXPECT_FALSE(e.empty());
    }
    EXPECT_TRUE(parseToolArgs({"--help"})->help);
    EXPECT_NE(toolUsage().find("--fault"), std::string::npos);
}

TEST(RealisticMix, AddressesAndVariety) {
    ManualBank m;
    populate(*m.bank, realisticMix());
    const auto present = m.bank->presentChannels();
    EXPECT_EQ(present.size(), 37u);
    EXPECT_TRUE(m.bank->present(0) && m.bank->present(23) && m.bank->present(40) && m.bank->present(84));
    EXPECT_FALSE(m.bank->present(24) || m.bank->present(39) || m.bank->present(85));
    int heatCool = 0, heater = 0, oneDecimal = 0, linear = 0, locked = 0, item63 = 0;
    for (int ch : present) {
        const int opt = readValue(*m.bank, ch, "00A1");
        const int type = readValue(*m.bank, ch, "00A2");
        const int input = readValue(*m.bank, ch, "0044");
        EXPECT_NE(readValue(*m.bank, ch, "0000"), 0) << ch;  // every unit code is non-zero
        heatCool += (opt & 0x100) != 0;
        heater += (opt & 0x60) != 0;
        oneDecimal += isOneDecimalType(input);
        linear += isLinearType(input);
        item63 += (type & 0x18) == 0x10;
        locked += writeItem(*m.bank, ch, "0051", 1)[2] == '5';
    }
    EXPECT_GE(heatCool, 4);
    EXPECT_GE(heater, 4);
    EXPECT_GE(oneDecimal, 1);
    EXPECT_EQ(linear, 1);
    EXPECT_EQ(locked, 1);
    EXPECT_GE(item63, 1);

    // Over ten minutes, alarm bits come and go on some channels.
    std::vector<quint16> first(95), changes(95);
    for (int ch : present) first[static_cast<std::size_t>(ch)] = status(*m.bank, ch) & 0x3C;
    int changing = 0;
    for (int i = 0; i < 600; ++i) {
        m.run(1'000);
        for (int ch : {9, 16, 17, 18, 46})
            if ((status(*m.bank, ch) & 0x3C) != first[static_cast<std::size_t>(ch)]) changes[static_cast<std::size_t>(ch)] = 1;
    }
    for (int ch : {9, 16, 17, 18, 46}) changing += changes[static_cast<std::size_t>(ch)];
    EXPECT_GE(changing, 3);
}
