// Shared by the file-reader fuzz targets: a scratch folder for the files the
// readers open, and the failure report of a broken invariant.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qvx::fuzz {

// A failed check: says which, then aborts, so that libFuzzer keeps the input
// and the replay test fails.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// The process's scratch folder (removed at exit): in memory where the
// system offers it, as the whole-file saves sync every file they write.
inline const QTemporaryDir& scratch() {
    static const QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                       ? QStringLiteral("/dev/shm/qvx720-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/qvx720-fuzz-XXXXXX"));
    if (!dir.isValid()) fail("no scratch folder");
    return dir;
}

inline QString scratchPath(const QString& name) { return scratch().filePath(name); }

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes bytes as the whole file at path and returns the path.
inline QString writeScratch(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) fail("scratch file not written");
    return path;
}

}  // namespace qvx::fuzz
