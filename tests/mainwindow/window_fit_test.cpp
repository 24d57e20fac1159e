// Values that show whole in both string tables, and a main window that fits
// the screen with its tabs scrolling rather than squeezed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QGroupBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <limits>
#include <memory>
#include <set>

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

// The window within the screen's available area; its tabs keep their size
// and every control is reached by scrolling. At the designed size nothing
// scrolls.
TEST_F(WindowFitTest, MainWindowFitsTheScreen) {
    const struct {
        QRect available;
        bool scrolls;
    } screens[] = {
        {QRect(0, 0, 1024, 768), true},
        {QRect(40, 30, 800, 600), true},
        {QRect(0, 0, 1280, 800), false},
        {QRect(0, 0, 1920, 1080), false},
    };
    for (auto language : kLanguages) {
        MainDisp& m = make(language);
        m.show();
        m.setCommErrorVisible(true);
        for (const auto& s : screens) {
            m.fitToScreen(s.available);
            QApplication::processEvents();
            const QString where = QStringLiteral("%1 %2x%3").arg(int(language)).arg(s.available.width()).arg(
                s.available.height());
            EXPECT_TRUE(s.available.contains(m.geometry())) << where.toStdString();
            EXPECT_LE(m.width(), MainDisp::kDesignedWidth);
            EXPECT_LE(m.height(), MainDisp::kDesignedHeight);
            FitScrollArea* area = m.tabsArea();
            QWidget* tabs = area->widget();
            // The error badge stays in sight, whatever part of the tabs is shown.
            EXPECT_TRUE(area->viewport()->geometry().contains(m.Text_readmsg2->geometry())) << where.toStdString();
            for (int t = 0; t < m.SSTab2->count(); ++t) {
                m.SSTab2->setCurrentIndex(t);
                QApplication::processEvents();
                const QSize need = tabs->minimumSizeHint();
                EXPECT_GE(tabs->width(), need.width()) << where.toStdString() << " tab " << t;
                EXPECT_GE(tabs->height(), need.height()) << where.toStdString() << " tab " << t;
                const bool bars = area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible();
                EXPECT_EQ(bars, s.scrolls) << where.toStdString() << " tab " << t;
            }
            // The fifth column of panels and the Transmit button are brought into sight.
            m.SSTab2->setCurrentIndex(0);
            QApplication::processEvents();
            for (QWidget* target : {static_cast<QWidget*>(m.Frame_All[4]), static_cast<QWidget*>(m.Frame_All[19])}) {
                area->ensureWidgetVisible(target, 0, 0);
                const QRect inView(target->mapTo(area->viewport(), QPoint(0, 0)), target->size());
                EXPECT_TRUE(area->viewport()->rect().contains(inView)) << where.toStdString();
            }
            m.SSTab2->setCurrentIndex(5);
            QApplication::processEvents();
            area->ensureWidgetVisible(m.Command2[2], 0, 0);
            const QRect inView(m.Command2[2]->mapTo(area->viewport(), QPoint(0, 0)), m.Command2[2]->size());
            EXPECT_TRUE(area->viewport()->rect().contains(inView)) << where.toStdString();
        }
    }
}

}  // namespace
}  // namespace qvx
