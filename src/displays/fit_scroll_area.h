// A window's content that keeps its designed size: when the window is
// smaller than the content, the content scrolls instead of being squeezed,
// so no control overlaps another and no value is cut. The area asks for the
// content's whole size, but never for more than the screen can show.
#pragma once

#include <QScrollArea>

namespace qvx {

class FitScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit FitScrollArea(QWidget* parent = nullptr);

    // The content's size plus any scroll bar it then needs, within the
    // available area of the screen less room for the window's frame.
    QSize sizeHint() const override;
    // Small: the window may be made smaller than its content.
    QSize minimumSizeHint() const override;
    // Room kept for a window frame drawn by the desktop around the window.
    static constexpr int kFrameRoom = 48;
};

// Puts a scrolling content area into a window that has no layout yet, and
// returns the content widget for the window's controls and layout.
QWidget* scrollingContent(QWidget* window);

}  // namespace qvx
