// SubDisp_About: the version box of the Help menu, shown modeless. It shows
// the program title, the version number of the program and the product name;
// OK closes it.
#pragma once

#include <QDialog>
#include <QPixmap>

#include "string_table.h"
#include "ui_seam.h"

class QLabel;
class QPushButton;

namespace qvx {

// The version as the box shows it: major.minor.revision, each as a plain
// decimal number ("1.00.0003" gives "1.0.3"); missing parts count as 0.
QString versionLabelText(const QString& version);

// The program's own version number.
QString programVersion();

// The program icon as drawn for the version box.
QPixmap programIconPicture(int size);

class SubDisp_About : public QDialog {
    Q_OBJECT
public:
    // version: the program's version number (programVersion() in the program).
    SubDisp_About(const StringTable& strings, UiSeam& ui, const QString& version, QWidget* parent = nullptr);

    void Command1_Click();  // OK

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;  // program title
    QLabel* Label2 = nullptr;  // notice line
    QLabel* Label3 = nullptr;  // "Version"
    QLabel* Label4 = nullptr;  // version number
    QLabel* Label6 = nullptr;  // product name
    QLabel* Label7 = nullptr;  // notice line
    QPushButton* Command1 = nullptr;

private:
    void Form_Load(const QString& version);

    const StringTable& m_strings;
    UiSeam& m_ui;
};

}  // namespace qvx
