#include "value_texts.h"

#include <limits>
#include <memory>
#include <utility>

#include "display_rules.h"
#include "qvx720_inc.h"
#include "setting_entry.h"
#include "value_format.h"

namespace qvx {

namespace {

constexpr qint16 kExtremes[2] = {std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()};
constexpr int kDecimalPoints = 4;  // 0..3

// The raw values whose texts cover item k in a window: every value that the
// selection dialog of the window stores, or the two extremes of a number.
QList<qint16> candidateValues(int k, SelectWindow w)
{
    QList<qint16> values;
    const SelectFrame f = selectFrameOf(k, w);
    for (int o = 0; o < optionCount(f); ++o)
        values << optionValue(f, o);
    if (values.isEmpty())
        values << kExtremes[0] << kExtremes[1];
    return values;
}

bool validItem(int k) { return k >= 0 && k < kItems; }

// Each text once, and no empty one.
QStringList distinct(QStringList texts)
{
    texts.removeDuplicates();
    texts.removeAll(QString());
    return texts;
}

}  // namespace

QStringList channelValueTexts(const StringTable& st, int k)
{
    QStringList texts;
    if (!validItem(k))
        return texts;
    auto s = std::make_unique<QVX720_INC>();
    constexpr int ch = 0;
    const QList<qint16> values = candidateValues(k, SelectWindow::OneChannel);
    for (int t = 0; t < fmt::kInputTypes; ++t)
        for (int d = 0; d < kDecimalPoints; ++d)
            for (qint16 scaling : kExtremes)
                for (qint16 v : values) {
                    s->ParaData(ch, Item::ScalingHigh) = scaling;
                    s->ParaData(ch, Item::ScalingLow) = scaling;
                    s->ParaData(ch, Item::InputType) = qint16(t);
                    s->ParaData(ch, Item::DecimalPoint) = qint16(d);
                    MonitorData& m = s->Monitor_Data;
                    m.PvData(ch) = m.MvData(ch) = m.CoolMvData(ch) = m.StatusData(ch) = v;
                    m.Ct1Data(ch) = m.Ct2Data(ch) = m.OptionData(ch) = m.TypeData(ch) = v;
                    if (k >= Item::FirstSetting)
                        s->ParaData(ch, k) = v;
                    texts << Disp_Data(*s, st, k, ch);
                }
    return distinct(std::move(texts));
}

QStringList pageValueTexts(const StringTable& st, int k)
{
    QStringList texts;
    if (!validItem(k))
        return texts;
    auto s = std::make_unique<QVX720_INC>();
    for (qint16 v : candidateValues(k, SelectWindow::Page)) {
        s->AllPage_Data.AllParaData(k) = v;
        texts << Disp_SelData(*s, st, k);
    }
    return distinct(std::move(texts));
}

QStringList gridReasonTexts(const StringTable& st, bool choiceLabel)
{
    // Every combination of what the rules look at: the option word, the
    // proportional band, the alarm actions, the input type, auto-tuning and
    // the control unit.
    QStringList texts;
    auto s = std::make_unique<QVX720_INC>();
    constexpr int ch = 0;
    for (int combo = 0; combo < (1 << 6); ++combo) {
        auto bit = [combo](int n) { return qint16((combo >> n) & 1); };
        s->Monitor_Data.OptionData(ch) = bit(0) ? qint16(0x7FFF) : qint16(0);
        s->ParaData(ch, 12) = bit(1);
        for (int action : {39, 40, 58, 59})
            s->ParaData(ch, action) = bit(2);
        s->ParaData(ch, Item::InputType) = bit(3) ? qint16(30) : qint16(0);
        s->ParaData(ch, Item::AutoTuning) = bit(4);
        s->Monitor_Data.Connect_Code(ch) = bit(5);
        for (int k = Item::FirstSetting; k < kItems; ++k) {
            const SettingReason r = settingReason(*s, k, ch);
            if (!r.written || r.textId == 0)
                continue;
            if (choiceLabel && (r.numericOnly || !isChoiceItem(k)))
                continue;
            texts << reasonText(st, r.textId);
        }
    }
    return distinct(std::move(texts));
}

}  // namespace qvx
