#include <gtest/gtest.h>

#include "display_test_support.h"
#include "lamp.h"
#include "ole_color.h"

namespace qvx {
namespace {

TEST(Lamp, BackColourRoundTrip) {
    test::app();
    Lamp l(QStringLiteral("A1"));
    for (qint32 c : {0xFFFFFF, 0x0000FF, 0x00C000, 0x80FFFF, 0x123456}) {
        l.setBackColor(c);
        EXPECT_EQ(l.backColor(), c);
    }
    EXPECT_EQ(oleToColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(oleToColor(0xFF0000), QColor(0, 0, 255));
}

}  // namespace
}  // namespace qvx
