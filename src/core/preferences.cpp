#include "preferences.h"

#include <limits>

#include "setting_files.h"

namespace qvx {

namespace {

constexpr const char* kAlarmColorKeys[kAlarmColors] = {"Alm1color", "Alm2color", "Alm3color", "Alm4color",
                                                       "Alm_other"};

// Control ranges of the stored indexes and box values.
constexpr qint16 kSSTab1Max = 1;
constexpr qint16 kSSTab2Max = 5;
constexpr qint16 kLogtimMax = 7;
constexpr qint16 kCheckBoxMax = 2;  // unchecked, checked, grayed

template <typename T>
std::optional<T> storedInt(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const bool negative = t.startsWith(u'-');
    if (negative) i = 1;
    if (i >= t.size()) return std::nullopt;
    // Accumulate negatively so that the most negative value fits.
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t.at(i).unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        v = v * 10 - (c - u'0');
        if (v < static_cast<qint64>(std::numeric_limits<T>::min()) - 1) return std::nullopt;
    }
    if (!negative) v = -v;
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(v);
}

QString num(qint64 v) { return QString::number(v); }

}  // namespace

QString portDeviceKey(const QString& port) { return QStringLiteral("Device_") + port; }

QString logNameKey(int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    return QStringLiteral("LogName") + num(ch);
}

QString unitKey(int ch) { return QStringLiteral("UNIT") + channelKey3(ch); }

QString decimalPointKey(int ch) { return QStringLiteral("Decimalpoint") + channelKey3(ch); }

QString chnameKey(int ch) { return QStringLiteral("Chname") + channelKey2(ch); }

QString logSettingKey(int n) {
    if (n < 0 || n >= kPageBoxes) throwIndexError("page box", n, kPageBoxes);
    return QStringLiteral("LogSetting") + num(n);
}

QString logSettingDataKey(int n) {
    if (n < 0 || n >= kPageBoxes) throwIndexError("page box", n, kPageBoxes);
    return QStringLiteral("LogSetting_data") + num(n);
}

QString alarmColorKey(int i) {
    if (i < 0 || i >= kAlarmColors) throwIndexError("alarm colour", i, kAlarmColors);
    return QLatin1String(kAlarmColorKeys[i]);
}

qint32 readAlarmColor(const SettingsStore& store, int i) {
    const std::optional<qint32> v = storedInt32(store.read(alarmColorKey(i), QString()));
    return v && *v >= 0 && *v <= kMaxAlarmColor ? *v : kDefaultAlarmColor;
}

bool isStoredPageBox(int n) { return n >= 0 && n < kPageBoxes && n != 1 && n != 8 && n != 44; }

std::optional<qint16> storedInt16(const QString& text) { return storedInt<qint16>(text); }

std::optional<qint32> storedInt32(const QString& text) { return storedInt<qint32>(text); }

qint16 readInt16(const SettingsStore& store, const QString& key, qint16 def, qint16 lo, qint16 hi) {
    if (!store.contains(key)) return def;
    const std::optional<qint16> v = storedInt16(store.read(key, QString()));
    if (!v || *v < lo || *v > hi) return def;
    return *v;
}

QString defaultChannelName(int ch) { return QStringLiteral("Ch") + channelKey2(ch); }

QString channelName(const SettingsStore& store, int ch) { return channelName(store, ch, systemCodePage()); }

QString channelName(const SettingsStore& store, int ch, CodePage cp) {
    return fitName(store.read(chnameKey(ch), defaultChannelName(ch)), cp);
}

Preferences::Preferences() {
    AlarmColors.fill(kDefaultAlarmColor);
    Unit.fill(QStringLiteral("%"));
    for (int ch = 0; ch < kChannels; ++ch) Chname(ch) = defaultChannelName(ch);
}

Preferences loadPreferences(const SettingsStore& store) {
    Preferences p;
    const Preferences def;
    using namespace PrefKey;

    p.Port = store.read(QLatin1String(Port), def.Port);
    p.Speed = store.read(QLatin1String(Speed), def.Speed);
    p.SSTab1 = readInt16(store, QLatin1String(SSTab1), def.SSTab1, 0, kSSTab1Max);
    p.SSTab2 = readInt16(store, QLatin1String(SSTab2), def.SSTab2, 0, kSSTab2Max);
    p.Logtim = readInt16(store, QLatin1String(Logtim), def.Logtim, 0, kLogtimMax);
    p.Check1 = readInt16(store, QLatin1String(Check1), def.Check1, 0, kCheckBoxMax);
    p.Log_Filename_stored = store.contains(QLatin1String(Log_Filename));
    p.Log_Filename = store.read(QLatin1String(Log_Filename), QString());
    p.log_start = readInt16(store, QLatin1String(log_start), def.log_start);

    for (int ch = 0; ch < kChannels; ++ch) {
        p.LogName(ch) = readInt16(store, logNameKey(ch), 0, 0, kCheckBoxMax);
        p.Unit(ch) = store.read(unitKey(ch), def.Unit(ch));
        p.Decimalpoint(ch) = readInt16(store, decimalPointKey(ch), 0);
    }
    for (int n = 0; n < kPageBoxes; ++n) {
        if (!isStoredPageBox(n)) continue;
        p.LogSetting(n) = readInt16(store, logSettingKey(n), 0, 0, kCheckBoxMax);
        p.LogSetting_data(n) = readInt16(store, logSettingDataKey(n), 0);
    }
    for (int i = 0; i < kAlarmColors; ++i) p.AlarmColors(i) = readAlarmColor(store, i);
    p.Time_Count = readInt16(store, QLatin1String(Time_Count), def.Time_Count);
    for (int ch = 0; ch < kChannels; ++ch) p.Chname(ch) = channelName(store, ch);
    p.tab3name = readInt16(store, QLatin1String(tab3name), def.tab3name, 0, kChannels - 1);
    return p;
}

bool saveExitPreferences(SettingsStore& store, const Preferences& p) {
    using namespace PrefKey;
    QList<std::pair<QString, QString>> entries;
    entries.reserve(5 + 3 * kChannels + 2 * kPageBoxes + kAlarmColors + 1);
    auto put = [&](const QString& key, const QString& value) { entries.append({key, value}); };

    put(QLatin1String(Logtim), num(p.Logtim));
    put(QLatin1String(SSTab1), num(p.SSTab1));
    put(QLatin1String(SSTab2), num(p.SSTab2));
    if (p.Log_Filename_stored) put(QLatin1String(Log_Filename), p.Log_Filename);
    put(QLatin1String(Check1), num(p.Check1));
    for (int ch = 0; ch < kChannels; ++ch) {
        put(logNameKey(ch), num(p.LogName(ch)));
        put(unitKey(ch), p.Unit(ch));
        put(decimalPointKey(ch), num(p.Decimalpoint(ch)));
    }
    for (int n = 0; n < kPageBoxes; ++n) {
        if (!isStoredPageBox(n)) continue;
        put(logSettingKey(n), num(p.LogSetting(n)));
        put(logSettingDataKey(n), num(p.LogSetting_data(n)));
    }
    for (int i = 0; i < kAlarmColors; ++i) put(alarmColorKey(i), num(p.AlarmColors(i)));
    put(QLatin1String(Time_Count), num(p.Time_Count));
    return store.saveAll(entries);
}

void applyPreferences(const Preferences& p, QVX720_INC& s) {
    for (int ch = 0; ch < kChannels; ++ch) {
        s.UnitText(ch) = p.Unit(ch);
        s.DecimalData(ch) = p.Decimalpoint(ch);
        s.ParaData(ch, Item::DecimalPoint) = p.Decimalpoint(ch);
    }
    for (int n = 0; n < kPageBoxes; ++n)
        if (isStoredPageBox(n)) s.AllPage_Data.AllParaData(n + Item::FirstSetting) = p.LogSetting_data(n);
    s.Alarm_Color.AlmColor1 = p.AlarmColors(0);
    s.Alarm_Color.AlmColor2 = p.AlarmColors(1);
    s.Alarm_Color.AlmColor3 = p.AlarmColors(2);
    s.Alarm_Color.AlmColor4 = p.AlarmColors(3);
    s.Alarm_Color.AlmColorOther = p.AlarmColors(4);
    s.Time_Count = p.Time_Count;
}

void gatherPreferences(const QVX720_INC& s, Preferences& p) {
    for (int ch = 0; ch < kChannels; ++ch) {
        p.Unit(ch) = s.UnitText(ch);
        p.Decimalpoint(ch) = s.DecimalData(ch);
    }
    for (int n = 0; n < kPageBoxes; ++n)
        if (isStoredPageBox(n)) p.LogSetting_data(n) = s.AllPage_Data.AllParaData(n + Item::FirstSetting);
    p.AlarmColors(0) = s.Alarm_Color.AlmColor1;
    p.AlarmColors(1) = s.Alarm_Color.AlmColor2;
    p.AlarmColors(2) = s.Alarm_Color.AlmColor3;
    p.AlarmColors(3) = s.Alarm_Color.AlmColor4;
    p.AlarmColors(4) = s.Alarm_Color.AlmColorOther;
    p.Time_Count = s.Time_Count;
}

bool saveCheck1(SettingsStore& store, int value, const QString& logFileCaption) {
    bool ok = store.save(QLatin1String(PrefKey::Check1), num(value));
    if (value == 1) ok = store.save(QLatin1String(PrefKey::log_Filename), logFileCaption) && ok;
    return ok;
}

bool saveTab3name(SettingsStore& store, int listIndex) {
    return store.save(QLatin1String(PrefKey::tab3name), num(listIndex));
}

}  // namespace qvx
