// Fuzz target: the two chart settings files and what the chart computes from
// their values (the scale, the up-down positions, a plot tick), and the
// chart control's stored scale texts. Any bytes must give a usable chart:
// nothing crashes, every line and mark stays in the plot box.
#include <QDir>
#include <QStringList>

#include <vector>

#include "chart_engine.h"
#include "chart_files.h"
#include "chart_properties.h"
#include "fuzz_support.h"

using namespace qvx;
using namespace qvx::chart;
using qvx::fuzz::check;

namespace {

void checkLayout(const ScaleLayout& l) {
    for (const Line& line : l.lines) {
        check(line.x1 >= 0 && line.x2 >= 0 && line.x1 <= kPlotWidth && line.x2 <= kPlotWidth, "line outside the box (x)");
        check(line.y1 >= 0 && line.y2 >= 0 && line.y1 <= kLineBottom && line.y2 <= kLineBottom, "line outside the box (y)");
        if (line.y1 == line.y2) check(line.y1 > 0 && line.y1 < kPlotHeight, "horizontal line on or outside the edge");
    }
}

// The scale and the up-downs from label texts, as the chart control sets them.
void scaleFromTexts(const ScaleInputs& in) {
    checkLayout(scaleSet(in));
    for (const auto& [text, range] : {std::pair{in.cycle, kCycleRange}, std::pair{in.divisions, kDivisionRange},
                                      std::pair{in.high, kYRange}, std::pair{in.low, kYRange}}) {
        const int pos = upDownPosition(Val(text), range);
        check(pos >= range.min && pos <= range.max, "up-down outside its range");
        const int stepped = upDownStep(pos, 1, range);
        check(stepped >= range.min && stepped <= range.max, "up-down step outside its range");
    }
    (void)steppedHigh(in.high, in.low, 400);
    (void)steppedLow(in.high, in.low, 0);
}

// A few plot ticks with the selections of the file and texts made from its
// records as plotted values.
void plotTicks(const QVX720_INC& s, const ChartPlotFlags& flags, const ScaleLayout& layout, bool shortSpan) {
    Selection sel;
    sel.PvPlot = flags.flags;
    sel.SvPlot = flags.flags;
    std::array<QString, kChannels> pv, sv;
    for (int ch = 0; ch < kChannels; ++ch) {
        pv[std::size_t(ch)] = QString::number(s.ChartFile_Data.PvColor(ch));
        sv[std::size_t(ch)] = QString::number(qint16(s.ChartFile_Data.SvColor(ch)));
    }
    const PlotInputs in{.pvValue = &pv, .svValue = &sv, .selection = &sel, .state = &s, .shortSpan = shortSpan,
                        .high = layout.high, .low = layout.low, .yFactor = layout.yFactor};
    PlotState plot;
    plot.RunFlag = 1;
    std::vector<Stroke> strokes;
    for (int i = 0; i < 3; ++i) {
        if (plot.tick(in, strokes) != PlotState::Tick::Sampled) break;
        for (const Stroke& st : strokes) {
            check(st.y >= 0 && st.y < kPlotHeight, "mark outside the plot box");
            check(st.fromY >= -1 && st.fromY <= kPlotHeight + 1, "stroke start far outside the plot box");
        }
        std::swap(pv, sv);  // the next sample moves
    }
}

// The chart control's stored scale properties: the lines of the input are
// the stored values of the eight scale keys (96..103), in order.
void storedProperties(const QByteArray& bytes) {
    const QStringList texts = QString::fromUtf8(bytes).split(u'\n');
    ChartProperties p;
    const ReadPropertyFn read = [&texts](const QString& name, const QVariant& def) -> QVariant {
        const int i = chartPropertyIndex(name) - ChartKey::ChartMaxCh;
        if (i < 0 || i >= 8 || i >= texts.size()) return def;
        return texts[i];
    };
    const ChartPropertyLoad r = readChartProperties(read, p);
    check(r.ok ? r.handled == kChartPropertyCount : r.handled < kChartPropertyCount, "property load count");
    ScaleInputs in;
    in.cycle = p.lblChartitv;
    in.high = p.lblSH;
    in.low = p.lblSL;
    in.divisions = p.Lbl_Y;
    in.shortSpan = p.optShort;
    scaleFromTexts(in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    static const QString folder = [] {
        const QString f = fuzz::scratchPath(QStringLiteral("chart"));
        QDir().mkpath(f);
        return f;
    }();
    const QString pvPath = fuzz::writeScratch(chartFilePath(folder, ChartSide::Pv), bytes);
    const QString svPath = fuzz::writeScratch(chartFilePath(folder, ChartSide::Sv), bytes);

    // The start-up load and the scale the chart then shows.
    static QVX720_INC s;  // one for the whole run
    s.NoConnect.fill(0);
    const ChartStartup st = loadChartFiles(s, folder);
    check(st.errors.isEmpty(), "a readable chart file reported as failed");
    const ChartFileData& d = s.ChartFile_Data;
    ScaleInputs in;
    in.cycle = QString::number(d.Chart_Cycle);
    in.high = QString::number(d.Chart_YHigh);
    in.low = QString::number(d.Chart_YLow);
    in.divisions = QString::number(d.Chart_YDiv);
    in.shortSpan = d.Chart_XLong == 0;
    scaleFromTexts(in);

    const ChartPlotFlags flags = readPlotFlags(pvPath);
    check(flags.ok, "plot selections of a readable file not read");
    plotTicks(s, flags, scaleSet(in), in.shortSpan);

    // A change of the shared records reads back, and bytes past the last
    // record stay as they were.
    const qint32 high = bytes.size() >= 2 ? qint32(qint8(bytes[0])) * 50 : 400;
    const qint16 div = bytes.size() >= 2 ? qint16(quint8(bytes[1]) % 12) : 4;
    check(updateChartFile(svPath, {{ChartRecord::YHigh, high}, {ChartRecord::YDiv, div}}), "chart file not updated");
    const ChartFileRead back = readChartFile(svPath);
    check(back.status == ChartFileStatus::Ok, "updated chart file not read");
    check(back.image.readLong(ChartRecord::YHigh) == high && back.image.readInteger(ChartRecord::YDiv) == div,
          "updated records do not read back");
    if (bytes.size() > kChartFileBytes)
        check(back.image.bytes().mid(kChartFileBytes) == bytes.mid(kChartFileBytes), "bytes past the records lost");

    storedProperties(bytes);
    return 0;
}
