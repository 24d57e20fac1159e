#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "korvel_chartctl.h"
#include "maindisp.h"
#include "opuningdisp.h"
#include "setting_items.h"
#include "subdisp_alarm.h"
#include "subdisp_saveload.h"
#include "test_support.h"

namespace qvx {
namespace {

class MainDispTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        // Values that the load must replace.
        state.Edit_Context.Set_Item = 0;
        state.Poll_Cursor.Poll_Ch = 7;
        state.Poll_Cursor.Poll_Phase = 3;
    }
    MainDisp& make(const StringTable& t) {
        strings = t;
        w = std::make_unique<MainDisp>(state, strings, ui, QStringLiteral("/opt/qvx"));
        return *w;
    }
    static int visiblePair(const MainDisp& m) {
        int found = -1;
        for (int n = 0; n < 3; ++n) {
            const bool v1 = m.Frame_sub1[n]->isVisibleTo(m.Frame_main);
            const bool v2 = m.Frame_sub2[n]->isVisibleTo(m.Frame_main);
            EXPECT_EQ(v1, v2) << "pair " << n;
            if (v1) {
                EXPECT_EQ(found, -1) << "two pairs visible";
                found = n;
            }
        }
        return found;
    }

    QVX720_INC state;
    StringTable strings;
    test::ScriptedUi ui;
    std::unique_ptr<MainDisp> w;
};

TEST_F(MainDispTest, HelpFileChosenByMakerText) {
    const struct { const char* text2; const char* suffix; } cases[] = {
        {"KORVEL MERIDAX CO., LTD.", "/PWS-QVX07R_E.html"},
        {"Korvel Meridax Co., Ltd.", "/PWS-QVX07R_J.html"},
        {"SOME OTHER MAKER", "/PWS-QVX07R_J.html"},
    };
    for (auto c : cases) {
        MainDisp& m = make(test::numberedTable(QString::fromUtf8(c.text2)));
        EXPECT_EQ(m.HelpFile_Path(), QStringLiteral("/opt/qvx") + QString::fromUtf8(c.suffix)) << c.text2;
    }
}

TEST_F(MainDispTest, TheOpeningFormTellsOfASilentLineInTheScan) {
    MainDisp& m = make(test::numberedTable(QStringLiteral("maker")));
    OpuningDisp* opening = m.opening();
    opening->show();
    for (bool silent : {true, false, true}) {
        m.setCommErrorVisible(silent);
        EXPECT_EQ(opening->Label_commerror->isVisible(), silent);
    }
    EXPECT_EQ(opening->Label_commerror->text(), strings.text(451));
}

TEST_F(MainDispTest, LoadFillsItemCodesPollCursorAndCommObject) {
    MainDisp& m = make(test::numberedTable());
    EXPECT_EQ(state.ParaAddr(10), QStringLiteral("0001"));
    EXPECT_EQ(state.ParaAddr(63), QStringLiteral("0050"));
    EXPECT_EQ(state.ParaAddr(66), QStringLiteral("0053"));
    EXPECT_EQ(state.ParaAddr(0), QStringLiteral("0080"));
    EXPECT_EQ(state.Poll_Cursor.Poll_Ch, 0);
    EXPECT_EQ(state.Poll_Cursor.Poll_Phase, 0);
    ASSERT_NE(m.comm(), nullptr);
    EXPECT_FALSE(m.isVisible());
}

TEST_F(MainDispTest, SettingItemListHasTheItemNamesAndSelectsRowZero) {
    MainDisp& m = make(test::numberedTable());
    ASSERT_EQ(m.Select_Command->count(), 56);
    for (int row = 0; row < 56; ++row)
        EXPECT_EQ(m.Select_Command->item(row)->text(), strings.text(101 + row)) << row;
    EXPECT_EQ(m.Select_Command->currentRow(), 0);
    EXPECT_EQ(state.Edit_Context.Set_Item, 10);
    EXPECT_EQ(m.Frame_main->title(), strings.text(101));
    EXPECT_EQ(visiblePair(m), 0);
}

TEST_F(MainDispTest, SelectingARowSetsItemAndEntryFrame) {
    MainDisp& m = make(test::numberedTable());
    const struct { int row, item, pair; } cases[] = {
        {1, 11, 2}, {42, 49, 2}, {49, 54, 1}, {14, 62, 0}, {53, 63, 1}, {55, 66, 1}, {0, 10, 0}, {18, 27, 0}};
    for (auto c : cases) {
        m.Select_Command->setCurrentRow(c.row);
        EXPECT_EQ(state.Edit_Context.Set_Item, c.item) << c.row;
        EXPECT_EQ(m.Frame_main->title(), strings.text(101 + c.row)) << c.row;
        EXPECT_EQ(visiblePair(m), c.pair) << c.row;
    }
}

TEST_F(MainDispTest, SettingItemListShowsEveryRowWhole) {
    for (auto language : {StringTable::Language::English, StringTable::Language::Japanese}) {
        MainDisp& m = make(StringTable::builtIn(language));
        m.show();
        m.SSTab2->setCurrentIndex(2);
        QApplication::processEvents();
        QListWidget* list = m.Select_Command;
        ASSERT_EQ(list->count(), 56);
        for (int row = 0; row < list->count(); ++row)
            EXPECT_LE(list->sizeHintForIndex(list->model()->index(row, 0)).width(), list->viewport()->width())
                << int(language) << " row " << row << ": " << list->item(row)->text().toStdString();
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << int(language);
    }
}

TEST_F(MainDispTest, ClickingARowRunsTheSelectionOnce) {
    // Every run of the selection hides the entry frames and shows the pair
    // of the item again.
    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show) ++shows;
            return false;
        }
    } counter;
    MainDisp& m = make(test::numberedTable());
    m.show();
    m.SSTab2->setCurrentIndex(2);
    QApplication::processEvents();
    ASSERT_TRUE(m.Frame_sub1[0]->isVisible());
    m.Frame_sub1[0]->installEventFilter(&counter);
    QListWidget* list = m.Select_Command;
    const QPoint at = list->visualItemRect(list->item(18)).center();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(at), list->viewport()->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &e);
    }
    EXPECT_EQ(list->currentRow(), 18);
    EXPECT_EQ(state.Edit_Context.Set_Item, 27);
    EXPECT_EQ(counter.shows, 1);
    m.Frame_sub1[0]->removeEventFilter(&counter);
}

TEST_F(MainDispTest, MainTabChangeRestoresTheListItem) {
    MainDisp& m = make(test::numberedTable());
    m.Select_Command->setCurrentRow(32);
    state.Edit_Context.Set_Item = 29;  // a setting button elsewhere chose another item
    m.SSTab2->setCurrentIndex(2);
    EXPECT_EQ(state.Edit_Context.Set_Item, 58);
    EXPECT_EQ(visiblePair(m), 1);
}

TEST_F(MainDispTest, LoggingIntervalList) {
    MainDisp& m = make(StringTable::builtIn(StringTable::Language::English));
    const QStringList expected = {"10 sec", "30 sec", "1 min", "5 min", "10 min", "15 min", "30 min", "1 h"};
    ASSERT_EQ(m.Logging_time->count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(m.Logging_time->itemText(i), expected[i]) << i;
    EXPECT_EQ(m.Logging_time->currentIndex(), 0);
}

TEST_F(MainDispTest, AllChannelsPageButtonsCarryItemNames) {
    MainDisp& m = make(test::numberedTable());
    int buttons = 0;
    for (int i = 0; i < 54; ++i) {
        const bool exists = m.Cmd_change2[i] != nullptr;
        EXPECT_EQ(exists, i != 1 && i != 8 && i != 44) << i;
        EXPECT_EQ(m.Option_Check[i] != nullptr, exists) << i;
        EXPECT_EQ(m.Setdata_Para2[i] != nullptr, exists) << i;
        if (exists) ++buttons;
    }
    EXPECT_EQ(buttons, 51);
    const struct { int index, id; } sample[] = {{0, 101},  {2, 103},  {7, 108},  {9, 110},  {13, 114},
                                                {14, 116}, {30, 132}, {31, 135}, {43, 147}, {45, 151},
                                                {47, 153}, {48, 133}, {49, 134}, {50, 148}, {51, 149},
                                                {52, 115}, {53, 154}};
    for (auto s : sample) EXPECT_EQ(m.Cmd_change2[s.index]->text(), strings.text(s.id)) << s.index;
}

TEST_F(MainDispTest, CaptionsComeFromTheTable) {
    MainDisp& m = make(StringTable::builtIn(StringTable::Language::English));
    EXPECT_EQ(m.windowTitle(), QStringLiteral("QVX-720 Monitoring software"));
    EXPECT_EQ(m.statusPanelText(2), QStringLiteral("Logging standby"));
    EXPECT_EQ(m.statusPanelText(3), QStringLiteral("Chart standby"));
    EXPECT_EQ(m.SSTab2->count(), 6);
    EXPECT_EQ(m.SSTab2->tabText(5), QStringLiteral("All channels"));
    EXPECT_EQ(m.Text_readmsg2->text(), QStringLiteral("Communication error"));
    EXPECT_FALSE(m.Text_readmsg2->isVisibleTo(&m));
    EXPECT_FALSE(m.Text_readmsg3->isVisibleTo(&m));
    EXPECT_EQ(m.Check1->text(), QStringLiteral("Continue to save data "));
    EXPECT_EQ(m.mnuTime->title(), QStringLiteral("Time out period selection(&T)"));
    EXPECT_EQ(m.mnuEnd->text(), QStringLiteral("End(&E)"));
    for (int j : {0, 1, 4, 5, 6, 8, 9, 10, 13}) EXPECT_EQ(m.Label1[j]->text(), QStringLiteral("Sec")) << j;
    EXPECT_EQ(m.Label1[3]->text(), QStringLiteral("Min"));
    for (QPushButton* b : m.Command_OUT) EXPECT_EQ(b->text(), QStringLiteral("Control OUT/OFF"));
    EXPECT_EQ(m.Label_oth[0]->text(), strings.text(118));
    EXPECT_EQ(m.Label_oth[16]->text(), strings.text(155));
    EXPECT_EQ(m.TabStrip1->count(), 5);
    EXPECT_EQ(m.TabStrip1->tabText(4), QStringLiteral("81 to 95"));
}

TEST_F(MainDispTest, TimeoutMenuKeepsExactlyOneMark) {
    MainDisp& m = make(test::numberedTable());
    for (int n = 1; n <= 14; ++n) ASSERT_TRUE(m.mnuTime1[n]->isCheckable()) << n;
    EXPECT_EQ(m.mnuTime1[11]->text(), QStringLiteral("1500 msec(&A)"));
    for (int choice = 1; choice <= 14; ++choice) {
        m.checkTimeoutMenu(choice);
        int checked = 0;
        for (int n = 1; n <= 14; ++n) checked += m.mnuTime1[n]->isChecked() ? 1 : 0;
        EXPECT_EQ(checked, 1) << choice;
        EXPECT_TRUE(m.mnuTime1[choice]->isChecked()) << choice;
    }
    // A choice outside 1..14 leaves the marks as they are.
    for (int bad : {0, 15, -1}) {
        m.checkTimeoutMenu(bad);
        EXPECT_TRUE(m.mnuTime1[14]->isChecked()) << bad;
    }
}

TEST_F(MainDispTest, TimeoutEntrySetsChoiceAndComm) {
    MainDisp& m = make(test::numberedTable());
    m.mnuTime1[11]->trigger();
    EXPECT_EQ(state.Time_Count, 11);
    EXPECT_EQ(m.comm()->timeOut(), 1500);
    for (int n = 1; n <= 14; ++n) EXPECT_EQ(m.mnuTime1[n]->isChecked(), n == 11) << n;
    // Clicking the checked entry again keeps it checked.
    m.mnuTime1[11]->trigger();
    EXPECT_TRUE(m.mnuTime1[11]->isChecked());
}

TEST_F(MainDispTest, KeyOperationMessageShowsBeepsAndHidesAgain) {
    MainDisp& m = make(test::numberedTable());
    m.showKeyOperationMessage();
    EXPECT_TRUE(m.Text_readmsg3->isVisibleTo(&m));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(m.Timer3->isActive());
    EXPECT_EQ(m.Timer3->interval(), 2000);
    m.Timer3_Timer();
    EXPECT_FALSE(m.Text_readmsg3->isVisibleTo(&m));
    EXPECT_FALSE(m.Timer3->isActive());
}

TEST_F(MainDispTest, CommErrorBoxFollowsTheLink) {
    MainDisp& m = make(test::numberedTable());
    m.setCommErrorVisible(true);
    EXPECT_TRUE(m.Text_readmsg2->isVisibleTo(&m));
    m.setCommErrorVisible(false);
    EXPECT_FALSE(m.Text_readmsg2->isVisibleTo(&m));
}

TEST_F(MainDispTest, DataClearQuestion) {
    MainDisp& m = make(test::numberedTable());
    ui.answers = {UiSeam::Answer::Yes, UiSeam::Answer::No};
    EXPECT_TRUE(m.confirmDataClear());
    EXPECT_FALSE(m.confirmDataClear());
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, strings.text(60));
    EXPECT_TRUE(ui.boxes[0].title.isEmpty());
    EXPECT_EQ(ui.boxes[0].icon, UiSeam::Icon::Question);
    EXPECT_EQ(ui.boxes[0].buttons, UiSeam::Buttons::YesNo);
}

TEST_F(MainDispTest, StatusPanels) {
    MainDisp& m = make(test::numberedTable());
    m.setStatusPanel(1, QStringLiteral("NG"));
    m.setStatusPanel(4, QStringLiteral("busy"));
    m.setStatusPanel(0, QStringLiteral("x"));
    m.setStatusPanel(5, QStringLiteral("x"));
    EXPECT_EQ(m.statusPanelText(1), QStringLiteral("NG"));
    EXPECT_EQ(m.statusPanelText(2), strings.text(18));
    EXPECT_EQ(m.statusPanelText(3), strings.text(20));
    EXPECT_EQ(m.statusPanelText(4), QStringLiteral("busy"));
}

TEST_F(MainDispTest, ClosingAsksTheUnloadHandler) {
    MainDisp& m = make(test::numberedTable());
    m.show();
    int asked = 0;
    bool cancel = true;
    m.setUnloadHandler([&](bool& c) {
        ++asked;
        c = cancel;
    });
    EXPECT_FALSE(m.close());
    EXPECT_TRUE(m.isVisible());
    m.mnuEnd->trigger();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(asked, 2);
    cancel = false;
    m.mnuEnd->trigger();
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(asked, 3);  // File > End asks once, the close that follows does not ask again
}

TEST_F(MainDispTest, AllChannelsBoxes) {
    MainDisp& m = make(test::numberedTable());
    const struct { int set, read; bool enabled; } cases[] = {{1, 1, true}, {2, 2, false}, {0, 0, false}, {1, 1, true}};
    for (auto c : cases) {
        m.setOptionCheckValue(5, c.set);
        EXPECT_EQ(m.optionCheckValue(5), c.read);
        EXPECT_EQ(m.Cmd_change2[5]->isEnabled(), c.enabled) << c.set;
        EXPECT_EQ(m.Setdata_Para2[5]->isEnabled(), c.enabled) << c.set;
    }
    for (int missing : {1, 8, 44, -1, 54}) {
        m.setOptionCheckValue(missing, 1);
        EXPECT_EQ(m.optionCheckValue(missing), 0) << missing;
    }
}

TEST_F(MainDispTest, LoggingBoxes) {
    MainDisp& m = make(test::numberedTable());
    m.setLogBoxChecked(94, true);
    m.setLogBoxEnabled(3, false);
    EXPECT_TRUE(m.logBoxChecked(94));
    EXPECT_FALSE(m.logBoxChecked(0));
    EXPECT_FALSE(m.log_Check1[3]->isEnabled());
    EXPECT_FALSE(m.logBoxChecked(95));
    m.setLogFileCaption(QStringLiteral("/tmp/a.csv"));
    EXPECT_EQ(m.Savename_text->text(), QStringLiteral("/tmp/a.csv"));
}

TEST_F(MainDispTest, ScanProgressAndStartUpDone) {
    for (qint16 chartRun : {qint16(0), qint16(1)}) {
        MainDisp& m = make(test::numberedTable());
        OpuningDisp* o = m.opening();
        o->show();
        m.setScanProgress(40);
        EXPECT_EQ(o->ProgressBar1->value(), 40);
        m.Chart_Run = chartRun;
        m.Korvel_ChartCtl1->selection().PvPlot[0] = 1;  // recording needs a plotted channel
        m.startUpScanDone();
        EXPECT_FALSE(m.openingExists());
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(m.Korvel_ChartCtl1->running(), chartRun != 0);
        m.setScanProgress(95);  // the form is gone: nothing to move, nothing breaks
        m.hide();
    }
}

// The exit save's logging file name: as the store held it until the window
// shows its caption (an exit during the start-up scan, or under the
// communication dialog), what the window shows from then on.
TEST_F(MainDispTest, ExitSaveKeepsTheLoggingFileNameUntilTheWindowShowsIt) {
    const QString plant = QStringLiteral("/plant/Logging/line 1.csv");
    const struct {
        const char* what;
        bool stored;          // "Log_Filename" = plant at start
        bool shown;           // the window shown after the scan
        const char* caption;  // caption set afterwards (nullptr: none)
        bool savedKey;        // the key in the store after the exit save
        QString saved;
    } rows[] = {
        {"exit before the window, name stored", true, false, nullptr, true, plant},
        {"exit before the window, none stored", false, false, nullptr, false, {}},
        {"window shown, logging not resumed", true, true, nullptr, true, plant},
        {"operator picked a file", true, true, "/tmp/new.csv", true, QStringLiteral("/tmp/new.csv")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("s.ini")));
        if (row.stored) {
            ASSERT_TRUE(store.save(QStringLiteral("Log_Filename"), plant));
        }
        MainDisp& m = make(test::numberedTable());
        m.regRead(loadPreferences(store));
        if (row.shown) m.startUpScanDone();
        if (row.caption) m.setLogFileCaption(QString::fromUtf8(row.caption));
        Preferences p;
        m.gatherExitPreferences(p);
        ASSERT_TRUE(saveExitPreferences(store, p));
        const SettingsStore reread(dir.filePath(QStringLiteral("s.ini")));
        EXPECT_EQ(reread.contains(QStringLiteral("Log_Filename")), row.savedKey);
        EXPECT_EQ(reread.read(QStringLiteral("Log_Filename"), QStringLiteral("-")), row.savedKey ? row.saved : QStringLiteral("-"));
        m.hide();
    }
}

TEST_F(MainDispTest, PageSelections) {
    MainDisp& m = make(test::numberedTable());
    state.NoConnect(83) = 1;
    m.TabStrip1->setCurrentIndex(4);
    m.Option2[0]->setChecked(true);
    EXPECT_EQ(m.Frame_All[0]->title(), QStringLiteral("Ch81"));
    EXPECT_FALSE(m.Frame_All[3]->isVisibleTo(&m));
    EXPECT_TRUE(m.Frame_All[4]->isVisibleTo(&m));
    EXPECT_EQ(m.Frame_All[15]->title(), QStringLiteral("Ch16"));  // rows 15..19 untouched on the last page
    m.Option2[2]->setChecked(true);
    EXPECT_FALSE(m.TabStrip1->isVisibleTo(&m));
    EXPECT_TRUE(m.Frame4->isVisibleTo(&m));
    EXPECT_FALSE(m.Frame3->isVisibleTo(&m));
    EXPECT_FALSE(m.Frame5->isVisibleTo(&m));
    for (QGroupBox* f : m.Frame_All) EXPECT_FALSE(f->isVisibleTo(&m));
    m.Option1[3]->setChecked(true);
    EXPECT_EQ(m.label_setdata[0]->text(), QStringLiteral("Ch61"));
    EXPECT_EQ(m.label_setdata[19]->text(), QStringLiteral("Ch80"));
}

TEST_F(MainDispTest, NeighbourWindows) {
    MainDisp& m = make(test::numberedTable());
    m.setCommDialogPort(QStringLiteral("COM4"));
    m.setCommDialogSpeed(QStringLiteral("19200"));
    SubDisp_comm* d = m.commDialog();
    EXPECT_FALSE(d->isVisible());  // loaded hidden by setting its texts
    EXPECT_EQ(d->Combo_Port->currentText(), QStringLiteral("COM4"));
    EXPECT_EQ(d->Combo_Rate->currentText(), QStringLiteral("19200"));
    QString port;
    m.setCommAcceptHandler([&](const QString& p, const QString&, int) { port = p; });
    m.showCommDialog();
    EXPECT_TRUE(d->isVisible());
    d->Command1->click();
    EXPECT_EQ(port, QStringLiteral("COM4"));
    EXPECT_FALSE(d->isVisible());

    m.mnuColor->trigger();
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(m.alarmDialog()->isVisible());
    m.mnuSave_CH->trigger();
    EXPECT_TRUE(m.saveLoadDialog()->isVisible());
}

}  // namespace
}  // namespace qvx
