// Where a message box goes beside the window it belongs to.
#include <gtest/gtest.h>

#include "ui_seam.h"

namespace qvx {
namespace {

TEST(BoxBesideWindow, KeepsTheWindowInSight) {
    const QRect screen(0, 0, 1280, 800);
    const QSize box(240, 80);
    struct Case {
        const char* name;
        QRect window;
        std::optional<QPoint> expected;
    };
    const Case cases[] = {
        {"room below: under the frame, centred", QRect(440, 282, 381, 156), QPoint(510, 438)},
        {"exactly room below", QRect(440, 400, 381, 320), QPoint(510, 720)},
        {"no room below: above", QRect(440, 500, 381, 240), QPoint(510, 420)},
        {"near the left edge: kept on screen", QRect(0, 100, 100, 100), QPoint(0, 200)},
        {"near the right edge: kept on screen", QRect(1200, 100, 80, 100), QPoint(1040, 200)},
        {"window fills the screen: Qt centres it", QRect(0, 0, 1280, 800), std::nullopt},
        {"neither above nor below fits", QRect(0, 50, 600, 700), std::nullopt},
        {"no window geometry", QRect(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(boxBesideWindow(c.window, box, screen), c.expected) << c.name;
    // A screen that does not start at the origin (a second monitor).
    EXPECT_EQ(boxBesideWindow(QRect(1300, 10, 200, 100), box, QRect(1280, 0, 1024, 768)), QPoint(1280, 110));
}

}  // namespace
}  // namespace qvx
