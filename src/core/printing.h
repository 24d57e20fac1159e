// Rules of printing the main window and of the printer selection: the page
// orientation and size of the printed picture, the printer index of a name,
// what the selection form's result asks for, and the texts of the messages
// that the File and Help menus show when the platform lets them down.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

#include "string_table.h"

namespace qvx {

// Page orientation, numbered like the printer object's property.
enum class PageOrientation : qint16 { Portrait = 1, Landscape = 2 };

// Portrait when the picture is at least as high as it is wide.
PageOrientation pictureOrientation(const QSizeF& picture);

// The printed size of a picture on a printable area of the given size: as
// large as the area allows, keeping the picture's proportions. The picture
// is fitted to the width when its width/height ratio is at least the area's
// (equal ratios fill the area), to the height otherwise. Both sizes may be
// in any units whose X and Y steps are equal; the result is in the area's
// units. An empty picture or area gives an empty size (nothing to draw).
QSizeF fitPictureToPage(const QSizeF& picture, const QSizeF& printable);

// Index of the first printer whose device name equals name character for
// character; -1 when none does (also beyond the range of the 16-bit result).
qint16 FindPrinter(const QStringList& printerNames, const QString& name);

// The result values of the printer-selection form (Prn_No).
inline constexpr qint16 kPrnNoMatch = -1;
inline constexpr qint16 kPrnCancelled = -2;

// What the Printer Selection command does after the form has closed with
// prnNo, the platform having printerCount printers: stop (cancelled, the
// current printer stays), show the form again (no printer of the list), or
// make printer prnNo the current one. An index outside the list (the list
// shrank) shows the form again.
enum class PrinterChoice { Stop, ShowAgain, Select };
PrinterChoice printerChoice(qint16 prnNo, int printerCount);

// Messages of the menu commands, in the language of the string table.
enum class MenuMessage {
    HelpFileMissing,  // detail: the help file's path
    HelpNotOpened,    // no program took the help file; detail: its path
    NoPrinter,        // no printer is installed or the current one is gone
    CaptureFailed,    // the window could not be copied into a picture
    PrintFailed,      // detail: the printer's name
};
QString menuMessageText(MenuMessage message, const StringTable& strings, const QString& detail = QString());

}  // namespace qvx
