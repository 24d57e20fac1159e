#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "setting_entry.h"
#include "settings_store.h"
#include "string_table.h"

using namespace qvx;

namespace {

// Plays a key script on an entry: digits, 'm' typed "-", 'c' clear,
// 'x' any other typed character. Returns the display after every key.
QStringList play(TenKeyEntry& e, const char* keys) {
    QStringList shown;
    for (const char* p = keys; *p; ++p) {
        switch (*p) {
        case 'm': e.typedMinus(); break;
        case 'c': e.clear(); break;
        case 'x': e.refresh(); break;
        default: e.digit(*p - '0'); break;
        }
        shown << e.display();
    }
    return shown;
}

TEST(TenKeyEntry, KeysBuildTheRawEntryAndItsDisplay) {
    const struct {
        int places;
        const char* keys;
        QStringList shown;
        const char* raw;
    } cases[] = {
        // Tenths: 2, 5 show 0.2 then 2.5; the raw entry holds 25.
        {1, "25", {"0.2", "2.5"}, " 25"},
        {1, "125", {"0.1", "1.2", "12.5"}, " 125"},
        // Two decimal places: 1, 5, 0, 0.
        {2, "1500", {"0.01", "0.15", "1.50", "15.00"}, " 1500"},
        {3, "12", {"0.001", "0.012"}, " 12"},
        {0, "120", {"1", "12", "120"}, " 120"},
        // The raw entry as typed: a sign position before the number.
        {-1, "12", {" 1", " 12"}, " 12"},
        // Leading zeros vanish.
        {-1, "005", {" 0", " 0", " 5"}, " 5"},
        // A negative entry stays negative as digits follow.
        {-1, "5m3", {" 5", "-5", "-53"}, "-53"},
        {1, "5m", {"0.5", "-0.5"}, "-5"},
        // Typed "-" on an empty entry gives 0; the sign does not stick to zero.
        {-1, "m7", {" 0", " 7"}, " 7"},
        // Clear empties both texts; a later digit starts afresh.
        {2, "12c3", {"0.01", "0.12", "", "0.03"}, " 3"},
        // Any other character only refreshes the display.
        {-1, "4x", {" 4", " 4"}, " 4"},
        {1, "x", {"0.0"}, ""},
    };
    for (const auto& c : cases) {
        TenKeyEntry e(EntryDisplay{c.places});
        EXPECT_EQ(play(e, c.keys), c.shown) << c.keys << " places " << c.places;
        EXPECT_EQ(e.raw(), QString::fromLatin1(c.raw)) << c.keys;
    }
}

TEST(TenKeyEntry, NinthCharacterIsDropped) {
    const struct {
        const char* keys;
        const char* raw;
    } cases[] = {
        {"123456789", " 12345678"},
        {"1m23456789", "-12345678"},
        {"99999999999", " 99999999"},
    };
    for (const auto& c : cases) {
        TenKeyEntry e;
        const QStringList shown = play(e, c.keys);
        EXPECT_EQ(e.raw(), QString::fromLatin1(c.raw)) << c.keys;
        EXPECT_EQ(e.raw().size(), TenKeyEntry::kMaxChars);
        // The display is refreshed but no longer grows.
        EXPECT_EQ(shown.last(), shown[shown.size() - 2]) << c.keys;
    }
}

TEST(TenKeyEntry, PlusMinusTestsTheNegatedValue) {
    const struct {
        const char* keys;
        qint64 min, max;
        bool accepted;
        const char* raw;
        const char* shown;
    } cases[] = {
        {"12", -100, 100, true, "-12", "-12"},
        {"12m", -100, 100, true, " 12", " 12"},
        {"100", -100, 100, true, "-100", "-100"},  // the lower limit itself
        {"101", -100, 101, false, "", ""},         // one below the lower limit
        {"5", 0, 100, false, "", ""},              // no negative values allowed
        {"5m", 0, 5, true, " 5", " 5"},            // the upper limit itself
        {"6m", 0, 5, false, "", ""},
        // An empty entry gives 0, tested against the limits.
        {"", -10, 10, true, " 0", " 0"},
        {"", 1, 10, false, "", ""},
    };
    for (const auto& c : cases) {
        TenKeyEntry e;
        play(e, c.keys);
        EXPECT_EQ(e.plusMinus(c.min, c.max), c.accepted) << c.keys;
        EXPECT_EQ(e.raw(), QString::fromLatin1(c.raw)) << c.keys;
        EXPECT_EQ(e.display(), QString::fromLatin1(c.shown)) << c.keys;
    }
}

TEST(TenKeyEntry, TypedCharacters) {
    const struct {
        int code;
        TypedKey key;
    } cases[] = {
        {'0', TypedKey::Digit}, {'9', TypedKey::Digit}, {'-', TypedKey::Minus},
        {8, TypedKey::Clear},   {'.', TypedKey::Clear}, {13, TypedKey::Enter},
        {'+', TypedKey::Other}, {'a', TypedKey::Other}, {',', TypedKey::Other},
        {' ', TypedKey::Other}, {27, TypedKey::Other},  {'/', TypedKey::Other},
    };
    for (auto c : cases) EXPECT_EQ(classifyTyped(c.code), c.key) << c.code;
}

TEST(TenKeyEntry, OkVerdict) {
    const struct {
        int places;
        const char* keys;
        qint16 min, max;
        OkCheck verdict;
    } cases[] = {
        {-1, "", 0, 100, OkCheck::Empty},
        {2, "12c", 0, 100, OkCheck::Empty},
        {-1, "100", 0, 100, OkCheck::Accepted},
        {-1, "101", 0, 100, OkCheck::OutOfRange},
        {-1, "5m", -5, 100, OkCheck::Accepted},
        {-1, "6m", -5, 100, OkCheck::OutOfRange},
        // Eight digits lie beyond any 16-bit limit.
        {-1, "99999999", -32768, 32767, OkCheck::OutOfRange},
        {-1, "9999999m", -32768, 32767, OkCheck::OutOfRange},
        // A display made by another key on an empty entry shows 0 and takes 0.
        {1, "x", 0, 10, OkCheck::Accepted},
        {1, "x", 1, 10, OkCheck::OutOfRange},
    };
    for (const auto& c : cases) {
        TenKeyEntry e(EntryDisplay{c.places});
        play(e, c.keys);
        EXPECT_EQ(checkOk(e, c.min, c.max), c.verdict) << c.keys;
    }
}

// ---------------------------------------------------------------------------

class SettingEntryState : public ::testing::Test {
protected:
    void SetUp() override {
        fillParaAddr(s);
        ASSERT_TRUE(dir.isValid());
    }
    QVX720_INC s;
    QTemporaryDir dir;
    SettingsStore store{dir.filePath(QStringLiteral("store.ini"))};
};

TEST_F(SettingEntryState, DisplayRuleByInputTypeAndItem) {
    const struct {
        int type, decimals, item;
        bool dec1;
        int places;
    } cases[] = {
        {32, 2, 10, true, 2},  {32, 0, 10, true, 0},  {30, 3, 30, true, 3},  {35, 1, 27, true, 1},
        {32, 1, 28, true, 1},  {32, 1, 25, true, 1},  {32, 1, 19, true, 1},  {32, 1, 22, true, 1},
        {40, 1, 29, true, 1},  // every type from 30 up counts as linear
        // Decimal places the controller cannot have: the raw entry.
        {32, 5, 10, true, -1}, {32, -1, 29, true, -1}, {32, 4, 27, true, -1},
        // Other items of a linear input, and sensor types, by the one-decimal flag.
        {32, 2, 12, true, 1},  {32, 2, 14, false, -1}, {1, 0, 10, true, 1},  {0, 2, 10, false, -1},
        {11, 0, 27, true, 1},  {29, 3, 10, false, -1},
    };
    for (auto c : cases) {
        s.ParaData(4, Item::InputType) = qint16(c.type);
        s.ParaData(4, Item::DecimalPoint) = qint16(c.decimals);
        EXPECT_EQ(entryDisplayRule(s, c.item, 4, c.dec1).places, c.places)
            << "type " << c.type << " d " << c.decimals << " item " << c.item;
    }
}

TEST_F(SettingEntryState, TargetCarriesLimitsRuleAndTexts) {
    s.ParaData(7, Item::InputType) = 32;
    s.ParaData(7, Item::DecimalPoint) = 2;
    s.ParaData(7, Item::ScalingHigh) = 5000;
    s.ParaData(7, Item::ScalingLow) = -1000;
    s.Edit_Context.Set_Item = Item::SV;
    s.Edit_Context.Set_Ch = 7;
    const EditTarget t = Range_SetTarget(s, QStringLiteral("12.34"));
    EXPECT_EQ(t.item, Item::SV);
    EXPECT_EQ(t.channel, 7);
    EXPECT_EQ(t.max, 5000);
    EXPECT_EQ(t.min, -1000);
    EXPECT_TRUE(t.dec1);
    EXPECT_EQ(t.display.places, 2);
    EXPECT_EQ(t.Now_data, QStringLiteral("12.34"));
    EXPECT_EQ(t.Limit_data, QStringLiteral("-10.00 to 50.00"));
    // Range_Set filled the shared context as ever.
    EXPECT_EQ(s.Edit_Context.Set_Max, 5000);
    EXPECT_EQ(s.Edit_Context.Set_Min, -1000);
}

TEST_F(SettingEntryState, LinearInputWithImpossibleDecimalsShowsRawEntryAndNoRange) {
    s.ParaData(7, Item::InputType) = 33;
    s.ParaData(7, Item::DecimalPoint) = 5;
    s.ParaData(7, Item::ScalingHigh) = 900;
    s.ParaData(7, Item::ScalingLow) = 100;
    s.Edit_Context.Set_Item = Item::SV;
    s.Edit_Context.Set_Ch = 7;
    const EditTarget t = Range_SetTarget(s, QString());
    EXPECT_EQ(t.display.places, -1);
    EXPECT_TRUE(t.Limit_data.isEmpty());
    EXPECT_EQ(t.max, 900);
    EXPECT_EQ(t.min, 100);
    TenKeyEntry e(t.display);
    EXPECT_EQ(play(e, "45"), (QStringList{" 4", " 45"}));
    EXPECT_EQ(checkOk(e, t.min, t.max), OkCheck::OutOfRange);
}

TEST_F(SettingEntryState, NumericOkStoresIntoItsTargetWhateverTheContextSays) {
    const struct {
        int item, channel;
        qint16 value;
        bool reRead;
    } cases[] = {
        {Item::SV, 3, 250, false},
        {Item::ScalingHigh, 94, 1370, true},
        {Item::ScalingLow, 0, -200, true},
        {14, 12, 240, false},
    };
    for (auto c : cases) {
        s.Write_Request = WriteRequest{};
        EditTarget t;
        t.item = qint16(c.item);
        t.channel = qint16(c.channel);
        // Another opener has moved the shared context meanwhile.
        s.Edit_Context.Set_Item = 45;
        s.Edit_Context.Set_Ch = 60;
        storeNumeric(s, store, t, c.value);
        EXPECT_EQ(s.ParaData(c.channel, c.item), c.value) << c.item;
        EXPECT_EQ(s.ParaData(60, 45), 0) << c.item;
        ASSERT_EQ(s.Write_Request.Line_Queue.size(), 1u) << c.item;
        EXPECT_EQ(s.Write_Request.Line_Queue.head()->reRead, c.reRead) << c.item;
        EXPECT_EQ(s.Write_Request.Com_State, Com_WriteOne) << c.item;
        EXPECT_EQ(s.Write_Request.Com_Ch, c.channel) << c.item;
        EXPECT_EQ(s.Write_Request.Com_Item, c.item) << c.item;
        EXPECT_EQ(s.Write_Request.Com_Code, itemCode(c.item)) << c.item;
        // ... and keeps it.
        EXPECT_EQ(s.Edit_Context.Set_Item, 45);
        EXPECT_EQ(s.Edit_Context.Set_Ch, 60);
    }
}

TEST_F(SettingEntryState, PageOkStoresWithoutSending) {
    s.Write_Request.Com_State = Com_Monitor;
    EditTarget t;
    t.item = 45;
    t.channel = 9;
    storePageNumeric(s, t, 1234);
    EXPECT_EQ(s.AllPage_Data.AllParaData(45), 1234);
    EXPECT_EQ(s.ParaData(9, 45), 0);
    EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor);
    EXPECT_TRUE(s.Write_Request.Line_Queue.empty());
}

TEST_F(SettingEntryState, ProgramSideItemsAreSavedNotSent) {
    s.Write_Request.Com_State = Com_Monitor;
    s.Edit_Context.Set_Item = 10;
    s.Edit_Context.Set_Ch = 1;
    s.UnitText(94) = QStringLiteral("kPa");
    s.DecimalData(94) = 2;
    Setdata_WriteFor(s, store, Item::Unit, 94);
    Setdata_WriteFor(s, store, Item::DecimalPoint, 94);
    EXPECT_EQ(store.read(QStringLiteral("UNIT095"), QString()), QStringLiteral("kPa"));
    EXPECT_EQ(store.read(QStringLiteral("Decimalpoint095"), QString()), QStringLiteral("2"));
    EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor);
    EXPECT_EQ(s.Edit_Context.Set_Item, 10);
    EXPECT_EQ(s.Edit_Context.Set_Ch, 1);
}

// ---------------------------------------------------------------------------
// Selection dialogs

TEST(SelectionRules, FrameOfEachItemInEachWindow) {
    using F = SelectFrame;
    const struct {
        int item;
        F one, page;
    } cases[] = {
        {26, F::Lock, F::Lock},   {35, F::Cool, F::Cool},   {39, F::Alarm, F::Alarm}, {40, F::Alarm, F::Alarm},
        {58, F::Alarm, F::Alarm}, {59, F::Alarm, F::Alarm}, {49, F::None, F::Out},    {50, F::OnOff, F::OnOff},
        {51, F::Reigi, F::Reigi}, {52, F::Keep, F::Keep},   {53, F::Keep, F::Keep},   {60, F::Keep, F::Keep},
        {61, F::Keep, F::Keep},   {54, F::Sensor, F::None}, {55, F::Hc, F::Hc},       {63, F::Inout, F::Inout},
        {65, F::Unit, F::None},   {66, F::Dp, F::None},     {10, F::None, F::None},   {11, F::None, F::None},
    };
    for (auto c : cases) {
        EXPECT_EQ(selectFrameOf(c.item, SelectWindow::OneChannel), c.one) << c.item;
        EXPECT_EQ(selectFrameOf(c.item, SelectWindow::Page), c.page) << c.item;
    }
}

TEST(SelectionRules, PresetAndStoredValueOfOptions) {
    using F = SelectFrame;
    const struct {
        F frame;
        int value;
        int option;     // selected for the stored value
    } presets[] = {
        {F::Lock, 0, 0},   {F::Lock, 1, 1},   {F::Lock, 2, 2},    {F::Lock, 3, 3},   {F::Lock, 4, -1},
        {F::Cool, 2, 2},   {F::Cool, 3, -1},  {F::Alarm, 9, 9},   {F::Alarm, 10, -1}, {F::Alarm, -1, -1},
        {F::Sensor, 35, 35}, {F::Sensor, 36, -1}, {F::Dp, 3, 3},  {F::Dp, 4, -1},    {F::Keep, 1, 1},
        {F::Keep, 2, -1},  {F::Out, 1, 1},    {F::Unit, 0, -1},   {F::None, 0, -1},
    };
    for (auto c : presets) EXPECT_EQ(presetOption(c.frame, c.value), c.option) << int(c.frame) << " " << c.value;

    // Every "Save" option of the memory-save frame stores 0.
    const int lock[] = {0, 0, 0, 3};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(optionValue(F::Lock, i), lock[i]);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(optionValue(F::Alarm, i), i);
}

TEST_F(SettingEntryState, SelectionOkStoresTheOptionOfItsTarget) {
    const struct {
        int item;
        int value;   // stored before
        int option;  // chosen (-1 none)
        int stored;  // expected after
        bool reRead;
    } cases[] = {
        {26, 3, 0, 0, false},
        {26, 1, 1, 0, false},   // a hidden "Save" option stores 0
        {26, 0, 3, 3, false},
        {35, 0, 2, 2, false},
        {39, 0, 7, 7, true},
        {59, 4, 4, 4, true},    // unchanged value: written and re-read all the same
        {58, 5, -1, 5, true},   // nothing chosen: the stored value is written again
        {54, 0, 33, 33, true},
        {50, 0, 1, 1, false},
        {63, 1, 0, 0, false},
        {66, 0, 2, 2, false},
        {49, 1, 0, 1, false},   // no frame in this window: nothing stored
    };
    for (auto c : cases) {
        s.Write_Request = WriteRequest{};
        s.Write_Request.Com_State = Com_Monitor;
        s.ParaData(5, c.item) = qint16(c.value);
        const SelectTarget t = selectTarget(s, c.item, 5);
        EXPECT_EQ(t.value, c.value);
        s.Edit_Context.Set_Item = 10;  // moved by another opener
        s.Edit_Context.Set_Ch = 70;
        storeSelection(s, store, t, c.option, QString());
        EXPECT_EQ(s.ParaData(5, c.item), c.stored) << c.item;
        if (c.item == Item::DecimalPoint) {
            EXPECT_EQ(s.DecimalData(5), c.stored);
            EXPECT_EQ(store.read(QStringLiteral("Decimalpoint006"), QString()), QString::number(c.stored));
            EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor);
        } else {
            EXPECT_EQ(s.Write_Request.Com_State, Com_WriteOne) << c.item;
            EXPECT_EQ(s.Write_Request.Com_Ch, 5) << c.item;
            EXPECT_EQ(s.Write_Request.Com_Item, c.item) << c.item;
            ASSERT_EQ(s.Write_Request.Line_Queue.size(), 1u) << c.item;
            EXPECT_EQ(s.Write_Request.Line_Queue.head()->reRead, c.reRead) << c.item;
        }
        EXPECT_EQ(s.Edit_Context.Set_Item, 10);
        EXPECT_EQ(s.Edit_Context.Set_Ch, 70);
    }
}

TEST_F(SettingEntryState, UnitTextIsStoredAsTypedAndSaved) {
    for (const QString& unit : {QStringLiteral(" m3/h "), QString()}) {
        s.UnitText(0) = QStringLiteral("%");
        storeSelection(s, store, selectTarget(s, Item::Unit, 0), -1, unit);
        EXPECT_EQ(s.UnitText(0), unit);
        EXPECT_TRUE(store.contains(QStringLiteral("UNIT001")));
        EXPECT_EQ(store.read(QStringLiteral("UNIT001"), QStringLiteral("%")), unit);
    }
}

TEST_F(SettingEntryState, PageSelectionStoresWithoutSending) {
    const struct {
        int item, option, stored;
    } cases[] = {
        {49, 1, 1}, {26, 2, 0}, {39, 9, 9}, {40, -1, 6},
        {50, 0, 0}, {54, 3, 6},  // the page has no input-type frame
    };
    for (auto c : cases) {
        s.Write_Request = WriteRequest{};
        s.Write_Request.Com_State = Com_Monitor;
        s.AllPage_Data.AllParaData(c.item) = 6;
        const SelectTarget t = pageSelectTarget(s, c.item);
        EXPECT_EQ(t.value, 6);
        storePageSelection(s, t, c.option);
        EXPECT_EQ(s.AllPage_Data.AllParaData(c.item), c.stored) << c.item;
        EXPECT_TRUE(s.Write_Request.Line_Queue.empty()) << c.item;  // no write, no re-read
        EXPECT_EQ(s.Write_Request.Com_State, Com_Monitor) << c.item;
    }
}

TEST(SelectionRules, InputTypeCaptions) {
    const StringTable st = StringTable::builtIn(StringTable::Language::English);
    const QStringList captions = inputTypeCaptions(st);
    ASSERT_EQ(captions.size(), 36);
    EXPECT_EQ(captions[0], QStringLiteral("-200 to 1370 deg.C K"));
    EXPECT_EQ(captions[9], QStringLiteral("0 to 1390 deg.C PL-2"));
    EXPECT_EQ(captions[16], QStringLiteral("-199.9 to 932.0 deg.F K"));
    EXPECT_EQ(captions[24], QStringLiteral("0 to 2500 deg.F PL-2"));
    EXPECT_EQ(captions[29], QStringLiteral("-300 to 900 deg.F JPt100"));
    EXPECT_EQ(captions[30], QStringLiteral("DC 4 to 20mA"));
    EXPECT_EQ(captions[35], QStringLiteral("DC 0 to 10V"));
}

}  // namespace
