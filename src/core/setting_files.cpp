#include "setting_files.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <limits>

#include "file_writes.h"
#include "preferences.h"
#include "settings_store.h"
#include "transfer.h"
#include "value_format.h"

namespace qvx {

// ---- setting-value files -----------------------------------------------------------

ChannelBlock channelBlock(const QVX720_INC& s, int ch) {
    ChannelBlock b{};
    for (int i = 0; i < kFileItems; ++i) b[std::size_t(i)] = s.ParaData(ch, kFileFirstItem + i);
    return b;
}

void storeChannelBlock(QVX720_INC& s, int ch, const ChannelBlock& values) {
    for (int i = 0; i < kFileItems; ++i) s.ParaData(ch, kFileFirstItem + i) = values[std::size_t(i)];
}

namespace {

void appendBlock(QByteArray& out, const ChannelBlock& values) {
    out += '"';
    out += kModelText;
    out += "\"\r\n";
    for (qint16 v : values) {
        out += QByteArray::number(v);
        out += "\r\n";
    }
}

// Fields of the sequential-file text convention, taken in order.
class FieldReader {
public:
    explicit FieldReader(QByteArrayView bytes) : b_(bytes) {}

    // A field of any text: a quoted field loses its quotes. False at the end
    // of the content.
    bool skipText() {
        if (atEnd()) return false;
        skipBlanks();
        if (pos_ < b_.size() && b_[pos_] == '"') {
            const qsizetype close = b_.indexOf('"', pos_ + 1);
            if (close < 0) return false;  // the quoted field never ends
            pos_ = close + 1;
        }
        while (pos_ < b_.size() && !isDelimiter(b_[pos_])) ++pos_;
        endField();
        return true;
    }

    // A number field: optional blanks, an optional sign, decimal digits,
    // optional blanks, within the 16-bit range.
    std::optional<qint16> number() {
        if (atEnd()) return std::nullopt;
        skipBlanks();
        bool negative = false;
        if (pos_ < b_.size() && (b_[pos_] == '-' || b_[pos_] == '+')) {
            negative = b_[pos_] == '-';
            ++pos_;
        }
        qint32 v = 0;
        int digits = 0;
        while (pos_ < b_.size() && b_[pos_] >= '0' && b_[pos_] <= '9') {
            v = v * 10 + (b_[pos_] - '0');
            if (v > 32768) return std::nullopt;
            ++pos_;
            ++digits;
        }
        skipBlanks();
        if (digits == 0) return std::nullopt;
        if (pos_ < b_.size() && !isDelimiter(b_[pos_])) return std::nullopt;
        if (negative) v = -v;
        if (v > std::numeric_limits<qint16>::max()) return std::nullopt;
        endField();
        return static_cast<qint16>(v);
    }

private:
    static bool isDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }
    bool atEnd() const { return pos_ >= b_.size(); }
    void skipBlanks() {
        while (pos_ < b_.size() && (b_[pos_] == ' ' || b_[pos_] == '\t')) ++pos_;
    }
public:
    // True when nothing but blanks and line ends is left: the last field
    // read was the last field of the content.
    bool onlyLineEndsLeft() {
        while (pos_ < b_.size() && (b_[pos_] == ' ' || b_[pos_] == '\t' || b_[pos_] == '\r' || b_[pos_] == '\n'))
            ++pos_;
        return atEnd();
    }

private:
    // Past the delimiter that ends the field: a comma, or one line end
    // (CR LF, CR or LF). The last field of the content may have none.
    void endField() {
        if (atEnd()) return;
        const char c = b_[pos_++];
        if (c == '\r' && pos_ < b_.size() && b_[pos_] == '\n') ++pos_;
    }

    QByteArrayView b_;
    qsizetype pos_ = 0;
};

bool readBlock(FieldReader& r, ChannelBlock& out) {
    if (!r.skipText()) return false;
    for (qint16& v : out) {
        const std::optional<qint16> n = r.number();
        if (!n) return false;
        v = *n;
    }
    return true;
}

// True when the content holds exactly the fields of one block: 55 fields,
// then nothing but blanks and line ends.
bool oneBlockOfFields(QByteArrayView bytes) {
    FieldReader r(bytes);
    for (int i = 0; i < 1 + kFileItems; ++i)
        if (!r.skipText()) return false;
    return r.onlyLineEndsLeft();
}

// The length for FileSize_Chk, whose argument is a 32-bit integer.
qint32 lengthForCheck(qint64 n) {
    return n > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max() : qint32(n);
}

}  // namespace

bool openForReading(QFile& f, QString* reason) {
    const QFileInfo info(f.fileName());
    // Only a missing file is opened to learn why: a device or a pipe could
    // block the program.
    if (info.exists() && !info.isFile()) {
        if (reason) *reason = qt_error_string(info.isDir() ? EISDIR : EOPNOTSUPP);
        return false;
    }
    if (f.open(QIODevice::ReadOnly)) return true;
    if (reason) *reason = f.errorString();
    return false;
}

QByteArray formatChannelFile(const ChannelBlock& values) {
    QByteArray out;
    out.reserve(443);
    appendBlock(out, values);
    return out;
}

QByteArray formatAllChannelsFile(const QVX720_INC& s) {
    QByteArray out;
    out.reserve(kChannels * 443);
    for (int ch = 0; ch < kChannels; ++ch) appendBlock(out, channelBlock(s, ch));
    return out;
}

// The last field of the content needs no line end after it: an editor that
// strips the last line end leaves a file that is still whole.
std::optional<ChannelBlock> parseChannelFile(QByteArrayView bytes) {
    FieldReader r(bytes);
    ChannelBlock b{};
    if (!readBlock(r, b)) return std::nullopt;
    return b;
}

std::optional<AllChannelsBlocks> parseAllChannelsFile(QByteArrayView bytes) {
    FieldReader r(bytes);
    AllChannelsBlocks all{};
    for (ChannelBlock& b : all)
        if (!readBlock(r, b)) return std::nullopt;
    return all;
}

namespace {

// The whole content of a setting-value file for the kind test; empty with
// an error when the file cannot be opened or is far too long.
FileError readWhole(const QString& path, QByteArray& bytes, QString* reason) {
    QFile f(path);
    if (!openForReading(f, reason)) return FileError::CannotOpen;
    if (f.size() > kAllChannelsFileMaxBytes) return FileError::TooLarge;
    // One byte more than the limit, in case the file grew meanwhile.
    bytes = f.read(kAllChannelsFileMaxBytes + 1);
    if (bytes.size() > kAllChannelsFileMaxBytes) {
        bytes.clear();
        return FileError::TooLarge;
    }
    return FileError::None;
}

}  // namespace

bool isOneChannelContent(QByteArrayView bytes) {
    return !FileSize_Chk(lengthForCheck(bytes.size())) || oneBlockOfFields(bytes);
}

ChannelFileRead readChannelFile(const QString& path) {
    ChannelFileRead result;
    QByteArray bytes;
    result.error = readWhole(path, bytes, &result.reason);
    if (result.error == FileError::TooLarge) result.error = FileError::WrongKind;
    if (result.error != FileError::None) return result;
    if (!isOneChannelContent(bytes)) {
        result.error = FileError::WrongKind;
        return result;
    }
    const std::optional<ChannelBlock> values = parseChannelFile(bytes);
    if (!values) {
        result.error = FileError::Malformed;
        return result;
    }
    result.values = *values;
    return result;
}

AllChannelsFileRead readAllChannelsBytes(const QString& path) {
    AllChannelsFileRead result;
    result.error = readWhole(path, result.bytes, &result.reason);
    if (result.error == FileError::None && isOneChannelContent(result.bytes)) {
        result.bytes.clear();
        result.error = FileError::WrongKind;
    }
    return result;
}

namespace {
bool saved(const FileWrite& w, QString* reason, QString* place) {
    if (!w.ok && reason) *reason = w.reason;
    if (!w.ok && place) *place = w.place;
    return w.ok;
}
}  // namespace

bool writeChannelFile(const QString& path, const ChannelBlock& values, QString* reason, QString* place) {
    return saved(saveWholeFile(path, formatChannelFile(values)), reason, place);
}

bool writeAllChannelsFile(const QString& path, const QVX720_INC& s, QString* reason, QString* place) {
    return saved(saveWholeFile(path, formatAllChannelsFile(s)), reason, place);
}

QString withDefaultSuffix(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path.endsWith(u'.') ? path + QStringLiteral("dat") : path + QStringLiteral(".dat");
}

// ---- channel copy and write-all requests -------------------------------------------

bool autoTuning(const QVX720_INC& s, int ch) {
    return (quint16(s.Monitor_Data.StatusData(ch)) & StatusBit::AutoTuningRunning) != 0;
}

bool anyAutoTuning(const QVX720_INC& s) {
    for (int ch = 0; ch < kChannels; ++ch)
        if (autoTuning(s, ch)) return true;
    return false;
}

CopyVerdict checkChannelCopy(const QVX720_INC& s, int src, int dst) {
    if (src < 0 || src >= kChannels || dst < 0 || dst >= kChannels) return CopyVerdict::NoSelection;
    if (s.Monitor_Data.Connect_Code(src) == 0) return CopyVerdict::SourceAbsent;
    if (s.Monitor_Data.Connect_Code(dst) == 0) return CopyVerdict::TargetAbsent;
    if (autoTuning(s, dst)) return CopyVerdict::TargetAutoTuning;
    return CopyVerdict::Allowed;
}

void copyChannel(QVX720_INC& s, int src, int dst) {
    for (int k = kFileFirstItem; k <= kFileLastItem; ++k) s.ParaData(dst, k) = s.ParaData(src, k);
}

// ---- channel names -------------------------------------------------------------------

CodePage systemCodePage() {
    switch (QLocale::system().language()) {
    case QLocale::Japanese:
    case QLocale::Chinese:
    case QLocale::Korean: return CodePage::DoubleByte;
    default: return CodePage::SingleByte;
    }
}

namespace {

int codePointBytes(char32_t c, CodePage cp) {
    if (cp == CodePage::SingleByte) return 1;
    if (c < 0x80) return 1;
    if (c >= 0xFF61 && c <= 0xFF9F) return 1;  // half-width katakana
    return 2;
}

}  // namespace

int ansiByteLength(const QString& text, CodePage cp) {
    int n = 0;
    for (char32_t c : text.toUcs4()) n += codePointBytes(c, cp);
    return n;
}

bool nameFits(const QString& name, CodePage cp) { return ansiByteLength(name, cp) <= kNameMaxBytes; }

QString fitName(const QString& name, CodePage cp) {
    int bytes = 0;
    qsizetype end = 0;
    while (end < name.size()) {
        const bool pair = name.at(end).isHighSurrogate() && end + 1 < name.size() && name.at(end + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(name.at(end), name.at(end + 1)) : name.at(end).unicode();
        const int b = codePointBytes(c, cp);
        if (bytes + b > kNameMaxBytes) break;
        bytes += b;
        end += pair ? 2 : 1;
    }
    return name.left(end);
}

QString nameAfterChange(const QString& text, const QString& storedName, CodePage cp) {
    if (nameFits(text, cp)) return text;
    return fitName(storedName, cp);
}

bool saveChannelNames(SettingsStore& store, const QStringList& names) {
    QList<std::pair<QString, QString>> entries;
    entries.reserve(kChannels);
    for (int ch = 0; ch < kChannels; ++ch)
        entries.append({chnameKey(ch), ch < names.size() ? names[ch] : QString()});
    return store.saveAll(entries);
}

// ---- alarm colours ---------------------------------------------------------------------

AlarmColors readAlarmColors(const SettingsStore* store) {
    AlarmColors c;
    c.fill(kDefaultAlarmColor);
    if (!store) return c;
    for (int i = 0; i < kAlarmColorSlots; ++i) c[std::size_t(i)] = readAlarmColor(*store, i);
    return c;
}

bool saveAlarmColors(SettingsStore& store, const AlarmColors& colors) {
    QList<std::pair<QString, QString>> entries;
    for (int i = 0; i < kAlarmColorSlots; ++i)
        entries.append({alarmColorKey(i), QString::number(colors[std::size_t(i)])});
    return store.saveAll(entries);
}

AlarmColors alarmColorsOf(const AlarmColor& c) {
    return {c.AlmColor1, c.AlmColor2, c.AlmColor3, c.AlmColor4, c.AlmColorOther};
}

void setAlarmColors(AlarmColor& c, const AlarmColors& colors) {
    c.AlmColor1 = colors[0];
    c.AlmColor2 = colors[1];
    c.AlmColor3 = colors[2];
    c.AlmColor4 = colors[3];
    c.AlmColorOther = colors[4];
}

}  // namespace qvx
