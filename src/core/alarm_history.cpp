#include "alarm_history.h"

#include <QStringList>

#include "preferences.h"
#include "file_writes.h"

namespace qvx {

const std::array<AlarmSlot, kAlarmSlots> kAlarmSlotTable = {{
    {StatusBit::Alarm1, "Alarm1"},
    {StatusBit::Alarm2, "Alarm2"},
    {StatusBit::Alarm3, "Alarm3"},
    {StatusBit::Alarm4, "Alarm4"},
    {StatusBit::HeaterBurnout1, "HB1"},
    {StatusBit::HeaterBurnout2, "HB2"},
    {StatusBit::LoopBreak, "LP"},
    {StatusBit::Overscale, "UPS"},
    {StatusBit::Underscale, "DOWNS"},
    {StatusBit::AutoTuningRunning, nullptr},
    {StatusBit::ActuatorShort1, "HB1_1"},
    {StatusBit::ActuatorShort2, "HB2_1"},
}};

QString historyMessage(const StringTable& t, const QString& kind, int state) {
    const bool on = state != kStateOff;
    auto is = [&kind](const char* k) { return kind == QLatin1String(k); };
    if (is("Alarm1")) return on ? t.text(400) : t.text(401);
    if (is("Alarm2")) return on ? t.text(402) : t.text(403);
    if (is("Alarm3")) return on ? t.text(415) : t.text(416);
    if (is("Alarm4")) return on ? t.text(417) : t.text(418);
    if (is("HB1")) return on ? t.text(404) : t.text(405);
    if (is("HB2")) return on ? t.text(419) : t.text(420);
    if (is("LP")) return on ? t.text(406) : t.text(407);
    if (is("UPS")) return on ? t.text(408) : t.text(409);
    if (is("DOWNS")) return on ? t.text(410) : t.text(411);
    if (is("HB1_1")) return on ? t.text(421) : t.text(422);
    if (is("HB2_1")) return on ? t.text(423) : t.text(424);
    if (is("NAK")) return t.text(412);
    if (is("CHKSUM")) return t.text(413);
    return QString();
}

namespace {

// The characters between the first field of a date or time format and the
// next one, when they make a usable separator (not only blanks, no quoted
// literal text, no letters); else fallback.
QString separatorAfterFirstField(const QString& format, const QString& fieldLetters, const QString& fallback) {
    qsizetype i = 0;
    while (i < format.size() && !fieldLetters.contains(format.at(i))) {
        if (format.at(i) == QLatin1Char('\'')) return fallback;  // literal text before the first field
        ++i;
    }
    while (i < format.size() && fieldLetters.contains(format.at(i))) ++i;
    QString sep;
    while (i < format.size() && !format.at(i).isLetter()) {
        if (format.at(i) == QLatin1Char('\'')) return fallback;
        sep += format.at(i++);
    }
    if (i >= format.size() || sep.trimmed().isEmpty()) return fallback;
    return sep;
}

}  // namespace

QString dateSeparator(const QLocale& locale) {
    return separatorAfterFirstField(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("dMy"),
                                    QStringLiteral("/"));
}

QString timeSeparator(const QLocale& locale) {
    return separatorAfterFirstField(locale.timeFormat(QLocale::ShortFormat), QStringLiteral("hH"),
                                    QStringLiteral(":"));
}

QString historyDateText(const QDate& date, const QLocale& locale) {
    const QString sep = dateSeparator(locale);
    return QString::number(date.year()) + sep + QString::number(date.month()) + sep + QString::number(date.day());
}

QString historyTimeText(const QTime& time, const QLocale& locale) {
    const QString sep = timeSeparator(locale);
    const int h = time.hour();
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    return QString::number(h12) + sep + QString::number(time.minute()) + sep + QString::number(time.second()) +
           (h < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM"));
}

// ---------------------------------------------------------------- grid

HistoryGrid::HistoryGrid(const StringTable& strings) : strings_(strings) {}

void HistoryGrid::load() {
    rows_.fill(HistoryCells{});
    loaded_ = true;
    if (observer_) observer_->historyGridReset(true);
}

void HistoryGrid::unload() {
    rows_.fill(HistoryCells{});
    loaded_ = false;
    if (observer_) observer_->historyGridReset(false);
}

void HistoryGrid::setRow(int row, const HistoryCells& cells) {
    if (row < 1 || row > kHistoryGridRows) throwIndexError("grid row", row, kHistoryGridRows + 1);
    if (!loaded_) load();
    rows_[static_cast<std::size_t>(row)] = cells;
    if (observer_) observer_->historyRowChanged(row, cells);
}

const HistoryCells& HistoryGrid::row(int row) const {
    if (row < 1 || row > kHistoryGridRows) throwIndexError("grid row", row, kHistoryGridRows + 1);
    return rows_[static_cast<std::size_t>(row)];
}

QString HistoryGrid::caption() const { return strings_.text(520); }

QString HistoryGrid::formatString() const {
    return strings_.text(521) + strings_.text(522) + QString(88, QLatin1Char(' '));
}

QString HistoryGrid::eraseCaption() const { return strings_.text(779); }

QString HistoryGrid::exitCaption() const { return strings_.text(767); }

QList<HistoryGrid::Column> HistoryGrid::parseFormatString(const QString& format) {
    QList<Column> out;
    QStringList parts = format.split(QLatin1Char('|'));
    if (parts.size() > 1 && parts.last().isEmpty()) parts.removeLast();
    for (const QString& part : parts) {
        Column c;
        QString body = part;
        if (!body.isEmpty()) {
            const QChar mark = body.at(0);
            if (mark == QLatin1Char('<') || mark == QLatin1Char('^') || mark == QLatin1Char('>')) {
                c.align = mark == QLatin1Char('<')   ? Align::Left
                          : mark == QLatin1Char('^') ? Align::Center
                                                     : Align::Right;
                body.remove(0, 1);
            }
        }
        c.sizing = body;
        c.header = body.trimmed();
        out.append(c);
    }
    return out;
}

// ---------------------------------------------------------------- history

AlarmHistory::AlarmHistory(QVX720_INC& s, const SettingsStore& store, const StringTable& strings, Clock clock,
                           MessageBox message, QLocale locale)
    : s_(s),
      store_(store),
      strings_(strings),
      clock_(std::move(clock)),
      message_(std::move(message)),
      locale_(std::move(locale)),
      grid_(strings) {}

void AlarmHistory::AlarmChk(int ch) {
    if (ch < 0 || ch >= kChannels) return;
    const auto status = static_cast<quint16>(s_.Monitor_Data.StatusData(ch));
    for (int slot = 0; slot < kAlarmSlots; ++slot) {
        const AlarmSlot& a = kAlarmSlotTable[static_cast<std::size_t>(slot)];
        const bool set = (status & a.bit) != 0;
        bool& old = s_.Alarm_Old(slot, ch);
        if (set == old) continue;
        old = set;
        if (slot == kAutoTuningSlot) {
            if (!set) s_.ParaData(ch, Item::AutoTuning) = 0;
            continue;
        }
        History_Write(QLatin1String(a.kind), ch, set ? kStateOn : kStateOff);
    }
}

void AlarmHistory::History_Write(const QString& kind, int ch, int state) {
    if (ch < 0 || ch >= kChannels) return;
    HistoryTable& t = s_.History_Table;
    const int row = t.History_Row;

    // One reading of the clock: the date and the time of an entry belong together.
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    HistoryCells cells;
    cells[0] = historyDateText(now.date(), locale_);
    cells[1] = historyTimeText(now.time(), locale_);
    cells[2] = channelName(store_, ch);  // read afresh for every entry
    cells[3] = historyMessage(strings_, kind, state);

    for (int c = 0; c < 4; ++c) t.History_Data(c, row) = cells[static_cast<std::size_t>(c)];
    grid_.setRow(row, cells);
    grid_.setRow(row + 1, HistoryCells{});  // the row after the newest stays blank (101 after 100)
    t.History_Row = static_cast<qint16>(row >= kHistoryRows ? 1 : row + 1);

    if (appendToFile(t.History_Path, quotedLine({cells[1], cells[2], cells[3]}), header_).ok) {
        fileFailures_.succeed();
        return;
    }
    if (fileFailures_.fail() && message_) message_(strings_.text(414));
}

void AlarmHistory::refillGrid() {
    const HistoryTable& t = s_.History_Table;
    for (int row = 1; row <= kHistoryRows; ++row) {
        HistoryCells cells;
        for (int c = 0; c < 4; ++c) cells[static_cast<std::size_t>(c)] = t.History_Data(c, row);
        grid_.setRow(row, cells);
    }
}

void AlarmHistory::Erase() {
    HistoryTable& t = s_.History_Table;
    t.History_Row = 1;
    for (int row = 1; row <= kHistoryRows; ++row) {
        for (int c = 0; c < 4; ++c) t.History_Data(c, row).clear();
        if (grid_.isLoaded()) grid_.setRow(row, HistoryCells{});
    }
}

}  // namespace qvx
