#include "page_file.h"

#include <QFile>

namespace qvx {

ChannelBlock pageValues(const QVX720_INC& s) {
    ChannelBlock v{};
    for (int i = 0; i < kFileItems; ++i) v[std::size_t(i)] = s.AllPage_Data.AllParaData(kFileFirstItem + i);
    return v;
}

void setPageValues(QVX720_INC& s, const ChannelBlock& values) {
    for (int i = 0; i < kFileItems; ++i) s.AllPage_Data.AllParaData(kFileFirstItem + i) = values[std::size_t(i)];
}

bool writePageFile(const QString& path, const ChannelBlock& values, QString* reason, QString* place) {
    return writeChannelFile(path, values, reason, place);
}

std::optional<ChannelBlock> readPageFile(const QString& path, QString* openFailure) {
    if (path.isEmpty()) return std::nullopt;
    QFile f(path);
    if (!openForReading(f, openFailure)) return std::nullopt;
    const QByteArray bytes = f.read(kPageFileMaxBytes + 1);
    if (bytes.size() > kPageFileMaxBytes) return std::nullopt;
    return parseChannelFile(bytes);
}

// ---- the page's transmit -------------------------------------------------------------

quint16 transmitOptionBit(int k) {
    switch (k) {
    case 13: case 17: case 28: case 35: case 36: case 38: return OptionBit::HeatingCooling;
    case 20: case 40: case 42: case 46: return OptionBit::Alarm2;
    case 21: case 43: case 47: case 58: return OptionBit::Alarm3;
    case 22: case 44: case 48: case 59: return OptionBit::Alarm4;
    case 24: case 25: return OptionBit::LoopBreak;
    case 23: return OptionBit::HeaterBurnout1;
    case 62: return OptionBit::HeaterBurnout2;
    default: return 0;
    }
}

int firstAutoTuningChannel(const QVX720_INC& s) {
    for (int ch = 0; ch < kChannels; ++ch)
        if (s.present(ch) && autoTuning(s, ch)) return ch;
    return -1;
}

void copyPageToChannel(QVX720_INC& s, int ch, const std::function<int(int box)>& boxValue) {
    const quint16 opt = quint16(s.Monitor_Data.OptionData(ch));
    for (int k = Item::FirstSetting; k <= Item::LastSetting; ++k) {
        if (k == Item::AutoTuning || k == Item::ManualReset || k == Item::InputType) continue;
        if (!boxValue || boxValue(k - Item::FirstSetting) != 1) continue;
        const quint16 need = transmitOptionBit(k);
        if (need != 0 && (opt & need) == 0) continue;
        s.ParaData(ch, k) = s.AllPage_Data.AllParaData(k);
    }
}

}  // namespace qvx
