// Alarm detection and this run's alarm history: AlarmChk compares each new
// status word with the last state of its twelve conditions, History_Write
// enters one entry in the table, the grid of the history window and the
// history file. The window (SubDisp_History) only shows HistoryGrid.
#pragma once

#include <array>
#include <functional>

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include "file_writes.h"
#include "link_view.h"
#include "qvx720_inc.h"
#include "settings_store.h"
#include "string_table.h"

namespace qvx {

// History_Write's state argument: came on / went off.
inline constexpr int kStateOn = -1;
inline constexpr int kStateOff = 0;

// The twelve conditions of a status word, in the order AlarmChk checks them.
struct AlarmSlot {
    quint16 bit;
    const char* kind;  // nullptr: no history entry (auto-tuning)
};
inline constexpr int kAutoTuningSlot = 9;
extern const std::array<AlarmSlot, kAlarmSlots> kAlarmSlotTable;

// Message of an entry: the kind compared exactly (case counts); state
// non-zero means "came on". An unknown kind gives an empty message.
QString historyMessage(const StringTable& strings, const QString& kind, int state);

// Date and time texts of an entry: year/month/day and h:m:s AM/PM, numbers
// without leading zeros, joined by the locale's date and time separators
// ("2026/12/8", "3:5:7 PM" with '/' and ':'). AM and PM are always these two.
QString historyDateText(const QDate& date, const QLocale& locale);
QString historyTimeText(const QTime& time, const QLocale& locale);
// The separators themselves: from the locale's short date and time formats,
// '/' and ':' where the format has none that can be used.
QString dateSeparator(const QLocale& locale);
QString timeSeparator(const QLocale& locale);

// The cells of one grid row: date, time, channel name, message.
using HistoryCells = std::array<QString, 4>;

// Rows 1..101 below the header row; 101 is only ever blank.
inline constexpr int kHistoryGridRows = kHistoryRows + 1;

// Whoever shows the grid (the history window) listens here.
class HistoryGridObserver {
public:
    virtual ~HistoryGridObserver() = default;
    // Row 1..101 now holds cells.
    virtual void historyRowChanged(int row, const HistoryCells& cells) = 0;
    // The grid was created empty (loaded) or discarded (unloaded).
    virtual void historyGridReset(bool loaded) = 0;
};

// The grid of the history window as data: header, rows 1..101, and whether
// the window is loaded at all (its grid exists only while it is).
class HistoryGrid {
public:
    enum class Align { Left, Center, Right };
    struct Column {
        QString header;     // text shown in the header cell
        QString sizing;     // header text with its blanks: the column is this wide
        Align align = Align::Left;
    };

    explicit HistoryGrid(const StringTable& strings);

    void setObserver(HistoryGridObserver* observer) { observer_ = observer; }

    // Form_Load: empty rows. Unload: the window and its grid are gone.
    void load();
    void unload();
    bool isLoaded() const { return loaded_; }

    // Row 1..101. Setting a row loads the grid first when it is not loaded.
    void setRow(int row, const HistoryCells& cells);
    const HistoryCells& row(int row) const;

    // Window caption, column layout and button captions.
    QString caption() const;
    QString formatString() const;
    QList<Column> columns() const { return parseFormatString(formatString()); }
    QString eraseCaption() const;
    QString exitCaption() const;

    // A grid format string: columns split at '|', each with an optional
    // alignment mark '<', '^' or '>' before its header text.
    static QList<Column> parseFormatString(const QString& format);

private:
    const StringTable& strings_;
    HistoryGridObserver* observer_ = nullptr;
    bool loaded_ = false;
    std::array<HistoryCells, kHistoryGridRows + 1> rows_{};  // index 0 unused
};

// AlarmChk and History_Write of the main window, and the core of the history
// window's menu entry and buttons.
class AlarmHistory final : public HistorySink {
public:
    using Clock = std::function<QDateTime()>;
    // Tells the operator a message with an OK button. Entries are made inside
    // the link tick, so the message must not hold it: the window shows it
    // once the tick is over, or without waiting.
    using MessageBox = std::function<void(const QString& text)>;

    AlarmHistory(QVX720_INC& s, const SettingsStore& store, const StringTable& strings, Clock clock,
                 MessageBox message, QLocale locale = QLocale::system());

    // Alarm detection on the stored status word of channel ch (0..94): one
    // entry per condition that came on or went off, in slot order; the end of
    // auto-tuning clears ParaData(ch, 11) without an entry.
    void AlarmChk(int ch) override;

    // One entry: grid row and table row History_Row, the row after it
    // blanked, History_Row advanced (1 after 100), one line appended to the
    // history file. A file that cannot be written shows string 414 once per
    // run of failures (again only after a line went in); every entry tries
    // the file again.
    void History_Write(const QString& kind, int ch, int state) override;

    // The header lines that an empty or missing history file takes before its
    // first line (the start could not write them: a full disk, no folder yet).
    void setFileHeader(const QByteArray& header) { header_ = header; }
    // The file could not be created at start and the operator was told: the
    // lines that fail after it show no box until one goes in.
    void markFileFailing() { fileFailures_.fail(); }

    // numhyst_Click: the grid refilled from the table (rows 1..100).
    void refillGrid();
    // Erase button: History_Row := 1, rows 1..100 of grid and table emptied.
    // The file keeps its lines.
    void Erase();
    // Exit button: the window is unloaded; the table keeps its rows.
    void exitWindow() { grid_.unload(); }

    HistoryGrid& grid() { return grid_; }
    const HistoryGrid& grid() const { return grid_; }

private:
    QVX720_INC& s_;
    const SettingsStore& store_;
    const StringTable& strings_;
    Clock clock_;
    MessageBox message_;
    QLocale locale_;
    HistoryGrid grid_;
    QByteArray header_;
    FailureRun fileFailures_;  // lines that did not go in; the first of a run is told
};

}  // namespace qvx
