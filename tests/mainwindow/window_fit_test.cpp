// Values that show whole in both string tables, and a main window that fits
// the screen with its pages scrolling rather than squeezed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QGroupBox>
#include <QRadioButton>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <limits>
#include <memory>
#include <set>
#include <vector>

#include "display_rules.h"
#include "field_label.h"
#include "fit_scroll_area.h"
#include "maindisp.h"
#include "setting_entry.h"
#include "setting_items.h"
#include "test_support.h"

namespace qvx {
namespace {

constexpr StringTable::Language kLanguages[] = {StringTable::Language::English, StringTable::Language::Japanese};

class WindowFitTest : public ::testing::Test {
protected:
    void SetUp() override { test::app(); }
    MainDisp& make(StringTable::Language language) {
        w.reset();
        state = std::make_unique<QVX720_INC>();
        strings = StringTable::builtIn(language);
        w = std::make_unique<MainDisp>(*state, strings, ui, QStringLiteral("/opt/qvx"));
        return *w;
    }
    static bool whole(const QLabel* l) {
        const auto* f = qobject_cast<const FieldLabel*>(l);
        return f && f->showsWhole();
    }
    std::unique_ptr<QVX720_INC> state;
    StringTable strings;
    test::ScriptedUi ui;
    std::unique_ptr<MainDisp> w;
};

// Every value each all-channels page box can be given: what its selection
// dialog stores, or the ends of the 16-bit range.
TEST_F(WindowFitTest, AllChannelsPageShowsEveryValueWhole) {
    for (auto language : kLanguages) {
        MainDisp& m = make(language);
        m.show();
        m.SSTab2->setCurrentIndex(5);
        QApplication::processEvents();
        for (int i = 0; i < kAllPageIndexes; ++i) {
            if (!allPageHasRow(i)) continue;
            const int k = i + 10;
            const SelectFrame f = selectFrameOf(k, SelectWindow::Page);
            QList<qint16> values;
            for (int o = 0; o < optionCount(f); ++o) values << optionValue(f, o);
            if (values.isEmpty())
                values << std::numeric_limits<qint16>::min() << std::numeric_limits<qint16>::max();
            for (qint16 v : values) {
                state->AllPage_Data.AllParaData(k) = v;
                m.SelectDispItem();
                EXPECT_FALSE(m.Setdata_Para2[i]->text().isEmpty()) << int(language) << " item " << k << " = " << v;
                EXPECT_TRUE(whole(m.Setdata_Para2[i]))
                    << int(language) << " item " << k << ": " << m.Setdata_Para2[i]->text().toStdString();
            }
        }
    }
}

// Rows in every state the reason rules look at, each item of the list in turn.
TEST_F(WindowFitTest, SettingGridShowsEveryReasonWhole) {
    for (auto language : kLanguages) {
        MainDisp& m = make(language);
        for (int row = 0; row < 18; ++row) {
            const int ch = row;
            state->NoConnect(ch) = 0;
            state->Monitor_Data.Connect_Code(ch) = row == 17 ? 0 : 1;
            state->ParaData(ch, Item::AutoTuning) = row == 16 ? 1 : 0;
            const int combo = row % 16;
            state->Monitor_Data.OptionData(ch) = (combo & 1) ? 0x7FFF : 0;
            state->ParaData(ch, 12) = (combo >> 1) & 1;
            for (int action : {39, 40, 58, 59}) state->ParaData(ch, action) = (combo >> 2) & 1;
            state->ParaData(ch, Item::InputType) = (combo & 8) ? 30 : 0;
        }
        m.show();
        m.Option1[0]->setChecked(true);
        m.SSTab2->setCurrentIndex(2);
        QApplication::processEvents();
        std::set<QString> reasons;
        for (int listRow = 0; listRow < kSettingRows; ++listRow) {
            m.Select_Command->setCurrentRow(listRow);
            m.SelectDispItem();
            for (int i = 0; i < 18; ++i) {
                for (QLabel* l : {m.settin_inf[i], m.Select_comand[i]}) {
                    if (!l->isVisibleTo(m.Frame_main)) continue;
                    EXPECT_TRUE(whole(l)) << int(language) << " list row " << listRow << " row " << i << ": "
                                          << l->text().toStdString();
                }
                if (!m.settin_inf[i]->text().isEmpty()) reasons.insert(m.settin_inf[i]->text());
            }
        }
        // Every reason of the table was shown and measured.
        std::set<QString> all;
        for (int id : {222, 223, 224, 225, 226, 227, 228, 267, 270, 271, 272}) all.insert(strings.text(id));
        EXPECT_EQ(reasons, all) << int(language);
    }
}

// The window's place for a frame known or not yet drawn: the whole window
// within the area, the designed size where it fits with the frame, else the
// whole area.
TEST(PlaceWindow, KeepsTheFrameWithinTheArea) {
    const QSize designed(MainDisp::kDesignedWidth, MainDisp::kDesignedHeight);
    const QMargins guess(8, 32, 8, 16);
    const struct {
        const char* name;
        QRect available;
        QMargins frame, unknownFrame;
        QPoint framePos;
        bool maximized;
    } cases[] = {
        {"title bar on a screen of the designed size", {0, 0, 1280, 800}, {1, 20, 1, 4}, {}, {0, 0}, true},
        {"title bar on 1024x768", {0, 0, 1024, 768}, {4, 24, 4, 4}, {}, {100, 100}, true},
        {"frame not drawn yet, screen of the designed size", {0, 0, 1280, 800}, {}, guess, {0, 0}, true},
        {"no frame ever, screen of the designed size", {0, 0, 1280, 800}, {}, {}, {0, 0}, false},
        {"panel at the top, no frame", {0, 24, 1280, 776}, {}, {}, {0, 0}, true},
        {"large screen, frame beyond the bottom right", {0, 0, 1920, 1080}, {1, 20, 1, 4}, {}, {1000, 600}, false},
        {"large screen beside another, left of it", {1920, 0, 1920, 1080}, {1, 20, 1, 4}, guess, {0, 0}, false},
        {"just room for the window and its frame", {0, 0, 1282, 824}, {1, 20, 1, 4}, {}, {5, 5}, false},
    };
    for (const auto& c : cases) {
        const WindowPlace p = placeWindow(c.available, designed, c.frame, c.framePos, c.unknownFrame);
        EXPECT_EQ(p.maximized, c.maximized) << c.name;
        EXPECT_TRUE(c.available.contains(p.frame)) << c.name;
        EXPECT_EQ(p.frame.marginsRemoved(c.frame), p.client) << c.name;
        if (p.maximized) {
            EXPECT_EQ(p.frame, c.available) << c.name;
        } else {
            EXPECT_EQ(p.client.size(), designed) << c.name;
            // A frame already within the area stays where it is.
            if (c.available.contains(QRect(c.framePos, p.frame.size()))) {
                EXPECT_EQ(p.frame.topLeft(), c.framePos) << c.name;
            }
        }
    }
}

// The window, its frame included, within the available area; its pages keep
// their size and every control is reached by scrolling. The test platform
// draws a frame and maximizes over its own screen, which is smaller than the
// design: an area too small for the designed window is that screen's. With
// room for the designed size and the frame nothing scrolls.
TEST_F(WindowFitTest, MainWindowFitsTheScreen) {
    for (auto language : kLanguages) {
        MainDisp& m = make(language);
        m.show();
        QApplication::processEvents();
        const QSize whole = QSize(MainDisp::kDesignedWidth, MainDisp::kDesignedHeight).grownBy(m.windowFrame());
        const QRect screenArea = m.screen()->availableGeometry();
        ASSERT_TRUE(screenArea.width() < whole.width() || screenArea.height() < whole.height());
        const struct {
            QRect available;
            bool scrolls;
        } screens[] = {
            {screenArea, true},
            {QRect(QPoint(0, 0), whole), false},
            {QRect(QPoint(1300, 900), whole + QSize(300, 200)), false},  // the window is moved into it
            {QRect(0, 0, 1920, 1080), false},
        };
        m.setCommErrorVisible(true);
        for (const auto& s : screens) {
            m.fitToScreen(s.available);
            QApplication::processEvents();
            const QString where = QStringLiteral("%1 %2x%3").arg(int(language)).arg(s.available.width()).arg(
                s.available.height());
            EXPECT_TRUE(s.available.contains(m.frameGeometry())) << where.toStdString();
            EXPECT_LE(m.width(), MainDisp::kDesignedWidth);
            EXPECT_LE(m.height(), MainDisp::kDesignedHeight);
            // The error badge stays in sight, whatever part of the page is shown.
            EXPECT_TRUE(m.centralWidget()->rect().contains(m.Text_readmsg2->geometry())) << where.toStdString();
            for (int t = 0; t < m.SSTab2->count(); ++t) {
                m.SSTab2->setCurrentIndex(t);
                QApplication::processEvents();
                FitScrollArea* area = m.pageArea(t);
                QWidget* page = area->widget();
                const QSize need = page->minimumSizeHint();
                EXPECT_GE(page->width(), need.width()) << where.toStdString() << " tab " << t;
                EXPECT_GE(page->height(), need.height()) << where.toStdString() << " tab " << t;
                const bool bars = area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible();
                EXPECT_EQ(bars, s.scrolls) << where.toStdString() << " tab " << t;
            }
            // The fifth column of panels and the Transmit button are brought into sight.
            const struct {
                int tab;
                QWidget* target;
            } targets[] = {{0, m.Frame_All[4]}, {0, m.Frame_All[19]}, {5, m.Command2[2]}};
            for (const auto& [tab, target] : targets) {
                m.SSTab2->setCurrentIndex(tab);
                QApplication::processEvents();
                FitScrollArea* area = m.pageArea(tab);
                area->ensureWidgetVisible(target, 0, 0);
                const QRect inView(target->mapTo(area->viewport(), QPoint(0, 0)), target->size());
                EXPECT_TRUE(area->viewport()->rect().contains(inView)) << where.toStdString();
            }
        }
    }
}

// Shown as the start-up scan ends, on a screen smaller than the design: the
// whole window lies on the screen, and a page scrolled to its far corner
// leaves the menus, the page tabs, the error badge and the status bar where
// they were, whole within the window.
TEST_F(WindowFitTest, TabsAndStatusBarStayInSightWhileThePageScrolls) {
    for (auto language : kLanguages) {
        MainDisp& m = make(language);
        m.setCommErrorVisible(true);
        m.startUpScanDone();
        QApplication::processEvents();
        const QRect available = m.screen()->availableGeometry();
        EXPECT_TRUE(available.contains(m.frameGeometry())) << int(language);
        const auto inWindow = [&m](const QWidget* w) { return QRect(w->mapTo(&m, QPoint(0, 0)), w->size()); };
        const QWidget* fixed[] = {m.menuBar(), m.SSTab2->tabBar(), m.Text_readmsg2, m.StatusBar1};
        for (int t = 0; t < m.SSTab2->count(); ++t) {
            m.SSTab2->setCurrentIndex(t);
            QApplication::processEvents();
            std::vector<QRect> before;
            for (const QWidget* w : fixed) before.push_back(inWindow(w));
            QScrollBar* down = m.pageArea(t)->verticalScrollBar();
            QScrollBar* across = m.pageArea(t)->horizontalScrollBar();
            ASSERT_GT(down->maximum() + across->maximum(), 0) << int(language) << " tab " << t << " does not scroll";
            down->setValue(down->maximum());
            across->setValue(across->maximum());
            QApplication::processEvents();
            for (size_t i = 0; i < std::size(fixed); ++i) {
                EXPECT_TRUE(fixed[i]->isVisible()) << int(language) << " tab " << t << " part " << i;
                EXPECT_EQ(inWindow(fixed[i]), before[i]) << int(language) << " tab " << t << " part " << i;
                EXPECT_TRUE(m.rect().contains(inWindow(fixed[i]))) << int(language) << " tab " << t << " part " << i;
            }
            const QRect tab = m.SSTab2->tabBar()->tabRect(t).translated(inWindow(m.SSTab2->tabBar()).topLeft());
            EXPECT_TRUE(m.rect().contains(tab)) << int(language) << " tab " << t;
        }
    }
}

}  // namespace
}  // namespace qvx
