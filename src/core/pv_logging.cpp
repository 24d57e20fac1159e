#include "pv_logging.h"

#include <QDir>

namespace qvx {

QString LogFile_Name(const QString& programFolder, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QDir(programFolder).filePath(QStringLiteral("Logging/%1_%2_%3_%4_%5_%6.csv")
                                            .arg(d.year())
                                            .arg(d.month())
                                            .arg(d.day())
                                            .arg(t.hour())
                                            .arg(t.minute())
                                            .arg(t.second()));
}

QString HistoryFile_Name(const QString& programFolder, const QDateTime& start) {
    const QDate d = start.date();
    const QTime t = start.time();
    return QDir(programFolder).filePath(QStringLiteral("History/His_%1_%2_%3_%4_%5.txt")
                                            .arg(d.year())
                                            .arg(d.month())
                                            .arg(d.day())
                                            .arg(t.hour())
                                            .arg(t.minute()));
}

}  // namespace qvx
