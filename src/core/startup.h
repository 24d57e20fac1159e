// Start-up chores that need no window: the program's folder, its sub-folders
// and this run's alarm-history file.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace qvx {

// The folder that holds Logging, History, Setdata and the chart files: the
// given data folder when set, else the executable's folder when it is
// writable, else the user's data folder. Always an absolute path.
QString resolveProgramFolder(const QString& dataDirOption, const QString& executableFolder,
                             const QString& userDataFolder);

// Creates Logging, History and Setdata below folder where missing. False when
// one of them could not be made; each folder that could not be made goes to
// failures as "folder: reason" (only the program's folder itself when that
// one fails).
bool createProgramFolders(const QString& folder, QStringList* failures = nullptr);

// The two header lines of an alarm-history file.
QByteArray historyFileHeader(const QDate& startDate, const QLocale& locale = QLocale::system());

// Writes the two header lines of this run's alarm-history file. A file of the
// same name (a start in the same minute) is appended to, never replaced, so
// the earlier run's history is kept.
// False, with the system's reason, when the file could not be written.
bool createHistoryFile(const QString& path, const QDate& startDate, const QLocale& locale = QLocale::system(),
                       QString* reason = nullptr);

// The failures of start-up ("path: reason", in the order they happened)
// that the message at start names: a path inside a folder named before is
// left out, since it failed for that folder's reason, and so is a failure
// named before (a file whose folder is the cause names that folder).
QStringList startupFailuresToTell(const QStringList& failures);

}  // namespace qvx
