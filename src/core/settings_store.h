// The per-user settings store: text values under one application name and one
// section, found by key. Keys are matched without regard to case. Every save
// is written through to the file at once.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace qvx {

class SettingsStore {
public:
    static constexpr const char* kApplication = "KORVEL MERIDAX";
    static constexpr const char* kSection = "QVX-720 Monitor";

    // The store kept in the file at iniPath (created on the first save).
    explicit SettingsStore(QString iniPath);
    // The file in the user's configuration folder.
    static QString defaultPath();

    // The stored text of key, or def when the key is missing.
    QString read(const QString& key, const QString& def) const;
    bool contains(const QString& key) const;
    // Stores value under key and writes the file. False when the file could
    // not be written (the value is kept in memory all the same), and for an
    // empty key, which is not stored.
    bool save(const QString& key, const QString& value);
    // Stores every key and value in turn as save() does, then writes the file
    // once. False when the file could not be written or a key was empty.
    bool saveAll(const QList<std::pair<QString, QString>>& entries);

    const QString& path() const { return path_; }
    // The system's reason why the last write of the file failed; empty when
    // it succeeded (or nothing was written yet).
    const QString& lastError() const { return lastError_; }
    // What the last failed write names with that reason: the file, or its
    // folder when the folder is the cause (missing, or refusing the file
    // beside it that a whole-file save writes first). Empty when it succeeded.
    const QString& lastErrorPlace() const { return lastErrorPlace_; }
    // Called after every write of the file with its outcome.
    void setWriteWatcher(std::function<void(bool ok)> watcher) { watcher_ = std::move(watcher); }

private:
    // Implementation detail owned by settings_store.cpp.
    QString path_;
    QHash<QString, QString> values_;    // case-folded key -> value
    QHash<QString, QString> spelling_;  // case-folded key -> key as first written
    QStringList order_;                 // case-folded keys in file order
    QStringList foreign_;               // lines of other sections, kept as read
    QString lastError_;
    QString lastErrorPlace_;
    std::function<void(bool ok)> watcher_;
    void load();
    bool put(const QString& key, const QString& value);
    bool writeFile();
};

// Key suffixes of a channel ch (0..94): "01".."95" and "001".."095".
// A channel outside 0..94 throws std::out_of_range.
QString channelKey2(int ch);
QString channelKey3(int ch);

}  // namespace qvx
