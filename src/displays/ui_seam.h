// What the windows need of the platform's message boxes, beep and process
// end. The program uses QtUiSeam; tests script their own.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;
class QPixmap;
class QPrinter;
class QUrl;

namespace qvx {

class UiSeam {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~UiSeam() = default;
    // A modal message box; an empty title leaves the program's own name.
    virtual Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                              Buttons buttons) = 0;
    virtual void beep() = 0;
    // Ends the process at once (no settings are saved).
    virtual void endProcess(int code) = 0;

    // ---- help, capture and printers (menus) ----
    // Hands a URL (the help file) to the platform's viewer; false when none took it.
    virtual bool openUrl(const QUrl& url);
    // A picture of the whole window.
    virtual QPixmap grabWindow(QWidget* window);
    // Device names of the platform's printers, in the platform's order, and
    // the name of its default printer ("" when there is none).
    virtual QStringList printerNames();
    virtual QString defaultPrinterName();
    // A printer object for the named printer; nullptr when there is no such printer.
    virtual std::unique_ptr<QPrinter> makePrinter(const QString& name);
    // ---- end help, capture and printers ----

    // ---- file dialogs ----
    enum class FileDialogMode { Open, Save };
    struct FileDialogRequest {
        FileDialogMode mode = FileDialogMode::Open;
        QString initialFolder;
        // As the program writes it: "*.csv", or "description|pattern" pairs
        // joined by '|' ("*.dat(data file)|*.dat").
        QString filter;
        QString defaultSuffix;   // without the dot; added to a name typed without one
        QString fileName;        // the dialog's last chosen name (empty at first)
        bool mustExist = false;  // open: only an existing file can be chosen
    };
    struct FileDialogResult {
        bool accepted = false;
        QString fileName;  // the chosen full name; the request's name when cancelled
    };
    // A modal open or save dialog. A save dialog never asks before replacing
    // a file (the program asks itself). The default is a cancelled dialog.
    virtual FileDialogResult fileDialog(QWidget* parent, const FileDialogRequest& request);
    // ---- end file dialogs ----

    // ---- colour dialog ----
    // The colour dialog, opened full (custom colours shown) with an initial
    // colour (0x00BBGGRR); the chosen colour, or nothing when cancelled.
    // The default is a cancelled dialog.
    virtual std::optional<qint32> chooseColor(QWidget* parent, qint32 initialOle);
    // ---- end colour dialog ----
};

class QtUiSeam : public UiSeam {
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    void beep() override;
    void endProcess(int code) override;
    // ---- help, capture and printers (menus) ----
    bool openUrl(const QUrl& url) override;
    QStringList printerNames() override;
    QString defaultPrinterName() override;
    std::unique_ptr<QPrinter> makePrinter(const QString& name) override;
    FileDialogResult fileDialog(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<qint32> chooseColor(QWidget* parent, qint32 initialOle) override;
};

// Where a message box goes so that the window it belongs to stays in sight
// behind it: right under that window's frame, centred on it, when the screen
// has room there, else right above it; nothing when neither fits (the box is
// then centred over the window, as Qt does).
std::optional<QPoint> boxBesideWindow(const QRect& windowFrame, const QSize& box, const QRect& screen);

// Qt name filters of a filter as the program writes it.
QStringList qtNameFilters(const QString& filter);

}  // namespace qvx
