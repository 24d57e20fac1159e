// What the display controls need of the platform: a message box with the
// critical-stop icon and the beep. The program uses platform(); tests hand
// in their own functions and record what would have been shown.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace qvx {

struct DisplayPrompts {
    // A modal message box with an OK button and the critical-stop icon.
    std::function<void(QWidget* parent, const QString& text, const QString& title)> critical;
    std::function<void()> beep;

    // QMessageBox and QApplication::beep.
    static DisplayPrompts platform();
};

}  // namespace qvx
