#include "chart_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "chart_engine.h"
#include "file_writes.h"

namespace qvx {

QString chartFileName(ChartSide side) {
    return side == ChartSide::Pv ? QStringLiteral("PVCHART1.DAT") : QStringLiteral("SVCHART2.DAT");
}

QString chartFilePath(const QString& folder, ChartSide side) {
    return QDir(folder).filePath(chartFileName(side));
}

qint32 defaultPenColor(int ch) {
    if (ch < 0 || ch >= kChannels) throwIndexError("channel", ch, kChannels);
    return Chart_DefaultPalette[static_cast<std::size_t>(ch % 40)];
}

bool isLongRecord(int rec) { return rec >= 1 && rec < ChartRecord::PlotFlag; }

qint32 chartRecordDefault(int rec) {
    if (rec < 1 || rec > kChartRecords) throwIndexError("record", rec, kChartRecords + 1);
    if (rec < ChartRecord::XLong) return defaultPenColor(rec - ChartRecord::PenColor);
    switch (rec) {
    case ChartRecord::XLong: return ChartDefault::XLong;
    case ChartRecord::Cycle: return ChartDefault::Cycle;
    case ChartRecord::YHigh: return ChartDefault::YHigh;
    case ChartRecord::YLow: return ChartDefault::YLow;
    case 198: return 1;
    case ChartRecord::YDiv: return ChartDefault::YDiv;
    default: return 0;  // selections, running flag, 196, 197
    }
}

// ---------------------------------------------------------------------------
// ChartFileImage

ChartFileImage::ChartFileImage() : bytes_(kChartFileBytes, '\0') {
    for (int rec = 1; rec <= kChartRecords; ++rec) write({rec, chartRecordDefault(rec)});
}

ChartFileImage ChartFileImage::fromBytes(const QByteArray& bytes) {
    ChartFileImage img;
    const int whole = qMin(int(bytes.size() / kChartRecordBytes), kChartRecords);
    const qsizetype n = qsizetype(whole) * kChartRecordBytes;
    img.bytes_.replace(qsizetype(0), n, bytes.constData(), n);
    if (bytes.size() > kChartFileBytes) img.bytes_.append(bytes.mid(kChartFileBytes));
    img.found_ = whole;
    return img;
}

int ChartFileImage::offset(int rec) {
    if (rec < 1 || rec > kChartRecords) throwIndexError("record", rec, kChartRecords + 1);
    return (rec - 1) * kChartRecordBytes;
}

qint32 ChartFileImage::readLong(int rec) const {
    return qFromLittleEndian<qint32>(bytes_.constData() + offset(rec));
}

qint16 ChartFileImage::readInteger(int rec) const {
    return qFromLittleEndian<qint16>(bytes_.constData() + offset(rec));
}

qint32 ChartFileImage::read(int rec) const { return isLongRecord(rec) ? readLong(rec) : readInteger(rec); }

void ChartFileImage::writeLong(int rec, qint32 value) {
    qToLittleEndian<qint32>(value, bytes_.data() + offset(rec));
}

void ChartFileImage::writeInteger(int rec, qint16 value) {
    qToLittleEndian<qint16>(value, bytes_.data() + offset(rec));
}

void ChartFileImage::write(const ChartRecordValue& r) {
    if (isLongRecord(r.rec))
        writeLong(r.rec, r.value);
    else
        writeInteger(r.rec, static_cast<qint16>(r.value));
}

// ---------------------------------------------------------------------------
// Files

ChartFileRead readChartFile(const QString& path) {
    ChartFileRead r;
    QFile f(path);
    if (!f.exists()) {
        r.status = ChartFileStatus::Missing;
        return r;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        r.status = ChartFileStatus::ReadError;
        r.error = f.errorString();
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r.status = ChartFileStatus::ReadError;
        r.error = f.errorString();
        return r;
    }
    r.image = ChartFileImage::fromBytes(bytes);
    return r;
}

bool writeChartFile(const QString& path, const ChartFileImage& image, QString* error) {
    const FileWrite w = saveWholeFile(path, image.bytes());
    if (!w.ok && error) *error = pathReasonText(w.place, w.reason);
    return w.ok;
}

bool updateChartFile(const QString& path, const QList<ChartRecordValue>& records, QString* error) {
    ChartFileRead r = readChartFile(path);
    if (r.status == ChartFileStatus::ReadError) {
        if (error) *error = pathReasonText(path, r.error);
        return false;
    }
    for (const ChartRecordValue& v : records) r.image.write(v);
    return writeChartFile(path, r.image, error);
}

bool updateBothChartFiles(const QString& folder, const QList<ChartRecordValue>& records, QStringList* errors) {
    bool ok = true;
    for (ChartSide side : {ChartSide::Pv, ChartSide::Sv}) {
        QString e;
        if (!updateChartFile(chartFilePath(folder, side), records, &e)) {
            ok = false;
            if (errors) errors->append(e);
        }
    }
    return ok;
}

namespace {

// The image of one file at start-up: read, or created when missing.
ChartFileImage startupImage(const QString& path, bool& created, QStringList& errors) {
    ChartFileRead r = readChartFile(path);
    switch (r.status) {
    case ChartFileStatus::Ok: return r.image;
    case ChartFileStatus::Missing: {
        QString e;
        created = writeChartFile(path, ChartFileImage(), &e);
        if (!created) errors.append(e);
        return ChartFileImage();
    }
    default:
        errors.append(pathReasonText(path, r.error));
        return ChartFileImage();
    }
}

bool within(qint32 v, const chart::UpDownRange& r) { return v >= r.min && v <= r.max; }

// A shared setting that the chart's own controls could not have set takes
// its default, as a record past the end of the file does: a cycle outside
// 1..60 s, divisions outside 2..10, a Y limit outside -200..2000. A high
// not above the low puts both limits back.
void keepWithinControls(ChartFileData& d) {
    if (!within(d.Chart_Cycle, chart::kCycleRange)) d.Chart_Cycle = ChartDefault::Cycle;
    if (!within(d.Chart_YDiv, chart::kDivisionRange)) d.Chart_YDiv = ChartDefault::YDiv;
    if (!within(d.Chart_YHigh, chart::kYRange)) d.Chart_YHigh = ChartDefault::YHigh;
    if (!within(d.Chart_YLow, chart::kYRange)) d.Chart_YLow = ChartDefault::YLow;
    if (d.Chart_YHigh <= d.Chart_YLow) {
        d.Chart_YHigh = ChartDefault::YHigh;
        d.Chart_YLow = ChartDefault::YLow;
    }
}

}  // namespace

ChartStartup loadChartFiles(QVX720_INC& s, const QString& folder) {
    ChartStartup out;
    ChartFileData& d = s.ChartFile_Data;
    const ChartFileImage pv = startupImage(chartFilePath(folder, ChartSide::Pv), out.pvCreated, out.errors);
    for (int ch = 0; ch < kChannels; ++ch) d.PvColor(ch) = pv.readLong(ChartRecord::PenColor + ch);
    const ChartFileImage sv = startupImage(chartFilePath(folder, ChartSide::Sv), out.svCreated, out.errors);
    for (int ch = 0; ch < kChannels; ++ch) d.SvColor(ch) = sv.readLong(ChartRecord::PenColor + ch);
    d.Chart_XLong = sv.readLong(ChartRecord::XLong);
    d.Chart_Cycle = sv.readLong(ChartRecord::Cycle);
    d.Chart_YHigh = sv.readLong(ChartRecord::YHigh);
    d.Chart_YLow = sv.readLong(ChartRecord::YLow);
    d.Chart_Run = sv.readInteger(ChartRecord::Run);
    d.Chart_YDiv = sv.readInteger(ChartRecord::YDiv);
    keepWithinControls(d);
    return out;
}

ChartPlotFlags readPlotFlags(const QString& path) {
    ChartPlotFlags out;
    const ChartFileRead r = readChartFile(path);
    if (r.status != ChartFileStatus::Ok) {
        out.ok = false;
        out.error = r.status == ChartFileStatus::Missing ? QStringLiteral("%1: missing").arg(path) : r.error;
        return out;
    }
    // Any flag but 0 selects the channel, as 1.
    for (int ch = 0; ch < kChannels; ++ch)
        out.flags[static_cast<std::size_t>(ch)] = r.image.readInteger(ChartRecord::PlotFlag + ch) != 0 ? 1 : 0;
    return out;
}

QList<ChartRecordValue> penRecords(const Table1<qint32, kChannels>& colors,
                                   const std::array<qint16, kChannels>& flags) {
    QList<ChartRecordValue> out;
    out.reserve(2 * kChannels);
    for (int ch = 0; ch < kChannels; ++ch) out.append({ChartRecord::PenColor + ch, colors(ch)});
    for (int ch = 0; ch < kChannels; ++ch) out.append({ChartRecord::PlotFlag + ch, flags[static_cast<std::size_t>(ch)]});
    return out;
}

}  // namespace qvx
