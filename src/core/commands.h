// The channel setting and command buttons of the main window, as rules: each
// returns what the window must do (nothing, a message, open a dialog) after
// changing the shared state and queueing any single write itself.
#pragma once

#include <QString>

#include "qvx720_inc.h"
#include "setting_limits.h"
#include "settings_store.h"
#include "string_table.h"

namespace qvx {

struct ButtonAction {
    enum Kind {
        None,             // refused silently (the beep only) or nothing to open
        Queued,           // a single write is queued
        Message,          // refused with a message box (OK button, no title)
        OpenNumeric,      // Setting_Disp for item/ch with range
        OpenSelect,       // Select_Disp for item/ch, preset option (or unit text)
        OpenPageNumeric,  // Setting2_Disp for item with range
        OpenPageSelect,   // Select2_Disp for item, preset option
    };
    Kind kind = None;
    QString message;
    int item = 0;
    int ch = 0;
    int preset = -1;
    QString unitText;
    SettingRange range;
};

// Items whose all-channels page button opens the selection dialog.
bool isPageSelectionItem(int k);

// Row buttons of the setting display. rowCh is page base + row, or -1 when no
// channel page is selected (Set_Ch keeps its value).
ButtonAction Command_change(QVX720_INC& s, int rowCh, const QString& nowText);
ButtonAction Command_change2(QVX720_INC& s, int rowCh, const StringTable& strings);
ButtonAction Command_AT(QVX720_INC& s, int rowCh);
ButtonAction Command_OUT(QVX720_INC& s, int rowCh);

// One-channel view buttons; listIndex is the index of the channel list
// (-1: no selection).
ButtonAction Command_1channe_sv(QVX720_INC& s, int listIndex, const QString& nowText);
ButtonAction tb3_OUTOFF(QVX720_INC& s, int listIndex);
ButtonAction Cmd_AT(QVX720_INC& s, int listIndex);
ButtonAction Cmd_Alm(QVX720_INC& s, int listIndex, int index);

// Item button i of the all-channels page.
ButtonAction Cmd_change2(QVX720_INC& s, int i, const StringTable& strings, const SettingsStore& store,
                         const QString& nowText);

}  // namespace qvx
