// End to end: qvx720-sim on a pseudo-terminal, the communication object on
// the real serial transport.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTranslator>
#include <QSysInfo>
#include <memory>

#include <sys/inotify.h>
#include <sys/wait.h>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "protocol.h"
#include "qvx720com.h"
#include "serial_transport.h"

using namespace qvx;

namespace {

const QString kTool = QStringLiteral(QVX720_SIM_TOOL);

struct SimTool : ::testing::Test {
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_sim_pty";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new QCoreApplication(argc, argv);
    }

    QTemporaryDir dir;
    QString link;
    QProcess tool;

    // Starts the tool and waits until its link appears.
    bool start(QStringList args) {
        link = dir.filePath("line");
        args << "--link" << link;
        tool.start(kTool, args);
        if (!tool.waitForStarted(5000)) return false;
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link).exists() && t.elapsed() < 5000) QThread::msleep(10);
        return QFileInfo(link).exists();
    }
    void TearDown() override {
        if (tool.state() != QProcess::NotRunning) {
            tool.kill();
            tool.waitForFinished(2000);
        }
    }

    static QCoreApplication* app_;
};
QCoreApplication* SimTool::app_ = nullptr;

}  // namespace

TEST_F(SimTool, TransactsOverTheSerialPath) {
    ASSERT_TRUE(start({"--baud", "19200", "--channels", "0-2", "--key-lock", "2"}));
    qputenv("QVX720_COM2", link.toLocal8Bit());
    QVX720Com com;
    com.Comm_SetPort("COM2");
    com.Comm_SetSpeed("19200");
    com.Comm_SetTimeOut(200);
    com.Comm_SetOption(true);
    ASSERT_EQ(com.Comm_PortOpen(), -1);

    EXPECT_EQ(com.Comm_Transact(" ", " ", " ", "0000", "", 1), QString("\x06 0 00000001"));
    EXPECT_EQ(com.Comm_Transact("!", " ", "P", "0001", "012C", 2), QString("\x06!0P0001012C"));
    EXPECT_EQ(com.Comm_Transact("!", " ", " ", "0001", "", 2), QString("\x06!0 0001012C"));
    EXPECT_EQ(com.Comm_Transact("\"", " ", "P", "0001", "012C", 2), QString("\x15\"5P00010000"));
    EXPECT_EQ(com.Comm_Transact(" ", " ", "a", "", "", 2).left(8), QString("\x06 0a0000"));
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(com.Comm_Transact("#", " ", " ", "0000", "", 1), QString());  // nobody at channel 3
    EXPECT_GE(t.elapsed(), 195);

    // The program closes and opens the port again: the tool goes on serving.
    com.Comm_PortClose();
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    EXPECT_EQ(com.Comm_Transact("!", " ", " ", "0001", "", 2), QString("\x06!0 0001012C"));
    com.Comm_PortClose();

    tool.terminate();  // SIGTERM
    ASSERT_TRUE(tool.waitForFinished(3000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    const QString out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith("Serving the simulated controller bank on /dev/pts/")) << out.toStdString();
    EXPECT_TRUE(out.contains("(link: " + link + ")"));
}

TEST_F(SimTool, PacesRepliesAtTheLineSpeed) {
    ASSERT_TRUE(start({"--baud", "9600", "--channels", "0", "--turnaround-ms", "20"}));
    qputenv("QVX720_COM3", link.toLocal8Bit());
    QVX720Com com;
    com.Comm_SetPort("COM3");
    com.Comm_SetSpeed("9600");
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(com.Comm_Transact(" ", " ", " ", "0080", "", 2).size(), 12);
    // 26 bytes of 10 bits at 9600 baud take 27 ms, and the turnaround is 20 ms.
    EXPECT_GE(t.elapsed(), 3 * 47 - 1);
}

TEST_F(SimTool, RequestsInABurstGetWholeRepliesOneAfterAnother) {
    ASSERT_TRUE(start({"--baud", "19200", "--channels", "0-9"}));
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    ::cfmakeraw(&t);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    // Ten probes at once, as a line held up and let go delivers them.
    std::string burst;
    for (int ch = 0; ch < 10; ++ch) burst += proto::encodeRequest({char(' ' + ch), ' ', ' ', "0000", ""});
    ASSERT_EQ(::write(fd, burst.data(), burst.size()), ssize_t(burst.size()));
    proto::ReplyScanner scanner;
    std::vector<proto::DecodedReply> replies;
    QElapsedTimer timer;
    timer.start();
    while (replies.size() < 10 && timer.elapsed() < 3000) {
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) scanner.feed(std::string_view(buf, std::size_t(n)));
        while (auto d = scanner.next()) replies.push_back(*d);
        if (n <= 0) QThread::msleep(5);
    }
    ::close(fd);
    ASSERT_EQ(replies.size(), 10u);
    for (int ch = 0; ch < 10; ++ch) {
        EXPECT_TRUE(replies[std::size_t(ch)].good) << ch;
        EXPECT_EQ(replies[std::size_t(ch)].text[1], char(' ' + ch)) << ch;
    }
}

TEST_F(SimTool, FaultsFromTheCommandLine) {
    ASSERT_TRUE(start({"--baud", "19200", "--channels", "0", "--fault", "nak:code=3,item=0085", "--fault",
                       "bcc:item=0081"}));
    qputenv("QVX720_COM4", link.toLocal8Bit());
    QVX720Com com;
    com.Comm_SetPort("COM4");
    com.Comm_SetSpeed("19200");
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    EXPECT_EQ(com.Comm_Transact(" ", " ", " ", "0085", "", 2), QString("\x15 3 00850000"));
    EXPECT_EQ(com.Comm_Transact(" ", " ", " ", "0081", "", 2).left(8), QString("\x1B 0 0081"));
    EXPECT_EQ(com.Comm_Transact(" ", " ", " ", "0080", "", 2).left(8), QString("\x06 0 0080"));
}

TEST_F(SimTool, HelpAndBadOptions) {
    QProcess help;
    help.start(kTool, {"--help"});
    ASSERT_TRUE(help.waitForFinished(3000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--turnaround-ms"));
    QProcess bad;
    bad.start(kTool, {"--baud", "300"});
    ASSERT_TRUE(bad.waitForFinished(3000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardError().contains("--baud"));
}

TEST_F(SimTool, TwoNamesOfOneDeviceTakeOneLockAndTheRefusalNamesIt) {
    ASSERT_TRUE(start({"--baud", "19200"}));
    const QString other = dir.filePath("other-name");
    ASSERT_TRUE(QFile::link(link, other));
    SerialTransport first(link);
    SerialTransport second(other);
    ASSERT_TRUE(first.open(19200)) << first.lastError().toStdString();
    const QString tty = QFileInfo(link).canonicalFilePath();
    EXPECT_EQ(first.openPath(), tty);
    const QString lock = serialLockFile(tty);
    ASSERT_TRUE(QFile::exists(lock));

    // The refusal is judged the lock's whatever language the port object
    // speaks.
    QTranslator japanese;
    ASSERT_TRUE(japanese.load(QLocale(QLocale::Japanese), "qtserialport", "_",
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&japanese);
    const bool refused = !second.open(19200);
    QCoreApplication::removeTranslator(&japanese);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(second.lastError().startsWith("Permission error")) << second.lastError().toStdString();
    const DeviceLock expected{DeviceLock::Holder::Running, lock, QCoreApplication::applicationName(),
                              QCoreApplication::applicationPid(), {}, {}};
    EXPECT_EQ(second.lockRefusal(), expected);
    EXPECT_TRUE(second.lastError().endsWith(" (" + lock + ")")) << second.lastError().toStdString();
    first.close();
    EXPECT_FALSE(QFile::exists(lock));
    EXPECT_TRUE(second.open(19200)) << second.lastError().toStdString();
}

TEST_F(SimTool, AnotherProgramsLockKeepsTheDeviceClosedWhateverThePortObjectWouldJudgeOfIt) {
    ASSERT_TRUE(start({"--baud", "19200"}));
    const QString tty = QFileInfo(link).canonicalFilePath();
    const QString lock = serialLockFile(tty);
    ASSERT_FALSE(lock.isEmpty());
    ASSERT_FALSE(QFile::exists(lock));
    // Another program, which still runs, holds the device. The port object
    // would take its lock over: the file names a program other than the one
    // that runs as that process, or none it can read, and it is older than
    // half a minute.
    const struct {
        const char* form;
        QByteArray (*content)(pid_t pid);
        const char* program;  // as the refusal names it
    } rows[] = {
        {"three lines",
         [](pid_t pid) { return QByteArray::number(pid) + "\nminicom\n" + QSysInfo::machineHostName().toUtf8() + "\n"; },
         "minicom"},
        {"one line", [](pid_t pid) { return QString("%1 minicom root\n").arg(pid, 10).toUtf8(); }, "minicom"},
        {"binary", [](pid_t pid) { return QByteArray(reinterpret_cast<const char*>(&pid), sizeof pid); }, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        struct Holder {
            pid_t pid = ::fork();
            QString lock;
            ~Holder() {
                if (pid > 0) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                }
                if (!lock.isEmpty()) QFile::remove(lock);
            }
        } holder;
        if (holder.pid == 0) {
            for (;;) ::pause();
        }
        ASSERT_GT(holder.pid, 0);
        holder.lock = lock;
        const QByteArray content = row.content(holder.pid);
        {
            QFile f(lock);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::NewOnly));
            ASSERT_EQ(f.write(content), content.size());
            f.close();
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
        }
        // Every open of the device shows on a watch of it.
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(tty).constData(), IN_OPEN), 0);
        char events[4096];

        SerialTransport line(link);
        for (int attempt = 0; attempt < 2; ++attempt) {  // the first open and a reopen
            EXPECT_FALSE(line.open(19200));
            const DeviceLock expected{DeviceLock::Holder::Running, lock, row.program, holder.pid, {}, {}};
            EXPECT_EQ(line.lockRefusal(), expected);
            EXPECT_TRUE(line.lastError().endsWith(" (" + lock + ")")) << line.lastError().toStdString();
        }
        EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the device was opened";
        QFile f(lock);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), content);  // the lock stands as it was
        f.close();

        // Once that program has ended, its lock is stale: the port object
        // takes it over and the device opens (and the watch sees it).
        ::kill(holder.pid, SIGKILL);
        ::waitpid(holder.pid, nullptr, 0);
        holder.pid = -1;
        EXPECT_TRUE(line.open(19200)) << line.lastError().toStdString();
        EXPECT_GT(::read(watch, events, sizeof events), 0);
        line.close();
        EXPECT_FALSE(QFile::exists(lock));
        ::close(watch);
    }
}

TEST_F(SimTool, AFreshLockOfAnEndedProcessIsTakenOverAtOnce) {
    ASSERT_TRUE(start({"--baud", "19200"}));
    const QString tty = QFileInfo(link).canonicalFilePath();
    const QString lock = serialLockFile(tty);
    ASSERT_FALSE(lock.isEmpty());
    const struct {
        const char* form;
        QByteArray (*content)(pid_t pid);
    } rows[] = {
        {"one line", [](pid_t pid) { return QString("%1 minicom root\n").arg(pid, 10).toUtf8(); }},
        {"binary", [](pid_t pid) { return QByteArray(reinterpret_cast<const char*>(&pid), sizeof pid); }},
        {"three lines",
         [](pid_t pid) { return QByteArray::number(pid) + "\nminicom\n" + QSysInfo::machineHostName().toUtf8() + "\n"; }},
        {"number alone", [](pid_t pid) { return QByteArray::number(pid) + "\n"; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        // A program that has just ended, its lock written a moment ago.
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ASSERT_GT(pid, 0);
        ::waitpid(pid, nullptr, 0);
        {
            QFile f(lock);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::NewOnly));
            const QByteArray content = row.content(pid);
            ASSERT_EQ(f.write(content), content.size());
        }
        SerialTransport line(link);
        EXPECT_TRUE(line.open(19200)) << line.lastError().toStdString();
        EXPECT_EQ(line.lockRefusal().holder, DeviceLock::Holder::None);
        line.close();
        EXPECT_FALSE(QFile::exists(lock));
        QFile::remove(lock);
    }
}
