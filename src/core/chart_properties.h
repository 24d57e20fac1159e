// The 293 persisted properties of the chart control: their keys, value
// types and defaults in the order in which the control loads and saves them,
// the values themselves, and the load and save over a host's property store.
//
//   1..95    Pv0Caption..Pv94Caption   text     "0"
//   96       ChartMaxCh                16-bit   0
//   97       Charttime                 32-bit   0     (ms)
//   98       XScaleLong                Boolean  true
//   99       YScaleLow                 text     "0"
//   100      YScaleHigh                text     "400"
//   101      XScaleShort               Boolean  false
//   102      XScaleTime                text     "5"
//   103      YScaleDivision            text     "4"
//   104..198 Sv0Caption..Sv94Caption   text     "0"
//   199..293 Stat0Caption..Stat94Caption 16-bit 0
#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <array>
#include <functional>
#include <optional>

#include "qvx720_inc.h"

namespace qvx {

inline constexpr int kChartPropertyCount = 3 * kChannels + 8;  // 293

enum class ChartPropType { Text, Int16, Int32, Bool };

struct ChartPropertyKey {
    QString name;
    ChartPropType type = ChartPropType::Text;
    QVariant defaultValue;
};

// The keys in load and save order.
const QList<ChartPropertyKey>& chartPropertyKeys();
// Position of a key in that order; -1 for an unknown name (names match exactly).
int chartPropertyIndex(const QString& name);

// Key positions of the single properties and the first of each family.
namespace ChartKey {
inline constexpr int Pv0Caption = 0;
inline constexpr int ChartMaxCh = 95;
inline constexpr int Charttime = 96;
inline constexpr int XScaleLong = 97;
inline constexpr int YScaleLow = 98;
inline constexpr int YScaleHigh = 99;
inline constexpr int XScaleShort = 100;
inline constexpr int XScaleTime = 101;
inline constexpr int YScaleDivision = 102;
inline constexpr int Sv0Caption = 103;
inline constexpr int Stat0Caption = 103 + kChannels;
}  // namespace ChartKey

// A stored value converted to a key's type: any value to text; integers
// (also numeric texts, rounded halves to even) within the type's range;
// Booleans from true/false, "True"/"False" or numbers (non-zero true).
// Empty when the value does not convert.
std::optional<QVariant> convertChartProperty(ChartPropType type, const QVariant& value);

// Every persisted value of the control. A new one holds what a control
// created without stored state holds: "0" in the 190 caption texts, zeros,
// and the design values of the six scale controls.
struct ChartProperties {
    std::array<QString, kChannels> PvCaptionText;
    qint16 ChartMaxChValue = 0;
    qint32 ChartTimeValue = 0;
    bool optLong = true;
    QString lblSL = QStringLiteral("0");
    QString lblSH = QStringLiteral("400");
    bool optShort = false;
    QString lblChartitv = QStringLiteral("5");
    QString Lbl_Y = QStringLiteral("4");
    std::array<QString, kChannels> SvCaptionText;
    std::array<qint16, kChannels> StatCaptionValue{};

    ChartProperties();
    bool operator==(const ChartProperties&) const = default;

    // The value of key i (0..292) in the key's type.
    QVariant value(int i) const;
    // Stores an already converted value under key i. The two span options
    // are one group: selecting one clears the other.
    void setValue(int i, const QVariant& v);
};

// The host's store: ReadProperty(name, default) and
// WriteProperty(name, value, default).
using ReadPropertyFn = std::function<QVariant(const QString& name, const QVariant& def)>;
using WritePropertyFn = std::function<void(const QString& name, const QVariant& value, const QVariant& def)>;

struct ChartPropertyLoad {
    int handled = 0;     // keys read and stored, in order
    bool ok = true;      // false: key number `handled` did not convert
    QString failedKey;   // its name
};

// The load: every key in order with its default, converted and stored into
// `into` before the next is read. A value that does not convert ends the
// load there; the keys before it keep their new values.
ChartPropertyLoad readChartProperties(const ReadPropertyFn& read, ChartProperties& into);
// The save: every key in order with its value and default.
void writeChartProperties(const ChartProperties& from, const WritePropertyFn& write);

}  // namespace qvx
