// The bank's answers to every kind of request frame.
#include <gtest/gtest.h>

#include "controller_bank.h"
#include "qvx720_inc.h"
#include "sim_test_util.h"

using namespace qvx;
using namespace qvx::sim;
using namespace qvx::sim::test;
using qvx::proto::ACK;
using qvx::proto::ESC;
using qvx::proto::NAK;

namespace {

ChannelConfig fullyFitted() {
    ChannelConfig c;
    c.unitCode = 0x0123;
    c.option = 0x016F;  // four alarms, both heater currents, heating/cooling
    c.type = 0x0010;
    c.extension = 0x0A5F;
    c.inputType = 0;
    return c;
}

std::string code(int k) { return itemCode(k).toStdString(); }

std::string rawFrame(const std::string& body) {  // STX body ETX BCC, whatever the body is
    std::string f = std::string(1, proto::STX) + body + proto::ETX;
    return f + proto::bcc(f.substr(1));
}

}  // namespace

TEST(BankFrames, ScanSequenceAnswers) {
    ManualBank m;
    m.bank->setChannel(3, fullyFitted());
    const char a = proto::channelAddress(3);
    const struct {
        char command;
        const char* item;
        const char* data;
        const char* reply;
    } table[] = {
        {' ', "0000", "", "\x06#0 00000123"},      // presence probe: the control-unit code
        {' ', "00A2", "", "\x06#0 00A20010"},      // type word
        {' ', "00A1", "", "\x06#0 00A1016F"},      // option word
        {'P', "0000", "9865", "\x06#0P00009865"},  // scan command
        {'a', "", "", "\x06#0a00000A5F"},          // extension word, item echoed as 0000
        {'q', "0000", "0000", "\x06#0q00000000"},  // acknowledge of the scan
        {'q', "0000", "1234", "\x06#0q00001234"},  // the data is echoed
        {'q', "0001", "0000", "\x15#2q00010000"},  // "q" knows only item 0000
        {'P', "0000", "1111", "\x15#3P00000000"},  // an unknown command code
    };
    for (const auto& e : table)
        EXPECT_EQ(ask(*m.bank, a, e.command, e.item, e.data), std::string(e.reply)) << e.command << e.item;
}

TEST(BankFrames, AbsentAddressesStaySilentWhateverTheFrame) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    EXPECT_EQ(readItem(*m.bank, 1, "0000"), "");
    EXPECT_EQ(writeItem(*m.bank, 94, "0001", 10), "");
    std::string badBcc = proto::encodeRequest({'!', ' ', ' ', "0080", ""});
    badBcc.back() ^= 1;
    EXPECT_TRUE(m.bank->answer(badBcc).bytes.empty());
    EXPECT_TRUE(m.bank->answer(rawFrame("\x7F  0080")).bytes.empty());  // no channel has this address
    EXPECT_EQ(readItem(*m.bank, 0, "0000").substr(0, 3), "\x06 0");
}

TEST(BankFrames, ItemsExistByOptionAndTypeWords) {
    // Items that only some controllers have, with the word bit that brings them.
    const struct {
        int k;
        bool (*has)(quint16 opt, quint16 type);
    } table[] = {
        {2, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {4, [](quint16 o, quint16) { return (o & 0x20) != 0; }},
        {5, [](quint16 o, quint16) { return (o & 0x40) != 0; }},
        {13, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {17, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {23, [](quint16 o, quint16) { return (o & 0x20) != 0; }},
        {28, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {35, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {36, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {37, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {38, [](quint16 o, quint16) { return (o & 0x100) != 0; }},
        {62, [](quint16 o, quint16) { return (o & 0x40) != 0; }},
        {63, [](quint16, quint16 t) { return (t & 0x18) == 0x10; }},
    };
    const quint16 options[] = {0x0000, 0x0020, 0x0040, 0x0100, 0x0160};
    const quint16 types[] = {0x00, 0x08, 0x10, 0x18};
    for (quint16 opt : options) {
        for (quint16 type : types) {
            ManualBank m;
            ChannelConfig c;
            c.option = opt;
            c.type = type;
            m.bank->setChannel(0, c);
            for (const auto& e : table) {
                const bool has = e.has(opt, type);
                const std::string r = readItem(*m.bank, 0, code(e.k));
                ASSERT_EQ(r.size(), 12u);
                EXPECT_EQ(r[0], has ? ACK : NAK) << "item " << e.k << " opt " << opt << " type " << type;
                if (!has) {
                    EXPECT_EQ(r[2], '2');
                    EXPECT_EQ(writeItem(*m.bank, 0, code(e.k), 0)[2], '2');
                }
            }
            // The settings a scan reads: 44 always, up to 54 with everything fitted.
            int settings = 0;
            for (int k = 10; k <= 63; ++k) settings += readItem(*m.bank, 0, code(k))[0] == ACK;
            int expected = 44 + ((opt & 0x100) ? 7 : 0) + ((opt & 0x20) ? 1 : 0) + ((opt & 0x40) ? 1 : 0) +
                           ((type & 0x18) == 0x10 ? 1 : 0);
            EXPECT_EQ(settings, expected) << "opt " << opt << " type " << type;
        }
    }
}

TEST(BankFrames, FactoryValuesLieInTheirRangesForEveryInputType) {
    for (int t = 0; t <= kMaxInputType; ++t) {
        ChannelConfig c = fullyFitted();
        c.inputType = static_cast<qint16>(t);
        SimController ctl(0, c);
        for (int k = 10; k <= 63; ++k) {
            const auto r = ctl.settingRange(k);
            ASSERT_TRUE(r.has_value()) << k;
            EXPECT_GE(ctl.setting(k), r->first) << "type " << t << " item " << k;
            EXPECT_LE(ctl.setting(k), r->second) << "type " << t << " item " << k;
        }
        EXPECT_EQ(ctl.setting(54), t);
        EXPECT_EQ(ctl.setting(11), 0);
        EXPECT_EQ(ctl.setting(49), 1);  // output ON as shipped
        if (t < 30) {
            EXPECT_EQ(ctl.setting(29), sensorRange(t)->high);
            EXPECT_EQ(ctl.setting(30), sensorRange(t)->low);
        }
    }
}

TEST(BankFrames, MonitoredItemsRead) {
    ManualBank m;
    ChannelConfig c = fullyFitted();
    c.settings = {{10, 200}};
    m.bank->setChannel(0, c);
    m.run(60'000);
    const int pv = readValue(*m.bank, 0, "0080");
    EXPECT_NEAR(pv, 200, 5);
    const int mv = readValue(*m.bank, 0, "0081");
    EXPECT_GE(mv, 0);
    EXPECT_LE(mv, 1000);
    EXPECT_GE(readValue(*m.bank, 0, "0082"), 0);
    EXPECT_EQ(readValue(*m.bank, 0, "00A0"), 200);
    EXPECT_NE(readValue(*m.bank, 0, "0088"), -99999);
    EXPECT_NE(readValue(*m.bank, 0, "0089"), -99999);
    EXPECT_EQ(readValue(*m.bank, 0, "0001"), 200);
}

TEST(BankFrames, WritesAreCheckedAndTaken) {
    ManualBank m;
    ChannelConfig c = fullyFitted();  // K thermocouple, scaling -200..1370
    m.bank->setChannel(0, c);
    const struct {
        const char* item;
        const char* data;
        char klass;
        char error;
        int readBack;  // -99999: do not read back
    } table[] = {
        {"0001", "012C", ACK, '0', 300},    // SV 300
        {"0001", "FF38", ACK, '0', -200},   // SV -200, the scaling low limit
        {"0001", "055B", NAK, '3', -200},   // 1371 is above the scaling high limit
        {"0001", "FF37", NAK, '3', -200},   // -201 below the low limit
        {"0001", "12G4", NAK, '3', -200},   // not a number
        {"0004", "03E8", ACK, '0', 1000},   // proportional band 100.0 %
        {"0004", "03E9", NAK, '3', 1000},
        {"0008", "0000", NAK, '3', 20},     // proportional cycle 1..120 s
        {"0044", "0024", NAK, '3', 0},      // input type 36 does not exist
        {"0023", "000A", NAK, '3', 0},      // alarm type 10 does not exist
        {"0037", "0002", NAK, '3', 1},      // output ON/OFF is 0 or 1
        {"0080", "0064", NAK, '4', -99999}, // PV is read-only
        {"0085", "0000", NAK, '4', -99999}, // so is the status word
        {"00A1", "0000", NAK, '4', -99999}, // and the option word
        {"00FF", "0000", NAK, '2', -99999}, // no such item
        {"0052", "0000", NAK, '2', -99999}, // unit and decimal point live in the program only
        {"0053", "0001", NAK, '2', -99999},
        {"0051", "0001", ACK, '0', -99999}, // alarm release
        {"0051", "0002", ACK, '0', -99999}, // alarm reset
        {"0051", "0003", NAK, '3', -99999},
    };
    for (const auto& e : table) {
        const std::string r = ask(*m.bank, ' ', 'P', e.item, e.data);
        ASSERT_EQ(r.size(), 12u) << e.item;
        EXPECT_EQ(r[0], e.klass) << e.item << " " << e.data;
        EXPECT_EQ(r[2], e.error) << e.item << " " << e.data;
        EXPECT_EQ(r.substr(4, 4), e.item);
        EXPECT_EQ(r.substr(8, 4), e.klass == ACK ? std::string(e.data) : "0000");
        if (e.readBack != -99999) {
            EXPECT_EQ(readValue(*m.bank, 0, e.item), e.readBack) << e.item;
        }
    }
}

TEST(BankFrames, ScalingLimitsTheSetValueAndFollowTheInputType) {
    ManualBank m;
    ChannelConfig c;
    c.settings = {{10, 500}};
    m.bank->setChannel(0, c);
    EXPECT_EQ(writeItem(*m.bank, 0, "0018", 400)[0], ACK);  // scaling high 400: SV follows
    EXPECT_EQ(readValue(*m.bank, 0, "0001"), 400);
    EXPECT_EQ(writeItem(*m.bank, 0, "0019", 401)[2], '3');  // low above high
    EXPECT_EQ(writeItem(*m.bank, 0, "0018", 1371)[2], '3');  // above the sensor
    EXPECT_EQ(writeItem(*m.bank, 0, "0044", 11)[0], ACK);     // Pt100 in tenths
    EXPECT_EQ(readValue(*m.bank, 0, "0018"), 8500);
    EXPECT_EQ(readValue(*m.bank, 0, "0019"), -1999);
    EXPECT_EQ(writeItem(*m.bank, 0, "0044", 32)[0], ACK);  // linear input: scaling free in -1999..9999
    EXPECT_EQ(writeItem(*m.bank, 0, "0018", 9999)[0], ACK);
    EXPECT_EQ(writeItem(*m.bank, 0, "0019", -1999)[0], ACK);
    EXPECT_EQ(writeItem(*m.bank, 0, "0001", 9999)[0], ACK);
}

TEST(BankFrames, KeyLockRefusesEveryWriteButNoRead) {
    ManualBank m;
    ChannelConfig c = fullyFitted();
    c.keyLocked = true;
    m.bank->setChannel(0, c);
    for (const auto& [item, data] : std::vector<std::pair<std::string, std::string>>{
             {"0001", "0064"}, {"0003", "0001"}, {"0037", "0000"}, {"0051", "0001"},
             {"0000", "9346"}, {"0000", "9865"}, {"0080", "0000"}, {"00FF", "0000"}}) {
        const std::string r = ask(*m.bank, ' ', 'P', item, data);
        EXPECT_EQ(r, std::string("\x15 5P") + item + "0000") << item;
    }
    EXPECT_EQ(readItem(*m.bank, 0, "0001")[0], ACK);
    EXPECT_EQ(ask(*m.bank, ' ', 'a')[0], ACK);
    m.bank->setKeyLock(0, false);
    EXPECT_EQ(writeItem(*m.bank, 0, "0001", 100)[0], ACK);
}

TEST(BankFrames, DataClearRestoresFactoryValues) {
    ManualBank m;
    ChannelConfig c = fullyFitted();
    c.settings = {{10, 345}, {39, 3}, {19, 12}};
    m.bank->setChannel(0, c);
    ChannelConfig plain = c;
    plain.settings.clear();
    const SimController factory(0, plain);
    ASSERT_EQ(writeItem(*m.bank, 0, "0004", 555)[0], ACK);
    ASSERT_EQ(writeItem(*m.bank, 0, "0020", 80)[0], ACK);
    ASSERT_EQ(writeItem(*m.bank, 0, "0044", 11)[0], ACK);  // another sensor, other scaling
    EXPECT_EQ(ask(*m.bank, ' ', 'P', "0000", "9346"), "\x06 0P00009346");
    for (int k = 10; k <= 63; ++k) EXPECT_EQ(readValue(*m.bank, 0, code(k)), factory.setting(k)) << k;
}

TEST(BankFrames, ChecksumErrorInTheRequestGivesEsc) {
    ManualBank m;
    m.bank->setChannel(5, ChannelConfig{});
    const struct {
        proto::Request r;
        const char* reply;
    } table[] = {
        {{'%', ' ', ' ', "0080", ""}, "\x1B%0 00800000"},
        {{'%', ' ', 'P', "0001", "0064"}, "\x1B%0P00010000"},
        {{'%', ' ', 'a', "", ""}, "\x1B%0a00000000"},
    };
    for (const auto& e : table) {
        std::string f = proto::encodeRequest(e.r);
        f[f.size() - 1] = f.back() == '0' ? '1' : '0';
        EXPECT_EQ(replyOf(m.bank->answer(f)), std::string(e.reply));
    }
    // The damaged write did nothing.
    EXPECT_EQ(readValue(*m.bank, 5, "0001"), 0);
}

TEST(BankFrames, UnknownCommandOrSecondAddressGivesNak1) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    const struct {
        const char* body;
        const char* reply;  // K .. data as sent back
    } table[] = {
        {" ! 0080", "\x15 1 00800000"},        // second address other than " "
        {" !P00010064", "\x15 1P00010000"},
        {"  X0080", "\x15 1X00800000"},        // unknown command
        {"  P0001", "\x15 1P00010000"},        // write without data
        {"   0080FF", "\x15 1 00800000"},      // read with data
        {"   00G0", "\x15 2 00G00000"},        // item that is no hexadecimal code
    };
    for (const auto& e : table) {
        const Emission out = m.bank->answer(rawFrame(e.body));
        ASSERT_EQ(out.bytes.size(), proto::kReplyFrameSize) << e.body;
        EXPECT_EQ(out.bytes.substr(0, 12), std::string(e.reply)) << e.body;
        EXPECT_EQ(out.bytes.substr(13), proto::bcc(out.bytes.substr(0, 13)));
    }
}

TEST(BankStream, CutsFramesOutOfNoiseAndSplits) {
    ManualBank m;
    m.bank->setChannel(0, ChannelConfig{});
    m.bank->setChannel(1, ChannelConfig{});
    BankStream s(*m.bank);
    const std::string f0 = proto::encodeRequest({' ', ' ', ' ', "0000", ""});
    const std::string f1 = proto::encodeRequest({'!', ' ', ' ', "0001", ""});
    const std::string absent = proto::encodeRequest({'"', ' ', ' ', "0000", ""});

    // Byte by byte: one answer, when the last BCC character comes.
    std::size_t answers = 0;
    for (char c : f0) answers += s.feed(std::string_view(&c, 1)).size();
    EXPECT_EQ(answers, 1u);

    // Noise, a frame broken off by a new STX, a frame to nobody, two good frames.
    const std::string stream = "\xFF\x13zz" + f1.substr(0, 6) + f0 + absent + std::string("\x00\x7F", 2) + f1;
    const auto out = s.feed(stream);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(replyOf(out[0].emission).substr(0, 8), "\x06 0 0000");
    EXPECT_EQ(out[0].requestBytes, f0.size());
    EXPECT_EQ(replyOf(out[1].emission).substr(0, 8), "\x06!0 0001");
    EXPECT_EQ(s.buffered(), 0u);
    EXPECT_EQ(m.bank->framesReceived(), 4u);  // f0, f0, absent, f1
}
