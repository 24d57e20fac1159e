#include "display_rules.h"

#include <cmath>
#include <limits>

#include "bar_geometry.h"
#include "setting_items.h"

#include "preferences.h"
#include "settings_store.h"
#include "string_table.h"
#include "value_format.h"

namespace qvx {

void readChannelNames(const SettingsStore& store, ChannelNames& names)
{
    for (int ch = 0; ch < kChannels; ++ch)
        names(ch) = channelName(store, ch);
}

namespace {

bool validChannel(int ch) { return ch >= 0 && ch < kChannels; }

bool has(qint16 word, quint16 bits) { return (quint16(word) & bits) != 0; }

qint32 lamp(bool lit, qint32 color) { return lit ? color : LampColor::White; }

// The status word as the lamps show it: no lamp lit for a word from before
// the channel's clear command.
qint16 shownStatus(const QVX720_INC& s, int ch)
{
    return s.current(ch, Item::Status) ? s.Monitor_Data.StatusData(ch) : 0;
}

// An MV bar's value: none (no bar) until the MV has been read since the
// channel's clear command.
std::optional<qint16> shownMv(const QVX720_INC& s, int ch, int item, qint16 value)
{
    return s.current(ch, item) ? std::optional<qint16>(value) : std::nullopt;
}

// Whether the channel's auto-tuning flag is known to be on.
bool autoTuningOn(const QVX720_INC& s, int ch)
{
    return s.current(ch, Item::AutoTuning) && s.ParaData(ch, Item::AutoTuning) == 1;
}

// The unit of a channel's values: the temperature unit of a sensor input,
// the channel's own unit text otherwise.
struct SensorUnits {
    QString degC;
    QString degF;

    explicit SensorUnits(const StringTable& st) : degC(st.text(215)), degF(st.text(216)) {}

    const QString& of(const QVX720_INC& s, int ch) const
    {
        const int t = s.ParaData(ch, Item::InputType);
        if (t >= 0 && t <= 14)
            return degC;
        if (t >= 15 && t <= 29)
            return degF;
        return s.UnitText(ch);
    }
};

// 10^n as a float, n = 0..4.
constexpr float kPow10[] = {1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f};

// raw / 10^n as the nearest single-precision number: the value that the
// n-decimal text of the exact quotient converts back to. (The quotient of
// two exact floats is rounded once.)
float scaled(qint16 raw, int n) { return float(raw) / kPow10[n]; }

}  // namespace

// ---------------------------------------------------------------------------
// Chart feed

void computeChartFeed(const DisplayContext& ctx, ChartFeedView& out)
{
    beginPass(out);
    const QVX720_INC& s = ctx.state;
    for (int ch = 0; ch < kChannels; ++ch) {
        // The PV and SV texts depend on the raw value, the input type and the
        // decimal point only; format again only when one of them changed.
        const qint16 t = s.ParaData(ch, Item::InputType);
        const qint16 d = s.ParaData(ch, Item::DecimalPoint);
        const ChartFeedView::Key pvKey{s.Monitor_Data.PvData(ch), t, d, true, s.current(ch, Item::PV)};
        if (!(pvKey == out.pvKey[ch])) {
            out.pv[ch].set(Disp_Data(s, ctx.strings, Item::PV, ch));
            out.pvKey[ch] = pvKey;
        }
        const ChartFeedView::Key svKey{s.ParaData(ch, Item::SV), t, d, true, s.current(ch, Item::SV)};
        if (!(svKey == out.svKey[ch])) {
            out.sv[ch].set(Disp_Data(s, ctx.strings, Item::SV, ch));
            out.svKey[ch] = svKey;
        }
    }
}

// ---------------------------------------------------------------------------
// Main display

bool barPageChannels(int mode, int& lo, int& hi)
{
    switch (mode) {
    case 1: lo = 0; hi = 39; return true;
    case 2: lo = 40; hi = 79; return true;
    case 3: lo = 80; hi = 94; return true;
    default: return false;
    }
}

qint32 barAlarmColor(qint16 status, const AlarmColor& colors) { return bargraph::barColorOf(status, colors); }

namespace {

void computePanels(const DisplayContext& ctx, const DisplayInputs& in, const ChartFeedView& texts,
                   MainDisplayView& out)
{
    const QVX720_INC& s = ctx.state;
    const SensorUnits units(ctx.strings);
    const AlarmColor& c = s.Alarm_Color;
    out.pageBase = in.panelPageBase;

    for (int i = 0; i < kPanelRows; ++i) {
        PanelView& p = out.panels[i];
        const int ch = in.panelPageBase + i;
        if (!validChannel(ch)) {
            // Rows past channel 95 (rows 15..19 of the last page).
            p.channel = -1;
            p.visible.set(false);
            continue;
        }
        p.channel = ch;
        p.caption.set(ctx.names(ch));
        if (s.Monitor_Data.Connect_Code(ch) == 0) {
            p.visible.set(false);
            continue;
        }
        p.Label_Unit.set(s.current(ch, Item::InputType) ? units.of(s, ch) : QString());
        p.visible.set(true);
        p.DispPv.set(texts.pv[ch].value);
        p.DispSv.set(texts.sv[ch].value);
        p.Label_at.set(autoTuningOn(s, ch) ? LampColor::LightYellow : LampColor::White);

        const qint16 st = shownStatus(s, ch);
        p.Label_A1.set(lamp(has(st, StatusBit::Alarm1), c.AlmColor1));
        p.Label_A2.set(lamp(has(st, StatusBit::Alarm2), c.AlmColor2));
        p.Label_A3.set(lamp(has(st, StatusBit::Alarm3), c.AlmColor3));
        p.Label_A4.set(lamp(has(st, StatusBit::Alarm4), c.AlmColor4));
        p.Label_HB.set(lamp(has(st, StatusBit::HeaterBurnout1 | StatusBit::HeaterBurnout2), LampColor::Red));
        p.Label_LP.set(lamp(has(st, StatusBit::LoopBreak), LampColor::Red));
        p.Label_SB.set(lamp(has(st, StatusBit::Overscale | StatusBit::Underscale), LampColor::Red));
    }
}

void computeBar(const QVX720_INC& s, int ch, BarView& b)
{
    if (s.Monitor_Data.Connect_Code(ch) == 0) {
        b.visible.set(false);
        return;
    }
    b.visible.set(true);

    // Scale and decimals by the input type. A linear input whose decimal
    // point is outside 0..3 leaves all three as they are.
    const int t = s.ParaData(ch, Item::InputType);
    const qint16 high = s.ParaData(ch, Item::ScalingHigh);
    const qint16 low = s.ParaData(ch, Item::ScalingLow);
    int n = -1;
    if (fmt::isOneDecimalInput(t)) {
        n = 1;
    } else if (fmt::isLinearInput(t)) {
        const int d = s.ParaData(ch, Item::DecimalPoint);
        if (d >= 0 && d <= 3)
            n = d;
    } else {
        n = 0;
    }
    if (n >= 0) {
        const bool decimalsChanged = b.NumDecimals.value != quint8(n);
        b.NumDecimals.set(quint8(n));
        b.Max.set(scaled(high, n));
        b.Min.set(scaled(low, n));
        // The control writes its scale texts with the decimals in force.
        if (decimalsChanged) {
            b.Max.changed = true;
            b.Min.changed = true;
        }
    }

    const qint16 status = shownStatus(s, ch);
    b.Alarmstatas.set(status);
    b.barColor.set(barAlarmColor(status, s.Alarm_Color));
    // The control colours the bar when the status word is set: set it again
    // when the alarm colours changed.
    if (b.barColor.changed)
        b.Alarmstatas.changed = true;

    // The value, rounded to the decimals the control has now.
    const int shown = b.NumDecimals.value;
    if (!s.current(ch, Item::PV)) {
        // No bar and no value text until the PV is read again.
        if (!std::isnan(b.Value.value))
            b.Value.set(std::numeric_limits<float>::quiet_NaN());
    } else if (shown <= 4) {
        b.Value.set(scaled(s.Monitor_Data.PvData(ch), shown));
    }
    // The control places the bar and writes its value text when the value
    // is set, from the scale and the decimals in force.
    if (b.NumDecimals.changed || b.Max.changed || b.Min.changed)
        b.Value.changed = true;
}

}  // namespace

void computeMainDisplay(const DisplayContext& ctx, const DisplayInputs& in, const ChartFeedView& texts,
                        MainDisplayView& out)
{
    beginPass(out);
    int lo = 0;
    int hi = 0;
    if (in.displayMode == 0) {
        out.mode = 0;
        computePanels(ctx, in, texts, out);
    } else if (barPageChannels(in.displayMode, lo, hi)) {
        out.mode = in.displayMode;
        for (int ch = lo; ch <= hi; ++ch)
            computeBar(ctx.state, ch, out.bars[ch]);
    } else {
        // No display selected: the tab keeps what it shows.
        out.mode = -1;
    }
}

// ---------------------------------------------------------------------------
// One-channel view

int oneChannelOf(int selectionIndex)
{
    return validChannel(selectionIndex) ? selectionIndex : 0;
}

namespace {

struct Channel {
    const QVX720_INC& s;
    const StringTable& st;
    int ch;

    QString dd(int k) const { return Disp_Data(s, st, k, ch); }
    qint16 para(int k) const { return s.ParaData(ch, k); }
};

void alarmPage(const Channel& c, quint16 opt, qint16 status, OneChannelView& out)
{
    const AlarmColor& colors = c.s.Alarm_Color;
    const qint32 alarmColor[4] = {colors.AlmColor1, colors.AlmColor2, colors.AlmColor3, colors.AlmColor4};
    for (int g = 0; g < 4; ++g) {
        const bool fitted = (opt & (OptionBit::Alarm1 << g)) != 0;
        out.Frame_Alarm[g].set(fitted);
        if (fitted)
            out.Lamp_Alm[g].set(lamp(has(status, quint16(StatusBit::Alarm1 << g)), alarmColor[g]));
    }
    if (opt & OptionBit::Alarm1) {
        const int items[6] = {19, 41, 45, 51, 39, 52};
        for (int i = 0; i < 6; ++i)
            out.Label_A1val[i].set(c.dd(items[i]));
    }
    const int alarmItems[3][5] = {
        {20, 42, 46, 53, 40},
        {21, 43, 47, 60, 58},
        {22, 44, 48, 61, 59},
    };
    std::array<Shown<QString>, 5>* const labels[3] = {&out.Label_A2val, &out.Label_A3val, &out.Label_A4val};
    for (int g = 0; g < 3; ++g) {
        if (!(opt & (OptionBit::Alarm2 << g)))
            continue;
        for (int i = 0; i < 5; ++i)
            (*labels[g])[i].set(c.dd(alarmItems[g][i]));
    }

    const bool hb1 = (opt & OptionBit::HeaterBurnout1) != 0;
    const bool hb2 = (opt & OptionBit::HeaterBurnout2) != 0;
    out.Frame_HB.set(hb1 || hb2);
    out.heaterGroups[0].set(hb1);
    if (hb1) {
        out.Lamp_Alm_HB[0].set(lamp(has(status, StatusBit::HeaterBurnout1), LampColor::Red));
        out.Label_HBval[0].set(c.dd(23));
        out.Lbl_CT1[0].set(c.dd(Item::HeaterCurrent1));
    }
    out.heaterGroups[1].set(hb2);
    if (hb2) {
        out.Lamp_Alm_HB[1].set(lamp(has(status, StatusBit::HeaterBurnout2), LampColor::Red));
        out.Label_HBval[1].set(c.dd(62));
        out.Lbl_CT1[1].set(c.dd(Item::HeaterCurrent2));
    }
    out.heaterGroups[2].set(hb1);
    if (hb1)
        out.Lamp_Alm_HB[2].set(lamp(has(status, StatusBit::ActuatorShort1), LampColor::Red));
    out.heaterGroups[3].set(hb2);
    if (hb2)
        out.Lamp_Alm_HB[3].set(lamp(has(status, StatusBit::ActuatorShort2), LampColor::Red));

    const bool lp = (opt & OptionBit::LoopBreak) != 0;
    out.Frame_LP.set(lp);
    if (lp) {
        out.Lamp_Alm_LP.set(lamp(has(status, StatusBit::LoopBreak), LampColor::Red));
        out.Label_LPval[0].set(c.dd(24));
        out.Label_LPval[1].set(c.dd(25));
    }
}

void otherPage(const Channel& c, quint16 opt, OneChannelView& out)
{
    out.scalingRows.set(true);
    const int items[10] = {26, 12, 14, 15, 16, 57, 29, 30, 27, 31};
    for (int i = 0; i < 10; ++i)
        out.Label_othval[i].set(c.dd(items[i]));

    // The ON/OFF hysteresis only applies to ON/OFF control (proportional band 0).
    const bool onOff = c.para(12) == 0;
    out.hysteresisRow.set(onOff);
    if (onOff)
        out.Label_othval[10].set(c.dd(34));

    const bool linear = c.para(Item::InputType) >= 30;
    out.decimalPointRow.set(linear);
    out.unitRow.set(linear);
    out.atBiasRow.set(!linear);
    if (linear) {
        out.Label_othval[11].set(c.dd(Item::DecimalPoint));
        out.Label_othval[16].set(c.dd(Item::Unit));
    } else {
        out.Label_othval[14].set(c.dd(56));
    }
    out.Label_othval[12].set(c.dd(Item::ManualReset));
    out.Label_othval[13].set(c.dd(50));
    out.Label_othval[15].set(c.dd(Item::OutputStatusAbnormal));

    const bool cooling = (opt & OptionBit::HeatingCooling) != 0;
    out.Frame_Cool.set(cooling);
    if (!cooling)
        return;
    out.Label_coolval[0].set(c.dd(35));
    out.Label_coolval[1].set(c.dd(13));
    out.Label_coolval[2].set(c.dd(17));
    const bool coolOnOff = c.para(13) == 0;
    out.coolHysteresisRow.set(coolOnOff);
    if (coolOnOff)
        out.Label_coolval[3].set(c.dd(38));
    out.Label_coolval[4].set(c.dd(28));
}

}  // namespace

void computeOneChannel(const DisplayContext& ctx, const DisplayInputs& in, const ChartFeedView& texts,
                       OneChannelView& out)
{
    beginPass(out);
    const QVX720_INC& s = ctx.state;
    const StringTable& st = ctx.strings;
    const int ch = oneChannelOf(in.oneChannel);
    const Channel c{s, st, ch};
    out.channel = ch;

    const bool connected = s.Monitor_Data.Connect_Code(ch) != 0;
    out.connectedFrames.set(connected);
    out.Label_notConnect.set(!connected);

    // Unit labels; Label_CF(13) is the unit of the MV rows: "%" unless the
    // input is a sensor.
    // Texts made from the settings stay empty from the channel's clear
    // command until the rescan has read them again.
    const bool settings = s.current(ch, Item::InputType);
    const SensorUnits units(st);
    const QString unit = settings ? units.of(s, ch) : QString();
    for (int i = 0; i < int(out.Label_CF.size()); ++i)
        if (i != 13)
            out.Label_CF[i].set(unit);
    const int t = c.para(Item::InputType);
    out.Label_CF[13].set(!settings ? QString() : t >= 0 && t <= 29 ? unit : QStringLiteral("%"));

    out.Label11.set(settings ? MakeRange(s, st, ch) : QString());
    out.Text_PV.set(texts.pv[ch].value);
    out.Text_SV.set(texts.sv[ch].value);

    const qint16 status = shownStatus(s, ch);
    const quint16 opt = quint16(s.Monitor_Data.OptionData(ch));
    out.Lamp_up.set(lamp(has(status, StatusBit::Overscale), LampColor::Red));
    out.Lamp_down.set(lamp(has(status, StatusBit::Underscale), LampColor::Red));

    out.Text_MV[0].set(c.dd(Item::MV));
    out.MV_BerGraph1.MvColor.set(LampColor::Blue);
    out.MV_BerGraph1.MvValue.set(shownMv(s, ch, Item::MV, s.Monitor_Data.MvData(ch)));
    out.Text_ohl.set(c.dd(32));
    out.Text_oll.set(c.dd(33));
    out.Lamp_CONT[0].set(lamp(has(status, StatusBit::MainOutput), LampColor::Green));
    out.Lamp_AT.set(autoTuningOn(s, ch) ? LampColor::Yellow : LampColor::White);
    out.Label_HEETCOOL.set(!settings ? QString() : c.para(55) != 0 ? st.text(316) : st.text(315));
    out.outputOffVisible.set(true);
    out.tb3_OUTOFF.set(st.text(313));
    out.Label_OUTOFF.set(!settings ? QString() : c.para(Item::ControlOutputOff) != 0 ? st.text(318) : st.text(317));

    const bool cooling = (opt & OptionBit::HeatingCooling) != 0;
    out.coolingOutput.set(cooling);
    if (cooling) {
        out.Text_MV[1].set(c.dd(Item::CoolMV));
        out.Lamp_CONT[1].set(lamp(has(status, StatusBit::CoolingOutput), LampColor::Yellow));
        out.MV_BerGraph2.MvColor.set(LampColor::Yellow);
        out.MV_BerGraph2.MvValue.set(shownMv(s, ch, Item::CoolMV, s.Monitor_Data.CoolMvData(ch)));
        out.Text_ohlb.set(c.dd(36));
        out.Text_ollb.set(c.dd(37));
    }

    out.infoPage = in.infoTab == 0 ? 0 : 1;
    if (out.infoPage == 0)
        alarmPage(c, opt, status, out);
    else
        otherPage(c, opt, out);
}

// ---------------------------------------------------------------------------
// Setting grid

bool isChoiceItem(int k) { return isSelectionItem(k); }

SettingReason itemReason(const QVX720_INC& s, int k, int ch)
{
    const quint16 opt = quint16(s.Monitor_Data.OptionData(ch));
    auto P = [&](int n) { return s.ParaData(ch, n); };
    // An alarm's own items: the option must be fitted, then its action set.
    auto alarmGroup = [&](quint16 bit, int action, int notApplied) -> SettingReason {
        if (!(opt & bit))
            return {notApplied};
        return {P(action) != 0 ? 0 : 222};
    };
    // An option's own item, whose reason goes to the numeric label only.
    auto optionOnly = [&](quint16 bit, int notAdded) -> SettingReason {
        if (!(opt & bit))
            return {notAdded, true};
        return {};
    };
    switch (k) {
    case 11: case 49:
        return {0, false, false};
    case 13: case 17: case 28: case 35: case 36: case 37: case 38:
        return {(opt & OptionBit::HeatingCooling) ? 0 : 225};
    case 18: case 34:
        return {P(12) == 0 ? 0 : 270};
    case 19: case 41: case 45: case 51: case 52:
        return {P(39) != 0 ? 0 : 222};
    case 20: case 42: case 46: case 53:
        return alarmGroup(OptionBit::Alarm2, 40, 267);
    case 21: case 43: case 47: case 60:
        return alarmGroup(OptionBit::Alarm3, 58, 271);
    case 22: case 44: case 48: case 61:
        return alarmGroup(OptionBit::Alarm4, 59, 272);
    case 40:
        return {(opt & OptionBit::Alarm2) ? 0 : 267};
    case 58:
        return {(opt & OptionBit::Alarm3) ? 0 : 271};
    case 59:
        return {(opt & OptionBit::Alarm4) ? 0 : 272};
    case 23:
        return optionOnly(OptionBit::HeaterBurnout1, 223);
    case 62:
        return optionOnly(OptionBit::HeaterBurnout2, 223);
    case 24: case 25:
        return optionOnly(OptionBit::LoopBreak, 224);
    case 65: case 66:
        return {P(Item::InputType) >= 30 ? 0 : 226};
    default:
        return {};
    }
}

SettingReason settingReason(const QVX720_INC& s, int k, int ch)
{
    SettingReason r = itemReason(s, k, ch);
    if (s.ParaData(ch, Item::AutoTuning) == 1)
        r = {227};
    if (s.Monitor_Data.Connect_Code(ch) == 0)
        r = {228};
    return r;
}

QString reasonText(const StringTable& st, int id)
{
    switch (id) {
    case 222: return st.text(222);
    case 223: return st.text(223);
    case 224: return st.text(224);
    case 225: return st.text(225);
    case 226: return st.text(226);
    case 227: return st.text(227);
    case 228: return st.text(228);
    case 267: return st.text(267);
    case 270: return st.text(270);
    case 271: return st.text(271);
    case 272: return st.text(272);
    default: return {};
    }
}

void computeSettingGrid(const DisplayContext& ctx, const DisplayInputs& in, SettingGridView& out)
{
    beginPass(out);
    const QVX720_INC& s = ctx.state;
    const int k = s.Edit_Context.Set_Item;
    const bool choice = isChoiceItem(k);
    out.item = k;
    out.pageBase = in.settingPageBase;

    for (int i = 0; i < kPanelRows; ++i) {
        SettingRowView& row = out.rows[i];
        const int ch = in.settingPageBase + i;
        if (!validChannel(ch)) {
            // Rows past channel 95: every control of the row hidden.
            row.channel = -1;
            row.settable = false;
            row.labelsVisible.set(false);
            row.changeVisible.set(false);
            row.atVisible.set(false);
            row.outVisible.set(false);
            continue;
        }
        row.channel = ch;
        row.labelsVisible.set(true);
        row.label_setdata.set(ctx.names(ch));

        const QString value = Disp_Data(s, ctx.strings, k, ch);
        if (!choice)
            row.Setdata_Para.set(value);
        // A reason replaces the value of a choice item too, unless it is
        // meant for the numeric reason label only. Items 11 and 49 write no
        // reason of their own.
        const SettingReason r = settingReason(s, k, ch);
        const QString reason = r.written ? reasonText(ctx.strings, r.textId) : QString();
        if (r.written && r.textId != 0 && !r.numericOnly)
            row.Select_comand.set(reason);
        else if (choice)
            row.Select_comand.set(value);
        if (r.written)
            row.settin_inf.set(reason);

        const bool connected = s.Monitor_Data.Connect_Code(ch) != 0;
        if (k == Item::AutoTuning) {
            // Auto-tuning can be started and stopped only under PID control.
            row.outVisible.set(false);
            row.atVisible.set(connected && s.ParaData(ch, 12) != 0);
            row.Shape_AT.set(autoTuningOn(s, ch) ? LampColor::Yellow : LampColor::White);
        } else if (k == Item::ControlOutputOff) {
            row.atVisible.set(false);
            row.outVisible.set(connected);
            row.Shape_OUT.set(s.current(ch, Item::ControlOutputOff) && s.ParaData(ch, Item::ControlOutputOff) != 0
                                  ? LampColor::Green
                                  : LampColor::White);
        } else {
            row.atVisible.set(connected);
            if (!connected)
                row.outVisible.set(false);
        }

        row.settable = row.settin_inf.value.isEmpty();
        row.changeVisible.set(row.settable);
    }
}

// ---------------------------------------------------------------------------
// All-channels page

bool allPageHasLabel(int n) { return allPageHasRow(n); }

void computeAllChannels(const DisplayContext& ctx, AllChannelsView& out)
{
    beginPass(out);
    if (out.keyStrings != &ctx.strings) {
        out.keyValid.fill(false);
        out.keyStrings = &ctx.strings;
    }
    const QVX720_INC& s = ctx.state;
    for (int n = 0; n < kAllPageLabels; ++n) {
        if (!allPageHasLabel(n))
            continue;
        // Items 10..63 show their page value alone (the unit text of item 65
        // has no label here).
        const int k = n + Item::FirstSetting;
        const qint16 raw = s.AllPage_Data.AllParaData(k);
        if (out.keyValid[n] && out.rawKey[n] == raw)
            continue;
        out.Setdata_Para2[n].set(Disp_SelData(s, ctx.strings, k));
        out.rawKey[n] = raw;
        out.keyValid[n] = true;
    }
}

// ---------------------------------------------------------------------------
// The refresh

RefreshedTab SelectDispItem(const DisplayContext& ctx, const DisplayInputs& in, DisplayViews& views)
{
    computeChartFeed(ctx, views.chart);
    switch (in.mainTab) {
    case 0:
        computeMainDisplay(ctx, in, views.chart, views.main);
        return RefreshedTab::Main;
    case 1:
        computeOneChannel(ctx, in, views.chart, views.one);
        return RefreshedTab::OneChannel;
    case 2:
        computeSettingGrid(ctx, in, views.grid);
        return RefreshedTab::SettingGrid;
    case 5:
        computeAllChannels(ctx, views.all);
        return RefreshedTab::AllChannels;
    default:
        return RefreshedTab::None;
    }
}

}  // namespace qvx
