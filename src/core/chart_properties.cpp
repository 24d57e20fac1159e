#include "chart_properties.h"

#include <QHash>
#include <cmath>
#include <limits>

#include "chart_engine.h"

namespace qvx {

const QList<ChartPropertyKey>& chartPropertyKeys() {
    static const QList<ChartPropertyKey> keys = [] {
        QList<ChartPropertyKey> k;
        k.reserve(kChartPropertyCount);
        const QVariant zeroText(QStringLiteral("0"));
        for (int ch = 0; ch < kChannels; ++ch)
            k.append({QStringLiteral("Pv%1Caption").arg(ch), ChartPropType::Text, zeroText});
        k.append({QStringLiteral("ChartMaxCh"), ChartPropType::Int16, QVariant(int(0))});
        k.append({QStringLiteral("Charttime"), ChartPropType::Int32, QVariant(int(0))});
        k.append({QStringLiteral("XScaleLong"), ChartPropType::Bool, QVariant(true)});
        k.append({QStringLiteral("YScaleLow"), ChartPropType::Text, zeroText});
        k.append({QStringLiteral("YScaleHigh"), ChartPropType::Text, QVariant(QStringLiteral("400"))});
        k.append({QStringLiteral("XScaleShort"), ChartPropType::Bool, QVariant(false)});
        k.append({QStringLiteral("XScaleTime"), ChartPropType::Text, QVariant(QStringLiteral("5"))});
        k.append({QStringLiteral("YScaleDivision"), ChartPropType::Text, QVariant(QStringLiteral("4"))});
        for (int ch = 0; ch < kChannels; ++ch)
            k.append({QStringLiteral("Sv%1Caption").arg(ch), ChartPropType::Text, zeroText});
        for (int ch = 0; ch < kChannels; ++ch)
            k.append({QStringLiteral("Stat%1Caption").arg(ch), ChartPropType::Int16, QVariant(int(0))});
        return k;
    }();
    return keys;
}

int chartPropertyIndex(const QString& name) {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto& keys = chartPropertyKeys();
        for (int i = 0; i < keys.size(); ++i) h.insert(keys[i].name, i);
        return h;
    }();
    return index.value(name, -1);
}

namespace {

std::optional<double> numberOf(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? -1.0 : 0.0;  // True is -1
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float: return v.toDouble();
    case QMetaType::QString: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok) return d;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

template <typename T>
std::optional<QVariant> integerOf(const QVariant& v) {
    const std::optional<double> d = numberOf(v);
    if (!d || !std::isfinite(*d)) return std::nullopt;
    const double r = chart::roundHalfEven(*d);
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max())) return std::nullopt;
    return QVariant(int(r));
}

}  // namespace

std::optional<QVariant> convertChartProperty(ChartPropType type, const QVariant& value) {
    switch (type) {
    case ChartPropType::Text:
        if (value.typeId() == QMetaType::Bool) return QVariant(value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
        if (!value.isValid()) return QVariant(QString());
        return QVariant(value.toString());
    case ChartPropType::Int16: return integerOf<qint16>(value);
    case ChartPropType::Int32: return integerOf<qint32>(value);
    case ChartPropType::Bool: {
        if (value.typeId() == QMetaType::Bool) return QVariant(value.toBool());
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return QVariant(true);
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return QVariant(false);
        }
        const std::optional<double> d = numberOf(value);
        if (!d || std::isnan(*d)) return std::nullopt;
        return QVariant(*d != 0);
    }
    }
    return std::nullopt;
}

ChartProperties::ChartProperties() {
    PvCaptionText.fill(QStringLiteral("0"));
    SvCaptionText.fill(QStringLiteral("0"));
}

QVariant ChartProperties::value(int i) const {
    if (i < 0 || i >= kChartPropertyCount) throwIndexError("property", i, kChartPropertyCount);
    if (i < ChartKey::ChartMaxCh) return PvCaptionText[std::size_t(i - ChartKey::Pv0Caption)];
    if (i >= ChartKey::Stat0Caption) return int(StatCaptionValue[std::size_t(i - ChartKey::Stat0Caption)]);
    if (i >= ChartKey::Sv0Caption) return SvCaptionText[std::size_t(i - ChartKey::Sv0Caption)];
    switch (i) {
    case ChartKey::ChartMaxCh: return int(ChartMaxChValue);
    case ChartKey::Charttime: return int(ChartTimeValue);
    case ChartKey::XScaleLong: return optLong;
    case ChartKey::YScaleLow: return lblSL;
    case ChartKey::YScaleHigh: return lblSH;
    case ChartKey::XScaleShort: return optShort;
    case ChartKey::XScaleTime: return lblChartitv;
    default: return Lbl_Y;
    }
}

void ChartProperties::setValue(int i, const QVariant& v) {
    if (i < 0 || i >= kChartPropertyCount) throwIndexError("property", i, kChartPropertyCount);
    if (i < ChartKey::ChartMaxCh) {
        PvCaptionText[std::size_t(i - ChartKey::Pv0Caption)] = v.toString();
    } else if (i >= ChartKey::Stat0Caption) {
        StatCaptionValue[std::size_t(i - ChartKey::Stat0Caption)] = qint16(v.toInt());
    } else if (i >= ChartKey::Sv0Caption) {
        SvCaptionText[std::size_t(i - ChartKey::Sv0Caption)] = v.toString();
    } else {
        switch (i) {
        case ChartKey::ChartMaxCh: ChartMaxChValue = qint16(v.toInt()); break;
        case ChartKey::Charttime: ChartTimeValue = qint32(v.toInt()); break;
        case ChartKey::XScaleLong:
            optLong = v.toBool();
            if (optLong) optShort = false;
            break;
        case ChartKey::YScaleLow: lblSL = v.toString(); break;
        case ChartKey::YScaleHigh: lblSH = v.toString(); break;
        case ChartKey::XScaleShort:
            optShort = v.toBool();
            if (optShort) optLong = false;
            break;
        case ChartKey::XScaleTime: lblChartitv = v.toString(); break;
        default: Lbl_Y = v.toString(); break;
        }
    }
}

ChartPropertyLoad readChartProperties(const ReadPropertyFn& read, ChartProperties& into) {
    ChartPropertyLoad r;
    const auto& keys = chartPropertyKeys();
    for (int i = 0; i < keys.size(); ++i) {
        const ChartPropertyKey& k = keys[i];
        const std::optional<QVariant> v = convertChartProperty(k.type, read(k.name, k.defaultValue));
        if (!v) {
            r.ok = false;
            r.failedKey = k.name;
            return r;
        }
        into.setValue(i, *v);
        r.handled = i + 1;
    }
    return r;
}

void writeChartProperties(const ChartProperties& from, const WritePropertyFn& write) {
    const auto& keys = chartPropertyKeys();
    for (int i = 0; i < keys.size(); ++i) write(keys[i].name, from.value(i), keys[i].defaultValue);
}

}  // namespace qvx
