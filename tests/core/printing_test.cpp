// Printing rules: orientation and size of the printed window picture, the
// printer index of a name, and what the selection form's result asks for.
#include "printing.h"

#include <gtest/gtest.h>

namespace qvx {
namespace {

TEST(Printing, OrientationFollowsThePictureShape) {
    struct Case {
        QSizeF picture;
        PageOrientation expected;
    };
    const Case cases[] = {
        {{1280, 800}, PageOrientation::Landscape},  // wider than high
        {{800, 800}, PageOrientation::Portrait},    // square
        {{800, 1280}, PageOrientation::Portrait},   // higher than wide
        {{801, 800}, PageOrientation::Landscape},
        {{2000, 10}, PageOrientation::Landscape},
    };
    for (const Case& c : cases) EXPECT_EQ(pictureOrientation(c.picture), c.expected) << c.picture.width();
}

TEST(Printing, FitKeepsProportionsAndFillsOneSide) {
    struct Case {
        QSizeF picture, printable, expected;
    };
    const Case cases[] = {
        // Equal ratios fill the printable area exactly.
        {{1000, 500}, {2000, 1000}, {2000, 1000}},
        {{400, 300}, {4000, 3000}, {4000, 3000}},
        // A long flat window fills the width; its height shrinks in proportion.
        {{1600, 100}, {2000, 1500}, {2000, 125}},
        // A tall picture fills the height.
        {{300, 600}, {2000, 1500}, {750, 1500}},
        // Smaller and larger pictures are scaled up and down alike.
        {{10, 5}, {100, 100}, {100, 50}},
        {{8000, 4000}, {100, 100}, {100, 50}},
    };
    for (const Case& c : cases) {
        const QSizeF out = fitPictureToPage(c.picture, c.printable);
        EXPECT_DOUBLE_EQ(out.width(), c.expected.width()) << c.picture.width() << "x" << c.picture.height();
        EXPECT_DOUBLE_EQ(out.height(), c.expected.height()) << c.picture.width() << "x" << c.picture.height();
        EXPECT_LE(out.width(), c.printable.width() + 1e-9);
        EXPECT_LE(out.height(), c.printable.height() + 1e-9);
        EXPECT_NEAR(out.width() / out.height(), c.picture.width() / c.picture.height(), 1e-9);
    }
}

TEST(Printing, EmptyPictureOrPageGivesNothingToDraw) {
    const QSizeF cases[][2] = {
        {{0, 0}, {2000, 1500}}, {{100, 0}, {2000, 1500}}, {{0, 100}, {2000, 1500}},
        {{100, 100}, {0, 1500}}, {{100, 100}, {2000, 0}}, {{-5, 100}, {2000, 1500}},
    };
    for (const auto& c : cases) {
        const QSizeF out = fitPictureToPage(c[0], c[1]);
        EXPECT_TRUE(out.isEmpty()) << c[0].width() << "x" << c[0].height() << " on " << c[1].width();
        EXPECT_FALSE(qIsNaN(out.width()) || qIsInf(out.width()) || qIsNaN(out.height()) || qIsInf(out.height()));
    }
}

TEST(Printing, FindPrinterMatchesWholeNamesExactly) {
    const QStringList printers = {"Office", "Office Laser", "office", "Lab", "Office"};
    struct Case {
        QString name;
        qint16 expected;
    };
    const Case cases[] = {
        {"Office", 0},  // the first of two equal names
        {"Office Laser", 1},
        {"office", 2},  // case counts
        {"Lab", 3},
        {"Lab ", -1},
        {"Offic", -1},
        {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindPrinter(printers, c.name), c.expected) << c.name.toStdString();
    EXPECT_EQ(FindPrinter({}, QString()), -1);
}

TEST(Printing, SelectionResultDecidesTheNextStep) {
    struct Case {
        qint16 prnNo;
        int count;
        PrinterChoice expected;
    };
    const Case cases[] = {
        {kPrnCancelled, 3, PrinterChoice::Stop},
        {kPrnNoMatch, 3, PrinterChoice::ShowAgain},
        {-7, 3, PrinterChoice::ShowAgain},
        {0, 3, PrinterChoice::Select},
        {2, 3, PrinterChoice::Select},
        {3, 3, PrinterChoice::ShowAgain},  // the list shrank behind the form
        {0, 0, PrinterChoice::ShowAgain},
        {kPrnCancelled, 0, PrinterChoice::Stop},
    };
    for (const Case& c : cases) EXPECT_EQ(printerChoice(c.prnNo, c.count), c.expected) << c.prnNo << "/" << c.count;
}

TEST(Printing, MessagesNameWhatFailed) {
    const QString path = QStringLiteral("/opt/qvx/PWS-QVX07R_E.html");
    for (auto lang : {StringTable::Language::English, StringTable::Language::Japanese}) {
        const StringTable strings = StringTable::builtIn(lang);
        EXPECT_TRUE(menuMessageText(MenuMessage::HelpFileMissing, strings, path).contains(path));
        EXPECT_TRUE(menuMessageText(MenuMessage::HelpNotOpened, strings, path).contains(path));
        EXPECT_TRUE(menuMessageText(MenuMessage::PrintFailed, strings, QStringLiteral("Lab")).contains("Lab"));
    }
}

}  // namespace
}  // namespace qvx
