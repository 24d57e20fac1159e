// Printing of the main window and the printer-selection form.
//
// prnselect is the program's only modal window: the Printer Selection command
// shows it and waits. It lists the platform's printers and leaves its result
// in Prn_No: the index of the chosen printer, -1 when the name in its box
// names no printer, -2 when it was cancelled. Closing it through the window
// frame keeps the value that the load gave Prn_No.
#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>

#include "qvx720_inc.h"
#include "string_table.h"

class QComboBox;
class QLabel;
class QPainter;
class QPixmap;
class QPrinter;
class QPushButton;

namespace qvx {

class prnselect : public QDialog {
    Q_OBJECT
public:
    // printerNames: the platform's printers in its order; currentPrinter: the
    // device name of the printer that printing uses now.
    prnselect(QVX720_INC& state, const StringTable& strings, const QStringList& printerNames,
              const QString& currentPrinter, QWidget* parent = nullptr);

    qint16 FindPrinter(const QString& name) const;
    void prnOK_Click();
    void prnCancel_Click();

    QLabel* Label1 = nullptr;
    QComboBox* prnName = nullptr;
    QPushButton* prnOK = nullptr;
    QPushButton* prnCancel = nullptr;

    // The window frame's close and Escape: the form goes away with Prn_No as
    // it stands; Escape is Cancel.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load(const QString& currentPrinter);

    QVX720_INC& m_state;
    const StringTable& m_strings;
    QStringList m_printers;
};

// Draws picture on printer's page as large as the printable area allows,
// keeping its proportions, from the area's top-left corner; portrait when the
// picture is at least as high as it is wide, landscape otherwise. Sets the
// orientation, then begins painter on the printer; the caller ends the
// document with painter.end(). Returns the rectangle drawn, in the printer's
// device pixels; an empty rectangle when the picture is empty or the printer
// could not be started.
QRect PrintPictureFitPage(QPrinter& printer, QPainter& painter, const QPixmap& picture);

}  // namespace qvx
