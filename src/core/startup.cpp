#include "startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <cerrno>

#include <algorithm>

#include "file_problems.h"

namespace qvx {

QString resolveProgramFolder(const QString& dataDirOption, const QString& executableFolder,
                             const QString& userDataFolder) {
    if (!dataDirOption.isEmpty()) return QDir(dataDirOption).absolutePath();
    const QFileInfo exe(executableFolder);
    if (!executableFolder.isEmpty() && exe.isDir() && exe.isWritable()) return exe.absoluteFilePath();
    return QDir(userDataFolder).absolutePath();
}

bool createProgramFolders(const QString& folder, QStringList* failures) {
    const auto make = [failures](const QString& path) {
        QString reason;
        if (makeFolders(path, &reason)) return true;
        if (failures) failures->append(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    };
    if (!make(folder)) return false;
    bool ok = true;
    for (const char* sub : {"Logging", "History", "Setdata"}) ok = make(QDir(folder).filePath(QLatin1String(sub))) && ok;
    return ok;
}

QStringList startupFailuresToTell(const QStringList& failures) {
    QStringList told;
    QStringList folders;  // the paths named so far, each ending in a separator
    for (const QString& line : failures) {
        const bool inside = std::any_of(folders.cbegin(), folders.cend(),
                                        [&](const QString& f) { return line.startsWith(f); });
        if (inside) continue;
        told.append(line);
        const qsizetype colon = line.lastIndexOf(QStringLiteral(": "));
        folders.append(QDir::toNativeSeparators(colon < 0 ? line : line.left(colon)) + QDir::separator());
    }
    return told;
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

FileWrite fileWriteFailure(const QFileDevice& f, const QString& path) {
    FileWrite out;
    out.ok = false;
    out.reason = f.error() == QFileDevice::NoError ? qt_error_string(EIO) : f.errorString();
    const bool denied = out.reason == qt_error_string(EACCES) || out.reason == qt_error_string(EPERM);
    if (denied) {
        const QFileInfo fi(path);
        out.heldElsewhere = fi.exists() ? fi.isWritable() : QFileInfo(fi.absolutePath()).isWritable();
    }
    return out;
}

FileWrite appendToFile(const QString& path, const QByteArray& bytes, const QByteArray& headerIfEmpty) {
    if (path.isEmpty()) return {false, false, qt_error_string(ENOENT)};
    QFile f(path);
    // Unbuffered: what write() reports is what reached the system.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return fileWriteFailure(f, path);
    const qint64 before = f.size();
    const QByteArray all = before == 0 && !headerIfEmpty.isEmpty() ? headerIfEmpty + bytes : bytes;
    // A short write is followed by one for the rest, which then says why it failed.
    qint64 done = 0;
    while (done < all.size()) {
        const qint64 n = f.write(all.constData() + done, all.size() - done);
        if (n <= 0) break;
        done += n;
    }
    if (done == all.size()) return {};
    const FileWrite failed = fileWriteFailure(f, path);
    f.resize(before);
    return failed;
}

QByteArray historyFileHeader(const QDate& startDate, const QLocale& locale) {
    return quotedLine({QStringLiteral("QVX-720 Alarm history"), QStringLiteral("    Data  : "),
                       locale.toString(startDate, QLocale::ShortFormat)}) +
           quotedLine({QStringLiteral("Time"), QStringLiteral("Channel"), QStringLiteral("Contain")});
}

bool createHistoryFile(const QString& path, const QDate& startDate, const QLocale& locale, QString* reason) {
    const FileWrite written = appendToFile(path, historyFileHeader(startDate, locale));
    if (!written.ok && reason) *reason = written.reason;
    return written.ok;
}

}  // namespace qvx
