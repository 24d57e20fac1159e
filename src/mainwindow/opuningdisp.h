// OpuningDisp: the opening form shown while the start-up scan runs. Its
// progress bar counts the scanned addresses (0..95).
#pragma once

#include <QWidget>
#include <functional>

#include "string_table.h"

class QLabel;
class QProgressBar;

namespace qvx {

class OpuningDisp : public QWidget {
    Q_OBJECT
public:
    explicit OpuningDisp(const StringTable& strings, QWidget* parent = nullptr);

    // Sets the progress and repaints at once, so that it moves during a
    // scan that blocks the event loop.
    void setProgress(int value);
    // What a close of the form by the operator (the window manager's close
    // button) does instead of closing it; none: it closes.
    void setCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;  // maker's name
    QLabel* Label2 = nullptr;  // "QVX-52B Monitoring Software"
    QLabel* Label3 = nullptr;  // "Wait for a moment."
    QLabel* Label4 = nullptr;  // "PWS-QVX07R"
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label_commerror = nullptr;  // "Communication error" while the line is silent in the scan

    // Shows or hides the scan's communication error at once.
    void setCommErrorVisible(bool visible);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    std::function<void()> m_onClose;
    const StringTable& m_strings;
};

// The opening picture, drawn at the given size.
QPixmap openingPicture(const QSize& size);

// The look of a "Communication error" message: white bold on red.
void styleCommErrorLabel(QLabel* label);

}  // namespace qvx
