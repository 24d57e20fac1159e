// A window's content that keeps its designed size: when the window is
// smaller than the content, the content scrolls instead of being squeezed,
// so no control overlaps another and no value is cut. The area asks for the
// content's whole size, but never for more than the screen can show.
#pragma once

#include <QMargins>
#include <QRect>
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

// Where a window goes within a screen's available area.
struct WindowPlace {
    QRect frame;     // the whole window, the desktop's frame included
    QRect client;    // the window's own area inside the frame
    bool maximized;  // the designed size and the frame do not both fit
};

// The window keeps its designed size where that and its frame fit the
// available area; its frame then stays where it is (framePos) when it lies
// within the area, else it is moved into it. Where they do not fit, the window
// takes the whole area. frame is the frame the desktop draws, as far as it is
// known; unknownFrame is room kept for one not known yet, which only weighs in
// whether the designed size fits.
WindowPlace placeWindow(const QRect& available, const QSize& designed, const QMargins& frame, const QPoint& framePos,
                        const QMargins& unknownFrame = QMargins());

// Puts a scrolling content area into a window that has no layout yet, and
// returns the content widget for the window's controls and layout.
QWidget* scrollingContent(QWidget* window);

}  // namespace qvx
