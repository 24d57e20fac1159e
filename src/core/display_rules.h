// What every control of the main window's tabs must show for the current
// shared state: the 20 panels and the 95 bar graphs of the main display, the
// one-channel view, the setting grid with its "Unsettable" reasons, the
// values of the all-channels page, and the PV and SV texts handed to the
// trend chart after every refresh.
//
// The window keeps one DisplayViews object for its whole life. After every
// poll transaction it calls SelectDispItem, then applies the fields whose
// `changed` flag is set: first those of the tab that was refreshed, then the
// chart feed. Nothing here touches a widget; every function only reads the
// shared state, the string table and the channel names.
//
// A view mirrors what its controls show. A field that a rule does not write
// in a pass keeps its value and reports no change, exactly as the control
// keeps what it shows. When code other than the apply step has changed the
// controls (a page, display or item selection handler), call invalidate() on
// the view: its next pass reports every field as changed.
#pragma once

#include <array>
#include <optional>

#include <QString>
#include <QtGlobal>

#include "bounded.h"
#include "qvx720_inc.h"

namespace qvx {

class SettingsStore;
class StringTable;

// Fill colours of lamps and bars, red in the low byte.
namespace LampColor {
inline constexpr qint32 White = 0xFFFFFF;
inline constexpr qint32 Red = 0x0000FF;
inline constexpr qint32 Green = 0x00C000;
inline constexpr qint32 Yellow = 0x00FFFF;
inline constexpr qint32 LightYellow = 0x80FFFF;
inline constexpr qint32 Blue = 0xFF0000;
}  // namespace LampColor

// One value that a control shows, and whether the last pass changed it.
template <typename T>
struct Shown {
    T value{};
    bool changed = true;

    void set(const T& v)
    {
        if (!(value == v)) {
            value = v;
            changed = true;
        }
    }
};

// Clears the change flags of a view at the start of a pass, or, after
// invalidate(), leaves every flag set for one pass.
template <typename View>
void beginPass(View& view)
{
    const bool all = view.forceAll;
    view.forEachField([all](auto& field) { field.changed = all; });
    view.forceAll = false;
}

// True when the last pass changed any field of the view.
template <typename View>
bool anyChanged(View& view)
{
    bool any = false;
    view.forEachField([&any](auto& field) { any = any || field.changed; });
    return any;
}

using ChannelNames = Table1<QString, kChannels>;

// The names of all channels as the settings store holds them now.
void readChannelNames(const SettingsStore& store, ChannelNames& names);

// What a refresh reads besides the window's own selections.
struct DisplayContext {
    const QVX720_INC& state;
    const StringTable& strings;
    const ChannelNames& names;
};

// The selections of the main window that decide what a refresh shows. Row i
// of a page shows channel base + i; a row whose channel would lie outside
// 0..94 (rows 15..19 of the last page) has none and is hidden, whatever the
// base.
struct DisplayInputs {
    int mainTab = 0;           // visible tab of SSTab2, 0..5
    int displayMode = 0;       // first set button of Option2: 0 panels, 1..3 bar pages, -1 none
    int panelPageBase = 0;     // first channel of the TabStrip1 page: 0, 20, 40, 60 or 80
    int settingPageBase = 0;   // first channel of the Option1 page: 0, 20, 40, 60 or 80
    int oneChannel = 0;        // selection index of tb3_CHName; negative: nothing selected
    int infoTab = 0;           // tab of SSTab1: 0 alarm information, any other the other settings
};

// ---------------------------------------------------------------------------
// Chart feed: the PV and SV texts of all 95 channels, present or not. The tab
// views take their PV and SV texts from here, so a text is formatted once per
// pass and only when what it shows has changed.

struct ChartFeedView {
    std::array<Shown<QString>, kChannels> pv;  // Pv0Caption .. Pv94Caption
    std::array<Shown<QString>, kChannels> sv;  // Sv0Caption .. Sv94Caption

    bool forceAll = true;
    void invalidate() { forceAll = true; }
    template <typename F>
    void forEachField(F&& f)
    {
        for (auto& x : pv) f(x);
        for (auto& x : sv) f(x);
    }

    // What each text was formatted from (raw value, input type, decimal
    // point, whether the value is current).
    struct Key {
        qint16 raw = 0, type = 0, decimals = 0;
        bool valid = false;
        bool current = false;
        bool operator==(const Key&) const = default;
    };
    std::array<Key, kChannels> pvKey{}, svKey{};
};

void computeChartFeed(const DisplayContext& ctx, ChartFeedView& out);

// ---------------------------------------------------------------------------
// Tab 0, main display.

inline constexpr int kPanelRows = 20;

// One panel of the 20-channel display (Frame_All(i) and its contents).
struct PanelView {
    int channel = -1;               // channel of the row; -1 when the row has none
    Shown<bool> visible{true};      // Frame_All(i)
    Shown<QString> caption;         // Frame_All(i) caption: the channel name
    Shown<QString> Label_Unit;
    Shown<QString> DispPv;
    Shown<QString> DispSv;
    Shown<qint32> Label_at{LampColor::White};  // back colours of the lamps
    Shown<qint32> Label_A1{LampColor::White};
    Shown<qint32> Label_A2{LampColor::White};
    Shown<qint32> Label_A3{LampColor::White};
    Shown<qint32> Label_A4{LampColor::White};
    Shown<qint32> Label_HB{LampColor::White};
    Shown<qint32> Label_LP{LampColor::White};
    Shown<qint32> Label_SB{LampColor::White};

    template <typename F>
    void forEachField(F&& f)
    {
        f(visible); f(caption); f(Label_Unit); f(DispPv); f(DispSv);
        f(Label_at); f(Label_A1); f(Label_A2); f(Label_A3); f(Label_A4);
        f(Label_HB); f(Label_LP); f(Label_SB);
    }
};

// One bar graph BarGr1(ch). The control formats its scale texts and places
// its bar from NumDecimals, Max and Min, so apply the fields in declaration
// order; a pass that changes NumDecimals also reports Max, Min and Value
// changed, and one that changes Max or Min reports Value changed.
struct BarView {
    Shown<bool> visible{true};
    Shown<quint8> NumDecimals{1};   // the control's values at creation
    Shown<float> Max{100.0f};
    Shown<float> Min{0.0f};
    Shown<qint16> Alarmstatas;      // the whole status word
    Shown<qint32> barColor{LampColor::Blue};  // the colour that Alarmstatas gives
    Shown<float> Value{50.0f};

    template <typename F>
    void forEachField(F&& f)
    {
        f(visible); f(NumDecimals); f(Max); f(Min); f(Alarmstatas); f(barColor); f(Value);
    }
};

struct MainDisplayView {
    int mode = -1;        // what the last pass computed: 0 panels, 1..3 a bar page, -1 nothing
    int pageBase = 0;     // first channel of the panel page
    std::array<PanelView, kPanelRows> panels;
    std::array<BarView, kChannels> bars;

    bool forceAll = true;
    void invalidate() { forceAll = true; }
    template <typename F>
    void forEachField(F&& f)
    {
        for (auto& p : panels) p.forEachField(f);
        for (auto& b : bars) b.forEachField(f);
    }
};

// Channels lo..hi of bar page 1..3; false for any other page.
bool barPageChannels(int mode, int& lo, int& hi);

// Colour of a bar for a status word: blue without alarm, the alarm colour
// for one of alarms 1..4 alone, red for one other alarm alone, the colour
// for "other" for two or more alarms at once.
qint32 barAlarmColor(qint16 status, const AlarmColor& colors);

void computeMainDisplay(const DisplayContext& ctx, const DisplayInputs& in, const ChartFeedView& texts,
                        MainDisplayView& out);

// ---------------------------------------------------------------------------
// Tab 1, one-channel view. Fields named after a control carry its caption
// or fill colour; the visibility flags name the controls they cover.

struct MvBarView {
    Shown<qint32> MvColor{LampColor::Blue};
    // Empty while the MV has not been read since the channel's clear
    // command: the bar then draws nothing, as the MV text shows nothing.
    Shown<std::optional<qint16>> MvValue;
};

struct OneChannelView {
    int channel = 0;      // the channel shown
    int infoPage = 0;     // page of SSTab1 the last pass filled: 0 alarms, 1 other

    Shown<bool> connectedFrames{true};   // Frame1, Frame2, SSTab1
    Shown<bool> Label_notConnect{false}; // shown while those frames are hidden
    std::array<Shown<QString>, 18> Label_CF;  // unit labels
    Shown<QString> Label11;                   // input range
    Shown<QString> Text_PV, Text_SV;
    std::array<Shown<QString>, 2> Text_MV;
    Shown<QString> Text_ohl, Text_oll, Text_ohlb, Text_ollb;
    Shown<qint32> Lamp_up{LampColor::White}, Lamp_down{LampColor::White};
    std::array<Shown<qint32>, 2> Lamp_CONT{{{LampColor::White}, {LampColor::White}}};
    Shown<qint32> Lamp_AT{LampColor::White};
    MvBarView MV_BerGraph1;
    MvBarView MV_BerGraph2;
    Shown<QString> Label_HEETCOOL;
    Shown<bool> outputOffVisible{true};  // Label_OUTOFF, tb3_OUTOFF
    Shown<QString> Label_OUTOFF;
    Shown<QString> tb3_OUTOFF;           // the button's caption
    // Label58, Label_mvb, Label19(2..3), Label21(2..3), Text_ohlb, Text_ollb,
    // Text_MV(1), Lamp_CONT(1), MV_BerGraph2.
    Shown<bool> coolingOutput{true};

    // Alarm information page.
    std::array<Shown<bool>, 4> Frame_Alarm{{{true}, {true}, {true}, {true}}};  // Frame_Alarm1..4
    std::array<Shown<qint32>, 4> Lamp_Alm{
        {{LampColor::White}, {LampColor::White}, {LampColor::White}, {LampColor::White}}};  // Lamp_Alm1..4
    std::array<Shown<QString>, 6> Label_A1val;
    std::array<Shown<QString>, 5> Label_A2val, Label_A3val, Label_A4val;
    Shown<bool> Frame_HB{true};
    // 0: heater burnout 1 (Lamp_Alm_HB(0), Label_Alm_HB(0), Label_HBval(0),
    //    Label1(2), Label_CT1(0..1), Lbl_CT1(0));
    // 1: heater burnout 2 (Lamp_Alm_HB(1), Label_Alm_HB(1), Label_HBval(1),
    //    Label1(11), Label_CT2(0..1), Lbl_CT1(1));
    // 2: actuator short circuit 1 (Lamp_Alm_HB(2), Label_Alm_HB(2));
    // 3: actuator short circuit 2 (Lamp_Alm_HB(3), Label_Alm_HB(3)).
    std::array<Shown<bool>, 4> heaterGroups{{{true}, {true}, {true}, {true}}};
    std::array<Shown<qint32>, 4> Lamp_Alm_HB{
        {{LampColor::White}, {LampColor::White}, {LampColor::White}, {LampColor::White}}};
    std::array<Shown<QString>, 2> Label_HBval, Lbl_CT1;
    Shown<bool> Frame_LP{true};
    Shown<qint32> Lamp_Alm_LP{LampColor::White};
    std::array<Shown<QString>, 2> Label_LPval;

    // Other information page.
    Shown<bool> scalingRows{true};        // Label_othval(6..7), Label_oth(6..7), Label_CF(6..7)
    std::array<Shown<QString>, 17> Label_othval;
    Shown<bool> hysteresisRow{true};      // Label_othval(10), Label_oth(10), Label_CF(9)
    Shown<bool> decimalPointRow{true};    // Label_othval(11), Label_oth(11)
    Shown<bool> atBiasRow{true};          // Label_othval(14), Label_oth(14), Label_CF(17)
    Shown<bool> unitRow{true};            // Label_othval(16), Label_oth(16)
    Shown<bool> Frame_Cool{true};
    std::array<Shown<QString>, 5> Label_coolval;
    Shown<bool> coolHysteresisRow{true};  // Label_cool(3), Label_coolval(3), Label_CF(10)

    bool forceAll = true;
    void invalidate() { forceAll = true; }
    template <typename F>
    void forEachField(F&& f)
    {
        f(connectedFrames); f(Label_notConnect);
        for (auto& x : Label_CF) f(x);
        f(Label11); f(Text_PV); f(Text_SV);
        for (auto& x : Text_MV) f(x);
        f(Text_ohl); f(Text_oll); f(Text_ohlb); f(Text_ollb);
        f(Lamp_up); f(Lamp_down);
        for (auto& x : Lamp_CONT) f(x);
        f(Lamp_AT);
        f(MV_BerGraph1.MvColor); f(MV_BerGraph1.MvValue);
        f(MV_BerGraph2.MvColor); f(MV_BerGraph2.MvValue);
        f(Label_HEETCOOL); f(outputOffVisible); f(Label_OUTOFF); f(tb3_OUTOFF); f(coolingOutput);
        for (auto& x : Frame_Alarm) f(x);
        for (auto& x : Lamp_Alm) f(x);
        for (auto& x : Label_A1val) f(x);
        for (auto& x : Label_A2val) f(x);
        for (auto& x : Label_A3val) f(x);
        for (auto& x : Label_A4val) f(x);
        f(Frame_HB);
        for (auto& x : heaterGroups) f(x);
        for (auto& x : Lamp_Alm_HB) f(x);
        for (auto& x : Label_HBval) f(x);
        for (auto& x : Lbl_CT1) f(x);
        f(Frame_LP); f(Lamp_Alm_LP);
        for (auto& x : Label_LPval) f(x);
        f(scalingRows);
        for (auto& x : Label_othval) f(x);
        f(hysteresisRow); f(decimalPointRow); f(atBiasRow); f(unitRow); f(Frame_Cool);
        for (auto& x : Label_coolval) f(x);
        f(coolHysteresisRow);
    }
};

// The channel the one-channel view shows for a tb3_CHName selection index:
// the index itself, 0 when nothing (or no channel) is selected.
int oneChannelOf(int selectionIndex);

void computeOneChannel(const DisplayContext& ctx, const DisplayInputs& in, const ChartFeedView& texts,
                       OneChannelView& out);

// ---------------------------------------------------------------------------
// Tab 2, setting grid: the edited item Set_Item over the 20 channels of the
// setting page.

// Why an item cannot be set on a channel.
struct SettingReason {
    int textId = 0;            // string id of the reason; 0: the item can be set ("")
    bool numericOnly = false;  // the reason goes to settin_inf only, not to Select_comand
    bool written = true;       // false: the rule leaves the reason label as it is (items 11, 49)
    bool operator==(const SettingReason&) const = default;
};

// True for the items whose value is a choice, shown in Select_comand.
bool isChoiceItem(int k);

// The item's own rule for channel ch, before the overrides.
SettingReason itemReason(const QVX720_INC& s, int k, int ch);
// The item rule followed by the overrides: auto-tuning (227), then no
// control unit (228), the later one winning.
SettingReason settingReason(const QVX720_INC& s, int k, int ch);
// The text of a reason id (222..228, 267, 270..272); "" for any other id.
QString reasonText(const StringTable& st, int id);

struct SettingRowView {
    int channel = -1;          // channel of the row; -1 when the row has none
    bool settable = false;     // settin_inf is empty: the change buttons are offered
    Shown<bool> labelsVisible{true};   // label_setdata, Setdata_Para, settin_inf, Select_comand
    Shown<QString> label_setdata;      // the channel name
    Shown<QString> Setdata_Para;       // value of a numeric item
    Shown<QString> Select_comand;      // value of a choice item, or the reason
    Shown<QString> settin_inf;         // reason text, "" when the item can be set
    Shown<bool> changeVisible{true};   // Command_change, Command_change2
    Shown<bool> atVisible{true};       // Command_AT, Shape_AT
    Shown<qint32> Shape_AT{LampColor::White};
    Shown<bool> outVisible{false};     // Command_OUT, Shape_OUT
    Shown<qint32> Shape_OUT{LampColor::White};

    template <typename F>
    void forEachField(F&& f)
    {
        f(labelsVisible); f(label_setdata); f(Setdata_Para); f(Select_comand); f(settin_inf);
        f(changeVisible); f(atVisible); f(Shape_AT); f(outVisible); f(Shape_OUT);
    }
};

struct SettingGridView {
    int item = 0;          // the item shown by the last pass
    int pageBase = 0;      // its first channel
    std::array<SettingRowView, kPanelRows> rows;

    bool forceAll = true;
    void invalidate() { forceAll = true; }
    template <typename F>
    void forEachField(F&& f)
    {
        for (auto& r : rows) r.forEachField(f);
    }
};

void computeSettingGrid(const DisplayContext& ctx, const DisplayInputs& in, SettingGridView& out);

// ---------------------------------------------------------------------------
// Tab 5, all-channels page: Setdata_Para2(n) shows the page value of item
// n + 10; n = 0..53 without 1, 8 and 44.

inline constexpr int kAllPageLabels = 54;

bool allPageHasLabel(int n);

struct AllChannelsView {
    std::array<Shown<QString>, kAllPageLabels> Setdata_Para2;

    bool forceAll = true;
    void invalidate() { forceAll = true; }
    template <typename F>
    void forEachField(F&& f)
    {
        for (auto& x : Setdata_Para2) f(x);
    }

    // The raw page value and string table each text was made from.
    std::array<qint16, kAllPageLabels> rawKey{};
    std::array<bool, kAllPageLabels> keyValid{};
    const StringTable* keyStrings = nullptr;
};

void computeAllChannels(const DisplayContext& ctx, AllChannelsView& out);

// ---------------------------------------------------------------------------
// The refresh after every poll transaction (the core of MainDisp.SelectDispItem).

struct DisplayViews {
    ChartFeedView chart;
    MainDisplayView main;
    OneChannelView one;
    SettingGridView grid;
    AllChannelsView all;

    void invalidate()
    {
        chart.invalidate();
        main.invalidate();
        one.invalidate();
        grid.invalidate();
        all.invalidate();
    }
};

// Which view a refresh computed besides the chart feed.
enum class RefreshedTab { None, Main, OneChannel, SettingGrid, AllChannels };

// Computes the view of the visible tab (tab 0 main display, 1 one-channel
// view, 2 setting grid, 5 all-channels page; other tabs show nothing that a
// refresh writes) and the chart feed, which runs whatever tab is visible.
// Apply the tab's view first, then the chart feed.
RefreshedTab SelectDispItem(const DisplayContext& ctx, const DisplayInputs& in, DisplayViews& views);

}  // namespace qvx
