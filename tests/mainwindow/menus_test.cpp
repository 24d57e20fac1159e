// File > Printer Selection and Print, Help > Help and Version information.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "maindisp.h"
#include "printing.h"
#include "prnselect.h"
#include "subdisp_about.h"
#include "test_support.h"

namespace qvx {
namespace {

using Step = std::function<void(prnselect&)>;

// Plays one step on each printer-selection form that a command shows, as
// soon as it is up; a form beyond the script is cancelled.
class FormScript : public QObject {
public:
    FormScript(QWidget& owner, std::vector<Step> steps) : owner_(owner), steps_(std::move(steps)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    int shown = 0;
    std::vector<QString> textsAtOpen;  // the name box when each form opened
    std::vector<qint16> prnNoAtOpen;

    void setState(QVX720_INC* s) { state_ = s; }

private:
    void poll() {
        for (prnselect* f : owner_.findChildren<prnselect*>()) {
            if (!f->isVisible() || seen_.contains(f)) continue;
            seen_.append(f);
            textsAtOpen.push_back(f->prnName->currentText());
            if (state_) prnNoAtOpen.push_back(state_->Prn_No);
            EXPECT_TRUE(f->isModal());
            if (size_t(shown) < steps_.size()) steps_[size_t(shown)](*f);
            else f->prnCancel_Click();
            ++shown;
        }
    }
    QWidget& owner_;
    std::vector<Step> steps_;
    QTimer timer_;
    QList<QPointer<prnselect>> seen_;
    QVX720_INC* state_ = nullptr;
};

Step choose(const QString& name) {
    return [name](prnselect& f) {
        f.prnName->setEditText(name);
        f.prnOK->click();
    };
}
Step cancel() {
    return [](prnselect& f) { f.prnCancel->click(); };
}
Step closeFrame() {
    return [](prnselect& f) { f.close(); };
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Width and height of the first page's media box of a PDF file.
QSizeF pdfMediaBox(const QByteArray& pdf) {
    static const QRegularExpression re(
        QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(pdf));
    if (!m.hasMatch()) return {};
    return {m.captured(3).toDouble() - m.captured(1).toDouble(), m.captured(4).toDouble() - m.captured(2).toDouble()};
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("out.pdf"));
        ui.pdfFile = pdf;
    }
    MainDisp& make(const StringTable& t = test::numberedTable()) {
        strings = t;
        w = std::make_unique<MainDisp>(state, strings, ui, dir.path());
        return *w;
    }
    void usePrinters(const QStringList& names, const QString& def) {
        ui.printers = names;
        ui.defaultPrinter = def;
    }

    QTemporaryDir dir;
    QString pdf;
    QVX720_INC state;
    StringTable strings;
    test::ScriptedUi ui;
    std::unique_ptr<MainDisp> w;
};

// ---- help ------------------------------------------------------------------------

TEST_F(MenusTest, HelpOpensTheFileOfTheTableLanguage) {
    struct Case {
        QString text2, file;
    };
    const Case cases[] = {
        {QStringLiteral("KORVEL MERIDAX CO., LTD."), QStringLiteral("PWS-QVX07R_E.html")},
        {QStringLiteral("Other maker"), QStringLiteral("PWS-QVX07R_J.html")},
    };
    for (const Case& c : cases) {
        ui.openedUrls.clear();
        ui.boxes.clear();
        MainDisp& m = make(test::numberedTable(c.text2));
        const QString path = dir.filePath(c.file);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        m.numhelp2->trigger();
        ASSERT_EQ(ui.openedUrls.size(), 1u) << c.file.toStdString();
        EXPECT_EQ(ui.openedUrls[0], QUrl::fromLocalFile(path));
        EXPECT_TRUE(ui.boxes.empty());
        QFile::remove(path);
    }
}

TEST_F(MenusTest, MissingHelpFileOrViewerIsReported) {
    MainDisp& m = make();
    m.numhelp2_Click();
    EXPECT_TRUE(ui.openedUrls.empty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, menuMessageText(MenuMessage::HelpFileMissing, strings, m.HelpFile_Path()));
    EXPECT_TRUE(ui.boxes[0].text.contains(QStringLiteral("PWS-QVX07R_E.html")));

    // The file is there but nothing takes it.
    QFile f(m.HelpFile_Path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ui.openUrlResult = false;
    m.numhelp2_Click();
    EXPECT_EQ(ui.openedUrls.size(), 1u);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, menuMessageText(MenuMessage::HelpNotOpened, strings, m.HelpFile_Path()));
}

// The help files that the build puts beside the executable are the ones the
// program opens: the English manual for the English table, the Japanese one
// otherwise, each a page whose links all lead somewhere.
TEST_F(MenusTest, ShippedHelpIsWhatTheHelpEntryOpens) {
    const QString appDir = QStringLiteral(QVX720_APP_DIR);
    const std::pair<StringTable::Language, const char*> cases[] = {
        {StringTable::Language::English, "PWS-QVX07R_E.html"},
        {StringTable::Language::Japanese, "PWS-QVX07R_J.html"},
    };
    for (const auto& [lang, name] : cases) {
        SCOPED_TRACE(name);
        ui.openedUrls.clear();
        ui.boxes.clear();
        strings = StringTable::builtIn(lang);
        w = std::make_unique<MainDisp>(state, strings, ui, dir.path(), appDir);
        const QString path = QDir(appDir).filePath(QString::fromLatin1(name));
        EXPECT_EQ(w->HelpFile_Path(), path);

        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QString html = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        const QString langAttr = lang == StringTable::Language::English ? QStringLiteral("<html lang=\"en\">")
                                                                       : QStringLiteral("<html lang=\"ja\">");
        EXPECT_TRUE(html.contains(langAttr));
        EXPECT_TRUE(html.contains(strings.text(1))) << "the manual names the program by its own title";
        // Every link leads to a section of the page or to a file shipped beside it.
        static const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
        int sections = 0;
        for (const QRegularExpressionMatch& m : link.globalMatch(html)) {
            const QString target = m.captured(1);
            if (target.startsWith(u'#')) {
                ++sections;
                EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(target.mid(1)))) << target.toStdString();
            } else {
                EXPECT_TRUE(QFileInfo(QDir(appDir).filePath(target)).isFile()) << target.toStdString();
            }
        }
        EXPECT_GT(sections, 0);

        w->numhelp2->trigger();
        ASSERT_EQ(ui.openedUrls.size(), 1u);
        EXPECT_EQ(ui.openedUrls[0], QUrl::fromLocalFile(path));
        EXPECT_TRUE(ui.boxes.empty());
    }
}

// ---- version box -----------------------------------------------------------------

TEST(VersionText, PartsAsPlainNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.00.0003", "1.0.3"}, {"1.0.0", "1.0.0"}, {"2.10.0", "2.10.0"}, {"3.07.0120", "3.7.120"},
        {"1", "1.0.0"},         {"1.2", "1.2.0"},   {"", "0.0.0"},        {" 4.5.6 ", "4.5.6"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(versionLabelText(QString::fromLatin1(in)), QLatin1String(out)) << in;
}

TEST_F(MenusTest, VersionBoxShowsTitleVersionAndProduct) {
    MainDisp& m = make(StringTable::builtIn(StringTable::Language::English));
    m.numabout->trigger();
    auto* box = m.findChild<SubDisp_About*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Version information"));
    EXPECT_EQ(box->Label1->text(), QStringLiteral("QVX-720 Monitoring software"));
    EXPECT_EQ(box->Label3->text(), QStringLiteral("Version"));
    EXPECT_EQ(box->Label6->text(), QStringLiteral("PWS-QVX07R"));
    EXPECT_EQ(box->Label4->text(), versionLabelText(programVersion()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(box->Label4->text()).hasMatch());
    EXPECT_FALSE(box->Image1->pixmap().isNull());
    EXPECT_EQ(ui.beeps, 0);

    // A second click brings the same box forward.
    m.numabout_Click();
    EXPECT_EQ(m.findChildren<SubDisp_About*>().size(), 1);

    // OK: a beep, and the box goes away.
    QPointer<SubDisp_About> guard(box);
    box->Command1->click();
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_FALSE(box->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    m.numabout_Click();
    ASSERT_NE(m.findChild<SubDisp_About*>(), nullptr);
    EXPECT_TRUE(m.findChild<SubDisp_About*>()->isVisible());
}

// ---- printer-selection form ---------------------------------------------------------

TEST(PrnSelect, LoadListsPrintersAndPresetsTheResult) {
    test::app();
    const StringTable t = test::numberedTable();
    const QStringList printers = {"Office", "Lab", "Plant floor"};
    struct Case {
        QString current;
        qint16 prnNo;
    };
    const Case cases[] = {{"Office", 0}, {"Plant floor", 2}, {"Gone", -1}, {"", -1}};
    for (const Case& c : cases) {
        QVX720_INC s;
        s.Prn_No = 99;
        prnselect f(s, t, printers, c.current);
        EXPECT_EQ(s.Prn_No, c.prnNo) << c.current.toStdString();
        EXPECT_EQ(f.prnName->currentText(), c.current);
        ASSERT_EQ(f.prnName->count(), 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f.prnName->itemText(i), printers[i]);
        EXPECT_EQ(f.windowTitle(), t.text(32));
        EXPECT_EQ(f.Label1->text(), t.text(35));
        EXPECT_EQ(f.prnCancel->text(), t.text(46));
        EXPECT_EQ(f.prnOK->text(), QStringLiteral("OK"));
        EXPECT_TRUE(f.isModal());
    }
}

TEST(PrnSelect, ButtonsAndCloseSetTheResult) {
    test::app();
    const StringTable t = test::numberedTable();
    const QStringList printers = {"Office", "Lab"};
    struct Case {
        const char* what;
        QString current;
        std::function<void(prnselect&)> act;
        qint16 prnNo;
    };
    const Case cases[] = {
        {"OK unchanged", "Lab", [](prnselect& f) { f.prnOK_Click(); }, 1},
        {"OK other", "Lab", [](prnselect& f) { f.prnName->setCurrentIndex(0), f.prnOK_Click(); }, 0},
        {"OK typed", "Lab", [](prnselect& f) { f.prnName->setEditText("Office"), f.prnOK_Click(); }, 0},
        {"OK unknown", "Lab", [](prnselect& f) { f.prnName->setEditText("office"), f.prnOK_Click(); }, -1},
        {"Cancel", "Lab", [](prnselect& f) { f.prnCancel_Click(); }, -2},
        {"Escape", "Lab",
         [](prnselect& f) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(&f, &esc);
         },
         -2},
        {"frame close", "Lab", [](prnselect& f) { f.close(); }, 1},
        {"frame close, unlisted", "Gone", [](prnselect& f) { f.close(); }, -1},
    };
    for (const Case& c : cases) {
        QVX720_INC s;
        prnselect f(s, t, printers, c.current);
        f.show();
        c.act(f);
        EXPECT_EQ(s.Prn_No, c.prnNo) << c.what;
        EXPECT_FALSE(f.isVisible()) << c.what;
    }
}

// ---- Printer Selection command ---------------------------------------------------------

TEST_F(MenusTest, SelectionMakesTheChosenPrinterCurrent) {
    usePrinters({"Office", "Lab", "Plant floor"}, "Lab");
    MainDisp& m = make();
    EXPECT_EQ(m.currentPrinterName(), QStringLiteral("Lab"));
    {
        FormScript script(m, {choose("Plant floor")});
        script.setState(&state);
        m.mnupsel->trigger();
        EXPECT_EQ(script.shown, 1);
        ASSERT_EQ(script.textsAtOpen.size(), 1u);
        EXPECT_EQ(script.textsAtOpen[0], QStringLiteral("Lab"));
        EXPECT_EQ(script.prnNoAtOpen[0], 1);
    }
    EXPECT_EQ(state.Prn_No, 2);
    EXPECT_EQ(m.currentPrinterName(), QStringLiteral("Plant floor"));

    // The next form opens on the chosen printer; Cancel keeps it.
    {
        FormScript script(m, {cancel()});
        m.mnupsel_Click();
        EXPECT_EQ(script.shown, 1);
        EXPECT_EQ(script.textsAtOpen[0], QStringLiteral("Plant floor"));
    }
    EXPECT_EQ(state.Prn_No, -2);
    EXPECT_EQ(m.currentPrinterName(), QStringLiteral("Plant floor"));

    // OK with the name unchanged chooses the same printer again.
    {
        FormScript script(m, {[](prnselect& f) { f.prnOK->click(); }});
        m.mnupsel_Click();
    }
    EXPECT_EQ(state.Prn_No, 2);
    EXPECT_EQ(m.currentPrinterName(), QStringLiteral("Plant floor"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MenusTest, UnknownNameShowsTheFormAgainWithTheCurrentPrinter) {
    usePrinters({"Office", "Lab"}, "Office");
    {
        MainDisp& m = make();
        FormScript script(m, {choose("Labb"), closeFrame(), choose("Lab")});
        m.mnupsel_Click();
        // Unknown name: again; frame close keeps the current printer's index,
        // which chooses it again and ends the command.
        EXPECT_EQ(script.shown, 2);
        ASSERT_EQ(script.textsAtOpen.size(), 2u);
        EXPECT_EQ(script.textsAtOpen[1], QStringLiteral("Office"));
        EXPECT_EQ(state.Prn_No, 0);
        EXPECT_EQ(m.currentPrinterName(), QStringLiteral("Office"));
    }

    // A default printer that is not in the list: closing the frame leaves -1,
    // so the form comes back until a printer is chosen.
    ui.defaultPrinter = "Gone";
    MainDisp& m2 = make();
    FormScript script2(m2, {closeFrame(), closeFrame(), choose("Lab")});
    m2.mnupsel_Click();
    EXPECT_EQ(script2.shown, 3);
    EXPECT_EQ(script2.textsAtOpen[2], QStringLiteral("Gone"));
    EXPECT_EQ(m2.currentPrinterName(), QStringLiteral("Lab"));
}

TEST_F(MenusTest, SelectionWithoutPrintersSaysSoInsteadOfLooping) {
    usePrinters({}, QString());
    MainDisp& m = make();
    FormScript script(m, {});
    m.mnupsel_Click();
    EXPECT_EQ(script.shown, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, menuMessageText(MenuMessage::NoPrinter, strings));
}

// ---- Print command -----------------------------------------------------------------------

TEST_F(MenusTest, PrintPutsTheWindowOnOnePage) {
    usePrinters({"Office", "Lab"}, "Office");
    MainDisp& m = make();
    m.fitToScreen(QRect(0, 0, 1280, 800));  // the designed size, wider than high
    m.mnuFilePrint->trigger();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.madePrinters, QStringList{"Office"});
    ASSERT_FALSE(m.Picture2->pixmap().isNull());
    EXPECT_EQ(m.Picture2->pixmap().deviceIndependentSize().toSize(), m.size());
    EXPECT_FALSE(m.Picture2->isVisible());
    const QByteArray out = readAll(pdf);
    ASSERT_GT(out.size(), 2000) << "no page written";
    EXPECT_TRUE(out.startsWith("%PDF"));
    EXPECT_TRUE(out.contains("/Count 1")) << "one page";
    EXPECT_TRUE(out.contains("/Image"));
    const QSizeF media = pdfMediaBox(out);
    ASSERT_FALSE(media.isEmpty());
    EXPECT_GT(media.width(), media.height()) << "a wide window prints in landscape";
}

TEST_F(MenusTest, PrintUsesTheSelectedPrinterAndShapeDecidesOrientation) {
    usePrinters({"Office", "Lab"}, "Office");
    MainDisp& m = make();
    {
        FormScript script(m, {choose("Lab")});
        m.mnupsel_Click();
    }
    QImage tall(300, 600, QImage::Format_RGB32);
    tall.fill(Qt::darkCyan);
    ui.grabbed = tall;
    m.mnuFilePrint_Click();
    EXPECT_EQ(ui.madePrinters.last(), QStringLiteral("Lab"));
    const QSizeF media = pdfMediaBox(readAll(pdf));
    ASSERT_FALSE(media.isEmpty());
    EXPECT_LT(media.width(), media.height());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(MenusTest, PrintFailuresAreReported) {
    // No printer at all.
    usePrinters({}, QString());
    MainDisp& m = make();
    m.mnuFilePrint_Click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, menuMessageText(MenuMessage::NoPrinter, strings));

    // The printer refuses the job (its output cannot be written).
    usePrinters({"Office"}, "Office");
    ui.pdfFile = dir.filePath(QStringLiteral("missing/folder/out.pdf"));
    m.mnuFilePrint_Click();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, menuMessageText(MenuMessage::PrintFailed, strings, "Office"));
    EXPECT_FALSE(QFileInfo::exists(ui.pdfFile));
}

class NoCaptureUi : public test::ScriptedUi {
public:
    QPixmap grabWindow(QWidget*) override { return {}; }
};

TEST_F(MenusTest, FailedCaptureIsReportedAndNothingIsPrinted) {
    test::app();
    NoCaptureUi noCapture;
    noCapture.printers = {"Office"};
    noCapture.defaultPrinter = "Office";
    noCapture.pdfFile = pdf;
    strings = test::numberedTable();
    MainDisp m(state, strings, noCapture, dir.path());
    m.mnuFilePrint_Click();
    ASSERT_EQ(noCapture.boxes.size(), 1u);
    EXPECT_EQ(noCapture.boxes[0].text, menuMessageText(MenuMessage::CaptureFailed, strings));
    EXPECT_TRUE(noCapture.madePrinters.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

// ---- fitting the picture on the page ---------------------------------------------------------

TEST_F(MenusTest, PictureFillsThePrintableWidthOrHeight) {
    struct Case {
        QSize picture;
        QPageLayout::Orientation orientation;
        bool fillsWidth;
    };
    const Case cases[] = {
        {{1600, 100}, QPageLayout::Landscape, true},  // long and flat
        {{300, 600}, QPageLayout::Portrait, false},   // tall
        {{500, 500}, QPageLayout::Portrait, true},    // square on a portrait page: the width binds
        {{1280, 800}, QPageLayout::Landscape, true},   // wider than a landscape page
        {{1000, 900}, QPageLayout::Landscape, false},  // landscape, but narrower than the page
    };
    for (const Case& c : cases) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QPixmap picture(c.picture);
        picture.fill(Qt::darkGreen);
        QPainter painter;
        const QRect drawn = PrintPictureFitPage(printer, painter, picture);
        ASSERT_TRUE(painter.isActive());
        EXPECT_EQ(printer.pageLayout().orientation(), c.orientation) << c.picture.width();
        EXPECT_EQ(drawn.topLeft(), QPoint(0, 0));
        if (c.fillsWidth) {
            EXPECT_EQ(drawn.width(), printer.width()) << c.picture.width();
            EXPECT_LE(drawn.height(), printer.height());
        } else {
            EXPECT_EQ(drawn.height(), printer.height()) << c.picture.width();
            EXPECT_LE(drawn.width(), printer.width());
        }
        EXPECT_NEAR(double(drawn.width()) / drawn.height(), double(c.picture.width()) / c.picture.height(), 0.01);
        EXPECT_TRUE(painter.end());
    }
}

}  // namespace
}  // namespace qvx
