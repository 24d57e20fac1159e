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
};

// The failure of f, an open or a write of the file at path.
FileWrite fileWriteFailure(const QFileDevice& f, const QString& path);

// Replaces the file at path with bytes through a temporary file beside it.
// The old file stays as it was unless every byte reached the disk: a write or
// the final flush that fails (a full disk) cancels the save.
FileWrite saveWholeFile(const QString& path, const QByteArray& bytes);

// The place a failed whole-file save of path names: its folder when the
// folder is missing or cannot be written (the save needs a temporary file
// beside the file), else the file.
QString wholeFileFailurePlace(const QString& path);

// Appends bytes in one write, flushed; the file is created when missing. A
// file that holds nothing yet first takes headerIfEmpty. A write that fails
// part way (a full disk) takes back the bytes it wrote, so the file never
// ends in part of a line; when the file has grown by more than those bytes
// meanwhile (another writer shares it), it is left as it is.
FileWrite appendToFile(const QString& path, const QByteArray& bytes, const QByteArray& headerIfEmpty = {});

// Makes the folder and any missing parents. False, with the system's reason,
// when one of them could not be made.
bool makeFolders(const QString& path, QString* reason = nullptr);

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
