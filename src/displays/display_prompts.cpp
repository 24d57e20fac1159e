#include "display_prompts.h"

#include <QApplication>
#include <QMessageBox>

namespace qvx {

DisplayPrompts DisplayPrompts::platform()
{
    DisplayPrompts p;
    p.critical = [](QWidget* parent, const QString& text, const QString& title) {
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
        box.exec();
    };
    p.beep = [] { QApplication::beep(); };
    return p;
}

}  // namespace qvx
