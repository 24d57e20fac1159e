// Writes on a file system that refuses more bytes: a file-size limit
// (RLIMIT_FSIZE, with SIGXFSZ not ending the process) makes a write past it
// fail with EFBIG as a full disk would, without root. The limit binds the
// whole process, so each write runs in a forked child.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_writes.h"
#include "page_file.h"
#include "pv_logging.h"

using namespace qvx;

#include "test_files.h"

using qvx::test::fileBytes;
using qvx::test::writeFile;

namespace {

constexpr rlim_t kLimit = 4096;  // bytes a file may reach
const QByteArray kOldFile = "old\r\n";
const QByteArray kOtherLine = "\"12:00:01\",\"Ch01\",\"other run\"\r\n";



// The other writer of a shared file: it appends its line the moment this
// process is refused (SIGXFSZ comes with the failing write), so its line lands
// between the failed write and whatever the writer does about the failure.
// A plain writer appends at once, from the signal handler; another run of the
// program is a second process that appends under the file's lock, and it is
// let go by the handler, which returns only once that process has appended or
// waits for the lock.
enum class Other { None, Plain, Run };
int otherWriterFd = -1;
int otherRunGo = -1;    // a byte lets the other run go
int otherRunSaid = -1;  // it answers once it has appended or waits for the lock
void otherWriterAppends(int) {
    if (otherWriterFd >= 0) {
        rlimit r{};
        getrlimit(RLIMIT_FSIZE, &r);
        const rlim_t soft = r.rlim_cur;
        r.rlim_cur = r.rlim_max;
        setrlimit(RLIMIT_FSIZE, &r);
        [[maybe_unused]] const ssize_t n = ::write(otherWriterFd, kOtherLine.constData(), size_t(kOtherLine.size()));
        r.rlim_cur = soft;
        setrlimit(RLIMIT_FSIZE, &r);
        otherWriterFd = -1;  // once
    }
    if (otherRunGo >= 0) {
        char c = 'g';
        [[maybe_unused]] ssize_t n = ::write(otherRunGo, &c, 1);
        n = ::read(otherRunSaid, &c, 1);
        otherRunGo = -1;  // once
    }
}

// The other run: waits for the go, then appends its line under the lock.
pid_t startOtherRun(const QString& path) {
    int go[2], said[2];
    if (pipe(go) != 0 || pipe(said) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        char c = 0;
        if (::read(go[0], &c, 1) != 1) ::_exit(1);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
        const bool waits = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        if (waits) {
            [[maybe_unused]] const ssize_t n = ::write(said[1], "w", 1);
            ::flock(fd, LOCK_EX);
        }
        [[maybe_unused]] const ssize_t n = ::write(fd, kOtherLine.constData(), size_t(kOtherLine.size()));
        if (!waits) {
            [[maybe_unused]] const ssize_t m = ::write(said[1], "a", 1);
        }
        ::_exit(0);
    }
    ::close(go[0]);
    ::close(said[1]);
    otherRunGo = go[1];
    otherRunSaid = said[0];
    return pid;
}

// How a write runs in its child.
struct InChild {
    bool limited = false;  // under the file-size limit
    bool nonRoot = false;  // as nobody when the tests run as root (root ignores permissions)
    Other other = Other::None;
    QString shared;  // the file the other writer appends to
};

// Runs write in a child and hands back its outcome.
FileWrite runInChild(const std::function<FileWrite()>& write, const InChild& how) {
    int fds[2];
    if (pipe(fds) != 0) return {false, false, QStringLiteral("<no pipe>"), {}};
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        pid_t otherRun = -1;
        if (how.other == Other::Run) otherRun = startOtherRun(how.shared);
        if (how.other == Other::Plain)
            otherWriterFd = ::open(QFile::encodeName(how.shared).constData(), O_WRONLY | O_APPEND);
        std::signal(SIGXFSZ, how.other == Other::None ? SIG_IGN : otherWriterAppends);
        if (how.nonRoot && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(1);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (how.limited) {
            rlimit limited = old;
            limited.rlim_cur = kLimit;
            setrlimit(RLIMIT_FSIZE, &limited);
        }
        const FileWrite w = write();
        setrlimit(RLIMIT_FSIZE, &old);
        if (otherRun > 0) waitpid(otherRun, nullptr, 0);
        const QByteArray out = QByteArray(w.ok ? "1" : "0") + (w.deniedThoughWritable ? "1" : "0") +
                               w.reason.toUtf8() + '\0' + w.place.toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(fds[1], out.constData(), size_t(out.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray got;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, n);
    ::close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (pid < 0 || !WIFEXITED(status) || got.size() < 2) return {false, false, QStringLiteral("<child failed>"), {}};
    const QList<QByteArray> parts = got.mid(2).split('\0');
    return {got[0] == '1', got[1] == '1', QString::fromUtf8(parts.value(0)), QString::fromUtf8(parts.value(1))};
}

// The logging file's replace, in the terms of the other writes.
FileWrite replaceLoggingFile(const QString& path, const QByteArray& bytes) {
    const LogWriteResult r = replaceLogFile(path, bytes);
    return {r.kind == LogWrite::Ok, r.kind == LogWrite::AccessDenied, r.reason, r.place};
}

}  // namespace

// Each write is refused part way: the file keeps what it held (or, shared,
// what the other writer added), nothing is left beside it, and the reason is
// the system's.
TEST(FileWrites, RefusedPartWay) {
    const QByteArray big(3 * kLimit, 'z');
    const QByteArray ourPart = big.left(qsizetype(kLimit) - kOldFile.size());  // what fits below the limit
    struct Row {
        const char* name;
        QByteArray before;  // the file before the write
        std::function<FileWrite(const QString& path)> write;
        Other other;        // another writer appends meanwhile
        QByteArray after;   // the file afterwards
    } rows[] = {
        {"whole-file save", kOldFile, [&](const QString& p) { return saveWholeFile(p, big); }, Other::None, kOldFile},
        {"logging-file replace", kOldFile, [&](const QString& p) { return replaceLoggingFile(p, big); }, Other::None,
         kOldFile},
        {"append", kOldFile, [&](const QString& p) { return appendToFile(p, big); }, Other::None, kOldFile},
        {"append while a writer that does not lock appends", kOldFile,
         [&](const QString& p) { return appendToFile(p, big); }, Other::Plain, kOldFile + ourPart + kOtherLine},
        {"append to a full file while a writer that does not lock appends", QByteArray(qsizetype(kLimit), 'o'),
         [&](const QString& p) { return appendToFile(p, "row\r\n"); }, Other::Plain,
         QByteArray(qsizetype(kLimit), 'o') + kOtherLine},
        // The other run waits for the lock until this append has taken its
        // bytes back, so it can never slip in between the check and the cut.
        {"append while another run of the program appends", kOldFile,
         [&](const QString& p) { return appendToFile(p, big); }, Other::Run, kOldFile + kOtherLine},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.csv"));
        writeFile(path, row.before);
        const FileWrite w = runInChild([&] { return row.write(path); }, {true, false, row.other, path});
        EXPECT_FALSE(w.ok) << row.name;
        EXPECT_EQ(w.reason, qt_error_string(EFBIG)) << row.name;
        const QByteArray after = fileBytes(path);
        EXPECT_EQ(after.size(), row.after.size()) << row.name;
        EXPECT_TRUE(after == row.after) << row.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"file.csv"}) << row.name;
    }
}

// A write that the folder refuses names the folder and the system's reason
// for it: a logging folder that cannot be made, and a whole-file save into a
// folder that cannot be written over a file that can (never "another program
// holds the file"). As nobody when the tests run as root.
TEST(FileWrites, RefusingFolderIsNamed) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    const QString logFile = data + QStringLiteral("/run.csv");
    const QString pageFile = data + QStringLiteral("/page.dat");
    writeFile(logFile, kOldFile);
    writeFile(pageFile, kOldFile);
    const auto all = [](QFileDevice::Permissions p) {  // owner, group and others alike
        return p | QFileDevice::Permissions::fromInt(p.toInt() >> 8) | QFileDevice::Permissions::fromInt(p.toInt() >> 12);
    };
    const QFileDevice::Permissions readable = all(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(dir.path(), readable | QFileDevice::WriteOwner);
    QFile::setPermissions(data, readable);  // nobody may write in it
    for (const QString& f : {logFile, pageFile}) QFile::setPermissions(f, all(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const auto fromLog = [](const LogWriteResult& r) {
        return FileWrite{r.kind == LogWrite::Ok, r.kind == LogWrite::AccessDenied, r.reason, r.place};
    };
    struct Row {
        const char* name;
        std::function<FileWrite()> write;
        QString place;
    } rows[] = {
        {"logging row into a folder that cannot be made",
         [&] { return fromLog(appendLogFile(data + QStringLiteral("/Logging/a.csv"), "row\r\n")); },
         data + QStringLiteral("/Logging")},
        {"logging start into a folder that cannot be made",
         [&] { return fromLog(replaceLogFile(data + QStringLiteral("/Logging/a.csv"), "head\r\n")); },
         data + QStringLiteral("/Logging")},
        {"logging row, a new file in a read-only folder",
         [&] { return fromLog(appendLogFile(data + QStringLiteral("/new.csv"), "row\r\n")); }, data},
        {"logging start over a writable file in a read-only folder",
         [&] { return fromLog(replaceLogFile(logFile, "head\r\n")); }, data},
        {"page file saved over a writable file in a read-only folder",
         [&] {
             QString reason, place;
             const bool ok = writePageFile(pageFile, ChannelBlock{}, &reason, &place);
             return FileWrite{ok, false, reason, place};
         },
         data},
    };
    for (const Row& row : rows) {
        const FileWrite w = runInChild(row.write, {false, true, Other::None, {}});
        EXPECT_FALSE(w.ok) << row.name;
        EXPECT_FALSE(w.deniedThoughWritable) << row.name;
        EXPECT_EQ(w.reason, qt_error_string(EACCES)) << row.name;
        EXPECT_EQ(w.place.toStdString(), row.place.toStdString()) << row.name;
    }
    EXPECT_EQ(fileBytes(logFile), kOldFile);
    EXPECT_EQ(fileBytes(pageFile), kOldFile);
    EXPECT_EQ(QDir(data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{"page.dat", "run.csv"}));
    QFile::setPermissions(data, readable | QFileDevice::WriteOwner);
}

// A file that another holder keeps locked is still appended, after the wait:
// the program is never held up by a lock it does not own.
TEST(FileWrites, FileKeptLockedIsAppendedAfterTheWait) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.csv"));
    writeFile(path, kOldFile);
    const int holder = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_TRUE(appendToFile(path, kOtherLine).ok);
    ::close(holder);
    EXPECT_EQ(fileBytes(path), kOldFile + kOtherLine);
}
