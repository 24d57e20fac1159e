// Writing files so that a failure is never taken for success, and the
// pieces that tell the operator about one: the system's reason for a folder
// that cannot be made, the text of a file-failure box, and the rule that a
// run of failures is told once.
#pragma once

#include <QByteArray>
#include <QString>

namespace qvx {

// Replaces the file at path with bytes through QSaveFile. The old file stays
// as it was unless every byte reached the file: a write or the final flush
// that fails (a full disk) cancels the save. False, with the system's reason,
// when the file could not be written.
bool saveWholeFile(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// Makes the folder and any missing parents. False, with the system's reason,
// when one of them could not be made.
bool makeFolders(const QString& path, QString* reason = nullptr);

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
