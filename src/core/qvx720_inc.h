// The program-wide state shared by the link, the setting procedures, the
// dialogs and the displays. One object is made at start and handed by
// reference to whoever needs it; tests make their own.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

#include "bounded.h"
#include "line_queue.h"

namespace qvx {

inline constexpr int kChannels = 95;  // channel index 0..94, shown as 1..95
inline constexpr int kItems = 67;     // item index 0..66

// Item indexes (columns of ParaData).
namespace Item {
inline constexpr int PV = 0;
inline constexpr int MV = 1;
inline constexpr int CoolMV = 2;
inline constexpr int Status = 3;
inline constexpr int HeaterCurrent1 = 4;
inline constexpr int HeaterCurrent2 = 5;
inline constexpr int MonitorValue = 6;
inline constexpr int OptionWord = 7;
inline constexpr int TypeWord = 8;
inline constexpr int NoCode = 9;
inline constexpr int FirstSetting = 10;
inline constexpr int SV = 10;
inline constexpr int AutoTuning = 11;
inline constexpr int ManualReset = 18;
inline constexpr int ScalingHigh = 29;
inline constexpr int ScalingLow = 30;
inline constexpr int ControlOutputOff = 49;
inline constexpr int InputType = 54;
inline constexpr int OutputStatusAbnormal = 63;
inline constexpr int LastSetting = 63;
inline constexpr int AlarmCommand = 64;
inline constexpr int Unit = 65;
inline constexpr int DecimalPoint = 66;
}  // namespace Item

// Status word bits (item 3).
namespace StatusBit {
inline constexpr quint16 MainOutput = 0x1;
inline constexpr quint16 CoolingOutput = 0x2;
inline constexpr quint16 Alarm1 = 0x4;
inline constexpr quint16 Alarm2 = 0x8;
inline constexpr quint16 Alarm3 = 0x10;
inline constexpr quint16 Alarm4 = 0x20;
inline constexpr quint16 HeaterBurnout1 = 0x40;
inline constexpr quint16 LoopBreak = 0x80;
inline constexpr quint16 Overscale = 0x100;
inline constexpr quint16 Underscale = 0x200;
inline constexpr quint16 ActuatorShort1 = 0x400;
inline constexpr quint16 AutoTuningRunning = 0x800;
inline constexpr quint16 HeaterBurnout2 = 0x1000;
inline constexpr quint16 ActuatorShort2 = 0x2000;
inline constexpr quint16 ReRead = 0x8000;
}  // namespace StatusBit

// Option word bits (item 7).
namespace OptionBit {
inline constexpr quint16 Alarm1 = 0x1;
inline constexpr quint16 Alarm2 = 0x2;
inline constexpr quint16 Alarm3 = 0x4;
inline constexpr quint16 Alarm4 = 0x8;
inline constexpr quint16 LoopBreak = 0x10;
inline constexpr quint16 HeaterBurnout1 = 0x20;
inline constexpr quint16 HeaterBurnout2 = 0x40;
inline constexpr quint16 SmallHeaterRange = 0x80;
inline constexpr quint16 HeatingCooling = 0x100;
inline constexpr quint16 ScanMerge = 0x600;  // bits merged from the "a" frame
}  // namespace OptionBit

// Type word (item 8): item 63 exists when (type & TypeMask) == TypeItem63.
namespace TypeBit {
inline constexpr quint16 TypeMask = 0x18;
inline constexpr quint16 TypeItem63 = 0x10;
}  // namespace TypeBit

// States of the link state machine (values of Com_State).
enum ComState : qint16 {
    Com_FirstRead = 0,
    Com_Monitor = 1,
    Com_WriteOne = 2,
    Com_WriteAll = 3,
    Com_WriteSelect = 4,
    Com_ReRead = 5,
    Com_Reopen = 6,
};

// What of a channel has not been read again since its clear command (bits
// of MonitorData::Unread): its values from before the clear are not shown
// as current. The settings come back with the data clear's rescan, the
// monitored values with the poll.
namespace Unread {
inline constexpr quint8 PV = 0x01;
inline constexpr quint8 MV = 0x02;
inline constexpr quint8 CoolMV = 0x04;
inline constexpr quint8 Status = 0x08;
inline constexpr quint8 HeaterCurrent1 = 0x10;
inline constexpr quint8 HeaterCurrent2 = 0x20;
inline constexpr quint8 Monitored = 0x3F;  // items 0..5
inline constexpr quint8 Settings = 0x40;   // every other item
inline constexpr quint8 All = 0x7F;
// The bit of item k.
constexpr quint8 of(int k) { return k >= 0 && k <= 5 ? quint8(1u << k) : Settings; }
}  // namespace Unread

// Per-channel values polled or read in the start-up scan.
struct MonitorData {
    Table1<qint16, kChannels> PvData;
    Table1<qint16, kChannels> MvData;
    Table1<qint16, kChannels> CoolMvData;
    Table1<qint16, kChannels> StatusData;
    Table1<qint16, kChannels> Ct1Data;
    Table1<qint16, kChannels> Ct2Data;
    Table1<qint16, kChannels> OptionData;
    Table1<qint16, kChannels> TypeData;
    Table1<qint16, kChannels> Connect_Code;
    // An acknowledged PV has been stored since the start or the channel's
    // clear command (the chart's PV pen draws only from then on).
    Table1<bool, kChannels> PvRead;
    // Unread bits: what has not been read since the channel's clear command.
    Table1<quint8, kChannels> Unread;
    // Settings a write chain left without the controller's acknowledge (a
    // link refused, or never sent once the chain was cut): not shown until
    // the controller is read back.
    Table2<bool, kChannels, kItems> Untaken;
};

// What the opener of a setting dialog hands to it.
struct EditContext {
    qint16 Set_Item = 0;
    qint16 Set_Ch = 0;
    qint16 Set_Max = 0;
    qint16 Set_Min = 0;
    bool Set_Dec1 = false;
};

// The request slot through which dialogs and buttons ask the link for work.
// Every request waits in Line_Queue, served in the order made; the slot's
// fields show the head of the queue (showHead alone writes them) while the
// link is free to serve it: its state, channel, item and code.
struct WriteRequest {
    qint16 Com_State = Com_Monitor;  // the start sets the first state
    qint16 Com_Ch = 0;
    QString Com_Code;       // item code of a single write
    qint16 Com_Item = 0;    // item index of a single write
    qint16 ReRead_Ch = 0;
    LineQueue Line_Queue;

    // Queues r by the queue's rules and shows the head.
    void ask(LineRequest r);
    // The head's work has ended: the next request shows in the slot.
    void headDone();
    // Shows the head in the slot, unless the link is in its start-up scan or
    // its retry state (then the work waits for monitoring).
    void showHead();
};

class QVX720_INC;
// ParaData of channel ch, by item index: what a chain queued now sends.
std::vector<qint16> channelRow(const QVX720_INC& s, int ch);

// Queues r and wakes the link.
void askLineWork(QVX720_INC& s, LineRequest r);

// Tells the run loop that line work has been queued, so that a link asleep
// (nothing to poll, a closed device) takes it at once. May be empty.
using LinkWake = std::function<void()>;

struct PollCursor {
    qint16 Poll_Ch = 0;
    qint16 Poll_Phase = 0;
};

// Values of the all-channels setting page (one value per item).
struct AllPageData {
    Table1<qint16, kItems> AllParaData;
    QString AllUnitText;
};

// Alarm lamp colours, red in the low byte.
struct AlarmColor {
    qint32 AlmColor1 = 0xFF;
    qint32 AlmColor2 = 0xFF;
    qint32 AlmColor3 = 0xFF;
    qint32 AlmColor4 = 0xFF;
    qint32 AlmColorOther = 0xFF;
};

inline constexpr int kHistoryRows = 100;
inline constexpr int kAlarmSlots = 12;
inline constexpr int kAlarmOldChannels = 320;

// This run's alarm history: rows 1..100 of date, time, channel name, message.
struct HistoryTable {
    Table2<QString, 4, kHistoryRows + 1> History_Data;  // [column][row], row 0 unused
    qint16 History_Row = 1;
    QString History_Path;
};

// What the records of the PVs (the logging file, the trend chart) may hold of
// each channel's PV. A value is current from the PV poll that brought it
// until a transaction to the channel goes without a reply, a clear command
// goes out to it, or a PV poll brings no value. Whether the line answers is
// not guessed from misses: after a miss the link asks a controller that has
// answered, and only a check that goes unanswered makes the line silent; any
// reply ends that. A span between two records (for the first, since
// monitoring began) that brought no reply had a dead line: its record holds
// no value at all. While a miss waits for its check (Deciding) nothing is
// recorded: the record waits for the answer.
struct PvSpanMark {
    quint64 replies = 0;
};

struct PvLogState {
    Table1<bool, kChannels> Current;
    bool LineSilent = false;
    bool Deciding = false;
    quint64 Replies = 0;  // transactions answered since monitoring began
    PvSpanMark LogSpanStart;  // where the span of the next log row began
    PvSpanMark mark() const { return {Replies}; }
};

// Logging clock: hour, minute, second.
struct LogClock {
    Table1<qint16, 3> LogNext;
    Table1<qint16, 3> LogItv;
    Table1<qint16, 3> LogNow;
};

// The chart settings as read from the two chart files at start-up (pen
// colours 0x00BBGGRR per channel; span 1 long / 0 short; cycle in seconds;
// Y scale in display units; running flag as found; Y divisions).
struct ChartFileData {
    Table1<qint32, kChannels> PvColor;
    Table1<qint32, kChannels> SvColor;
    qint32 Chart_XLong = 0;
    qint32 Chart_Cycle = 0;
    qint32 Chart_YHigh = 0;
    qint32 Chart_YLow = 0;
    qint16 Chart_Run = 0;
    qint16 Chart_YDiv = 0;
};

class QVX720_INC {
public:
    QVX720_INC();

    Table2<qint16, kChannels, kItems> ParaData;
    Table1<QString, kItems> ParaAddr;
    MonitorData Monitor_Data;
    Table1<qint16, kChannels> NoConnect;  // 1 = no controller at this address
    Table1<QString, kChannels> UnitText;
    Table1<qint16, kChannels> DecimalData;

    EditContext Edit_Context;
    WriteRequest Write_Request;
    LinkWake Link_Wake;
    PollCursor Poll_Cursor;

    bool NoReply_flg = false;
    bool CommDisp_flg = false;
    QString Com_Adr = QStringLiteral(" ");
    QString Com_SubAdr = QStringLiteral(" ");

    Table1<bool, kChannels> Mode1_flg;
    Table2<bool, kAlarmSlots, kAlarmOldChannels> Alarm_Old;
    HistoryTable History_Table;
    AllPageData AllPage_Data;
    AlarmColor Alarm_Color;
    qint16 Time_Count = 2;
    LogClock Log_Clock;
    PvLogState PvLog_State;
    qint16 Prn_No = 0;
    // Trend chart: the chart-file mirror, which Y limit the chart-scale dialog
    // edits (0 high, 1 low) and the Y scale the chart shows now.
    ChartFileData ChartFile_Data;
    qint16 ChartScale_Sel = 0;
    qint16 YHigh_Now = 0;
    qint16 YLow_Now = 0;

    // Handy bounds-checked shortcuts.
    bool present(int ch) const { return NoConnect(ch) == 0; }
    // Item k of channel ch holds what the controller has now, as far as the
    // program knows: read since the channel's last clear command.
    bool current(int ch, int k) const {
        return (Monitor_Data.Unread(ch) & Unread::of(k)) == 0 && !Monitor_Data.Untaken(ch, k);
    }
};

// The item code of item index k (4 upper-case hex digits; "" for item 9).
QString itemCode(int k);
// Item index of a code, or -1 when no item has it.
int itemOfCode(const QString& code);
// Fills ParaAddr from the item-code table, k = 0..66 in order, skipping 9.
void fillParaAddr(QVX720_INC& s);

// Queues a single write of item k of channel ch with the value ParaData holds
// now, behind what was asked before it; a single write of the same channel
// and item not yet sent gives way to it (the later value wins, at the end).
// reRead: the channel's settings are read again once it is done.
void queueSingleWrite(QVX720_INC& s, int ch, int k, bool reRead = false);
// Queues a re-read of channel ch's settings.
void queueReRead(QVX720_INC& s, int ch);

// Time-out choice 1..14 to milliseconds; 0 for a choice outside.
int timeoutMs(int choice);
inline constexpr int kTimeoutChoices = 14;
inline constexpr int kDefaultTimeoutChoice = 2;

}  // namespace qvx
