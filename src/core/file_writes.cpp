#include "file_writes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <sys/file.h>

#include <filesystem>
#include <system_error>

namespace qvx {

namespace {
// Writes every byte to an unbuffered device. A short write is followed by one
// for the rest, which then says why it failed. done: the bytes written.
bool writeAll(QFileDevice& f, const QByteArray& bytes, qint64* done = nullptr) {
    qint64 n = 0;
    while (n < bytes.size()) {
        const qint64 w = f.write(bytes.constData() + n, bytes.size() - n);
        if (w <= 0) break;
        n += w;
    }
    if (done) *done = n;
    return n == bytes.size();
}

// Takes the exclusive advisory lock of an open file. Another run of the
// program holds it only for one append, so the wait is short; it sleeps
// between tries and gives up after kAppendLockWaitMs, so a file that some
// other program keeps locked cannot hold the program up. False when the lock
// was not taken (also on a file system without locks).
bool lockForAppend(int fd) {
    if (fd < 0) return false;
    int waitedMs = 0;
    int stepMs = 1;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || waitedMs >= kAppendLockWaitMs) return false;
        const timespec pause{0, long(stepMs) * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
        waitedMs += stepMs;
        stepMs = std::min(stepMs * 2, 50);
    }
}
}  // namespace

FileWrite fileWriteFailure(const QFileDevice& f, const QString& path) {
    FileWrite out;
    out.ok = false;
    out.reason = f.error() == QFileDevice::NoError ? qt_error_string(EIO) : f.errorString();
    out.place = path;
    const bool denied = out.reason == qt_error_string(EACCES) || out.reason == qt_error_string(EPERM);
    if (denied) {
        const QFileInfo fi(path);
        out.deniedThoughWritable = fi.exists() ? fi.isWritable() : QFileInfo(fi.absolutePath()).isWritable();
    }
    return out;
}

namespace {
// The failure of a whole-file save. The save writes a temporary file beside
// the file and puts it in the file's place, so a folder that cannot be
// written fails it however writable the file is: the folder is then the
// place, and no other program is to blame.
FileWrite wholeFileFailure(const QFileDevice& f, const QString& path) {
    FileWrite out = fileWriteFailure(f, path);
    out.place = wholeFileFailurePlace(path);
    if (out.place != path) out.deniedThoughWritable = false;
    return out;
}
}  // namespace

FileWrite saveWholeFile(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) return {false, false, qt_error_string(ENOENT), path};
    // The system's reason, not QSaveFile's own text, for a folder of that name.
    if (QFileInfo(path).isDir()) return {false, false, qt_error_string(EISDIR), path};
    QSaveFile f(path);
    // Unbuffered: QSaveFile commits a file whose buffered bytes never reached
    // the disk, and a flush that gets part of them out gives no reason.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return wholeFileFailure(f, path);
    if (!writeAll(f, bytes) || !f.flush()) {
        const FileWrite failed = wholeFileFailure(f, path);
        f.cancelWriting();
        return failed;
    }
    if (f.commit()) return {};
    return wholeFileFailure(f, path);
}

QString wholeFileFailurePlace(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    return folder.isDir() && folder.isWritable() ? path : folder.filePath();
}

FileWrite appendToFile(const QString& path, const QByteArray& bytes, const QByteArray& headerIfEmpty) {
    if (path.isEmpty()) return {false, false, qt_error_string(ENOENT), path};
    QFile f(path);
    // Unbuffered: what write() reports is what reached the system.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        FileWrite failed = fileWriteFailure(f, path);
        // A file not there yet is made in its folder, which may be the cause.
        if (!QFileInfo::exists(path)) failed.place = wholeFileFailurePlace(path);
        return failed;
    }
    // Held until f closes: from the size read here to the take-back below,
    // no other run of the program appends.
    lockForAppend(f.handle());
    const qint64 before = f.size();
    const QByteArray all = before == 0 && !headerIfEmpty.isEmpty() ? headerIfEmpty + bytes : bytes;
    qint64 done = 0;
    if (writeAll(f, all, &done)) return {};
    const FileWrite failed = fileWriteFailure(f, path);
    // Take back this call's bytes, and only while they are all the file has
    // gained since the open: lines another writer added stay.
    if (done > 0 && f.size() == before + done) f.resize(before);
    return failed;
}

bool makeFolders(const QString& path, QString* reason) {
    std::error_code ec;
    const std::filesystem::path p(path.toStdU16String());
    if (std::filesystem::is_directory(p, ec)) return true;
    if (!std::filesystem::exists(p, ec)) std::filesystem::create_directories(p, ec);
    if (!ec && std::filesystem::is_directory(p, ec)) return true;
    // Something that is no folder stands in the way.
    if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    if (reason) *reason = QString::fromLocal8Bit(ec.message());
    return false;
}

FileWrite makeFileFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    FileWrite out;
    if (path.isEmpty() || makeFolders(folder, &out.reason)) return out;
    out.ok = false;
    out.place = folder;
    return out;
}

QByteArray quotedLine(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i) line += QLatin1Char(',');
        QString f = fields[i];
        f.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        line += QLatin1Char('"') + f + QLatin1Char('"');
    }
    line += QStringLiteral("\r\n");
    QStringEncoder enc(QStringConverter::System);
    return enc.encode(line);
}

QString pathReasonText(const QString& path, const QString& reason) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString fileProblemText(const QString& text, const QString& path, const QString& reason) {
    return text.arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace qvx
