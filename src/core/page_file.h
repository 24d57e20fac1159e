// The file of the all-channels setting page (ChData_File) and the page's
// transmit. The page file has the layout of a one-channel setting file (see
// setting_files.h), so either kind loads into the page, and so does the
// first block of an all-channels file.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "qvx720_inc.h"
#include "setting_files.h"

namespace qvx {

// Files longer than this are refused unread (an all-channels file of 95
// blocks stays far below it).
inline constexpr qint64 kPageFileMaxBytes = 64 * 1024;

// The page values AllParaData(10..63), and their replacement.
ChannelBlock pageValues(const QVX720_INC& s);
void setPageValues(QVX720_INC& s, const ChannelBlock& values);

// The whole file replaced at once (the old file stays intact on failure);
// false, with the system's reason and its place (the file, or the folder
// that is the cause), when it could not be written.
bool writePageFile(const QString& path, const ChannelBlock& values, QString* reason = nullptr,
                   QString* place = nullptr);
// The values of a page file; nullopt when the file cannot be read, is
// longer than kPageFileMaxBytes or any of its 55 fields is not good, so a
// short or malformed file changes nothing. A file that cannot be opened
// also gives the system's reason in openFailure.
std::optional<ChannelBlock> readPageFile(const QString& path, QString* openFailure = nullptr);

// ---- the page's transmit -------------------------------------------------------------

// The option-word bit a channel needs for the transmit to copy item k into
// it; 0 for the items that need none.
quint16 transmitOptionBit(int k);
// The first present channel that is auto-tuning; -1 for none.
int firstAutoTuningChannel(const QVX720_INC& s);
// The copy into channel ch: ParaData(ch, k) := AllParaData(k) for every item
// 10..63 whose page box (k - 10) has the value 1, except items 11, 18 and 54
// (never on the page) and items whose option bit the channel lacks.
void copyPageToChannel(QVX720_INC& s, int ch, const std::function<int(int box)>& boxValue);

}  // namespace qvx
