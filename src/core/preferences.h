// The program's preferences in the settings store: the key names, the start-up
// load (the core of MainDisp.regRead), the save at exit (the core of
// MainDisp.Form_Unload), and the channel names read by Chname_Read.
//
// The windows own the controls: after the load they put the tab, list and
// check-box values of Preferences into their controls; before the exit save
// they copy them back. What belongs to the shared state goes through
// applyPreferences / gatherPreferences.
#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

#include "bounded.h"
#include "qvx720_inc.h"
#include "settings_store.h"

namespace qvx {

// Keys of the settings store.
namespace PrefKey {
inline constexpr const char* Port = "Port";
inline constexpr const char* Speed = "Speed";
inline constexpr const char* Time_Count = "Time_Count";
inline constexpr const char* SSTab1 = "SSTab1";
inline constexpr const char* SSTab2 = "SSTab2";
inline constexpr const char* Logtim = "Logtim";
inline constexpr const char* Check1 = "Check1";
inline constexpr const char* Log_Filename = "Log_Filename";
inline constexpr const char* log_Filename = "log_Filename";  // the spelling of the Check1 click
inline constexpr const char* log_start = "log_start";
inline constexpr const char* tab3name = "tab3name";
}  // namespace PrefKey

inline constexpr int kAlarmColors = 5;  // alarms 1..4, other
inline constexpr int kPageBoxes = 54;   // all-channels page boxes n = 0..53 (item n + 10)

// Per-channel and numbered keys.
QString logNameKey(int ch);          // "LogName0".."LogName94"
QString unitKey(int ch);             // "UNIT001".."UNIT095"
QString decimalPointKey(int ch);     // "Decimalpoint001".."Decimalpoint095"
QString chnameKey(int ch);           // "Chname01".."Chname95"
QString logSettingKey(int n);        // "LogSetting0".."LogSetting53"
QString logSettingDataKey(int n);    // "LogSetting_data0".."LogSetting_data53"
QString alarmColorKey(int i);        // "Alm1color".."Alm4color", "Alm_other" for i = 0..4
// The device a port leads to, as the user keeps it ("Device_COM1" for "COM1");
// the QVX720_COMn environment variable wins over it.
QString portDeviceKey(const QString& port);

// Stored colour of alarm-colour slot i (0..4): a number within
// 0..&HFFFFFF, else red (255), as when the key is missing.
inline constexpr qint32 kMaxAlarmColor = 0xFFFFFF;
qint32 readAlarmColor(const SettingsStore& store, int i);

// True for the page boxes kept in the store: 0..53 except 1, 8 and 44
// (items 11, 18 and 54 take no part in the page).
bool isStoredPageBox(int n);

// A stored number: decimal digits with an optional leading minus sign
// (blanks around it are allowed). Empty for any other text and for a number
// outside the type.
std::optional<qint16> storedInt16(const QString& text);
std::optional<qint32> storedInt32(const QString& text);
// The key's number when it converts and lies within lo..hi, else def.
qint16 readInt16(const SettingsStore& store, const QString& key, qint16 def, qint16 lo = -32768,
                 qint16 hi = 32767);

// Every preference of the store, as the program uses it.
struct Preferences {
    QString Port = QStringLiteral("COM1");   // checked by the link set-up, not here
    QString Speed = QStringLiteral("9600");  // likewise
    qint16 Time_Count = kDefaultTimeoutChoice;
    qint16 SSTab1 = 0;    // 0..1, tab of the one-channel display
    qint16 SSTab2 = 0;    // 0..5, main tab
    qint16 Logtim = 0;    // 0..7, logging-interval list index
    qint16 Check1 = 0;    // 0..2, "Continue to save data"
    QString Log_Filename;               // logging file path as stored
    bool Log_Filename_stored = false;   // false: no "Log_Filename" in the store
    qint16 log_start = 0;               // 1 while logging ran at the last exit
    qint16 tab3name = 0;                // 0..94, channel of the one-channel display
    Table1<qint32, kAlarmColors> AlarmColors;        // Alm1color..Alm4color, Alm_other
    Table1<qint16, kPageBoxes> LogSetting;           // box value 0..2 of page box n
    Table1<qint16, kPageBoxes> LogSetting_data;      // AllParaData(n + 10)
    Table1<qint16, kChannels> LogName;               // box value 0..2: channel logged
    Table1<QString, kChannels> Unit;                 // UnitText
    Table1<qint16, kChannels> Decimalpoint;          // DecimalData
    Table1<QString, kChannels> Chname;               // channel names

    Preferences();  // every default of the store
    bool operator==(const Preferences&) const = default;
};

// The start-up load: every key with its default. A stored text that does not
// convert, or a tab, list index or box value outside its control's range,
// gives that key's default; every other key loads all the same.
Preferences loadPreferences(const SettingsStore& store);

// The exit save, in this order: "Logtim", "SSTab1", "SSTab2", "Log_Filename"
// (only when Log_Filename_stored), "Check1"; per channel "LogName", "UNIT",
// "Decimalpoint"; per stored page box "LogSetting", "LogSetting_data"; the
// five alarm colours; "Time_Count".
// All keys are stored together and the file is written once; false when it
// could not be written (the store keeps the values in memory all the same).
bool saveExitPreferences(SettingsStore& store, const Preferences& p);

// Loaded values into the shared state: UnitText, DecimalData and its copy in
// ParaData(ch, 66), AllParaData(n + 10) of the stored page boxes, Alarm_Color,
// Time_Count. Other AllParaData entries are left as they are.
void applyPreferences(const Preferences& p, QVX720_INC& s);
// The same values back from the shared state, for the exit save.
void gatherPreferences(const QVX720_INC& s, Preferences& p);

enum class CodePage;  // setting_files.h

// The name of channel ch as stored now ("Ch01".."Ch95" by default), cut to
// the 12 bytes a name may hold in the code page (the system's when none is
// given). Only a store edited outside the program holds a longer one.
QString channelName(const SettingsStore& store, int ch);
QString channelName(const SettingsStore& store, int ch, CodePage cp);
// Default name of channel ch.
QString defaultChannelName(int ch);

// The single-key savers of the main window. Check1_Click: "Check1", and
// "log_Filename" := the logging file caption when the box is set (value 1).
bool saveCheck1(SettingsStore& store, int value, const QString& logFileCaption);
// tb3_CHName_Click: "tab3name".
bool saveTab3name(SettingsStore& store, int listIndex);

}  // namespace qvx
