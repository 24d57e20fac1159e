#include "commands.h"

#include "preferences.h"

namespace qvx {

namespace {

bool autoTuning(const QVX720_INC& s, int ch) { return s.ParaData(ch, Item::AutoTuning) == 1; }

int firstAutoTuningChannel(const QVX720_INC& s) {
    for (int ch = 0; ch < kChannels; ++ch)
        if (autoTuning(s, ch)) return ch;
    return -1;
}

qint16 toggled(qint16 v) { return v == 1 ? 0 : 1; }

// The toggles and the alarm command: store, then queue the single write.
ButtonAction queue(QVX720_INC& s, int ch, int k, qint16 value) {
    s.ParaData(ch, k) = value;
    s.Edit_Context.Set_Item = static_cast<qint16>(k);
    queueSingleWrite(s, ch, k);
    ButtonAction a;
    a.kind = ButtonAction::Queued;
    a.item = k;
    a.ch = ch;
    return a;
}

void takeRowChannel(QVX720_INC& s, int rowCh) {
    if (rowCh >= 0 && rowCh < kChannels) s.Edit_Context.Set_Ch = static_cast<qint16>(rowCh);
}

bool validChannel(int ch) { return ch >= 0 && ch < kChannels; }

}  // namespace

bool isPageSelectionItem(int k) {
    switch (k) {
    case 26: case 35: case 39: case 40: case 49: case 50: case 51: case 52:
    case 53: case 55: case 58: case 59: case 60: case 61: case 63:
        return true;
    default:
        return false;
    }
}

ButtonAction Command_change(QVX720_INC& s, int rowCh, const QString& nowText) {
    takeRowChannel(s, rowCh);
    const int ch = s.Edit_Context.Set_Ch;
    if (autoTuning(s, ch)) return {};
    ButtonAction a;
    a.kind = ButtonAction::OpenNumeric;
    a.range = Range_Set(s, nowText);
    a.item = s.Edit_Context.Set_Item;
    a.ch = ch;
    return a;
}

ButtonAction Command_change2(QVX720_INC& s, int rowCh, const StringTable& strings) {
    takeRowChannel(s, rowCh);
    ButtonAction a;
    if (firstAutoTuningChannel(s) >= 0) {
        a.kind = ButtonAction::Message;
        a.message = strings.text(227);
        return a;
    }
    a.kind = ButtonAction::OpenSelect;
    a.item = s.Edit_Context.Set_Item;
    a.ch = s.Edit_Context.Set_Ch;
    if (a.item == Item::Unit)
        a.unitText = s.UnitText(a.ch);
    else if (a.item >= 0 && a.item < kItems)
        a.preset = s.ParaData(a.ch, a.item);
    return a;
}

ButtonAction Command_AT(QVX720_INC& s, int rowCh) {
    takeRowChannel(s, rowCh);
    const int ch = s.Edit_Context.Set_Ch;
    return queue(s, ch, Item::AutoTuning, toggled(s.ParaData(ch, Item::AutoTuning)));
}

ButtonAction Command_OUT(QVX720_INC& s, int rowCh) {
    takeRowChannel(s, rowCh);
    const int ch = s.Edit_Context.Set_Ch;
    if (autoTuning(s, ch)) return {};
    return queue(s, ch, Item::ControlOutputOff, toggled(s.ParaData(ch, Item::ControlOutputOff)));
}

ButtonAction Command_1channe_sv(QVX720_INC& s, int listIndex, const QString& nowText) {
    qint16 ch = static_cast<qint16>(listIndex);
    s.Edit_Context.Set_Ch = Zero_Under(ch);
    if (!validChannel(ch)) return {};
    if (autoTuning(s, ch)) return {};
    s.Edit_Context.Set_Item = Item::SV;
    ButtonAction a;
    a.kind = ButtonAction::OpenNumeric;
    a.range = Range_Set(s, nowText);
    a.item = Item::SV;
    a.ch = ch;
    return a;
}

ButtonAction tb3_OUTOFF(QVX720_INC& s, int ch) {
    if (!validChannel(ch)) return {};
    if (static_cast<quint16>(s.Monitor_Data.StatusData(ch)) & StatusBit::AutoTuningRunning) return {};
    return queue(s, ch, Item::ControlOutputOff, toggled(s.ParaData(ch, Item::ControlOutputOff)));
}

ButtonAction Cmd_AT(QVX720_INC& s, int ch) {
    if (!validChannel(ch)) return {};
    if (s.ParaData(ch, Item::ControlOutputOff) == 0) return {};
    return queue(s, ch, Item::AutoTuning, toggled(s.ParaData(ch, Item::AutoTuning)));
}

ButtonAction Cmd_Alm(QVX720_INC& s, int ch, int index) {
    if (!validChannel(ch) || index < 0 || index > 1) return {};
    if (autoTuning(s, ch) || s.ParaData(ch, Item::ControlOutputOff) == 0) return {};
    return queue(s, ch, Item::AlarmCommand, static_cast<qint16>(index == 0 ? 1 : 2));
}

ButtonAction Cmd_change2(QVX720_INC& s, int i, const StringTable& strings, const SettingsStore& store,
                         const QString& nowText) {
    ButtonAction a;
    if (i < 0 || i > 53 || i == 1 || i == 8 || i == 44) return a;
    s.Edit_Context.Set_Item = static_cast<qint16>(i + Item::FirstSetting);
    const int busy = firstAutoTuningChannel(s);
    if (busy >= 0) {
        a.kind = ButtonAction::Message;
        a.message = strings.text(227) + QLatin1Char(' ') + channelName(store, busy);
        return a;
    }
    a.range = Range_Set(s, nowText);
    a.item = s.Edit_Context.Set_Item;
    a.ch = s.Edit_Context.Set_Ch;
    if (isPageSelectionItem(a.item)) {
        a.kind = ButtonAction::OpenPageSelect;
        a.preset = s.AllPage_Data.AllParaData(a.item);
    } else {
        a.kind = ButtonAction::OpenPageNumeric;
    }
    return a;
}

}  // namespace qvx
