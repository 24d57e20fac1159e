#include "startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

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

bool createHistoryFile(const QString& path, const QDate& startDate, const QLocale& locale, QString* reason) {
    QFile f(path);
    QByteArray head = quotedLine({QStringLiteral("QVX-720 Alarm history"), QStringLiteral("    Data  : "),
                                  locale.toString(startDate, QLocale::ShortFormat)});
    head += quotedLine({QStringLiteral("Time"), QStringLiteral("Channel"), QStringLiteral("Contain")});
    if (f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(head) == head.size() && f.flush()) return true;
    if (reason) *reason = f.errorString();
    return false;
}

}  // namespace qvx
