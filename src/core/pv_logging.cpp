#include "pv_logging.h"

#include <QDir>
#include <array>

#include "file_writes.h"
#include "value_format.h"

namespace qvx {

QString LogFile_Name(const QString& programFolder, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QDir(programFolder).filePath(QStringLiteral("Logging/%1_%2_%3_%4_%5_%6.csv")
                                            .arg(d.year())
                                            .arg(d.month())
                                            .arg(d.day())
                                            .arg(t.hour())
                                            .arg(t.minute())
                                            .arg(t.second()));
}

QString HistoryFile_Name(const QString& programFolder, const QDateTime& start) {
    const QDate d = start.date();
    const QTime t = start.time();
    return QDir(programFolder).filePath(QStringLiteral("History/His_%1_%2_%3_%4_%5.txt")
                                            .arg(d.year())
                                            .arg(d.month())
                                            .arg(d.day())
                                            .arg(t.hour())
                                            .arg(t.minute()));
}

// ---- the logging clock --------------------------------------------------------

namespace {

constexpr std::array<LogHms, kLogIntervals> kIntervalTable{{
    {0, 0, 10},
    {0, 0, 30},
    {0, 1, 0},
    {0, 5, 0},
    {0, 10, 0},
    {0, 15, 0},
    {0, 30, 0},
    {1, 0, 0},
}};

constexpr int kDaySeconds = 24 * 3600;

int secondsOf(const Table1<qint16, 3>& t) { return t(0) * 3600 + t(1) * 60 + t(2); }

void setHms(Table1<qint16, 3>& t, int seconds) {
    t(0) = qint16(seconds / 3600);
    t(1) = qint16(seconds / 60 % 60);
    t(2) = qint16(seconds % 60);
}

void setNow(LogClock& c, const QTime& now) {
    c.LogNow(0) = qint16(now.hour());
    c.LogNow(1) = qint16(now.minute());
    c.LogNow(2) = qint16(now.second());
}

}  // namespace

LogHms logInterval(int listIndex) {
    if (listIndex < 0 || listIndex >= kLogIntervals) return kIntervalTable[0];
    return kIntervalTable[std::size_t(listIndex)];
}

void addLogInterval(LogClock& c) {
    int carry = 0;
    int second = c.LogNow(2) + c.LogItv(2);
    if (second >= 60) {
        second -= 60;
        carry = 1;
    }
    int minute = c.LogNow(1) + c.LogItv(1) + carry;
    carry = 0;
    if (minute >= 60) {
        minute -= 60;
        carry = 1;
    }
    int hour = c.LogNow(0) + c.LogItv(0) + carry;
    if (hour >= 24) hour -= 24;
    c.LogNext(0) = qint16(hour);
    c.LogNext(1) = qint16(minute);
    c.LogNext(2) = qint16(second);
}

int LogTime_Set(LogClock& c, int listIndex, const QTime& now) {
    const int shown = listIndex >= 0 && listIndex < kLogIntervals ? listIndex : 0;
    const LogHms itv = logInterval(shown);
    c.LogItv(0) = itv.hour;
    c.LogItv(1) = itv.minute;
    c.LogItv(2) = itv.second;
    setNow(c, now);
    addLogInterval(c);
    return shown;
}

bool logRowDue(LogClock& c, const QTime& now) {
    setNow(c, now);
    const int nowS = secondsOf(c.LogNow);
    const int nextS = secondsOf(c.LogNext);
    int itvS = secondsOf(c.LogItv);
    if (itvS <= 0 || itvS > kDaySeconds / 2) itvS = 10;  // never set by LogTime_Set: take its default
    // How long ago LogNext was, on the 24-hour dial.
    const int ago = ((nowS - nextS) % kDaySeconds + kDaySeconds) % kDaySeconds;
    if (ago >= kDaySeconds - itvS) return false;  // still ahead, at most one interval
    const int steps = ago / itvS + 1;
    setHms(c.LogNext, int((qint64(nextS) + qint64(steps) * itvS) % kDaySeconds));
    return true;
}

// ---- lines of the logging file ---------------------------------------------------

QList<int> logColumns(const QVX720_INC& s, const std::function<bool(int ch)>& checked) {
    QList<int> out;
    for (int ch = 0; ch < kChannels; ++ch)
        if (s.present(ch) && checked && checked(ch)) out << ch;
    return out;
}

QString logColumnName(const QString& channelName) { return channelName.left(12); }

namespace {
// A line written field by field: every field followed by a comma.
QByteArray continuedLine(const QStringList& fields) {
    QByteArray line = quotedLine(fields);  // ends "\r\n"
    line.insert(line.size() - 2, ',');
    return line;
}
}  // namespace

QByteArray logTitleLine(const StringTable& st) { return quotedLine({st.text(556)}); }

QByteArray logHeaderLine(const StringTable& st, const QStringList& columnNames) {
    return continuedLine(QStringList{st.text(557), st.text(558)} + columnNames);
}

QByteArray logRowLine(const QString& date, const QString& time, const QStringList& values) {
    return continuedLine(QStringList{date, time} + values);
}

bool pvRecordable(const PvLogState& log, int ch, const PvSpanMark& spanStart) {
    // A span without a reply had a dead line: after a silent controller's
    // miss the line check's answer falls in the same span.
    return log.Current(ch) && log.Replies != spanStart.replies;
}

QStringList logRowValues(const QVX720_INC& s, const StringTable& st, const QList<int>& columns) {
    QStringList out;
    out.reserve(columns.size());
    const PvLogState& log = s.PvLog_State;
    for (int ch : columns)
        out << (pvRecordable(log, ch, log.LogSpanStart) ? Disp_Data(s, st, Item::PV, ch) : QString());
    return out;
}

void beginLogSpan(QVX720_INC& s) { s.PvLog_State.LogSpanStart = s.PvLog_State.mark(); }

void notePvExchange(PvLogState& log, const PvExchange& x) {
    if (x.deviceGone) log.Current.fill(false);
    if (x.answered) {
        ++log.Replies;
        log.LineSilent = false;
    }
    if (x.pvPoll)
        log.Current(x.ch) = x.pvMeasured;
    else if (!x.answered || x.clearCommand)
        log.Current(x.ch) = false;  // its last value may be old by now
}

QString logDateText(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QLocale::ShortFormat);
}

QString logTimeFormat(const QLocale& locale) {
    const QString f = locale.timeFormat(QLocale::ShortFormat);
    // Scan outside quoted text for the seconds and the last minutes field.
    bool quoted = false;
    qsizetype minutesEnd = -1;
    qsizetype hourEnd = -1;
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar ch = f[i];
        if (ch == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted) continue;
        if (ch == QLatin1Char('s')) return f;
        if (ch == QLatin1Char('h') || ch == QLatin1Char('H')) hourEnd = i + 1;
        if (ch == QLatin1Char('m')) minutesEnd = i + 1;
    }
    if (minutesEnd < 0) return QStringLiteral("HH:mm:ss");
    QString sep = QStringLiteral(":");
    if (hourEnd >= 0 && hourEnd < minutesEnd) {
        qsizetype minutesStart = minutesEnd;
        while (minutesStart > 0 && f[minutesStart - 1] == QLatin1Char('m')) --minutesStart;
        const QString between = f.mid(hourEnd, minutesStart - hourEnd);
        if (!between.isEmpty() && !between.contains(QLatin1Char('\''))) sep = between;
    }
    QString out = f;
    out.insert(minutesEnd, sep + QStringLiteral("ss"));
    return out;
}

QString logTimeText(const QTime& time, const QLocale& locale) {
    return locale.toString(time, logTimeFormat(locale));
}

// ---- writes ------------------------------------------------------------------------

namespace {
LogWriteResult logWriteResult(const FileWrite& w) {
    if (w.ok) return {};
    return {w.deniedThoughWritable ? LogWrite::AccessDenied : LogWrite::Failed, w.reason, w.place};
}

// The write, once the file's folder is there.
LogWriteResult inItsFolder(const QString& path, const std::function<FileWrite()>& write) {
    const FileWrite folder = makeFileFolder(path);
    if (!folder.ok) return {LogWrite::FolderNotMade, folder.reason, folder.place};
    return logWriteResult(write());
}
}  // namespace

QString logWriteFailureText(const StringTable& st, const LogWriteResult& failure, const QString& path) {
    if (failure.kind == LogWrite::AccessDenied) return st.text(555);
    if (failure.kind == LogWrite::FolderNotMade) return fileProblemText(st.text(946), failure.place, failure.reason);
    return fileProblemText(st.text(920), failure.place.isEmpty() ? path : failure.place, failure.reason);
}

LogWriteResult appendLogFile(const QString& path, const QByteArray& bytes) {
    return inItsFolder(path, [&] { return appendToFile(path, bytes); });
}

LogWriteResult replaceLogFile(const QString& path, const QByteArray& bytes) {
    return inItsFolder(path, [&] { return saveWholeFile(path, bytes); });
}

// ---- PvLogger ------------------------------------------------------------------------

PvLogger::PvLogger(QVX720_INC& s, const StringTable& st)
    : s_(s),
      st_(st),
      clock_([] { return QDateTime::currentDateTime(); }),
      locale_(QLocale::system()),
      writer_([](const QString& path, const QByteArray& bytes, bool replace) {
          return replace ? replaceLogFile(path, bytes) : appendLogFile(path, bytes);
      }) {}

int PvLogger::LogTime_Set(int listIndex) { return qvx::LogTime_Set(s_.Log_Clock, listIndex, clock_().time()); }

QByteArray PvLogger::takeRow(const QDateTime& n) {
    const QByteArray row = logRowLine(logDateText(n.date(), locale_), logTimeText(n.time(), locale_),
                                      logRowValues(s_, st_, columns_));
    beginLogSpan(s_);
    return row;
}

LogWriteResult PvLogger::start(const QString& path, bool append, const QList<int>& columns,
                               const QStringList& columnNames) {
    columns_ = columns;
    const QByteArray bytes = logTitleLine(st_) + logHeaderLine(st_, columnNames) + takeRow(clock_());
    const LogWriteResult wrote = writer_(path, bytes, !append);
    // The operator pressed Start: its failure is always told, and the rows
    // that fail after it belong to the same run.
    failureToTell_ = wrote.kind != LogWrite::Ok;
    if (failureToTell_)
        failures_.fail();
    else
        failures_.succeed();
    return wrote;
}

std::optional<LogWriteResult> PvLogger::tick(const QString& path) {
    // A miss still waiting for the line check: the row is written once the
    // answer says whose the silence was (the next tick of this timer).
    if (s_.PvLog_State.Deciding) return std::nullopt;
    const QDateTime n = clock_();
    if (!logRowDue(s_.Log_Clock, n.time())) return std::nullopt;
    const LogWriteResult wrote = writer_(path, takeRow(n), false);
    if (wrote.kind == LogWrite::Ok) {
        failures_.succeed();
        failureToTell_ = false;
    } else {
        failureToTell_ = failures_.fail();
    }
    return wrote;
}

}  // namespace qvx
