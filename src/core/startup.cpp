#include "startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

namespace qvx {

QString resolveProgramFolder(const QString& dataDirOption, const QString& executableFolder,
                             const QString& userDataFolder) {
    if (!dataDirOption.isEmpty()) return QDir(dataDirOption).absolutePath();
    const QFileInfo exe(executableFolder);
    if (!executableFolder.isEmpty() && exe.isDir() && exe.isWritable()) return exe.absoluteFilePath();
    return QDir(userDataFolder).absolutePath();
}

bool createProgramFolders(const QString& folder) {
    QDir dir(folder);
    bool ok = dir.mkpath(QStringLiteral("."));
    for (const char* sub : {"Logging", "History", "Setdata"}) ok = dir.mkpath(QLatin1String(sub)) && ok;
    return ok;
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

bool createHistoryFile(const QString& path, const QDate& startDate, const QLocale& locale) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    QByteArray head = quotedLine({QStringLiteral("QVX-720 Alarm history"), QStringLiteral("    Data  : "),
                                  locale.toString(startDate, QLocale::ShortFormat)});
    head += quotedLine({QStringLiteral("Time"), QStringLiteral("Channel"), QStringLiteral("Contain")});
    return f.write(head) == head.size() && f.flush();
}

}  // namespace qvx
