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

QString menuMessageText(MenuMessage message, StringTable::Language language, const QString& detail) {
    const bool ja = language == StringTable::Language::Japanese;
    switch (message) {
    case MenuMessage::HelpFileMissing:
        return (ja ? QStringLiteral("ヘルプファイルが見つかりません。\n%1")
                   : QStringLiteral("The help file was not found.\n%1"))
            .arg(detail);
    case MenuMessage::HelpNotOpened:
        return (ja ? QStringLiteral("ヘルプファイルを開けませんでした。Webページを表示するプログラムが見つかりません。\n%1")
                   : QStringLiteral("The help file could not be opened: no program to show web pages was found.\n%1"))
            .arg(detail);
    case MenuMessage::NoPrinter:
        return ja ? QStringLiteral("使用できるプリンタがありません。")
                  : QStringLiteral("No printer is available.");
    case MenuMessage::CaptureFailed:
        return ja ? QStringLiteral("印刷する画面を取り込めませんでした。")
                  : QStringLiteral("The window could not be captured for printing.");
    case MenuMessage::PrintFailed:
        return (ja ? QStringLiteral("プリンタ「%1」で印刷できませんでした。")
                   : QStringLiteral("The window could not be printed on the printer \"%1\"."))
            .arg(detail);
    }
    return {};
}

}  // namespace qvx
