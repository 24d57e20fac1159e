#include "startup.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "file_writes.h"

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
        if (failures) failures->append(pathReasonText(path, reason));
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
        // A failure whose place is a folder already told is the same failure.
        if (inside || told.contains(line)) continue;
        told.append(line);
        const qsizetype colon = line.lastIndexOf(QStringLiteral(": "));
        folders.append(QDir::toNativeSeparators(colon < 0 ? line : line.left(colon)) + QDir::separator());
    }
    return told;
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
