#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chart_files.h"
#include "chart_widgets.h"
#include "korvel_chartctl.h"
#include "maindisp.h"
#include "preferences.h"
#include "property_bag.h"
#include "setting3_disp.h"
#include "setting_disp.h"
#include "string_table.h"
#include "ui_seam.h"

using namespace qvx;

namespace {

QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test_chart";
    static char* argv[] = {arg0, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class ChartUi : public UiSeam {
public:
    std::vector<QString> messages;
    int beeps = 0;
    int colorCalls = 0;
    std::deque<std::optional<qint32>> colors;  // next answers of the colour dialog
    std::function<void()> duringBox;           // runs while a box is up

    Answer messageBox(QWidget*, const QString& text, const QString&, Icon, Buttons) override {
        messages.push_back(text);
        if (duringBox) duringBox();
        return Answer::Ok;
    }
    void beep() override { ++beeps; }
    void endProcess(int) override {}
    std::optional<qint32> chooseColor(QWidget*, qint32) override {
        ++colorCalls;
        if (colors.empty()) return std::nullopt;
        const auto c = colors.front();
        colors.pop_front();
        return c;
    }
};

QRgb rgbOf(qint32 ole) { return qRgb(ole & 0xFF, (ole >> 8) & 0xFF, (ole >> 16) & 0xFF); }

class ChartTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QVX720_INC state;
    StringTable strings = StringTable::builtIn(StringTable::Language::English);
    ChartUi ui;
    QMap<int, QString> names;
    QStringList status;
    QStringList changed;
    std::unique_ptr<Korvel_ChartCtl> chart;

    void SetUp() override {
        app();
        ASSERT_TRUE(tmp.isValid());
        loadChartFiles(state, tmp.path());
        state.Monitor_Data.PvRead.fill(true);
        state.PvLog_State.Current.fill(true);
        state.PvLog_State.Replies = 1;  // the line has answered since monitoring began
        chart = make();
    }

    std::unique_ptr<Korvel_ChartCtl> make() {
        ChartEnv env;
        env.state = &state;
        env.strings = &strings;
        env.ui = &ui;
        env.programFolder = tmp.path();
        env.channelName = [this](int ch) { return names.value(ch, defaultChannelName(ch)); };
        env.statusText = [this](const QString& t) { status << t; };
        auto c = std::make_unique<Korvel_ChartCtl>(env);
        QObject::connect(c.get(), &Korvel_ChartCtl::propertyChanged, [this](const QString& n) { changed << n; });
        return c;
    }

    // What system_init pushes, from ChartFile_Data.
    void pushSettings(Korvel_ChartCtl& c) {
        const ChartFileData& d = state.ChartFile_Data;
        c.setYScaleDivision(QString::number(d.Chart_YDiv));
        if (d.Chart_XLong != 0)
            c.setXScaleLong(true);
        else
            c.setXScaleShort(true);
        c.setXScaleTime(QString::number(d.Chart_Cycle));
        c.setYScaleHigh(QString::number(d.Chart_YHigh));
        c.setYScaleLow(QString::number(d.Chart_YLow));
        c.color_set();
    }

    ChartFileImage file(ChartSide side) const {
        QFile f(chartFilePath(tmp.path(), side));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return ChartFileImage::fromBytes(f.readAll());
    }
    qint32 rec(ChartSide side, int r) const { return file(side).read(r); }
    QRgb pixel(int x, int y) const { return chart->picCanbus->image().pixel(x, y); }
};

}  // namespace

TEST_F(ChartTest, FreshControlIsLocalisedAndHoldsTheDefaults) {
    Korvel_ChartCtl& c = *chart;
    struct Case {
        QString shown;
        int id;
    };
    for (const Case& k : {Case{c.lblMsg->text(), 20}, Case{c.cmdRUN->text(), 666}, Case{c.cmdStop->text(), 667},
                          Case{c.frmXScale->title(), 658}, Case{c.optShort->text(), 659}, Case{c.Label2->text(), 674},
                          Case{c.lblXscal[11]->text(), 700}, Case{c.cmdChartsel->text(), 668},
                          Case{c.cmdSelend->text(), 673}, Case{c.Label1[1]->text(), 671}})
        EXPECT_EQ(k.shown, strings.text(k.id)) << k.id;
    EXPECT_EQ(c.lblMsg->text(), "Chart standby");
    EXPECT_EQ(c.lblXscal[0]->text(), "***");  // the texts under the plot come with the first ScaleSet
    EXPECT_TRUE(c.XScaleLong());
    EXPECT_FALSE(c.XScaleShort());
    EXPECT_EQ(c.YScaleHigh(), "400");
    EXPECT_EQ(c.YScaleLow(), "0");
    EXPECT_EQ(c.XScaleTime(), "5");
    EXPECT_EQ(c.YScaleDivision(), "4");
    EXPECT_EQ(c.Charttime(), 0);
    EXPECT_EQ(c.ChartMaxCh(), 0);
    EXPECT_EQ(c.pvCaption(7), "0");
    EXPECT_TRUE(c.pvValue(7).isEmpty());
    EXPECT_FALSE(c.running());
    EXPECT_TRUE(c.frmChartsel->isHidden());
    for (int k = 0; k < 40; ++k) EXPECT_TRUE(c.lblName[std::size_t(k)]->isHidden()) << k;
}

TEST_F(ChartTest, CaptionWritesFeedTheValuesAndTheLegendPageOnShow) {
    Korvel_ChartCtl& c = *chart;
    struct Case {
        int page;      // legend tab index 1..3
        int ch;
        bool pv;
        int slotWritten;  // -1: no label written
    };
    const Case cases[] = {
        {1, 5, true, 5},  {1, 45, true, -1}, {1, 0, false, 0},  {2, 45, true, 5},
        {2, 85, false, -1}, {3, 80, true, 0}, {3, 94, false, 14}, {3, 39, true, -1},
    };
    for (const Case& k : cases) {
        c.TabStrip1->setCurrentIndex(k.page - 1);
        QLabel* const* labels = k.pv ? c.lblPv.data() : c.lblSv.data();
        std::vector<QString> before;
        for (int s = 0; s < 40; ++s) before.push_back(labels[s]->text());
        const QString text = QStringLiteral("%1.5").arg(k.ch);
        changed.clear();
        if (k.pv)
            c.setPvCaption(k.ch, text);
        else
            c.setSvCaption(k.ch, text);
        EXPECT_EQ(k.pv ? c.pvCaption(k.ch) : c.svCaption(k.ch), text);
        EXPECT_EQ(k.pv ? c.pvValue(k.ch) : c.svValue(k.ch), text);
        EXPECT_EQ(changed, QStringList{QStringLiteral("%1%2Caption").arg(k.pv ? "Pv" : "Sv").arg(k.ch)});
        for (int s = 0; s < 40; ++s)
            EXPECT_EQ(labels[s]->text(), s == k.slotWritten ? text : before[std::size_t(s)]) << k.ch << " slot " << s;
    }
    // Page 3 fills slots 0..14 only.
    c.TabStrip1->setCurrentIndex(2);
    const QString slot15 = c.lblPv[15]->text();
    for (int ch = 80; ch < 95; ++ch) c.setPvCaption(ch, QString::number(ch));
    for (int s = 0; s < 15; ++s) EXPECT_EQ(c.lblPv[std::size_t(s)]->text(), QString::number(80 + s));
    EXPECT_EQ(c.lblPv[15]->text(), slot15);
    // An empty text is a text like any other; the same text twice notifies twice.
    changed.clear();
    c.setSvCaption(94, QString());
    c.setSvCaption(94, QString());
    EXPECT_TRUE(c.svValue(94).isEmpty());
    EXPECT_TRUE(c.lblSv[14]->text().isEmpty());
    EXPECT_EQ(changed.size(), 2);
    // Channels outside 0..94 are ignored.
    c.setPvCaption(95, "x");
    c.setPvCaption(-1, "x");
    EXPECT_TRUE(c.pvCaption(95).isEmpty());
}

TEST_F(ChartTest, LegendPagesShowPresentChannelsWithNamesAndPenColours) {
    Korvel_ChartCtl& c = *chart;
    for (int ch : {3, 41, 79, 85}) state.NoConnect(ch) = 1;
    names[40] = "Oven 41";
    for (int ch = 0; ch < kChannels; ++ch) {
        state.ChartFile_Data.PvColor(ch) = 0x1000 + ch;
        state.ChartFile_Data.SvColor(ch) = 0x2000 + ch;
    }
    for (int page = 1; page <= 3; ++page) {
        c.TabStrip1->setCurrentIndex(page - 1);
        c.setChartMaxCh(95);
        const int base = (page - 1) * 40;
        for (int k = 0; k < 40; ++k) {
            const int ch = base + k;
            const bool shown = ch < 95 && state.NoConnect(ch) == 0;
            EXPECT_EQ(!c.lblName[std::size_t(k)]->isHidden(), shown) << ch;
            EXPECT_EQ(!c.lblPv[std::size_t(k)]->isHidden(), shown) << ch;
            EXPECT_EQ(!c.lblSv[std::size_t(k)]->isHidden(), shown) << ch;
            if (!shown) continue;
            EXPECT_EQ(c.lblName[std::size_t(k)]->text(), names.value(ch, defaultChannelName(ch)));
            EXPECT_EQ(c.lblPvForeColor(k), 0x1000 + ch);  // selected or not
            EXPECT_EQ(c.lblSvForeColor(k), 0x2000 + ch);
        }
    }
    EXPECT_EQ(c.lblName[14]->text(), "Ch95");
    // A name changed in the store shows after the next transaction.
    names[94] = "Last";
    EXPECT_EQ(c.lblName[14]->text(), "Ch95");
    c.setChartMaxCh(95);
    EXPECT_EQ(c.lblName[14]->text(), "Last");
    // A limit of 41 on page 2 leaves channel 40 only; 0 hides the page.
    c.TabStrip1->setCurrentIndex(1);
    c.setChartMaxCh(41);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(!c.lblName[std::size_t(k)]->isHidden(), k == 0) << k;
    c.setChartMaxCh(0);
    for (int k = 0; k < 40; ++k) EXPECT_TRUE(c.lblPv[std::size_t(k)]->isHidden()) << k;
}

TEST_F(ChartTest, LegendPageChangeShowsTheStoredTextsOfTheNewPage) {
    // The feed sends only texts that changed: a page that comes on show
    // takes its texts from the stored ones.
    Korvel_ChartCtl& c = *chart;
    for (int ch = 0; ch < kChannels; ++ch) c.setPvCaption(ch, QString::number(ch * 10));
    c.setChartMaxCh(95);
    c.TabStrip1->setCurrentIndex(1);
    EXPECT_EQ(c.lblPv[5]->text(), "450");
    EXPECT_FALSE(c.lblPv[5]->isHidden());
    c.TabStrip1->setCurrentIndex(2);
    EXPECT_EQ(c.lblPv[14]->text(), "940");
    EXPECT_TRUE(c.lblPv[15]->isHidden());
}

TEST_F(ChartTest, StartFromCodeWithAndWithoutSelection) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    const ChartFileImage pvBefore = file(ChartSide::Pv);
    // Nothing selected: string 714, no start, no file written.
    c.auto_run();
    EXPECT_EQ(ui.messages, std::vector<QString>{strings.text(714)});
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(c.timerActive());
    EXPECT_EQ(file(ChartSide::Pv).bytes(), pvBefore.bytes());
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::Run), 0);
    EXPECT_FALSE(status.contains(strings.text(21)));

    // PV of channel 3 selected: recording starts and takes its first sample
    // at once, before any value was fed: the pen draws nothing yet.
    c.selection().PvPlot[3] = 1;
    ui.messages.clear();
    c.auto_run();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(c.running());
    EXPECT_EQ(status.last(), "Chart run");
    EXPECT_EQ(c.lblMsg->text(), "Chart run");
    EXPECT_TRUE(c.timerActive());
    EXPECT_EQ(c.timerInterval(), 5000);
    EXPECT_EQ(c.Charttime(), 5000);
    EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::Run), 1);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::Run), 1);
    EXPECT_EQ(c.plotState().PlotX, 1);  // long span: one unit per sample
    EXPECT_EQ(c.plotState().PlotCount, 1);
    const QRgb pen = rgbOf(state.ChartFile_Data.PvColor(3));
    for (int y = 0; y < 3800 / 15; ++y) ASSERT_NE(pixel(0, y), pen) << y;
    for (QWidget* w : std::initializer_list<QWidget*>{c.optShort, c.optLong, c.lblSH, c.lblSL, c.updSH, c.UpDown1,
                                                      c.updChartitv, c.cmdChartsel, c.cmdRUN})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(c.cmdStop->isEnabled());
    // A second start while running only plots: the first value fed is the
    // pen's first level, with no stroke up from the axis.
    c.setPvCaption(3, "200");
    ++state.PvLog_State.Replies;  // the line answered meanwhile
    c.cmdRUN_Click();
    EXPECT_EQ(c.plotState().PlotCount, 2);
    EXPECT_EQ(pixel(0, 1900 / 15), pen);
    for (int y = 1900 / 15 + 2; y < 3800 / 15; ++y) ASSERT_NE(pixel(0, y), pen) << y;
}

TEST_F(ChartTest, StopWritesSpanCycleAndFlagToBothFiles) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.selection().SvPlot[0] = 1;
    c.setPvCaption(0, "100");
    c.setSvCaption(0, "200");
    c.cmdRUN_Click();
    ASSERT_TRUE(c.running());
    const QRgb drawn = pixel(0, 1900 / 15);
    EXPECT_EQ(drawn, rgbOf(state.ChartFile_Data.SvColor(0)));
    state.ChartFile_Data.Chart_XLong = 0;  // what stop writes comes from memory
    state.ChartFile_Data.Chart_Cycle = 9;
    c.cmdStop_Click();
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(c.timerActive());
    EXPECT_EQ(status.last(), "Chart standby");
    for (ChartSide side : {ChartSide::Pv, ChartSide::Sv}) {
        EXPECT_EQ(rec(side, ChartRecord::XLong), 0);
        EXPECT_EQ(rec(side, ChartRecord::Cycle), 9);
        EXPECT_EQ(rec(side, ChartRecord::Run), 0);
    }
    EXPECT_TRUE(c.cmdRUN->isEnabled());
    EXPECT_TRUE(c.lblSH->isEnabled());
    EXPECT_EQ(pixel(0, 1900 / 15), drawn);  // the picture stays
    // Stop in standby does nothing.
    status.clear();
    c.cmdStop_Click();
    EXPECT_TRUE(status.isEmpty());
}

TEST_F(ChartTest, FilesThatCannotBeWrittenAreToldOncePerRunOfFailures) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.selection().SvPlot[0] = 1;
    const QString pv = chartFilePath(tmp.path(), ChartSide::Pv);
    const auto block = [&] { ASSERT_TRUE(QFile::remove(pv) && QDir().mkdir(pv)); };  // a folder in its place
    block();
    c.cmdRUN_Click();
    c.cmdStop_Click();
    QCoreApplication::processEvents();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].contains(QDir::toNativeSeparators(pv))) << ui.messages[0].toStdString();
    // The chart went on, and the SV file took what the PV file could not.
    EXPECT_FALSE(c.running());
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::Run), 0);
    // Mended: the run of failures ends; a new one is told again.
    QDir().rmdir(pv);
    c.cmdRUN_Click();
    EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::Run), 1);
    block();
    c.cmdStop_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(ChartTest, PlotEndsAtTheWidthOfTheBox) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.setXScaleShort(true);
    c.selection().PvPlot[1] = 1;
    c.auto_run();  // sample 1 at X 15
    for (int i = 0; i < 598; ++i) c.timChart_Timer();
    EXPECT_TRUE(c.running());
    EXPECT_EQ(c.plotState().PlotX, 8985);
    EXPECT_TRUE(ui.messages.empty());
    c.timChart_Timer();  // the 600th tick reaches 9000
    EXPECT_FALSE(c.running());
    EXPECT_FALSE(c.timerActive());
    EXPECT_EQ(ui.messages, std::vector<QString>{"Plot end"});
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::Run), 0);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::Run), 0);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::XLong), 0);
    EXPECT_TRUE(c.cmdChartsel->isEnabled());
    c.timChart_Timer();  // standby: nothing more
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ChartTest, ACycleOfZeroGivesNoTickStorm) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.setXScaleTime("0");
    c.selection().PvPlot[0] = 1;
    c.auto_run();
    EXPECT_TRUE(c.running());
    EXPECT_EQ(c.Charttime(), 0);
    EXPECT_FALSE(c.timerActive());
    c.cmdStop_Click();
}

TEST_F(ChartTest, ScalePropertiesAndAxes) {
    Korvel_ChartCtl& c = *chart;
    changed.clear();
    c.setXScaleTime("2");
    EXPECT_EQ(c.Charttime(), 0);  // takes effect at the next ScaleSet
    c.setYScaleHigh("401");
    EXPECT_EQ(state.YHigh_Now, 401);
    EXPECT_EQ(c.Charttime(), 2000);
    EXPECT_EQ(c.lblYscal[1]->text(), "200.5");
    EXPECT_EQ(c.lblXscal[10]->text(), "300");  // long span: 15 x 10 x 2 minutes
    EXPECT_TRUE(changed.contains("YScaleHigh"));
    EXPECT_TRUE(changed.contains("XScaleTime"));
    // Grid of 4 divisions: a light grey line at 950, the axis at 3792.
    EXPECT_EQ(pixel(310, 950 / 15), qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(pixel(310, 3792 / 15), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(310, 500 / 15), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(300, 500 / 15), qRgb(0xC0, 0xC0, 0xC0));  // the vertical line at 4500
    // Selecting the short span writes record 96 and rebuilds the texts.
    c.setXScaleShort(true);
    EXPECT_FALSE(c.XScaleLong());
    EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::XLong), 0);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::XLong), 0);
    EXPECT_EQ(state.ChartFile_Data.Chart_XLong, 0);
    EXPECT_EQ(c.lblXscal[10]->text(), "20");
    // Putting False only clears the one option.
    c.setXScaleShort(false);
    EXPECT_FALSE(c.XScaleShort());
    EXPECT_FALSE(c.XScaleLong());
    c.setXScaleLong(true);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::XLong), 1);
}

TEST_F(ChartTest, UpDownSteps) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.picCanbus->drawStrokes({{4650, 2000, 2000, 0x0000FF}});
    ASSERT_EQ(pixel(310, 133), qRgb(255, 0, 0));
    struct Case {
        UpDown* ud;
        int dir;
        QLabel* label;
        QString shown;
        int record;
        qint32 stored;
    };
    const Case cases[] = {
        {c.updChartitv, 1, c.lblChartitv, "6", ChartRecord::Cycle, 6},
        {c.UpDown1, 1, c.Lbl_Y, "5", ChartRecord::YDiv, 5},
        {c.updSH, -1, c.lblSH, "350", ChartRecord::YHigh, 350},
        {c.updSL, 1, c.lblSL, "50", ChartRecord::YLow, 50},
    };
    for (const Case& k : cases) {
        if (k.dir > 0)
            k.ud->stepUp();
        else
            k.ud->stepDown();
        EXPECT_EQ(k.label->text(), k.shown);
        EXPECT_EQ(rec(ChartSide::Pv, k.record), k.stored) << k.record;
        EXPECT_EQ(rec(ChartSide::Sv, k.record), k.stored) << k.record;
    }
    EXPECT_EQ(c.Charttime(), 6000);
    EXPECT_EQ(state.YHigh_Now, 350);
    EXPECT_EQ(state.YLow_Now, 50);
    EXPECT_EQ(pixel(310, 133), qRgb(255, 255, 255));  // a Y step clears the plot

    // Stepping the high down onto the low is refused silently.
    c.setYScaleLow("300");
    c.updSH->stepDown();  // 350 -> 300
    EXPECT_EQ(c.lblSH->text(), "350");
    EXPECT_EQ(state.YHigh_Now, 350);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::YHigh), 350);
    EXPECT_EQ(c.updSH->value(), 350);  // the next step starts from what is shown
    c.updSL->stepUp();  // 300 -> 350
    EXPECT_EQ(c.lblSL->text(), "300");
    EXPECT_EQ(state.YLow_Now, 300);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ChartTest, ChartScaleDialog) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    c.picCanbus->drawStrokes({{4650, 2000, 2000, 0x0000FF}});
    struct Case {
        int sel;           // 0 high (current low 0), 1 low (current high 400)
        QList<int> keys;   // digits; -1 is "+/-"
        QString message;   // "" when stored
        QString shown;     // the label afterwards
    };
    const Case cases[] = {
        {0, {2, 0, 0, 1}, "Out of the setting range.", "400"},
        {0, {0}, "Scaling setting error has occurred.", "400"},
        {0, {2, 0, 0, -1}, "Scaling setting error has occurred.", "400"},
        {0, {2, 0, 0, 0}, "", "2000"},
        {0, {4, 0, 0}, "", "400"},
        {1, {2, 0, 1, -1}, "Out of the setting range.", "0"},
        {1, {4, 0, 0}, "Scaling setting error has occurred.", "0"},
        {1, {2, 0, 0, -1}, "", "-200"},
    };
    for (const Case& k : cases) {
        ui.messages.clear();
        const int beeps = ui.beeps;
        if (k.sel == 0)
            c.lblSH_Click();
        else
            c.lblSL_Click();
        EXPECT_EQ(state.ChartScale_Sel, k.sel);
        Setting3_Disp* d = c.chartScaleDialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->Limit_data->text(), "-200 to 2000");
        EXPECT_EQ(d->Now_data->text(), k.sel == 0 ? c.lblSH->text() : c.lblSL->text());
        for (int key : k.keys) key < 0 ? d->Command1_Click() : d->Ten_key_Click(key);
        d->Command3_Click();
        const QLabel* label = k.sel == 0 ? c.lblSH : c.lblSL;
        EXPECT_EQ(label->text(), k.shown);
        if (k.message.isEmpty()) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(ui.beeps, beeps + 2);  // the opening and the stored value
            EXPECT_TRUE(d->isHidden());
            EXPECT_EQ(state.ChartScale_Sel, 0);
            const int r = k.sel == 0 ? ChartRecord::YHigh : ChartRecord::YLow;
            EXPECT_EQ(rec(ChartSide::Pv, r), k.shown.toInt());
            EXPECT_EQ(rec(ChartSide::Sv, r), k.shown.toInt());
            EXPECT_EQ(k.sel == 0 ? state.ChartFile_Data.Chart_YHigh : state.ChartFile_Data.Chart_YLow, k.shown.toInt());
        } else {
            EXPECT_EQ(ui.messages, std::vector<QString>{k.message});
            EXPECT_FALSE(d->isHidden());
            EXPECT_TRUE(d->Disp_setdata3->text().isEmpty());
            d->Command4_Click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(pixel(310, 133), qRgb(255, 0, 0));  // the dialog does not clear the plot
    EXPECT_EQ(state.YLow_Now, -200);

    // An empty entry: string 559, no beep, the dialog stays.
    c.lblSH_Click();
    Setting3_Disp* d = c.chartScaleDialog();
    ui.messages.clear();
    const int beeps = ui.beeps;
    d->Command3_Click();
    EXPECT_EQ(ui.messages, std::vector<QString>{"Check the input value."});
    EXPECT_EQ(ui.beeps, beeps);
    EXPECT_FALSE(d->isHidden());
    // Clicking the low while the dialog is open re-targets it.
    d->Ten_key_Click(7);
    c.lblSL_Click();
    EXPECT_EQ(c.chartScaleDialog(), d);
    EXPECT_EQ(state.ChartScale_Sel, 1);
    EXPECT_EQ(d->Now_data->text(), "-200");
    EXPECT_TRUE(d->Disp_setdata3->text().isEmpty());
    // Typed keys: Enter runs OK.
    for (int ch : {int('1'), int('0'), int('0'), int('-'), 13}) d->Disp_setdata3_KeyPress(ch);
    EXPECT_EQ(c.lblSL->text(), "-100");
    EXPECT_EQ(state.ChartScale_Sel, 0);
    // Cancel stores nothing and leaves the choice of limit.
    c.lblSL_Click();
    c.chartScaleDialog()->Ten_key_Click(5);
    c.chartScaleDialog()->Command4_Click();
    EXPECT_EQ(c.lblSL->text(), "-100");
    EXPECT_EQ(state.ChartScale_Sel, 1);
}

// After every refusal the digits typed next reach the entry, even when the
// box handed the keyboard to another window.
TEST_F(ChartTest, ChartScaleEntryTakesTheKeyboardBackAfterEachBox) {
    pushSettings(*chart);
    QLineEdit elsewhere;
    elsewhere.show();
    ui.duringBox = [&elsewhere] {
        elsewhere.activateWindow();
        elsewhere.setFocus();
        QCoreApplication::processEvents();
    };
    struct Case {
        const char* message;
        QList<int> keys;  // digits; -1 is "+/-"
        bool ok;          // then OK
    };
    const Case cases[] = {
        {"Scaling setting error has occurred.", {0}, true},
        {"Out of the setting range.", {3, 0, 0, 0}, true},
        {"Check the input value.", {}, true},
        {"Out of the setting range.", {9, 9, 9, 9, -1}, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message);
        ui.messages.clear();
        chart->lblSH_Click();
        Setting3_Disp* d = chart->chartScaleDialog();
        ASSERT_NE(d, nullptr);
        for (int key : k.keys) key < 0 ? d->Command1_Click() : d->Ten_key_Click(key);
        if (k.ok) d->Command3_Click();
        QCoreApplication::processEvents();
        ASSERT_EQ(ui.messages, std::vector<QString>{k.message});
        ASSERT_FALSE(elsewhere.hasFocus());
        EXPECT_EQ(QApplication::focusWidget(), d->Disp_setdata3);
        // A digit typed now goes where the keyboard is.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
        if (QWidget* target = QApplication::focusWidget()) QCoreApplication::sendEvent(target, &press);
        EXPECT_TRUE(d->Disp_setdata3->text().endsWith(u'7')) << d->Disp_setdata3->text().toStdString();
        d->Command4_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ChartTest, SelectionPanelPensAndFiles) {
    pushSettings(*chart);
    Korvel_ChartCtl& c = *chart;
    state.NoConnect(42) = 1;
    names[45] = "Zone 46";
    c.cmdChartsel_Click();
    EXPECT_FALSE(c.frmChartsel->isHidden());
    EXPECT_FALSE(c.cmdRUN->isEnabled());
    EXPECT_FALSE(c.cmdStop->isEnabled());
    c.TabStrip2->setCurrentIndex(1);
    EXPECT_EQ(c.cmdDev[5]->text(), "Zone 46");
    EXPECT_EQ(c.cmdDev1[5]->text(), "Zone 46");
    EXPECT_TRUE(c.cmdDev[2]->isHidden());
    EXPECT_TRUE(c.cmdDev1[2]->isHidden());
    // A PV button toggles its channel.
    c.cmdDev_Click(5);
    EXPECT_EQ(c.selection().PvPlot[45], 1);
    EXPECT_EQ(c.cmdDevBackColor(5), state.ChartFile_Data.PvColor(45));
    EXPECT_TRUE(c.cmdColor->isEnabled());
    EXPECT_EQ(c.selection().PenChannel, 45);
    EXPECT_EQ(c.selection().PenKind, 0);
    c.cmdDev_Click(5);
    EXPECT_EQ(c.selection().PvPlot[45], 0);
    EXPECT_EQ(c.cmdDevBackColor(5), chart::kButtonFace);
    EXPECT_FALSE(c.cmdColor->isEnabled());
    EXPECT_EQ(c.selection().PenChannel, 45);
    // Page 3 offers 15 channels.
    c.TabStrip2->setCurrentIndex(2);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(c.cmdDev[std::size_t(k)]->isHidden(), k >= 15) << k;
    // An SV pen colour: memory, button and record 86 of the SV file only.
    const ChartFileImage pvBefore = file(ChartSide::Pv);
    c.cmdDev1_Click(5);
    ui.colors = {qint32(0x123456)};
    c.cmdColor_Click();
    EXPECT_EQ(state.ChartFile_Data.SvColor(85), 0x123456);
    EXPECT_EQ(c.cmdDev1BackColor(5), 0x123456);
    EXPECT_EQ(rec(ChartSide::Sv, 86), 0x123456);
    EXPECT_EQ(file(ChartSide::Pv).bytes(), pvBefore.bytes());
    // A cancelled dialog changes nothing.
    c.cmdColor_Click();
    EXPECT_EQ(ui.colorCalls, 2);
    EXPECT_EQ(state.ChartFile_Data.SvColor(85), 0x123456);
    // The PV side of a channel paged away from: memory and file, no button.
    c.TabStrip2->setCurrentIndex(0);
    c.cmdDev_Click(7);
    c.TabStrip2->setCurrentIndex(1);
    ui.colors = {qint32(0x00AA00)};
    c.cmdColor_Click();
    EXPECT_EQ(state.ChartFile_Data.PvColor(7), 0x00AA00);
    EXPECT_EQ(rec(ChartSide::Pv, 8), 0x00AA00);
    // "Selection completed": every colour and flag of both files.
    c.cmdSelend_Click();
    EXPECT_TRUE(c.frmChartsel->isHidden());
    EXPECT_TRUE(c.cmdRUN->isEnabled());
    EXPECT_TRUE(c.cmdStop->isEnabled());
    for (int ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::PlotFlag + ch), c.selection().PvPlot[std::size_t(ch)]) << ch;
        EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::PlotFlag + ch), c.selection().SvPlot[std::size_t(ch)]) << ch;
        EXPECT_EQ(rec(ChartSide::Pv, ch + 1), state.ChartFile_Data.PvColor(ch)) << ch;
        EXPECT_EQ(rec(ChartSide::Sv, ch + 1), state.ChartFile_Data.SvColor(ch)) << ch;
    }
    EXPECT_EQ(rec(ChartSide::Pv, ChartRecord::PlotFlag + 7), 1);
    EXPECT_EQ(rec(ChartSide::Sv, ChartRecord::PlotFlag + 85), 1);
    EXPECT_EQ(c.lblPvForeColor(7), 0x00AA00);  // selected channels are recoloured
}

TEST_F(ChartTest, ColorSetLoadsTheSelections) {
    std::array<qint16, kChannels> pv{}, sv{};
    pv[2] = 1;
    pv[4] = 2;  // as found in the file: selected, as 1
    pv[7] = -1;
    sv[40] = 1;
    updateChartFile(chartFilePath(tmp.path(), ChartSide::Pv), penRecords(state.ChartFile_Data.PvColor, pv));
    updateChartFile(chartFilePath(tmp.path(), ChartSide::Sv), penRecords(state.ChartFile_Data.SvColor, sv));
    Korvel_ChartCtl& c = *chart;
    c.color_set();
    std::array<qint16, kChannels> pvLoaded = pv;
    pvLoaded[4] = 1;
    pvLoaded[7] = 1;
    EXPECT_EQ(c.selection().PvPlot, pvLoaded);
    EXPECT_EQ(c.selection().SvPlot, sv);
    EXPECT_EQ(c.cmdDevBackColor(2), state.ChartFile_Data.PvColor(2));
    EXPECT_EQ(c.cmdDevBackColor(4), state.ChartFile_Data.PvColor(4));
    EXPECT_EQ(c.cmdDevBackColor(3), chart::kButtonFace);
    EXPECT_EQ(c.lblPvForeColor(4), state.ChartFile_Data.PvColor(4));
    // A page change colours the selected buttons again, the one stored as 2 too.
    c.TabStrip2->setCurrentIndex(1);
    c.TabStrip2->setCurrentIndex(0);
    EXPECT_EQ(c.cmdDevBackColor(2), state.ChartFile_Data.PvColor(2));
    EXPECT_EQ(c.cmdDevBackColor(4), state.ChartFile_Data.PvColor(4));
    // And its pen plots.
    c.setPvCaption(4, "100");
    c.cmdRUN_Click();
    EXPECT_EQ(pixel(0, 2850 / 15), rgbOf(state.ChartFile_Data.PvColor(4)));
    c.cmdStop_Click();
    // A file that cannot be read leaves the selection in memory as it is.
    QFile::remove(chartFilePath(tmp.path(), ChartSide::Sv));
    c.color_set();
    EXPECT_EQ(c.selection().SvPlot, sv);
    EXPECT_FALSE(c.fileErrors().isEmpty());
}

TEST_F(ChartTest, PropertiesSurviveASaveAndALoad) {
    Korvel_ChartCtl& a = *chart;
    a.setPvCaption(3, "25.6");
    a.setSvCaption(94, "-1.5");
    a.setChartMaxCh(95);
    a.setCharttime(60000);
    a.setXScaleTime("60");
    a.setYScaleDivision("7");
    a.setYScaleHigh("1500");
    a.setYScaleLow("-150");
    a.setXScaleShort(true);
    changed.clear();
    a.setStatCaption(12, -5);
    EXPECT_EQ(a.statCaption(12), -5);
    EXPECT_EQ(changed, QStringList{"Stat12Caption"});
    PropertyBag bag;
    a.UserControl_WriteProperties(bag);
    EXPECT_FALSE(bag.contains("Pv0Caption"));  // equal to its default

    std::unique_ptr<Korvel_ChartCtl> b = make();
    changed.clear();
    const ChartPropertyLoad r = b->UserControl_ReadProperties(bag);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(changed.isEmpty());
    for (const ChartPropertyKey& k : chartPropertyKeys())
        EXPECT_EQ(b->namedProperty(k.name), a.namedProperty(k.name)) << k.name.toStdString();
    EXPECT_EQ(b->Charttime(), 60000);
    EXPECT_EQ(b->statCaption(12), -5);
    // The load sets members only: no plot values, no legend, no timer.
    EXPECT_TRUE(b->pvValue(3).isEmpty());
    EXPECT_EQ(b->timerInterval(), 1000);
    EXPECT_TRUE(b->lblName[0]->isHidden());
    EXPECT_EQ(b->lblMsg->text(), "Chart standby");
    EXPECT_EQ(b->lblSH->text(), "1500");
    EXPECT_EQ(b->updSH->value(), 400);  // the up-downs keep their positions

    // The initialisation puts the members back, not the controls.
    b->UserControl_InitProperties();
    EXPECT_EQ(b->pvCaption(3), "0");
    EXPECT_EQ(b->Charttime(), 0);
    EXPECT_EQ(b->statCaption(12), 0);
    EXPECT_EQ(b->YScaleHigh(), "1500");

    // By name, with conversion.
    EXPECT_TRUE(b->setNamedProperty("Stat94Caption", "-7"));
    EXPECT_EQ(b->statCaption(94), -7);
    EXPECT_FALSE(b->setNamedProperty("Stat94Caption", "many"));
    EXPECT_FALSE(b->setNamedProperty("NoSuchCaption", 1));
    EXPECT_FALSE(b->namedProperty("NoSuchCaption").isValid());
}

TEST_F(ChartTest, StartUpThroughTheMainWindow) {
    struct Case {
        bool svFile;  // an SV file from an earlier run
    };
    for (const Case k : {Case{false}, Case{true}}) {
        SCOPED_TRACE(k.svFile);
        QTemporaryDir dir;
        if (k.svFile) {
            ChartFileImage sv;
            sv.writeLong(ChartRecord::XLong, 0);
            sv.writeLong(ChartRecord::Cycle, 10);
            sv.writeLong(ChartRecord::YHigh, 800);
            sv.writeLong(ChartRecord::YLow, -150);
            sv.writeInteger(ChartRecord::Run, 1);
            sv.writeInteger(ChartRecord::YDiv, 5);
            sv.writeInteger(ChartRecord::PlotFlag + 6, 1);
            ASSERT_TRUE(writeChartFile(chartFilePath(dir.path(), ChartSide::Sv), sv));
        }
        QVX720_INC s;
        MainDisp w(s, strings, ui, dir.path());
        w.system_init();
        Korvel_ChartCtl& c = *w.Korvel_ChartCtl1;
        EXPECT_TRUE(QFile::exists(chartFilePath(dir.path(), ChartSide::Pv)));
        EXPECT_TRUE(QFile::exists(chartFilePath(dir.path(), ChartSide::Sv)));
        EXPECT_EQ(c.YScaleDivision(), k.svFile ? "5" : "4");
        EXPECT_EQ(c.XScaleLong(), !k.svFile);
        EXPECT_EQ(c.XScaleShort(), k.svFile);
        EXPECT_EQ(c.XScaleTime(), k.svFile ? "10" : "5");
        EXPECT_EQ(c.YScaleHigh(), k.svFile ? "800" : "400");
        EXPECT_EQ(c.YScaleLow(), k.svFile ? "-150" : "0");
        EXPECT_EQ(s.YLow_Now, k.svFile ? -150 : 0);
        EXPECT_EQ(c.Charttime(), k.svFile ? 10000 : 5000);
        EXPECT_EQ(c.lblXscal[1]->text(), k.svFile ? "10" : "75");
        EXPECT_EQ(c.selection().SvPlot[6], k.svFile ? 1 : 0);
        EXPECT_EQ(w.Chart_Run, k.svFile ? 1 : 0);
        EXPECT_FALSE(c.running());  // the link restarts it after its first scan
        EXPECT_EQ(s.ChartFile_Data.PvColor(80), 0x0000FF);
        EXPECT_EQ(s.ChartFile_Data.SvColor(94), 0xC000C0);
    }
}

TEST_F(ChartTest, StartUpGivesDefaultsForValuesTheControlsDoNotAllow) {
    QTemporaryDir dir;
    ChartFileImage sv;
    sv.writeLong(ChartRecord::Cycle, 0);
    sv.writeLong(ChartRecord::YHigh, 100);
    sv.writeLong(ChartRecord::YLow, 300);
    sv.writeInteger(ChartRecord::YDiv, 100);
    ASSERT_TRUE(writeChartFile(chartFilePath(dir.path(), ChartSide::Sv), sv));
    QVX720_INC s;
    MainDisp w(s, strings, ui, dir.path());
    w.system_init();
    Korvel_ChartCtl& c = *w.Korvel_ChartCtl1;
    EXPECT_EQ(c.XScaleTime(), "5");
    EXPECT_EQ(c.YScaleDivision(), "4");
    EXPECT_EQ(c.YScaleHigh(), "400");
    EXPECT_EQ(c.YScaleLow(), "0");
    // The up-downs stand on the values shown, so a step starts from them.
    EXPECT_EQ(c.updChartitv->value(), 5);
    EXPECT_EQ(c.UpDown1->value(), 4);
    EXPECT_EQ(c.updSH->value(), 400);
    EXPECT_EQ(c.updSL->value(), 0);
}
