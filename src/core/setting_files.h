// The rules behind the setting-value file windows, the channel-name window
// and the alarm-colour window:
//
//  - the one-channel setting-value file (ChData_File) and the all-channels
//    file (AllChData_File, 95 blocks of the one-channel layout): writing,
//    reading, and the length test that tells the two apart;
//  - the channel copy and its refusals, and the write-all requests of the
//    setting-value windows;
//  - the byte limit of a channel name in the system's code page;
//  - the alarm colours in the settings store.
//
// One-channel file: 55 lines, each ended by CR LF. Line 1 is the model text
// in double quotes ("QVX-720"), lines 2..55 the values of items 10..63, each
// a bare signed 16-bit decimal number. Readers take fields in order,
// separated by commas or line ends (the last field of the content may have
// none); the first field of a block is any text and is never compared with
// anything. Content after the last block needed is ignored.
//
// The two kinds of file are told apart by length and content: a file of 300
// bytes or less is a one-channel file, and so is a longer one whose fields
// make exactly one block (values of four or more characters make a
// one-channel file up to 443 bytes long); any other file is taken for an
// all-channels file.
//
// Loads read the whole file into a buffer and hand back the values only when
// every field of it is valid, so a short or malformed file changes nothing.
// Saves go through saveWholeFile, so a failed save leaves the old file as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>

#include "qvx720_inc.h"

namespace qvx {

class SettingsStore;

// ---- setting-value files -----------------------------------------------------------

inline constexpr int kFileFirstItem = Item::FirstSetting;  // 10
inline constexpr int kFileLastItem = Item::LastSetting;    // 63
inline constexpr int kFileItems = kFileLastItem - kFileFirstItem + 1;
inline constexpr const char* kModelText = "QVX-720";

// Files longer than this are not read at all. The longest
// well-formed file is 95 blocks of 443 bytes; the margin leaves room for
// content after the last block, which is ignored.
inline constexpr qint64 kAllChannelsFileMaxBytes = 1024 * 1024;

// Items 10..63 of one channel, in item order.
using ChannelBlock = std::array<qint16, kFileItems>;
// Block i is channel i.
using AllChannelsBlocks = std::array<ChannelBlock, kChannels>;

ChannelBlock channelBlock(const QVX720_INC& s, int ch);
void storeChannelBlock(QVX720_INC& s, int ch, const ChannelBlock& values);

// The bytes of a one-channel file, and of an all-channels file of the
// channels' values in s.
QByteArray formatChannelFile(const ChannelBlock& values);
QByteArray formatAllChannelsFile(const QVX720_INC& s);

// The values of a one-channel file (first 55 fields) or of an all-channels
// file (first 95 x 55 fields); empty when the content ends early or a number
// field is not a 16-bit decimal integer.
std::optional<ChannelBlock> parseChannelFile(QByteArrayView bytes);
std::optional<AllChannelsBlocks> parseAllChannelsFile(QByteArrayView bytes);

// The kind test of the loads: true for the content of a one-channel file, 300
// bytes or shorter, or longer with fields that make exactly one block (55
// fields and nothing after them but blanks and line ends).
bool isOneChannelContent(QByteArrayView bytes);

enum class FileError {
    None,
    CannotOpen,  // missing, unreadable, or not a plain file
    WrongKind,   // by isOneChannelContent: an all-channels file where a one-channel file is wanted, or the reverse
    TooLarge,    // longer than any all-channels file can sensibly be
    Malformed,   // ends early, or a field is not a 16-bit integer
};

struct ChannelFileRead {
    FileError error = FileError::None;
    ChannelBlock values{};
    QString reason;  // CannotOpen: the system's reason
};
// Reads a one-channel file: WrongKind when it is no one-channel content
// (isOneChannelContent), or longer than kAllChannelsFileMaxBytes.
ChannelFileRead readChannelFile(const QString& path);

struct AllChannelsFileRead {
    FileError error = FileError::None;
    QByteArray bytes;  // the whole file; parse with parseAllChannelsFile
    QString reason;    // CannotOpen: the system's reason
};
// Reads the bytes of an all-channels file: WrongKind for one-channel content
// (isOneChannelContent), TooLarge beyond kAllChannelsFileMaxBytes.
AllChannelsFileRead readAllChannelsBytes(const QString& path);

// Opens a plain file for reading (never a folder, a device or a pipe).
// False, with the system's reason, when it cannot.
bool openForReading(QFile& f, QString* reason = nullptr);

// Whole-file saves through saveWholeFile; false, with the system's reason and
// its place (the file, or its folder when the folder is the cause), when the
// file could not be written (any earlier file of that name is then left as it
// was).
bool writeChannelFile(const QString& path, const ChannelBlock& values, QString* reason = nullptr,
                      QString* place = nullptr);
bool writeAllChannelsFile(const QString& path, const QVX720_INC& s, QString* reason = nullptr,
                          QString* place = nullptr);

// The path with ".dat" appended when it has no extension of its own.
QString withDefaultSuffix(const QString& path);

// ---- channel copy and write-all requests -------------------------------------------

// StatusData bit &H800 of channel ch.
bool autoTuning(const QVX720_INC& s, int ch);
// True when any channel 0..94 is auto-tuning.
bool anyAutoTuning(const QVX720_INC& s);

enum class CopyVerdict {
    Allowed,
    NoSelection,       // a list has no selected entry: ends without a message
    SourceAbsent,      // no controller at the source
    TargetAbsent,      // no controller at the target
    TargetAutoTuning,  // the target is auto-tuning
};
// The refusals of the channel copy from src to dst, in the order they are
// tested (a channel of -1 means no selected entry).
CopyVerdict checkChannelCopy(const QVX720_INC& s, int src, int dst);
// Items 10..63 of src into dst.
void copyChannel(QVX720_INC& s, int src, int dst);

// ---- channel names -------------------------------------------------------------------

inline constexpr int kNameMaxBytes = 12;

// The system's code page for the byte length of a name: single-byte, or a
// double-byte code page (Japanese, Chinese, Korean systems).
enum class CodePage { SingleByte, DoubleByte };
CodePage systemCodePage();

// Length of a text in bytes of the code page: one byte per character in a
// single-byte code page; in a double-byte one, one byte for ASCII and the
// half-width katakana, two for every other character.
int ansiByteLength(const QString& text, CodePage cp);
bool nameFits(const QString& name, CodePage cp);
// The longest leading part of name within 12 bytes (never splits a character).
QString fitName(const QString& name, CodePage cp);

// The length rule of a name box: the text when it fits, else the stored
// name, itself cut to 12 bytes when the store holds a longer one (so that
// putting it back cannot break the rule again).
QString nameAfterChange(const QString& text, const QString& storedName, CodePage cp);

// Stores the 95 names unchanged under "Chname01".."Chname95" in one write.
bool saveChannelNames(SettingsStore& store, const QStringList& names);

// ---- alarm colours ---------------------------------------------------------------------

inline constexpr qint32 kDefaultAlarmColor = 255;  // red
inline constexpr int kAlarmColorSlots = 5;         // alarms 1..4, combined
using AlarmColors = std::array<qint32, kAlarmColorSlots>;

// The stored colours ("Alm1color".."Alm_other"); a missing key, or a text
// that is not a 32-bit decimal number, gives red. No store: all red.
AlarmColors readAlarmColors(const SettingsStore* store);
// Stores the five colours as decimal text in one write.
bool saveAlarmColors(SettingsStore& store, const AlarmColors& colors);
AlarmColors alarmColorsOf(const AlarmColor& c);
void setAlarmColors(AlarmColor& c, const AlarmColors& colors);

}  // namespace qvx
