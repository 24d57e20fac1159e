// File names of this program's logging and history files.
#pragma once

#include <QDateTime>
#include <QString>

namespace qvx {

// <folder>/Logging/<y>_<m>_<d>_<h>_<min>_<s>.csv, numbers without leading zeros.
QString LogFile_Name(const QString& programFolder, const QDateTime& now);
// <folder>/History/His_<y>_<m>_<d>_<h>_<min>.txt, numbers without leading zeros.
QString HistoryFile_Name(const QString& programFolder, const QDateTime& start);

}  // namespace qvx
