#include "file_problems.h"

#include <QDir>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace qvx {

bool saveWholeFile(const QString& path, const QByteArray& bytes, QString* reason) {
    QSaveFile f(path);
    const auto failed = [&] {
        if (reason) *reason = f.errorString();
        return false;
    };
    if (path.isEmpty() || !f.open(QIODevice::WriteOnly)) return failed();
    // QSaveFile commits a file whose buffered bytes never reached the disk,
    // so the write and the flush are checked before the commit.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        const bool told = failed();
        f.cancelWriting();
        return told;
    }
    return f.commit() || failed();
}

bool makeFolders(const QString& path, QString* reason) {
    std::error_code ec;
    const std::filesystem::path p(path.toStdU16String());
    if (std::filesystem::is_directory(p, ec)) return true;
    if (!std::filesystem::exists(p, ec)) std::filesystem::create_directories(p, ec);
    if (!ec && std::filesystem::is_directory(p, ec)) return true;
    // Something that is no folder stands in the way.
    if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    if (reason) *reason = QString::fromLocal8Bit(ec.message());
    return false;
}

QString fileProblemText(const QString& text, const QString& path, const QString& reason) {
    return text.arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace qvx
