// The settings store file.
//
// Format: a UTF-8 text file with "\n" line ends (a "\r\n" file reads as well):
//
//     [QVX-720 Monitor]
//     Port=COM1
//     Chname05=Oven A
//
// One "key=value" line per key, in the order the keys were first written.
// The line splits at its first '='; spaces around key and value are ignored
// when reading. Keys and values are escaped so that any text survives:
//     "\\"  backslash        "\n" "\r" "\t"  line feed, carriage return, tab
//     "\uXXXX" any other UTF-16 unit: control characters, lone surrogates,
//              a leading or trailing blank, and in a key '=' and a leading
//              ';', '#' or '['.
// Lines starting with ';' or '#' are comments. A line that is neither blank,
// comment, section header nor a well-formed "key=value" (no '=', empty key,
// bad escape) is skipped. Key lines before any section header count as ours;
// the lines of any other section are kept as they are and written back after
// ours. When a key occurs twice, the first line counts.
//
// The object reads the file once, when it is made; every save (and every
// saveAll, once for all its keys) writes the whole file through saveWholeFile. The program keeps one store object per file
// and hands it to whoever needs it.
#include "settings_store.h"

#include <QFile>
#include <QStandardPaths>

#include "bounded.h"
#include "file_writes.h"
#include "qvx720_inc.h"

namespace qvx {

namespace {

const QChar kBackslash(u'\\');

QString fold(const QString& key) { return key.toCaseFolded(); }

void appendUnit(QString& out, char16_t u) {
    out += QStringLiteral("\\u") + QString::number(static_cast<uint>(u), 16).rightJustified(4, u'0').toUpper();
}

// A UTF-16 unit that cannot stand in the file as it is: a control character
// or a surrogate without its partner.
bool needsUnitEscape(const QString& s, qsizetype i) {
    const char16_t c = s.at(i).unicode();
    if (c < 0x20 || c == 0x7F) return true;
    if (QChar::isHighSurrogate(c)) return !(i + 1 < s.size() && s.at(i + 1).isLowSurrogate());
    if (QChar::isLowSurrogate(c)) return !(i > 0 && s.at(i - 1).isHighSurrogate());
    return false;
}

QString escape(const QString& s, bool isKey) {
    QString out;
    out.reserve(s.size() + 8);
    const qsizetype last = s.size() - 1;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == kBackslash) {
            out += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (needsUnitEscape(s, i) || ((i == 0 || i == last) && c.isSpace()) ||
                   (isKey && c == u'=') ||
                   (isKey && i == 0 && (c == u';' || c == u'#' || c == u'['))) {
            appendUnit(out, c.unicode());
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// False on a bad escape sequence.
bool unescape(const QString& s, QString& out) {
    out.clear();
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c != kBackslash) {
            out += c;
            continue;
        }
        if (++i >= s.size()) return false;
        switch (s.at(i).unicode()) {
        case u'\\': out += kBackslash; break;
        case u'n': out += QChar(u'\n'); break;
        case u'r': out += QChar(u'\r'); break;
        case u't': out += QChar(u'\t'); break;
        case u'u': {
            if (i + 4 >= s.size()) return false;
            int v = 0;
            for (int d = 1; d <= 4; ++d) {
                const int h = hexDigit(s.at(i + d));
                if (h < 0) return false;
                v = v * 16 + h;
            }
            out += QChar(static_cast<char16_t>(v));
            i += 4;
            break;
        }
        default: return false;
        }
    }
    return true;
}

bool isSectionHeader(const QString& line) { return line.startsWith(u'[') && line.endsWith(u']'); }

}  // namespace

SettingsStore::SettingsStore(QString iniPath) : path_(std::move(iniPath)) { load(); }

// Linux: ~/.config/KORVEL MERIDAX/QVX-720 Monitor.ini (or under $XDG_CONFIG_HOME);
// Windows: %LOCALAPPDATA%\KORVEL MERIDAX\QVX-720 Monitor.ini. The folder of
// the user's configuration, not depending on the application name set in
// QCoreApplication, so that tools and tests find the same file.
QString SettingsStore::defaultPath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + u'/' + QLatin1String(kApplication) + u'/' + QLatin1String(kSection) + QStringLiteral(".ini");
}

QString SettingsStore::read(const QString& key, const QString& def) const {
    const auto it = values_.constFind(fold(key));
    return it == values_.constEnd() ? def : *it;
}

bool SettingsStore::contains(const QString& key) const { return values_.contains(fold(key)); }

bool SettingsStore::put(const QString& key, const QString& value) {
    if (key.isEmpty()) return false;
    const QString k = fold(key);
    if (!values_.contains(k)) {
        spelling_.insert(k, key);
        order_.append(k);
    }
    values_.insert(k, value);
    return true;
}

bool SettingsStore::save(const QString& key, const QString& value) { return put(key, value) && writeFile(); }

bool SettingsStore::saveAll(const QList<std::pair<QString, QString>>& entries) {
    bool ok = true;
    for (const auto& [key, value] : entries) ok = put(key, value) && ok;
    return writeFile() && ok;
}

void SettingsStore::load() {
    values_.clear();
    spelling_.clear();
    order_.clear();
    foreign_.clear();

    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return;
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);

    bool ours = true;  // lines before any section header count as ours
    const QStringList lines = text.split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (isSectionHeader(line)) {
            ours = line.mid(1, line.size() - 2).trimmed().compare(QLatin1String(kSection), Qt::CaseInsensitive) == 0;
            if (!ours) foreign_.append(line);
            continue;
        }
        if (!ours) {
            if (!line.isEmpty()) foreign_.append(line);
            continue;
        }
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;  // malformed: no key
        QString key;
        QString value;
        if (!unescape(line.left(eq).trimmed(), key) || !unescape(line.mid(eq + 1).trimmed(), value)) continue;
        if (key.isEmpty()) continue;
        const QString k = fold(key);
        if (values_.contains(k)) continue;  // the first line of a key counts
        values_.insert(k, value);
        spelling_.insert(k, key);
        order_.append(k);
    }
}

bool SettingsStore::writeFile() {
    QString text;
    text.reserve(order_.size() * 32 + 64);
    text += u'[' + QLatin1String(kSection) + QStringLiteral("]\n");
    for (const QString& k : order_)
        text += escape(spelling_.value(k), true) + u'=' + escape(values_.value(k), false) + u'\n';
    if (!foreign_.isEmpty()) {
        for (const QString& line : foreign_) {
            if (isSectionHeader(line)) text += u'\n';
            text += line + u'\n';
        }
    }

    FileWrite w = makeFileFolder(path_);
    if (w.ok) w = saveWholeFile(path_, text.toUtf8());
    lastError_ = w.ok ? QString() : w.reason;
    lastErrorPlace_ = w.ok ? QString() : w.place;
    if (watcher_) watcher_(w.ok);
    return w.ok;
}

QString channelKey2(int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    return QString::number(ch + 10001).right(2);
}

QString channelKey3(int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    return QString::number(ch + 10001).right(3);
}

}  // namespace qvx
