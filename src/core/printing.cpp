#include "printing.h"

#include <limits>

namespace qvx {

PageOrientation pictureOrientation(const QSizeF& picture) {
    return picture.height() >= picture.width() ? PageOrientation::Portrait : PageOrientation::Landscape;
}

QSizeF fitPictureToPage(const QSizeF& picture, const QSizeF& printable) {
    // A zero height would make the ratios infinite or undefined.
    if (!(picture.width() > 0 && picture.height() > 0 && printable.width() > 0 && printable.height() > 0))
        return {};
    const double pictureRatio = picture.width() / picture.height();
    const double pageRatio = printable.width() / printable.height();
    if (pictureRatio >= pageRatio) return {printable.width(), printable.width() / pictureRatio};
    return {printable.height() * pictureRatio, printable.height()};
}

qint16 FindPrinter(const QStringList& printerNames, const QString& name) {
    const int last = qMin<qsizetype>(printerNames.size(), std::numeric_limits<qint16>::max() + 1);
    for (int i = 0; i < last; ++i)
        if (printerNames[i] == name) return qint16(i);
    return kPrnNoMatch;
}

PrinterChoice printerChoice(qint16 prnNo, int printerCount) {
    if (prnNo == kPrnCancelled) return PrinterChoice::Stop;
    if (prnNo < 0 || prnNo >= printerCount) return PrinterChoice::ShowAgain;
    return PrinterChoice::Select;
}

QString menuMessageText(MenuMessage message, const StringTable& strings, const QString& detail) {
    switch (message) {
    case MenuMessage::HelpFileMissing: return strings.text(960).arg(detail);
    case MenuMessage::HelpNotOpened: return strings.text(961).arg(detail);
    case MenuMessage::NoPrinter: return strings.text(962);
    case MenuMessage::CaptureFailed: return strings.text(963);
    case MenuMessage::PrintFailed: return strings.text(964).arg(detail);
    }
    return {};
}

}  // namespace qvx
