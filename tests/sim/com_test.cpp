// The communication object's own logic, on a scripted line whose byte
// timing the test fixes exactly.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstring>
#include <deque>
#include <thread>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

#include "link.h"
#include "protocol.h"
#include "qvx720com.h"
#include "serial_transport.h"

using namespace qvx;
using Steady = std::chrono::steady_clock;

namespace {

// A line that answers each request with chunks of bytes at set times after
// the request has left it.
class ScriptedLine final : public Transport {
public:
    struct Chunk {
        int afterMs;
        std::string bytes;
    };
    std::deque<std::vector<Chunk>> script;  // one list of chunks per request
    std::vector<std::string> sent;
    std::string pending;                    // input already waiting
    int sendMs = 0;
    int discards = 0;

    bool open(int baud) override { return open_ = baud > 0; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool send(const QByteArray& bytes) override {
        if (!open_) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(sendMs));
        sent.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const auto end = Steady::now();
        if (!script.empty()) {
            for (const auto& c : script.front()) due_.push_back({end + std::chrono::milliseconds(c.afterMs), c.bytes});
            script.pop_front();
        }
        return true;
    }
    QByteArray receive(int timeoutMs) override {
        const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
        if (pending.empty() && !due_.empty()) std::this_thread::sleep_until(std::min(deadline, due_.front().at));
        else if (pending.empty()) std::this_thread::sleep_until(deadline);
        collect();
        QByteArray out(pending.data(), static_cast<qsizetype>(pending.size()));
        pending.clear();
        return out;
    }
    void discardInput() override {
        ++discards;
        collect();
        pending.clear();
    }

private:
    struct Due {
        Steady::time_point at;
        std::string bytes;
    };
    void collect() {
        while (!due_.empty() && due_.front().at <= Steady::now()) {
            pending += due_.front().bytes;
            due_.pop_front();
        }
    }
    bool open_ = false;
    std::deque<Due> due_;
};

std::string reply(char klass, char address, char error, char command, const char* item, const char* data) {
    return proto::encodeReply({klass, address, error, command, item, data});
}

struct ComOnScript : ::testing::Test {
    QVX720Com com;
    ScriptedLine* line = nullptr;

    void SetUp() override {
        com.setSimulatedLine([this] {
            auto l = std::make_unique<ScriptedLine>();
            line = l.get();
            return l;
        });
        com.setSimulateAllPorts(true);
        com.Comm_SetTimeOut(100);
        ASSERT_EQ(com.Comm_PortOpen(), -1);
    }
    QString read(const char* adr, const char* item) { return com.Comm_Transact(adr, " ", " ", item, "", 2); }
};

QString text(const std::string& frame) { return QString::fromLatin1(frame.substr(0, 12).c_str()); }

}  // namespace

TEST_F(ComOnScript, ReplyInPiecesAfterNoise) {
    const std::string r = reply(proto::ACK, '!', '0', ' ', "0085", "0004");
    line->script.push_back({{1, "\xFF\x13zz"}, {3, r.substr(0, 5)}, {6, r.substr(5, 6)}, {9, r.substr(11)}});
    EXPECT_EQ(read("!", "0085"), text(r));
    ASSERT_EQ(line->sent.size(), 1u);
    EXPECT_EQ(line->sent[0], proto::encodeRequest({'!', ' ', ' ', "0085", ""}));
}

TEST_F(ComOnScript, StaleRepliesAreSkippedOnlyWithTheOption) {
    const std::string stale = reply(proto::ACK, '!', '0', ' ', "0080", "0123");
    const std::string right = reply(proto::ACK, '!', '0', ' ', "0085", "0004");
    const std::string otherChannel = reply(proto::ACK, '"', '0', ' ', "0085", "0008");
    for (bool option : {false, true}) {
        com.Comm_SetOption(option);
        line->script.push_back({{1, stale}, {3, otherChannel}, {5, right}});
        EXPECT_EQ(read("!", "0085"), text(option ? right : stale)) << option;
    }
}

TEST_F(ComOnScript, ChecksumErrorRepliesNeedOnlyTheAddressEchoed) {
    com.Comm_SetOption(true);
    // The controller could not read our frame: its item echo may differ.
    const std::string esc = reply(proto::ESC, '!', '0', ' ', "0000", "0000");
    line->script.push_back({{1, esc}});
    EXPECT_EQ(read("!", "0085"), text(esc));
    // An ESC reply from another address belongs to someone else.
    line->script.push_back({{1, reply(proto::ESC, '#', '0', ' ', "0085", "0000")}});
    EXPECT_EQ(read("!", "0085"), QString());
}

TEST_F(ComOnScript, CorruptFrameGivesEscLedText) {
    std::string bad = reply(proto::ACK, '!', '0', ' ', "0085", "0004");
    bad[14] = bad[14] == '0' ? '1' : '0';
    std::string body = reply(proto::ACK, '!', '0', ' ', "0085", "0004");
    body[9] = '\x01';  // a control character where a digit belongs
    body.replace(13, 2, proto::bcc(body.substr(0, 13)));
    for (bool option : {false, true}) {
        com.Comm_SetOption(option);
        line->script.push_back({{1, bad}});
        EXPECT_EQ(read("!", "0085"), QString("\x1B!0 00850004"));
        line->script.push_back({{1, body}});
        EXPECT_EQ(read("!", "0085"), QString("\x1B!0 00850?04"));
    }
}

TEST_F(ComOnScript, TimeOutCountsFromTheEndOfTheRequest) {
    line->sendMs = 80;  // a slow line: the request alone takes longer than the time-out
    com.Comm_SetTimeOut(60);
    const std::string r = reply(proto::ACK, ' ', '0', ' ', "0080", "0001");
    line->script.push_back({{30, r}});
    EXPECT_EQ(read(" ", "0080"), text(r));

    line->script.push_back({{120, r}});
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(read(" ", "0080"), QString());
    EXPECT_GE(t.elapsed(), 80 + 60 - 5);
}

TEST_F(ComOnScript, PartialFrameIsNoReply) {
    const std::string r = reply(proto::ACK, ' ', '0', ' ', "0080", "0001");
    line->script.push_back({{1, r.substr(0, 10)}});
    EXPECT_EQ(read(" ", "0080"), QString());
}

TEST_F(ComOnScript, InputWaitingBeforeTheRequestIsDropped) {
    line->pending = reply(proto::ACK, ' ', '0', ' ', "0080", "0999");
    const std::string r = reply(proto::ACK, ' ', '0', ' ', "0080", "0001");
    line->script.push_back({{2, r}});
    EXPECT_EQ(read(" ", "0080"), text(r));
    EXPECT_GE(line->discards, 1);
    line->pending = "junk";
    com.Comm_PreRead1();
    EXPECT_TRUE(line->pending.empty());
}

TEST_F(ComOnScript, RequestsThatCannotBeFramedSendNothing) {
    const struct {
        const char* adr;
        const char* sub;
        const char* cmd;
        const char* item;
        const char* data;
    } table[] = {
        {"", " ", " ", "0080", ""},     {"!!", " ", " ", "0080", ""},   {"!", "", " ", "0080", ""},
        {"!", " ", "X", "0080", ""},    {"!", " ", " ", "80", ""},      {"!", " ", " ", "0080", "1"},
        {"!", " ", "P", "0001", "12"},  {"!", " ", "P", "00G1", "0012"}, {"\x7F", " ", " ", "0080", ""},
    };
    for (const auto& e : table) EXPECT_EQ(com.Comm_Transact(e.adr, e.sub, e.cmd, e.item, e.data, 2), QString());
    EXPECT_EQ(com.Comm_Transact(QString(QChar(0x3042)), " ", " ", "0080", "", 2), QString());
    EXPECT_TRUE(line->sent.empty());
    // "a" takes no item: one given is ignored, as the program passes "" anyway.
    line->script.push_back({{1, reply(proto::ACK, ' ', '0', 'a', "0000", "0600")}});
    EXPECT_EQ(com.Comm_Transact(" ", " ", "a", "0080", "", 2).mid(8, 4), QString("0600"));
    EXPECT_EQ(line->sent.back(), proto::encodeRequest({' ', ' ', 'a', "", ""}));
}

namespace {

// A device that can be unplugged, on a virtual clock: a wait for a reply that
// does not come lets the whole wait pass. An unplugged device shows it by a
// failing send, by hanging up during the wait or at its very end, or between
// transactions.
class PluggableDevice final : public Transport {
public:
    enum class Failure { Send, DuringWait, AtEndOfWait, BetweenTransactions };
    PluggableDevice(qint64& now, Failure failure) : now_(now), failure_(failure) {}
    bool present = true;
    std::vector<std::string> sent;
    int opens = 0;

    bool open(int) override {
        ++opens;
        return open_ = present;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_ && (present || failure_ != Failure::BetweenTransactions); }
    bool send(const QByteArray& b) override {
        if (!isOpen() || (!present && failure_ == Failure::Send)) return false;
        sent.emplace_back(b.constData(), static_cast<std::size_t>(b.size()));
        const auto d = proto::decodeRequest(sent.back()).request;
        if (present) reply_ = reply(proto::ACK, d.address, '0', d.command, d.item.c_str(), "0001");
        return true;
    }
    QByteArray receive(int timeoutMs) override {
        if (!present && failure_ == Failure::DuringWait) open_ = false;
        else if (reply_.empty()) now_ += timeoutMs;
        if (!present && failure_ == Failure::AtEndOfWait) open_ = false;
        return QByteArray::fromStdString(std::exchange(reply_, {}));
    }
    void discardInput() override {}
    QString lastError() const override { return present ? QString() : QStringLiteral("No such device"); }

private:
    qint64& now_;
    Failure failure_;
    bool open_ = false;
    std::string reply_;
};

}  // namespace

TEST(ComOnDevice, UnpluggedDeviceEndsTransactionsAtOnceTriesOneOpenPerTimeOutAndIsUsedAgainWhenBack) {
    using F = PluggableDevice::Failure;
    for (F failure : {F::Send, F::DuringWait, F::AtEndOfWait, F::BetweenTransactions}) {
        SCOPED_TRACE(static_cast<int>(failure));
        qint64 now = 1000;
        bool plugged = true;
        PluggableDevice* dev = nullptr;
        QVX720Com com;
        com.setClock([&] { return now; });
        com.setSimulateAllPorts(true);
        com.setSimulatedLine([&] {
            auto d = std::make_unique<PluggableDevice>(now, failure);
            d->present = plugged;
            dev = d.get();
            return d;
        });
        com.Comm_SetTimeOut(100);
        const auto read = [&] { return com.Comm_Transact("!", " ", " ", "0080", "", 2); };
        ASSERT_EQ(com.Comm_PortOpen(), -1);
        EXPECT_EQ(read().left(1), QString("\x06"));
        EXPECT_TRUE(com.lastReachedLine());

        // Gone: no transaction waits, a write among them; within one
        // time-out none tries to open the device again, and the run loop is
        // told how long to sleep. A hang-up at the very end of the wait is
        // the device's too, never a silent controller.
        dev->present = false;
        const std::size_t sentBefore = dev->sent.size();
        EXPECT_EQ(read(), QString());
        EXPECT_FALSE(com.lastReachedLine());
        EXPECT_TRUE(com.lineDown());
        const int opensAtFailure = dev->opens;
        for (int n = 0; n < 60; ++n) {
            const qint64 before = now;
            EXPECT_EQ(n == 2 ? com.Comm_Transact("!", " ", "P", "0001", "012C", 2) : read(), QString());
            EXPECT_EQ(now, before) << n;
            EXPECT_FALSE(com.lastReachedLine());
        }
        EXPECT_EQ(dev->opens, opensAtFailure);
        EXPECT_EQ(com.msUntilReopen(), 100);
        for (int n = 0; n < 4; ++n) {
            now += 100;
            EXPECT_EQ(com.msUntilReopen(), 0);
            EXPECT_EQ(read(), QString());
            EXPECT_EQ(read(), QString());
            EXPECT_EQ(dev->opens, opensAtFailure + n + 1);
            EXPECT_EQ(com.msUntilReopen(), 100);
        }
        EXPECT_FALSE(com.isOpen());
        EXPECT_EQ(com.lineError(), "No such device");

        // Back: the first transaction a time-out later opens it and gets its
        // reply; the write made while it was gone is never sent.
        dev->present = true;
        EXPECT_EQ(read(), QString());
        now += 100;
        EXPECT_EQ(read().left(1), QString("\x06"));
        EXPECT_TRUE(com.isOpen());
        EXPECT_FALSE(com.lineDown());
        EXPECT_EQ(com.msUntilReopen(), 0);
        EXPECT_EQ(com.lineError(), "");
        const bool intoDeadLine = failure == F::DuringWait || failure == F::AtEndOfWait;
        EXPECT_EQ(dev->sent.size() - sentBefore, intoDeadLine ? 2u : 1u);  // one into the dead line
        for (std::size_t i = sentBefore; i < dev->sent.size(); ++i)
            EXPECT_EQ(dev->sent[i].find("P0001"), std::string::npos) << i;

        // Missing at open: the link check right after ends at once and does
        // not try again.
        plugged = false;
        EXPECT_EQ(com.Comm_PortOpen(), 0);
        const qint64 before = now;
        EXPECT_EQ(read(), QString());
        EXPECT_EQ(now, before);
        EXPECT_EQ(dev->opens, 1);
    }
}

TEST(ComSettings, DataFieldTimeOutAndPorts) {
    QVX720Com com;
    EXPECT_EQ(com.Comm_GetData("\x06 0 00800123", 1), "0123");
    EXPECT_EQ(com.Comm_GetData("\x06 0 0080012", 1), "");
    EXPECT_EQ(com.Comm_GetData("\x06 0 00800123", 2), "");
    com.Comm_SetTimeOut(0);
    EXPECT_EQ(com.timeOut(), 200);
    com.Comm_SetTimeOut(4000);
    EXPECT_EQ(com.timeOut(), 4000);

    QProcessEnvironment env;
    env.insert("QVX720_COM3", "/dev/pts/7");
    env.insert("QVX720_COM4", "sim");
    // The variable wins over the device kept in the settings, which wins over ttyS.
    const struct {
        const char* port;
        const char* stored;
        const char* device;
    } table[] = {{"COM1", "", "/dev/ttyS0"},      {"COM3", "", "/dev/pts/7"},
                 {"COM4", "", "sim"},             {"COM8", "", "/dev/ttyS7"},
                 {"COM0", "", ""},                {"LPT1", "", ""},
                 {"COM", "", ""},                 {"COM2", " /dev/serial/by-id/usb-x ", "/dev/serial/by-id/usb-x"},
                 {"COM3", "/dev/ttyUSB0", "/dev/pts/7"}, {"COM5", "sim", "sim"}};
    for (const auto& e : table)
        EXPECT_EQ(QVX720Com::deviceForPort(e.port, env, e.stored), QString(e.device)) << e.port;

    // A speed that is no number does not open; a port without a line neither.
    com.setSimulateAllPorts(true);
    com.setSimulatedLine([] { return std::make_unique<ScriptedLine>(); });
    com.Comm_SetSpeed("fast");
    EXPECT_EQ(com.Comm_PortOpen(), 0);
    EXPECT_FALSE(com.isOpen());
    com.Comm_SetSpeed("9600");
    EXPECT_EQ(com.Comm_PortOpen(), -1);
    EXPECT_TRUE(com.isOpen());
    com.setSimulatedLine({});
    EXPECT_EQ(com.Comm_PortOpen(), 0);
    EXPECT_FALSE(com.isOpen());
}

TEST(ComDevices, NamesMapAsTheSerialLibraryMapsThemAndOpenByTheirTarget) {
    // A by-id style name: a symlink in a folder of its own to the device.
    QTemporaryDir dir;
    const QString tty = dir.filePath("ttyTarget");
    QFile f(tty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QDir(dir.path()).mkpath("by-id"));
    const QString byId = dir.filePath("by-id/usb-Maker_Adapter_A1-if00-port0");
    ASSERT_TRUE(QFile::link(tty, byId));
    const QString real = QFileInfo(tty).canonicalFilePath();
    QString realLock = real;
    realLock.replace(u'/', u'_').prepend("LCK..");

    const struct {
        QString configured;  // QVX720_COM2 or "Device_COM2"
        QString device;      // what the port maps to (shown in the dialog)
        QString opened;      // the path the port object is given ("" for the simulated line)
        QString lockName;    // the serial library's lock file for it
    } rows[] = {
        {"ttyUSB97", "/dev/ttyUSB97", "/dev/ttyUSB97", "LCK..ttyUSB97"},
        {"pts/97", "/dev/pts/97", "/dev/pts/97", "LCK..pts_97"},
        {" /dev/ttyACM97 ", "/dev/ttyACM97", "/dev/ttyACM97", "LCK..ttyACM97"},
        {byId, byId, real, realLock},
        {tty, tty, real, realLock},  // the other name of the same device: the same lock
        {"sim", "sim", "", ""},
        {"Sim", "Sim", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.configured.toStdString());
        QProcessEnvironment env;
        env.insert("QVX720_COM2", row.configured);
        EXPECT_EQ(QVX720Com::deviceForPort("COM2", env), row.device);
        EXPECT_EQ(QVX720Com::deviceForPort("COM2", QProcessEnvironment(), row.configured), row.device);
        if (row.opened.isEmpty()) continue;
        EXPECT_EQ(serialOpenPath(row.device), row.opened);
        EXPECT_EQ(QFileInfo(serialLockFile(row.opened)).fileName(), row.lockName);
    }
}

// A process of this computer that runs until the test ends: the holder of
// another program's lock.
struct LiveProcess {
    pid_t pid = ::fork();
    LiveProcess() {
        if (pid == 0) {
            for (;;) ::pause();
        }
    }
    ~LiveProcess() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

TEST(ComDevices, TheLockIsNamedOnlyWhenItRefusedTheDeviceAndTellsWhoHoldsIt) {
    const pid_t child = ::fork();  // a process id that runs no more: a child that has ended
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const LiveProcess other;  // another program, which still runs
    ASSERT_GT(other.pid, 0);
    QTemporaryDir dir;
    const QString file = dir.filePath("LCK..pts_9");
    const auto fill = [&](QString t) {
        const auto pid = [](qint64 n, int width) { return QString("%1").arg(n, width); };
        for (const int width : {10, 0}) {  // "%10other": right-aligned in ten places
            const QString w = width ? QString::number(width) : QString();
            t.replace("%" + w + "self", pid(::getpid(), width)).replace("%" + w + "dead", pid(child, width))
                .replace("%" + w + "other", pid(other.pid, width));
        }
        return t.replace("%host", QSysInfo::machineHostName()).replace("%file", file);
    };
    // "%bin<pid>": the number as four bytes of a native int; "%empty": an
    // empty file; "%dir": a file that cannot be read.
    const auto bytesOf = [&](const QString& content) {
        if (!content.startsWith("%bin")) return content.toUtf8();
        const int pid = fill("%" + content.mid(4)).toInt();
        return QByteArray(reinterpret_cast<const char*>(&pid), sizeof pid);
    };
    using H = DeviceLock::Holder;
    const char* const held = "%self\nqvx720\n%host\n";       // this process's own lock
    const char* const minicom = "%other\nminicom\n%host\n";  // another program's
    const char* const far = "%other\nminicom\nfaraway\n";    // a program of another computer
    const char* const inUse = "The device is in use by minicom, process %other (lock file %file).";
    const char* const unnamed =
        "The device is locked by the file %file, which names no process: remove that file if no program uses the device.";
    const char* const inUseFar = "The device is in use by minicom, process %other on the computer faraway (lock file %file).";
    // The port object makes the lock before it opens the device and removes
    // it when the device refuses: a lock file that is not there was no cause.
    // The device is asked (opened) only when the lock does not settle it, and
    // never when the lock is another program's.
    const struct {
        QSerialPort::SerialPortError error;
        int deviceErrno;      // what the device's own open would give (0: it opens)
        const char* lockFile; // its content ("" none); "-": no lock folder
        int folderErrno;      // what a new file in the lock folder would give
        H holder;
        const char* reason;   // the dialog's reason
        bool deviceAsked;     // whether the device was opened to ask it
        bool folderAsked;     // whether a new file was tried in the lock folder
    } rows[] = {
        // Another program's lock: the device is not touched, whatever it would say.
        {QSerialPort::PermissionError, 0, minicom, 0, H::Running, inUse, false, false},
        {QSerialPort::PermissionError, EBUSY, minicom, 0, H::Running, inUse, false, false},
        {QSerialPort::PermissionError, EACCES, minicom, 0, H::Running, inUse, false, false},
        {QSerialPort::PermissionError, 0, "%other\n", 0, H::Running,
         "The device is in use by process %other (lock file %file).", false, false},
        {QSerialPort::PermissionError, 0, "      %other\n", 0, H::Running,
         "The device is in use by process %other (lock file %file).", false, false},
        {QSerialPort::PermissionError, 0, far, 0, H::OtherHost, inUseFar, false, false},
        {QSerialPort::PermissionError, EACCES, "%self\nqvx720\nfaraway\n", 0, H::OtherHost,
         "The device is in use by qvx720, process %self on the computer faraway (lock file %file).", false, false},
        // This process's own lock (a second name of a device it has open).
        {QSerialPort::PermissionError, 0, held, 0, H::Running,
         "The device is in use by qvx720, process %self (lock file %file).", true, false},
        {QSerialPort::PermissionError, EBUSY, held, EACCES, H::Running,
         "The device is in use by qvx720, process %self (lock file %file).", true, false},
        {QSerialPort::PermissionError, 0, "      %dead\n", 0, H::Ended,
         "The device is locked by the file %file, left by process %dead, which has ended: remove that file to use the device.",
         true, false},
        // Every form of lock other programs write, whatever the port object
        // would make of it: the number alone or with the program and user on
        // its line (terminal programs), or the number as a binary int.
        {QSerialPort::PermissionError, 0, "%10other minicom root\n", 0, H::Running, inUse, false, false},
        {QSerialPort::PermissionError, 0, "%10dead minicom root\n", 0, H::Ended,
         "The device is locked by the file %file, left by minicom, process %dead, which has ended: remove that file to use the device.",
         true, false},
        {QSerialPort::PermissionError, 0, "%10self qvx720 root\n", 0, H::Running,
         "The device is in use by qvx720, process %self (lock file %file).", true, false},
        {QSerialPort::PermissionError, 0, "%binother", 0, H::Running,
         "The device is in use by process %other (lock file %file).", false, false},
        {QSerialPort::PermissionError, 0, "%bindead", 0, H::Ended,
         "The device is locked by the file %file, left by process %dead, which has ended: remove that file to use the device.",
         true, false},
        {QSerialPort::PermissionError, 0, "%binself", 0, H::Running,
         "The device is in use by process %self (lock file %file).", true, false},
        {QSerialPort::PermissionError, 0, "  1\n", 0, H::Running,  // four bytes of text: not binary
         "The device is in use by process 1 (lock file %file).", false, false},
        // A file that names no process or cannot be read may be another
        // program's: it stands, and the device is not asked.
        {QSerialPort::PermissionError, 0, "x1\n", 0, H::Unnamed, unnamed, false, false},
        {QSerialPort::PermissionError, 0, "%empty", 0, H::Unnamed, unnamed, false, false},
        {QSerialPort::PermissionError, 0, "abcd", 0, H::Unnamed, unnamed, false, false},
        {QSerialPort::PermissionError, EBUSY, "%dir", 0, H::Unreadable,
         "The device is locked by the file %file, which cannot be read (Is a directory).", false, false},
        // The lock file cannot be made: the port object never reached the device.
        {QSerialPort::PermissionError, EBUSY, "", EACCES, H::CannotMake,
         "The device's lock file %file cannot be made (Permission denied).", false, true},
        {QSerialPort::PermissionError, 0, "", ENOSPC, H::CannotMake,
         "The device's lock file %file cannot be made (No space left on device).", false, true},
        {QSerialPort::PermissionError, 0, "", EDQUOT, H::CannotMake,
         "The device's lock file %file cannot be made (Disk quota exceeded).", false, true},
        {QSerialPort::PermissionError, 0, "-", 0, H::NoFolder, "No lock folder for the device can be used.", true, false},
        // Held open exclusively by a program that took no lock.
        {QSerialPort::PermissionError, EBUSY, "", 0, H::Exclusive,
         "The device is held by another program (Device or resource busy).", true, true},
        // The device itself refused us, or it failed otherwise: the system's reason stands.
        {QSerialPort::PermissionError, EACCES, held, 0, H::None, "Permission denied", true, false},
        {QSerialPort::PermissionError, EACCES, "      %dead\n", 0, H::None, "Permission denied", true, false},
        {QSerialPort::PermissionError, EACCES, "", 0, H::None, "Permission denied", true, true},
        {QSerialPort::OpenError, ENOTTY, held, 0, H::None, "Inappropriate ioctl for device", false, false},
        {QSerialPort::OpenError, ENOTTY, minicom, 0, H::None, "Inappropriate ioctl for device", false, false},
    };
    for (const auto& row : rows) {
        const QString content = fill(row.lockFile);
        SCOPED_TRACE(content.toStdString() + " errno " + std::to_string(row.deviceErrno) + " folder " +
                     std::to_string(row.folderErrno));
        QFile::remove(file);
        QDir(file).removeRecursively();
        QFile f(file);
        if (content == "%dir") {
            ASSERT_TRUE(QDir().mkpath(file));
        } else if (!content.isEmpty() && content != "-") {
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytesOf(content == "%empty" ? "" : content)) >= 0);
        }
        f.close();
        int deviceAsked = 0;
        int folderAsked = 0;
        const QString lockFile = content == "-" ? QString() : file;
        const DeviceLock lock = lockRefusal(
            row.error, lockFile, [&] { return ++deviceAsked, row.deviceErrno; },
            [&] { return ++folderAsked, row.folderErrno; });
        EXPECT_EQ(lock.holder, row.holder);
        EXPECT_EQ(deviceAsked, row.deviceAsked ? 1 : 0);
        EXPECT_EQ(folderAsked, row.folderAsked ? 1 : 0);
        // The lock file is named only when the lock was the cause.
        EXPECT_EQ(lock.file.isEmpty(), row.holder == H::None || row.holder == H::Exclusive || row.holder == H::NoFolder);
        const QString system = QString::fromLocal8Bit(std::strerror(row.deviceErrno ? row.deviceErrno : EACCES));
        EXPECT_EQ(linkFailureText(StringTable::builtIn(StringTable::Language::English), "COM1", "/dev/pts/9",
                                  system, lock),
                  "COM1 (/dev/pts/9): " + fill(row.reason));
        // A lock that keeps the device closed is found before the port
        // object is asked, the same as its refusal tells it.
        if (row.error == QSerialPort::PermissionError) {
            EXPECT_EQ(anotherProgramsLock(lockFile), row.deviceAsked || row.folderAsked ? DeviceLock{} : lock);
        }
    }
}

TEST(ComDevices, ALockFileThatCannotBeMadeIsFoundWithoutTheDeviceAndLeavesNothingBehind) {
    QTemporaryDir dir;
    const QString file = dir.filePath("LCK..pts_9");
    EXPECT_EQ(lockFolderRefusal(file), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(lockFolderRefusal(dir.filePath("gone/LCK..pts_9")), ENOENT);
    EXPECT_EQ(lockFolderRefusal(QString()), 0);
    if (::geteuid() != 0) {  // the superuser writes into any folder
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_EQ(lockFolderRefusal(file), EACCES);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The dialog names the file and the system's reason, in both tables.
    const DeviceLock full{DeviceLock::Holder::CannotMake, file, {}, 0, {}, "No space left on device"};
    EXPECT_EQ(deviceLockText(StringTable::builtIn(StringTable::Language::English), full),
              "The device's lock file " + file + " cannot be made (No space left on device).");
    EXPECT_EQ(deviceLockText(StringTable::builtIn(StringTable::Language::Japanese), full),
              QString::fromUtf8("デバイスのロックファイル ") + file +
                  QString::fromUtf8(" を作成できません（No space left on device）。"));
}
