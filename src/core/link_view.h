// What the link needs of the windows. The main window implements it; tests
// record the calls.
#pragma once

#include <QString>

namespace qvx {

class LinkView {
public:
    virtual ~LinkView() = default;

    // Status bar panels 1..4 (1 reply "OK"/"NG", 2 logging, 3 chart, 4 transfer).
    virtual void setStatusPanel(int panel, const QString& text) = 0;
    // The "Communication error" box (shown on a missing reply; hidden by the run loop).
    virtual void setCommErrorVisible(bool visible) = 0;
    // The key-operation message: shown, a beep, and hidden again 2 s later.
    virtual void showKeyOperationMessage() = 0;
    // How far a scan has got (0..95): the opening form's bar at start-up,
    // the main window's during a data clear's rescan.
    virtual void setScanProgress(int value) = 0;
    // A data clear begins (true) or has ended with its rescan (false).
    virtual void dataClearRunning(bool running) { (void)running; }
    // Chart legend refresh (the poll sets 95 on every tick that ends on a present channel).
    virtual void setChartMaxCh(int n) = 0;
    // Refresh of the visible tab after a poll transaction (feeds the chart too).
    virtual void SelectDispItem() = 0;

    // Start-up state, after the scan: close the opening form, show the main
    // window, restart chart recording when it ran at the last exit.
    virtual void startUpScanDone() = 0;

    // Communication-condition dialog: set its port and speed texts; show it.
    virtual void setCommDialogPort(const QString& port) = 0;
    virtual void setCommDialogSpeed(const QString& speed) = 0;
    virtual void showCommDialog() = 0;
    // The one line of the dialog that says why the link check failed.
    virtual void setCommDialogReason(const QString& text) { (void)text; }
    // Time-out menu: check entry `choice` (1..14) and uncheck the others.
    virtual void checkTimeoutMenu(int choice) = 0;

    // Value (0 clear, 1 checked, 2 greyed) of the all-channels page box n (0..53).
    virtual int optionCheckValue(int box) const = 0;

    // Logging boxes of the logging tab.
    virtual bool logBoxChecked(int ch) const = 0;
    virtual void setLogBoxEnabled(int ch, bool enabled) = 0;
    virtual void setLogBoxChecked(int ch, bool checked) = 0;
    virtual void setLogFileCaption(const QString& path) = 0;
    // Start logging as the logging start button does.
    virtual void startLogging() = 0;

    // Yes/No question with string 60 before a data clear; true for Yes.
    virtual bool confirmDataClear() = 0;
    // Let the window process pending events once.
    virtual void processEvents() = 0;
};

// Where the link records reply failures and new status words.
class HistorySink {
public:
    virtual ~HistorySink() = default;
    // One history entry: kind "NAK", "CHKSUM" or an alarm kind; channel; state.
    virtual void History_Write(const QString& kind, int ch, int state) = 0;
    // Alarm detection on the new status word of a channel.
    virtual void AlarmChk(int ch) = 0;
};

}  // namespace qvx
