// What the windows need of the platform's message boxes, beep and process
// end. The program uses QtUiSeam; tests script their own.
#pragma once

#include <QString>

class QWidget;

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
};

class QtUiSeam : public UiSeam {
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    void beep() override;
    void endProcess(int code) override;
};

}  // namespace qvx
