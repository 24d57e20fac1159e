// The two chart settings files "PVCHART1.DAT" (PV pens) and "SVCHART2.DAT"
// (SV pens) in the program's folder: 199 records of 4 bytes each, numbered
// from 1, record n at byte offset 4 x (n - 1).
//
//   1..95    Long     pen colour of channel n - 1 (0x00BBGGRR)
//   96       Long     X span: 1 long, 0 short
//   97       Long     recording cycle in seconds
//   98, 99   Long     Y scale high and low, display units
//   100..194 Integer  plot selection of channel n - 100: 1 plotted, 0 not
//   195      Integer  running flag: 1 recording was running when written
//   196..198 Integer  no meaning (0, 0, 1 at creation, never changed)
//   199      Integer  number of Y divisions
//
// A Long fills its record (32-bit, little-endian); an Integer is a 16-bit
// little-endian value in the first two bytes, the last two carry nothing.
// Records 96..99 and 195..199 are shared: every change is written to both
// files, the PV file first.
//
// Loads read the whole file into a buffer first; records the file is too
// short to hold take their defaults, bytes past record 199 are kept as they
// are. Saves rewrite the whole file through saveWholeFile, so a failed write
// never leaves a half-written file behind.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>

#include "qvx720_inc.h"

namespace qvx {

inline constexpr int kChartRecords = 199;
inline constexpr int kChartRecordBytes = 4;
inline constexpr int kChartFileBytes = kChartRecords * kChartRecordBytes;  // 796

namespace ChartRecord {
inline constexpr int PenColor = 1;  // + channel, 1..95
inline constexpr int XLong = 96;
inline constexpr int Cycle = 97;
inline constexpr int YHigh = 98;
inline constexpr int YLow = 99;
inline constexpr int PlotFlag = 100;  // + channel, 100..194
inline constexpr int Run = 195;
inline constexpr int YDiv = 199;
}  // namespace ChartRecord

// Defaults of the shared records.
namespace ChartDefault {
inline constexpr qint32 XLong = 1;
inline constexpr qint32 Cycle = 5;
inline constexpr qint32 YHigh = 400;
inline constexpr qint32 YLow = 0;
inline constexpr qint16 Run = 0;
inline constexpr qint16 YDiv = 4;
}  // namespace ChartDefault

enum class ChartSide { Pv, Sv };

// "PVCHART1.DAT" / "SVCHART2.DAT", and the file in a folder.
QString chartFileName(ChartSide side);
QString chartFilePath(const QString& folder, ChartSide side);

// The 40 default pen colours; channel ch takes entry ch mod 40.
inline constexpr std::array<qint32, 40> Chart_DefaultPalette = {
    0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0x808080,  //
    0x0000C0, 0x0040C0, 0x00C0C0, 0x00C000, 0xC0C000, 0xC00000, 0xC000C0, 0x404040,  //
    0x000080, 0x004080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080, 0x000000,  //
    0x000040, 0x404080, 0x004040, 0x004000, 0x404000, 0x400000, 0x400040, 0xE0E0E0,  //
    0x8080FF, 0x80C0FF, 0x80FFFF, 0x80FF80, 0xFFFF80, 0xFF8080, 0xFF80FF, 0xC0C0C0,
};
qint32 defaultPenColor(int ch);

// True for records 1..99 (32-bit), false for 100..199 (16-bit).
bool isLongRecord(int rec);
// The value a new file holds in a record.
qint32 chartRecordDefault(int rec);

// One record to write: a Long record takes the whole value, an Integer
// record its low 16 bits.
struct ChartRecordValue {
    int rec = 0;
    qint32 value = 0;
};

// The bytes of one chart file. A record outside 1..199 throws
// std::out_of_range.
class ChartFileImage {
public:
    // A new file: every record with its default, the spare bytes zero.
    ChartFileImage();
    // A file's bytes. Records the bytes do not hold whole take their
    // defaults; bytes past record 199 are kept.
    static ChartFileImage fromBytes(const QByteArray& bytes);

    const QByteArray& bytes() const { return bytes_; }
    // Whole records the source bytes held (199 for a new image).
    int recordsFound() const { return found_; }

    qint32 readLong(int rec) const;
    qint16 readInteger(int rec) const;
    // By the record's type.
    qint32 read(int rec) const;
    void writeLong(int rec, qint32 value);
    // The first two bytes; the last two stay as they are.
    void writeInteger(int rec, qint16 value);
    void write(const ChartRecordValue& r);

private:
    static int offset(int rec);
    QByteArray bytes_;
    int found_ = kChartRecords;
};

enum class ChartFileStatus { Ok, Missing, ReadError, WriteError };

struct ChartFileRead {
    ChartFileStatus status = ChartFileStatus::Ok;
    ChartFileImage image;  // defaults unless status is Ok
    QString error;
};

// The file as it is on disk. Missing when there is no such file; ReadError
// when it cannot be opened or read (nothing of it is used then).
ChartFileRead readChartFile(const QString& path);
// The whole image through saveWholeFile; false (with the reason) when the file
// could not be written, which leaves the old file untouched.
bool writeChartFile(const QString& path, const ChartFileImage& image, QString* error = nullptr);
// Rewrites records of a file: the file is read, patched and saved whole. A
// missing file is made from the defaults first; a file that cannot be read
// is left alone (false), so its other records are never lost.
bool updateChartFile(const QString& path, const QList<ChartRecordValue>& records, QString* error = nullptr);
// The same records to the PV file, then to the SV file (both are tried).
// False when either failed; the reasons go to errors.
bool updateBothChartFiles(const QString& folder, const QList<ChartRecordValue>& records,
                          QStringList* errors = nullptr);

// The start-up load of the two files into ChartFile_Data: pen colours of
// each file, the shared settings and the running flag of the SV file. A
// setting the chart's controls do not allow (a cycle outside 1..60 s,
// divisions outside 2..10, a Y limit outside -200..2000, a high not above
// the low) takes its default; the file keeps what it holds. A
// missing file is created with its defaults and the defaults are used; a
// file that cannot be read (or created) is left as it is and the defaults
// are used in its place, so the chart always starts with usable values.
struct ChartStartup {
    bool pvCreated = false;
    bool svCreated = false;
    QStringList errors;  // files that could not be read or created
};
ChartStartup loadChartFiles(QVX720_INC& s, const QString& folder);

// Plot selections (records 100..194) of one file: 1 for any flag but 0;
// the defaults (nothing selected) when the file cannot be read.
struct ChartPlotFlags {
    std::array<qint16, kChannels> flags{};
    bool ok = true;
    QString error;
};
ChartPlotFlags readPlotFlags(const QString& path);

// Records 1..95 (colours) and 100..194 (selections) of one side, as
// "Selection completed" writes them.
QList<ChartRecordValue> penRecords(const Table1<qint32, kChannels>& colors,
                                   const std::array<qint16, kChannels>& flags);

}  // namespace qvx
