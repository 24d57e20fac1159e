// PV logging: the file names of this program's logging and history files, the
// logging clock (interval table, next-time rule, LogTime_Set), the lines of
// the logging file and the writes that put them on disk.
//
// The logging file is comma-separated text in the system's code page: every
// field a text in double quotes, a comma after every field that continues the
// line, CR LF at the end. The first line holds one field; every other line is
// written field by field and so ends with a comma before CR LF:
//
//     "Process variable data"
//     "Date  : ","Time  :","Ch01","Ch03",
//     "<date>","<time>","25.0","-3",
//
// The program never reads the file back.
#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "file_writes.h"
#include "qvx720_inc.h"
#include "string_table.h"

namespace qvx {

// <folder>/Logging/<y>_<m>_<d>_<h>_<min>_<s>.csv, numbers without leading zeros.
QString LogFile_Name(const QString& programFolder, const QDateTime& now);
// <folder>/History/His_<y>_<m>_<d>_<h>_<min>.txt, numbers without leading zeros.
QString HistoryFile_Name(const QString& programFolder, const QDateTime& start);

// ---- the logging clock --------------------------------------------------------

struct LogHms {
    qint16 hour = 0;
    qint16 minute = 0;
    qint16 second = 0;
    bool operator==(const LogHms&) const = default;
};

inline constexpr int kLogIntervals = 8;  // rows of the interval list: 10 s .. 1 h

// Interval of row `listIndex` of the interval list; 10 s for any other index.
LogHms logInterval(int listIndex);

// LogNext := LogNow + LogItv, second and minute carried at 60, hour wrapped at 24.
void addLogInterval(LogClock& c);

// LogTime_Set: LogItv from the list row, LogNow from `now`, LogNext := LogNow +
// LogItv. Returns the row the list must show: listIndex, or 0 when it lies
// outside the table (no row selected), which then logs every 10 seconds.
int LogTime_Set(LogClock& c, int listIndex, const QTime& now);

// The tick test: LogNow := `now`; true when a row is due, with LogNext then
// moved to the next logging time after now.
//
// A row is due when the clock shows LogNext, and also when LogNext has gone
// by while the thread was busy (a blocking transaction, a scan, a message
// box): the late row is written at the first check and the next logging
// time stays on the start's grid, whole intervals later. Only a LogNext at
// most one interval ahead counts as not yet due, so a late check never has
// to wait for the same time of day on the next day.
bool logRowDue(LogClock& c, const QTime& now);

// ---- lines of the logging file ---------------------------------------------------

// The channels that get a column: checked and present, in channel order.
QList<int> logColumns(const QVX720_INC& s, const std::function<bool(int ch)>& checked);
// Header text of a column: the first 12 characters of the channel name.
QString logColumnName(const QString& channelName);

// Line 1: string 556 alone.
QByteArray logTitleLine(const StringTable& st);
// Line 2: strings 557 and 558, then the column names; ends ",\r\n".
QByteArray logHeaderLine(const StringTable& st, const QStringList& columnNames);
// A row: date, time, then the PV texts; ends ",\r\n".
QByteArray logRowLine(const QString& date, const QString& time, const QStringList& values);
// Whether a record of the PVs holds channel ch's value: the value is current
// and the line showed itself answering in the record's span, however many
// controllers were silent in it. spanStart is log.mark() when the span
// began ({}: since monitoring began). The one rule of the logging file's
// cells and of the trend chart's pens.
bool pvRecordable(const PvLogState& log, int ch, const PvSpanMark& spanStart);

// The PV display texts of the columns; empty for a channel whose value is
// not recordable now (pvRecordable over the span since the last row).
QStringList logRowValues(const QVX720_INC& s, const StringTable& st, const QList<int>& columns);
// A row was made: the span of the next row begins.
void beginLogSpan(QVX720_INC& s);

// One transaction to a channel, as far as the logging file cares.
struct PvExchange {
    int ch = 0;
    bool answered = false;    // a reply of any class came
    bool pvPoll = false;      // the channel's PV was polled
    bool pvMeasured = false;  // ... and acknowledged with a number
    bool deviceGone = false;  // the device is closed after it
    bool clearCommand = false;  // a data clear's clear command went out to the channel
};
// The only place that decides which PV values are current: a PV poll makes
// the channel's value current when it brought a number and ends it
// otherwise; any transaction without a reply, and a clear command, ends it; a
// device that has gone ends every channel's. Any reply is counted, so every
// span it falls in had a live line, and ends a silence of the line.
void notePvExchange(PvLogState& log, const PvExchange& x);

// Date of a row: the locale's short date form.
QString logDateText(const QDate& date, const QLocale& locale);
// Time of a row: the locale's short time form with seconds (a form without
// seconds gets them after the minutes, with the separator that comes before
// the minutes).
QString logTimeFormat(const QLocale& locale);
QString logTimeText(const QTime& time, const QLocale& locale);

// ---- writes ------------------------------------------------------------------------

enum class LogWrite {
    Ok,
    AccessDenied,   // refused although file and folder permit writing: another program holds the file
    FolderNotMade,  // the file's folder is missing and could not be made
    Failed,         // any other failure (a folder of that name, read-only, disk full)
};

// What a write of the logging file came to, with the system's reason and,
// when the folder is the cause, the folder.
struct LogWriteResult {
    LogWriteResult(LogWrite k = LogWrite::Ok, QString why = {}, QString where = {})
        : kind(k), reason(std::move(why)), place(std::move(where)) {}
    bool operator==(LogWrite k) const { return kind == k; }
    LogWrite kind;
    QString reason;
    QString place;  // empty or the file: the file; else the folder that failed
};

// The operator's message for a failed write of the logging file at path:
// string 555 when another program holds the file, string 946 naming the
// folder that could not be made and the system's reason for it, else string
// 920 naming the file (or the folder that is the cause) and the reason.
QString logWriteFailureText(const StringTable& st, const LogWriteResult& failure, const QString& path);

// Both writes first make the file's folder when it is missing; one that
// cannot be made fails the write (FolderNotMade) with the folder and the
// system's reason for the folder.
// Appends bytes with one write, flushed. The file is created when missing; a
// write that fails part way is taken back.
LogWriteResult appendLogFile(const QString& path, const QByteArray& bytes);
// Replaces the file with bytes as a whole through saveWholeFile (the old file
// stays intact when the write fails).
LogWriteResult replaceLogFile(const QString& path, const QByteArray& bytes);

// The logging of one run of the logging clock: what the start writes and
// what each due tick writes, with the time and the file system as seams.
class PvLogger {
public:
    using Clock = std::function<QDateTime()>;
    // replace: write the whole file anew, else append.
    using Writer = std::function<LogWriteResult(const QString& path, const QByteArray& bytes, bool replace)>;

    PvLogger(QVX720_INC& s, const StringTable& st);

    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setLocale(const QLocale& locale) { locale_ = locale; }
    void setWriter(Writer writer) { writer_ = std::move(writer); }
    QDateTime now() const { return clock_(); }

    // LogTime_Set from the clock; returns the row the interval list must show.
    int LogTime_Set(int listIndex);

    // The start's file work: the header pair and the first row in one write,
    // replacing the file or appended to it. The columns become those of
    // every later row, so rows always line up with the header.
    LogWriteResult start(const QString& path, bool append, const QList<int>& columns,
                         const QStringList& columnNames);

    // One check of the logging clock: nullopt when no row is due, else the
    // outcome of writing the row.
    std::optional<LogWriteResult> tick(const QString& path);

    const QList<int>& columns() const { return columns_; }

    // True when the last write of start() or tick() failed and is to be told:
    // a failed start always, a failed row only when it starts a run of
    // failures (the first since the start or since a row went in).
    bool failureToTell() const { return failureToTell_; }

private:
    // The row of moment n; the span of the next row begins.
    QByteArray takeRow(const QDateTime& n);

    QVX720_INC& s_;
    const StringTable& st_;
    Clock clock_;
    QLocale locale_;
    Writer writer_;
    QList<int> columns_;
    FailureRun failures_;
    bool failureToTell_ = false;
};

}  // namespace qvx
