// Every write of the program's files, and the pieces that tell the operator
// about a failed one: whole-file saves, appends, the folders they need, the
// system's reason of a failure, the "file: reason" text and the rule that a
// run of failures is told once.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFileDevice;

namespace qvx {

// Outcome of a write of one of the program's files.
struct FileWrite {
    bool ok = true;
    // The system refused access although the file (or, for a new file, its
    // folder) permits writing: another program holds the file.
    bool deniedThoughWritable = false;
    QString reason;  // the system's text of the failure
    QString place;   // what failed: the file, or its folder when the folder is the cause
};

// The failure of f, an open or a write of the file at path.
FileWrite fileWriteFailure(const QFileDevice& f, const QString& path);

// Replaces the file at path with bytes through a temporary file beside it.
// The old file stays as it was unless every byte reached the disk: a write or
// the final flush that fails (a full disk) cancels the save. A folder that
// cannot be written is the place of the failure, never another program
// holding the file.
FileWrite saveWholeFile(const QString& path, const QByteArray& bytes);

// The place a failed whole-file save of path names: its folder when the
// folder is missing or cannot be written (the save needs a temporary file
// beside the file), else the file.
QString wholeFileFailurePlace(const QString& path);

// Appends bytes in one write, flushed; the file is created when missing. A
// file that holds nothing yet first takes headerIfEmpty. A write that fails
// part way (a full disk) takes back the bytes it wrote, so the file never
// ends in part of a line; when the file has grown by more than those bytes
// meanwhile (a writer that does not lock shares it), it is left as it is.
// A new file that its folder refuses names the folder.
//
// The size check, the write and the take-back happen under an exclusive
// advisory lock (flock) on the file, so two runs of the program appending to
// one file never take back each other's lines. A file that cannot be locked,
// or that stays locked longer than kAppendLockWaitMs, is appended without it.
FileWrite appendToFile(const QString& path, const QByteArray& bytes, const QByteArray& headerIfEmpty = {});
inline constexpr int kAppendLockWaitMs = 250;

// Makes the folder and any missing parents. False, with the system's reason,
// when one of them could not be made.
bool makeFolders(const QString& path, QString* reason = nullptr);

// Makes the folder of the file at path when it is missing. A failure names
// the folder and the system's reason for the folder.
FileWrite makeFileFolder(const QString& path);

// One line of the program's text files: each field in double quotes (a quote
// inside doubled), separated by commas, ended by CR LF, in the system's code
// page.
QByteArray quotedLine(const QStringList& fields);

// "path: reason", the path in the platform's separators: one failure in a
// list of failures.
QString pathReasonText(const QString& path, const QString& reason);

// A file-failure message: "%1" of the text is the file (in the platform's
// separators), "%2" the reason.
QString fileProblemText(const QString& text, const QString& path, const QString& reason);

// Tells of a run of failures once: the first failure since the start or since
// the last success is to be told, the ones after it are not.
class FailureRun {
public:
    // True when this failure starts a run.
    bool fail() {
        const bool first = !failing_;
        failing_ = true;
        return first;
    }
    void succeed() { failing_ = false; }
    bool failing() const { return failing_; }

private:
    bool failing_ = false;
};

}  // namespace qvx
