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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_writes.h"
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
int otherWriterFd = -1;
void otherWriterAppends(int) {
    if (otherWriterFd < 0) return;
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

// Runs write in a child under the size limit and hands back its outcome.
FileWrite writeUnderLimit(const std::function<FileWrite()>& write, const QString& sharedWith) {
    int fds[2];
    if (pipe(fds) != 0) return {false, false, QStringLiteral("<no pipe>")};
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (!sharedWith.isEmpty()) {
            otherWriterFd = ::open(QFile::encodeName(sharedWith).constData(), O_WRONLY | O_APPEND);
            std::signal(SIGXFSZ, otherWriterAppends);
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
        }
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = kLimit;
        setrlimit(RLIMIT_FSIZE, &limited);
        const FileWrite w = write();
        setrlimit(RLIMIT_FSIZE, &old);
        const QByteArray out = QByteArray(w.ok ? "1" : "0") + w.reason.toUtf8();
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
    if (pid < 0 || !WIFEXITED(status) || got.isEmpty()) return {false, false, QStringLiteral("<child failed>")};
    return {got.startsWith('1'), false, QString::fromUtf8(got.mid(1))};
}

// The logging file's replace, in the terms of the other writes.
FileWrite replaceLoggingFile(const QString& path, const QByteArray& bytes) {
    const LogWriteResult r = replaceLogFile(path, bytes);
    return {r.kind == LogWrite::Ok, r.kind == LogWrite::AccessDenied, r.reason};
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
        bool shared;        // another writer appends meanwhile
        QByteArray after;   // the file afterwards
    } rows[] = {
        {"whole-file save", kOldFile, [&](const QString& p) { return saveWholeFile(p, big); }, false, kOldFile},
        {"logging-file replace", kOldFile, [&](const QString& p) { return replaceLoggingFile(p, big); }, false,
         kOldFile},
        {"append", kOldFile, [&](const QString& p) { return appendToFile(p, big); }, false, kOldFile},
        {"append while another writer appends", kOldFile, [&](const QString& p) { return appendToFile(p, big); },
         true, kOldFile + ourPart + kOtherLine},
        {"append to a full file while another writer appends", QByteArray(qsizetype(kLimit), 'o'),
         [&](const QString& p) { return appendToFile(p, "row\r\n"); }, true,
         QByteArray(qsizetype(kLimit), 'o') + kOtherLine},
    };
    for (const Row& row : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file.csv"));
        writeFile(path, row.before);
        const FileWrite w = writeUnderLimit([&] { return row.write(path); }, row.shared ? path : QString());
        EXPECT_FALSE(w.ok) << row.name;
        EXPECT_EQ(w.reason, qt_error_string(EFBIG)) << row.name;
        const QByteArray after = fileBytes(path);
        EXPECT_EQ(after.size(), row.after.size()) << row.name;
        EXPECT_TRUE(after == row.after) << row.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"file.csv"}) << row.name;
    }
}
