#include "setting_entry.h"

#include <array>
#include <memory>

#include "settings_store.h"
#include "string_table.h"
#include "value_format.h"

namespace qvx {

namespace {

}  // namespace

// ---------------------------------------------------------------------------
// Numeric dialogs

EntryDisplay entryDisplayRule(const QVX720_INC& s, int k, int ch, bool dec1) {
    const int t = s.ParaData(ch, Item::InputType);
    if (t >= 30 && followsDecimalPoint(k)) {
        const int d = s.ParaData(ch, Item::DecimalPoint);
        // Decimal places the controller cannot have: show what was typed
        // rather than a display that no longer follows the keys.
        return (d >= 0 && d <= 3) ? EntryDisplay{d} : EntryDisplay{};
    }
    return dec1 ? EntryDisplay{1} : EntryDisplay{};
}

EditTarget editTarget(const QVX720_INC& s, const SettingRange& r) {
    EditTarget t;
    t.item = s.Edit_Context.Set_Item;
    t.channel = s.Edit_Context.Set_Ch;
    t.max = r.Set_Max;
    t.min = r.Set_Min;
    t.dec1 = r.Set_Dec1;
    t.display = entryDisplayRule(s, t.item, t.channel, t.dec1);
    t.Now_data = r.Now_data;
    t.Limit_data = r.Limit_data;
    return t;
}

EditTarget Range_SetTarget(QVX720_INC& s, const QString& nowText) {
    const SettingRange r = Range_Set(s, nowText);
    return editTarget(s, r);
}

void TenKeyEntry::reset(EntryDisplay rule) {
    rule_ = rule;
    clear();
}

void TenKeyEntry::setValue(qint64 v) {
    value_ = v;
    // At most eight digits: the value always fits 32 bits.
    raw_ = fmt::plainSigned(static_cast<qint32>(v));
}

void TenKeyEntry::digit(int d) {
    if (d >= 0 && d <= 9 && raw_.size() < kMaxChars)
        setValue(value_ < 0 ? value_ * 10 - d : value_ * 10 + d);
    refresh();
}

void TenKeyEntry::typedMinus() {
    setValue(-value_);
    refresh();
}

bool TenKeyEntry::plusMinus(qint64 min, qint64 max) {
    setValue(-value_);
    if (value_ > max || value_ < min) {
        clear();
        return false;
    }
    refresh();
    return true;
}

void TenKeyEntry::clear() {
    raw_.clear();
    display_.clear();
    value_ = 0;
}

void TenKeyEntry::refresh() { display_ = displayText(raw_, value_, rule_); }

QString TenKeyEntry::displayText(const QString& raw, qint64 value, EntryDisplay rule) {
    if (rule.places < 0 || rule.places > 3) return raw;
    return fmt::decimals(static_cast<qint32>(value), rule.places);
}

TypedKey classifyTyped(int keyAscii) {
    if (keyAscii >= '0' && keyAscii <= '9') return TypedKey::Digit;
    switch (keyAscii) {
    case '-': return TypedKey::Minus;
    case 8: case '.': return TypedKey::Clear;
    case 13: return TypedKey::Enter;
    default: return TypedKey::Other;
    }
}

OkCheck checkOk(const TenKeyEntry& e, qint16 min, qint16 max) {
    if (e.display().isEmpty()) return OkCheck::Empty;
    if (e.value() > max || e.value() < min) return OkCheck::OutOfRange;
    return OkCheck::Accepted;
}

bool numericSetsReRead(int k) { return k == Item::ScalingHigh || k == Item::ScalingLow; }

void Setdata_WriteFor(QVX720_INC& s, SettingsStore& store, int k, int ch, bool reRead) {
    // The context belongs to the openers: it is put back however the call ends.
    struct Restore {
        EditContext& e;
        qint16 item;
        qint16 channel;
        ~Restore() {
            e.Set_Item = item;
            e.Set_Ch = channel;
        }
    } restore{s.Edit_Context, s.Edit_Context.Set_Item, s.Edit_Context.Set_Ch};
    s.Edit_Context.Set_Item = static_cast<qint16>(k);
    s.Edit_Context.Set_Ch = static_cast<qint16>(ch);
    Setdata_Write(s, store, reRead);
}

void storeNumeric(QVX720_INC& s, SettingsStore& store, const EditTarget& t, qint16 v) {
    s.ParaData(t.channel, t.item) = v;
    Setdata_WriteFor(s, store, t.item, t.channel, numericSetsReRead(t.item));
}

void storePageNumeric(QVX720_INC& s, const EditTarget& t, qint16 v) { s.AllPage_Data.AllParaData(t.item) = v; }

// ---------------------------------------------------------------------------
// Selection dialogs

SelectFrame selectFrameOf(int k, SelectWindow w) {
    const bool page = w == SelectWindow::Page;
    switch (k) {
    case 26: return SelectFrame::Lock;
    case 35: return SelectFrame::Cool;
    case 39: case 40: case 58: case 59: return SelectFrame::Alarm;
    case 49: return page ? SelectFrame::Out : SelectFrame::None;
    case 50: return SelectFrame::OnOff;
    case 51: return SelectFrame::Reigi;
    case 52: case 53: case 60: case 61: return SelectFrame::Keep;
    case 54: return page ? SelectFrame::None : SelectFrame::Sensor;
    case 55: return SelectFrame::Hc;
    case 63: return SelectFrame::Inout;
    case 65: return page ? SelectFrame::None : SelectFrame::Unit;
    case 66: return page ? SelectFrame::None : SelectFrame::Dp;
    default: return SelectFrame::None;
    }
}

int optionCount(SelectFrame f) {
    switch (f) {
    case SelectFrame::Lock: return 4;
    case SelectFrame::Cool: return 3;
    case SelectFrame::Alarm: return 10;
    case SelectFrame::Out: case SelectFrame::OnOff: case SelectFrame::Reigi: case SelectFrame::Keep:
    case SelectFrame::Hc: case SelectFrame::Inout:
        return 2;
    case SelectFrame::Sensor: return fmt::kInputTypes;
    case SelectFrame::Dp: return 4;
    case SelectFrame::None: case SelectFrame::Unit: return 0;
    }
    return 0;
}

int presetOption(SelectFrame f, int value) { return (value >= 0 && value < optionCount(f)) ? value : -1; }

qint16 optionValue(SelectFrame f, int option) {
    if (f == SelectFrame::Lock) return option == 3 ? 3 : 0;
    return static_cast<qint16>(option);
}

bool selectionSetsReRead(int k) {
    switch (k) {
    case 39: case 40: case 58: case 59: case Item::InputType:
        return true;
    default:
        return false;
    }
}

SelectTarget selectTarget(const QVX720_INC& s, int k, int ch) {
    SelectTarget t;
    t.item = static_cast<qint16>(k);
    t.channel = static_cast<qint16>(ch);
    t.value = s.ParaData(ch, k);
    t.unit = s.UnitText(ch);
    return t;
}

SelectTarget pageSelectTarget(const QVX720_INC& s, int k) {
    SelectTarget t;
    t.item = static_cast<qint16>(k);
    t.value = s.AllPage_Data.AllParaData(k);
    return t;
}

void storeSelection(QVX720_INC& s, SettingsStore& store, const SelectTarget& t, int option,
                    const QString& unitText) {
    const SelectFrame f = selectFrameOf(t.item, SelectWindow::OneChannel);
    if (f == SelectFrame::Unit) {
        s.UnitText(t.channel) = unitText;
    } else if (option >= 0 && option < optionCount(f)) {
        const qint16 v = optionValue(f, option);
        s.ParaData(t.channel, t.item) = v;
        if (f == SelectFrame::Dp) s.DecimalData(t.channel) = v;
    }
    Setdata_WriteFor(s, store, t.item, t.channel, f != SelectFrame::None && selectionSetsReRead(t.item));
}

void storePageSelection(QVX720_INC& s, const SelectTarget& t, int option) {
    const SelectFrame f = selectFrameOf(t.item, SelectWindow::Page);
    if (option >= 0 && option < optionCount(f)) s.AllPage_Data.AllParaData(t.item) = optionValue(f, option);
}

QStringList inputTypeCaptions(const StringTable& st) {
    static constexpr std::array<const char*, 6> kSignals = {
        "DC 4 to 20mA", "DC 0 to 20mA", "DC 0 to 1V", "DC 0 to 5V", "DC 1 to 5V", "DC 0 to 10V",
    };
    QStringList captions;
    // The sensor types read as the formatter writes a channel's input range.
    auto scratch = std::make_unique<QVX720_INC>();
    for (int t = 0; t < 30; ++t) {
        scratch->ParaData(0, Item::InputType) = static_cast<qint16>(t);
        captions << MakeRange(*scratch, st, 0);
    }
    for (const char* signal : kSignals) captions << QString::fromLatin1(signal);
    return captions;
}

}  // namespace qvx
