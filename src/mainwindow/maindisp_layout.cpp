// The main window's design: every control, its place and its look. Captions
// that come from the string table are set by the load, not here.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QButtonGroup>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "bargr.h"
#include "field_label.h"
#include "lamp.h"
#include "maindisp.h"
#include "mv_bergraph.h"
#include "setting_items.h"
#include "value_texts.h"

namespace qvx {

namespace {

// Lays every child over the whole area; only one of them is meant to be visible.
class OverlayArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override {
        QSize s;
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) s = s.expandedTo(w->sizeHint());
        return s;
    }
    QSize minimumSizeHint() const override {
        QSize s;
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            s = s.expandedTo(w->minimumSizeHint());
        return s;
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) w->setGeometry(rect());
    }
};

constexpr int kRowHeight = 24;
constexpr int kGridSpacing = 12;  // between the rows of the setting display

QString indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

// The texts that items of a channel can show, for boxes that show several items.
QStringList channelTexts(const StringTable& st, std::initializer_list<int> items) {
    QStringList texts;
    for (int k : items) texts << channelValueTexts(st, k);
    return texts;
}

// Widens a value field so that each of texts shows whole.
void widen(QLabel* field, const QStringList& texts) {
    if (auto* f = qobject_cast<FieldLabel*>(field)) f->widenFor(texts);
}

// A value field: fixed size, sunken, white; a new text never moves anything.
FieldLabel* valueField(QWidget* parent, int width, Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
    auto* l = new FieldLabel(parent);
    l->setFixedSize(width, kRowHeight - 2);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Base);
    l->setAlignment(align);
    l->setIndent(4);
    return l;
}

// A dark instrument display for PV and SV.
QLabel* displayField(QWidget* parent, QSize size, const QColor& fg, qreal pointSize) {
    auto* l = new QLabel(parent);
    l->setFixedSize(size);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x17, 0x1f));
    pal.setColor(QPalette::WindowText, fg);
    l->setPalette(pal);
    QFont f = l->font();
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(pointSize);
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setIndent(6);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

QLabel* unitField(QWidget* parent, const QString& text = {}, int width = 44) {
    auto* l = new QLabel(text, parent);
    l->setFixedWidth(width);
    return l;
}

FieldLabel* reasonField(QWidget* parent, int width) {
    auto* l = new FieldLabel(parent);
    l->setFixedSize(width, kRowHeight - 2);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor(0xa0, 0x1c, 0x1c));
    l->setPalette(pal);
    return l;
}

QPushButton* rowButton(QWidget* parent, int width, const QString& text = {}) {
    auto* b = new QPushButton(text, parent);
    b->setFixedSize(width, kRowHeight);
    return b;
}

// The font of w with its weight set explicitly, so that children of a bold
// frame title do not inherit the bold weight.
QFont plainFont(const QWidget* w) {
    QFont f = w->font();
    f.setBold(false);
    return f;
}

QFont boldFont(const QWidget* w, qreal scale = 1.0) {
    QFont f = w->font();
    f.setBold(true);
    if (scale != 1.0) f.setPointSizeF(f.pointSizeF() * scale);
    return f;
}

}  // namespace

// ---- menus ----------------------------------------------------------------------------

void MainDisp::buildMenus() {
    QMenuBar* bar = menuBar();
    auto named = [](QAction* a, const char* name) {
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnuFile = bar->addMenu(QString());
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnupsel = named(mnuFile->addAction(QString()), "mnupsel");
    mnuFilePrint = named(mnuFile->addAction(QString()), "mnuFilePrint");
    numlin1 = named(mnuFile->addSeparator(), "numlin1");
    mnuEnd = named(mnuFile->addAction(QString()), "mnuEnd");

    mnuSetting = bar->addMenu(QString());
    mnuSetting->setObjectName(QStringLiteral("mnuSetting"));
    mnuCHname = named(mnuSetting->addAction(QString()), "mnuCHname");
    mnuColor = named(mnuSetting->addAction(QString()), "mnuColor");
    mnuClear = named(mnuSetting->addAction(QString()), "mnuClear");
    mnuTime = mnuSetting->addMenu(QString());
    mnuTime->setObjectName(QStringLiteral("mnuTime"));
    // Fixed captions of the design; entry n stands for time-out choice n.
    static const char* const kTimeCaptions[kTimeoutChoices] = {
        "100 msec(&Q)", "200 msec(&W)", "300 msec(&E)", "400 msec(&R)", "500 msec(&T)",
        "600 msec(&Y)", "700 msec(&U)", "800 msec(&I)", "900 msec(&O)", "1000 msec(&P)",
        "1500 msec(&A)", "2000 msec(&S)", "3000 msec(&D)", "4000 msec(&F)"};
    for (int n = 1; n <= kTimeoutChoices; ++n) {
        mnuTime1[n] = mnuTime->addAction(QString::fromLatin1(kTimeCaptions[n - 1]));
        mnuTime1[n]->setObjectName(indexed("mnuTime1", n));
        mnuTime1[n]->setCheckable(true);
    }

    mnuUser = bar->addMenu(QString());
    mnuUser->setObjectName(QStringLiteral("mnuUser"));
    mnuSave = mnuUser->addMenu(QString());
    mnuSave->setObjectName(QStringLiteral("mnuSave"));
    mnuSave_CH = named(mnuSave->addAction(QString()), "mnuSave_CH");
    mnuSave_ALL = named(mnuSave->addAction(QString()), "mnuSave_ALL");
    numlin2 = named(mnuUser->addSeparator(), "numlin2");
    numhyst = named(mnuUser->addAction(QString()), "numhyst");

    numhelp = bar->addMenu(QString());
    numhelp->setObjectName(QStringLiteral("numhelp"));
    numhelp2 = named(numhelp->addAction(QString()), "numhelp2");
    numlin3 = named(numhelp->addSeparator(), "numlin3");
    numabout = named(numhelp->addAction(QString()), "numabout");
}

// ---- tab 0: 20-channel panels and bar-graph pages -------------------------------------------

void MainDisp::buildMainDisplay(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);

    Frame6 = new QGroupBox(page);
    Frame6->setObjectName(QStringLiteral("Frame6"));
    auto* opts = new QHBoxLayout(Frame6);
    opts->setContentsMargins(10, 4, 10, 4);
    opts->setSpacing(22);
    auto* group2 = new QButtonGroup(Frame6);
    for (int i = 0; i < 4; ++i) {
        Option2[i] = new QRadioButton(Frame6);
        Option2[i]->setObjectName(indexed("Option2", i));
        group2->addButton(Option2[i], i);
        opts->addWidget(Option2[i]);
    }
    opts->addStretch();
    v->addWidget(Frame6);

    TabStrip1 = new QTabBar(page);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    for (const char* t : {"1 to 20", "21 to 40", "41 to 60", "61 to 80", "81 to 95"})
        TabStrip1->addTab(QString::fromLatin1(t));
    TabStrip1->setExpanding(false);
    {
        QSizePolicy sp = TabStrip1->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        TabStrip1->setSizePolicy(sp);
    }
    v->addWidget(TabStrip1);

    auto* area = new OverlayArea(page);
    v->addWidget(area, 1);

    // The 20 panels, five across and four down.
    auto* panels = new QWidget(area);
    auto* grid = new QGridLayout(panels);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    for (int i = 0; i < kPanels; ++i) {
        auto* f = new QGroupBox(panels);
        Frame_All[i] = f;
        f->setObjectName(indexed("Frame_All", i));
        f->setFont(boldFont(f));
        QSizePolicy sp = f->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        f->setSizePolicy(sp);
        auto* g = new QGridLayout(f);
        g->setContentsMargins(8, 6, 8, 6);
        g->setHorizontalSpacing(6);
        g->setVerticalSpacing(4);
        const QFont normal = plainFont(page);
        Label_PV[i] = new QLabel(QStringLiteral("PV"), f);
        Label_SV[i] = new QLabel(QStringLiteral("SV"), f);
        DispPv[i] = displayField(f, QSize(132, 34), QColor(0x5d, 0xf2, 0x8a), normal.pointSizeF() * 1.9);
        DispSv[i] = displayField(f, QSize(132, 22), QColor(0xff, 0xc1, 0x4d), normal.pointSizeF() * 1.15);
        Label_Unit[i] = unitField(f, QString(), 52);
        for (QLabel* l : {Label_PV[i], Label_SV[i], Label_Unit[i]}) l->setFont(normal);
        DispPv[i]->setObjectName(indexed("DispPv", i));
        DispSv[i]->setObjectName(indexed("DispSv", i));
        Label_Unit[i]->setObjectName(indexed("Label_Unit", i));
        g->addWidget(Label_PV[i], 0, 0);
        g->addWidget(DispPv[i], 0, 1);
        g->addWidget(Label_Unit[i], 0, 2, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
        g->addWidget(Label_SV[i], 1, 0);
        g->addWidget(DispSv[i], 1, 1);
        auto* lamps = new QHBoxLayout;
        lamps->setSpacing(2);
        QFont lampFont = normal;
        lampFont.setPointSizeF(normal.pointSizeF() - 1);
        auto lamp = [&](const char* text, const char* name) {
            auto* l = new Lamp(QString::fromLatin1(text), Lamp::Shape::Rectangle, f);
            l->setFont(lampFont);
            l->setObjectName(indexed(name, i));
            lamps->addWidget(l);
            return l;
        };
        Label_at[i] = lamp("AT", "Label_at");
        Label_A1[i] = lamp("A1", "Label_A1");
        Label_A2[i] = lamp("A2", "Label_A2");
        Label_A3[i] = lamp("A3", "Label_A3");
        Label_A4[i] = lamp("A4", "Label_A4");
        Label_HB[i] = lamp("HB", "Label_HB");
        Label_LP[i] = lamp("LP", "Label_LP");
        Label_SB[i] = lamp("SB", "Label_SB");
        lamps->addStretch();
        g->setRowStretch(2, 1);
        g->addLayout(lamps, 3, 0, 1, 3);
        g->setColumnStretch(3, 1);
        grid->addWidget(f, i / 5, i % 5);
    }
    for (int c = 0; c < 5; ++c) grid->setColumnStretch(c, 1);
    for (int r = 0; r < 4; ++r) grid->setRowStretch(r, 1);

    // The three bar-graph pages, 20 bars a row.
    auto barPage = [&](const char* caption, const char* name, int lo, int hi) {
        auto* f = new QGroupBox(QString::fromLatin1(caption), area);
        f->setObjectName(QLatin1String(name));
        auto* g = new QGridLayout(f);
        g->setContentsMargins(8, 8, 8, 8);
        g->setHorizontalSpacing(4);
        g->setVerticalSpacing(10);
        for (int ch = lo; ch <= hi; ++ch) {
            BarGr1[ch] = new BarGr(f);
            BarGr1[ch]->setObjectName(indexed("BarGr1", ch));
            g->addWidget(BarGr1[ch], (ch - lo) / 20, (ch - lo) % 20);
        }
        for (int c = 0; c < 20; ++c) g->setColumnStretch(c, 1);
        g->setRowStretch(0, 1);
        g->setRowStretch(1, 1);
        f->hide();
        return f;
    };
    Frame3 = barPage("1 to 40", "Frame3", 0, 39);
    Frame4 = barPage("41 to 80", "Frame4", 40, 79);
    Frame5 = barPage("81 to 95", "Frame5", 80, 94);
}

// ---- tab 1: one channel -------------------------------------------------------------------

void MainDisp::buildOneChannel(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);
    auto* top = new QHBoxLayout;
    Label15 = new QLabel(page);
    tb3_CHName = new QComboBox(page);
    tb3_CHName->setObjectName(QStringLiteral("tb3_CHName"));
    tb3_CHName->setMinimumWidth(200);
    top->addWidget(Label15);
    top->addWidget(tb3_CHName);
    top->addStretch();
    v->addLayout(top);

    auto* area = new OverlayArea(page);
    v->addWidget(area, 1);
    Label_notConnect = new QLabel(area);
    Label_notConnect->setObjectName(QStringLiteral("Label_notConnect"));
    Label_notConnect->setAlignment(Qt::AlignCenter);
    Label_notConnect->setFont(boldFont(Label_notConnect, 1.3));
    auto* content = new QWidget(area);
    auto* h = new QHBoxLayout(content);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(8);
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    h->addLayout(left);

    // Control information.
    Frame1 = new QGroupBox(content);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    for (int j = 0; j < 18; ++j) {
        Label_CF[j] = unitField(nullptr);
        Label_CF[j]->setObjectName(indexed("Label_CF", j));
    }
    auto unitLabel1 = [&](int j, QWidget* parent, int width = 40) {
        Label1[j] = unitField(parent, QString(), width);
        Label1[j]->setObjectName(indexed("Label1", j));
        return Label1[j];
    };
    {
        auto* g = new QGridLayout(Frame1);
        g->setContentsMargins(10, 8, 10, 8);
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(3);
        const qreal pt = page->font().pointSizeF();
        Text_PV = displayField(Frame1, QSize(150, 44), QColor(0x5d, 0xf2, 0x8a), pt * 2.3);
        Text_PV->setObjectName(QStringLiteral("Text_PV"));
        Text_SV = displayField(Frame1, QSize(150, 30), QColor(0xff, 0xc1, 0x4d), pt * 1.5);
        Text_SV->setObjectName(QStringLiteral("Text_SV"));
        Label_CF[0]->setParent(Frame1);
        Label_CF[1]->setParent(Frame1);
        Command_1channe_sv = rowButton(Frame1, 64, QStringLiteral("SV"));
        Command_1channe_sv->setObjectName(QStringLiteral("Command_1channe_sv"));
        g->addWidget(new QLabel(QStringLiteral("PV"), Frame1), 0, 0);
        g->addWidget(Text_PV, 0, 1);
        g->addWidget(Label_CF[0], 0, 2);
        g->addWidget(new QLabel(QStringLiteral("SV"), Frame1), 1, 0);
        g->addWidget(Text_SV, 1, 1);
        g->addWidget(Label_CF[1], 1, 2);
        g->addWidget(Command_1channe_sv, 1, 3);
        Label11 = new QLabel(Frame1);
        Label11->setObjectName(QStringLiteral("Label11"));
        Label11->setFixedHeight(kRowHeight);
        g->addWidget(Label11, 2, 1, 1, 3);
        auto* lamps = new QHBoxLayout;
        lamps->setSpacing(6);
        Lamp_up = new Lamp(QString(), Lamp::Shape::Circle, Frame1);
        Lamp_down = new Lamp(QString(), Lamp::Shape::Circle, Frame1);
        Label12 = new QLabel(Frame1);
        Label13 = new QLabel(Frame1);
        lamps->addWidget(Lamp_up);
        lamps->addWidget(Label12);
        lamps->addSpacing(16);
        lamps->addWidget(Lamp_down);
        lamps->addWidget(Label13);
        lamps->addStretch();
        g->addLayout(lamps, 3, 1, 1, 3);
        Label_HEETCOOL = new QLabel(Frame1);
        Label_HEETCOOL->setObjectName(QStringLiteral("Label_HEETCOOL"));
        Label_HEETCOOL->setFixedHeight(kRowHeight);
        g->addWidget(Label_HEETCOOL, 4, 1, 1, 3);
        Label_OUTOFF = valueField(Frame1, 150, Qt::AlignCenter);
        Label_OUTOFF->setObjectName(QStringLiteral("Label_OUTOFF"));
        tb3_OUTOFF = rowButton(Frame1, 128, m_strings.text(313));
        tb3_OUTOFF->setObjectName(QStringLiteral("tb3_OUTOFF"));
        g->addWidget(Label_OUTOFF, 5, 1);
        g->addWidget(tb3_OUTOFF, 5, 2, 1, 2, Qt::AlignLeft);
        auto* at = new QHBoxLayout;
        at->setSpacing(6);
        Lamp_AT = new Lamp(QString(), Lamp::Shape::Circle, Frame1);
        Label_atm = new QLabel(Frame1);
        at->addWidget(Lamp_AT);
        at->addWidget(Label_atm);
        at->addStretch();
        Cmd_AT = rowButton(Frame1, 128, QStringLiteral("AT ON/OFF"));
        Cmd_AT->setObjectName(QStringLiteral("Cmd_AT"));
        g->addLayout(at, 6, 1);
        g->addWidget(Cmd_AT, 6, 2, 1, 2, Qt::AlignLeft);
        auto* alm = new QHBoxLayout;
        for (int j = 0; j < 2; ++j) {
            Cmd_Alm[j] = new QPushButton(Frame1);
            Cmd_Alm[j]->setObjectName(indexed("Cmd_Alm", j));
            Cmd_Alm[j]->setMinimumWidth(120);
            alm->addWidget(Cmd_Alm[j]);
        }
        alm->addStretch();
        g->addLayout(alm, 7, 1, 1, 3);
        g->setColumnStretch(4, 1);
    }
    left->addWidget(Frame1);

    // Output manipulated variables.
    Frame2 = new QGroupBox(content);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setAutoFillBackground(true);
    {
        auto* g = new QGridLayout(Frame2);
        g->setContentsMargins(10, 8, 10, 8);
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(3);
        Label_mv = new QLabel(Frame2);
        Label_mvb = new QLabel(Frame2);
        for (int j = 0; j < 4; ++j) {
            Label19[j] = new QLabel(Frame2);
            Label19[j]->setObjectName(indexed("Label19", j));
            Label21[j] = unitField(Frame2, QStringLiteral("%"), 24);
            Label21[j]->setObjectName(indexed("Label21", j));
        }
        for (int j = 0; j < 2; ++j) {
            Text_MV[j] = valueField(Frame2, 72);
            Text_MV[j]->setObjectName(indexed("Text_MV", j));
            Lamp_CONT[j] = new Lamp(QString(), Lamp::Shape::Circle, Frame2);
            Lamp_CONT[j]->setObjectName(indexed("Lamp_CONT", j));
        }
        Label58 = unitField(Frame2, QStringLiteral("%"), 24);
        Text_ohl = valueField(Frame2, 72);
        Text_oll = valueField(Frame2, 72);
        Text_ohlb = valueField(Frame2, 72);
        Text_ollb = valueField(Frame2, 72);
        MV_BerGraph1 = new MV_BerGraph(Frame2);
        MV_BerGraph1->setObjectName(QStringLiteral("MV_BerGraph1"));
        MV_BerGraph2 = new MV_BerGraph(Frame2);
        MV_BerGraph2->setObjectName(QStringLiteral("MV_BerGraph2"));
        Label_mv->setFont(boldFont(Label_mv));
        Label_mvb->setFont(boldFont(Label_mvb));

        int r = 0;
        g->addWidget(Label_mv, r++, 0, 1, 4);
        g->addWidget(Lamp_CONT[0], r, 0, Qt::AlignRight);
        g->addWidget(Text_MV[0], r, 1);
        g->addWidget(unitField(Frame2, QStringLiteral("%"), 24), r++, 2);
        g->addWidget(MV_BerGraph1, r++, 0, 1, 4);
        g->addWidget(Label19[0], r, 0, 1, 1);
        g->addWidget(Text_ohl, r, 1);
        g->addWidget(Label21[0], r++, 2);
        g->addWidget(Label19[1], r, 0, 1, 1);
        g->addWidget(Text_oll, r, 1);
        g->addWidget(Label21[1], r++, 2);
        auto* sep = new QFrame(Frame2);
        sep->setFrameShape(QFrame::HLine);
        sep->setFrameShadow(QFrame::Sunken);
        g->addWidget(sep, r++, 0, 1, 4);
        g->addWidget(Label_mvb, r++, 0, 1, 4);
        g->addWidget(Lamp_CONT[1], r, 0, Qt::AlignRight);
        g->addWidget(Text_MV[1], r, 1);
        g->addWidget(Label58, r++, 2);
        g->addWidget(MV_BerGraph2, r++, 0, 1, 4);
        g->addWidget(Label19[2], r, 0, 1, 1);
        g->addWidget(Text_ohlb, r, 1);
        g->addWidget(Label21[2], r++, 2);
        g->addWidget(Label19[3], r, 0, 1, 1);
        g->addWidget(Text_ollb, r, 1);
        g->addWidget(Label21[3], r++, 2);
        g->setColumnStretch(3, 1);
        g->setRowStretch(r, 1);
    }
    left->addWidget(Frame2, 1);

    // Alarm information and other information.
    SSTab1 = new QTabWidget(content);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAutoFillBackground(true);
    h->addWidget(SSTab1, 1);
    auto* alarmPage = new QWidget;
    auto* otherPage = new QWidget;
    SSTab1->addTab(alarmPage, QString());
    SSTab1->addTab(otherPage, QString());

    // A frame of name / value / unit rows.
    auto rowsFrame = [&](QWidget* parent, const char* name) {
        auto* f = new QGroupBox(parent);
        f->setObjectName(QLatin1String(name));
        auto* g = new QGridLayout(f);
        g->setContentsMargins(10, 6, 10, 6);
        g->setHorizontalSpacing(6);
        g->setVerticalSpacing(4);
        g->setColumnStretch(1, 1);
        return std::pair{f, g};
    };
    // A value without a unit may reach into the unit's column.
    auto addRow = [&](QGridLayout* g, int r, QLabel* name, QLabel* value, QLabel* unit, int valueSpan = 1) {
        name->setWordWrap(true);
        name->setMinimumWidth(136);
        g->addWidget(name, r, 1);
        g->addWidget(value, r, 2, 1, valueSpan, Qt::AlignLeft);
        if (unit) {
            unit->setParent(value->parentWidget());
            g->addWidget(unit, r, 3);
        }
    };
    {
        auto* grid = new QGridLayout(alarmPage);
        grid->setContentsMargins(8, 8, 8, 8);
        grid->setSpacing(8);
        struct AlarmGroup {
            QGroupBox** frame;
            Lamp** lamp;
            QLabel** names;
            QLabel** values;
            int rows;
            const char* frameName;
            const char* valueName;
            std::array<QLabel*, 3> units;
        };
        const AlarmGroup groups[4] = {
            {&Frame_Alarm1, &Lamp_Alm1, Label_Alm1.data(), Label_A1val.data(), 6, "Frame_Alarm1", "Label_A1val",
             {Label_CF[2], Label_CF[3], nullptr}},
            {&Frame_Alarm2, &Lamp_Alm2, Label_Alm2.data(), Label_A2val.data(), 5, "Frame_Alarm2", "Label_A2val",
             {Label_CF[4], Label_CF[5], nullptr}},
            {&Frame_Alarm3, &Lamp_Alm3, Label_Alm3.data(), Label_A3val.data(), 5, "Frame_Alarm3", "Label_A3val",
             {Label_CF[11], Label_CF[12], nullptr}},
            {&Frame_Alarm4, &Lamp_Alm4, Label_Alm4.data(), Label_A4val.data(), 5, "Frame_Alarm4", "Label_A4val",
             {Label_CF[14], Label_CF[15], nullptr}},
        };
        const int secLabels[4] = {0, 1, 4, 5};
        constexpr int kActionRow = 4;  // the alarm type, the longest value of a group
        for (int a = 0; a < 4; ++a) {
            auto [f, g] = rowsFrame(alarmPage, groups[a].frameName);
            *groups[a].frame = f;
            *groups[a].lamp = new Lamp(QString(), Lamp::Shape::Circle, f);
            g->addWidget(*groups[a].lamp, 0, 0, Qt::AlignTop);
            for (int j = 0; j < groups[a].rows; ++j) {
                groups[a].names[j] = new QLabel(f);
                groups[a].values[j] = valueField(f, 150);
                groups[a].values[j]->setObjectName(indexed(groups[a].valueName, j));
                QLabel* unit = j < 2 ? groups[a].units[j] : j == 2 ? unitLabel1(secLabels[a], f) : nullptr;
                addRow(g, j, groups[a].names[j], groups[a].values[j], unit, j == kActionRow ? 2 : 1);
            }
            g->setColumnMinimumWidth(3, 34);
            g->setRowStretch(groups[a].rows, 1);
            grid->addWidget(f, a / 2, a % 2);
        }
        // Heater burnout and actuator short circuit.
        {
            auto [f, g] = rowsFrame(alarmPage, "Frame_HB");
            Frame_HB = f;
            for (int j = 0; j < 4; ++j) {
                Lamp_Alm_HB[j] = new Lamp(QString(), Lamp::Shape::Circle, f);
                Lamp_Alm_HB[j]->setObjectName(indexed("Lamp_Alm_HB", j));
                Label_Alm_HB[j] = new QLabel(f);
            }
            for (int j = 0; j < 2; ++j) {
                Label_HBval[j] = valueField(f, 150);
                Label_HBval[j]->setObjectName(indexed("Label_HBval", j));
                Lbl_CT1[j] = valueField(f, 150);
                Lbl_CT1[j]->setObjectName(indexed("Lbl_CT1", j));
            }
            Label_CT1[0] = new QLabel(QStringLiteral("CT1"), f);
            Label_CT1[1] = unitField(f, QStringLiteral("A"), 40);
            Label_CT2[0] = new QLabel(QStringLiteral("CT2"), f);
            Label_CT2[1] = unitField(f, QStringLiteral("A"), 40);
            g->addWidget(Lamp_Alm_HB[0], 0, 0);
            addRow(g, 0, Label_Alm_HB[0], Label_HBval[0], unitLabel1(2, f));
            Label1[2]->setText(QStringLiteral("A"));
            g->addWidget(Lamp_Alm_HB[1], 1, 0);
            addRow(g, 1, Label_Alm_HB[1], Label_HBval[1], unitLabel1(11, f));
            Label1[11]->setText(QStringLiteral("A"));
            addRow(g, 2, Label_CT1[0], Lbl_CT1[0], Label_CT1[1]);
            addRow(g, 3, Label_CT2[0], Lbl_CT1[1], Label_CT2[1]);
            g->addWidget(Lamp_Alm_HB[2], 4, 0);
            g->addWidget(Label_Alm_HB[2], 4, 1, 1, 3);
            g->addWidget(Lamp_Alm_HB[3], 5, 0);
            g->addWidget(Label_Alm_HB[3], 5, 1, 1, 3);
            g->setColumnMinimumWidth(3, 34);
            g->setRowStretch(6, 1);
            grid->addWidget(f, 2, 0);
        }
        // Loop break.
        {
            auto [f, g] = rowsFrame(alarmPage, "Frame_LP");
            Frame_LP = f;
            Lamp_Alm_LP = new Lamp(QString(), Lamp::Shape::Circle, f);
            g->addWidget(Lamp_Alm_LP, 0, 0, Qt::AlignTop);
            for (int j = 0; j < 2; ++j) {
                Label_Alm_LP[j] = new QLabel(f);
                Label_LPval[j] = valueField(f, 150);
                Label_LPval[j]->setObjectName(indexed("Label_LPval", j));
            }
            addRow(g, 0, Label_Alm_LP[0], Label_LPval[0], unitLabel1(3, f));
            addRow(g, 1, Label_Alm_LP[1], Label_LPval[1], nullptr);
            g->setColumnMinimumWidth(3, 34);
            g->setRowStretch(2, 1);
            grid->addWidget(f, 2, 1);
        }
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(3, 1);
    }
    {
        auto* hOther = new QHBoxLayout(otherPage);
        hOther->setContentsMargins(8, 8, 8, 8);
        hOther->setSpacing(8);
        auto [fo, go] = rowsFrame(otherPage, "Frame_Other");
        Frame_Other = fo;
        // Units of the rows: proportional band, times and the scaling rows.
        QLabel* units[17] = {};
        units[1] = Label_CF[13];
        units[2] = unitLabel1(6, fo);
        units[3] = unitLabel1(8, fo);
        units[4] = unitLabel1(9, fo);
        units[6] = Label_CF[6];
        units[7] = Label_CF[7];
        units[8] = Label_CF[8];
        units[9] = unitLabel1(13, fo);
        units[10] = Label_CF[9];
        units[14] = Label_CF[17];
        for (int j = 0; j < 17; ++j) {
            Label_oth[j] = new QLabel(fo);
            Label_oth[j]->setObjectName(indexed("Label_oth", j));
            Label_othval[j] = valueField(fo, 150);
            Label_othval[j]->setObjectName(indexed("Label_othval", j));
            addRow(go, j, Label_oth[j], Label_othval[j], units[j]);
        }
        go->setColumnMinimumWidth(3, 34);
        auto* otherColumn = new QVBoxLayout;
        otherColumn->addWidget(fo);
        otherColumn->addStretch();
        hOther->addLayout(otherColumn, 3);

        auto [fc, gc] = rowsFrame(otherPage, "Frame_Cool");
        Frame_Cool = fc;
        QLabel* coolUnits[5] = {nullptr, nullptr, unitLabel1(10, fc), Label_CF[10], Label_CF[16]};
        for (int j = 0; j < 5; ++j) {
            Label_cool[j] = new QLabel(fc);
            Label_cool[j]->setObjectName(indexed("Label_cool", j));
            Label_coolval[j] = valueField(fc, 150);
            Label_coolval[j]->setObjectName(indexed("Label_coolval", j));
            addRow(gc, j, Label_cool[j], Label_coolval[j], coolUnits[j]);
        }
        gc->setColumnMinimumWidth(3, 34);
        gc->setRowStretch(5, 1);
        auto* coolColumn = new QVBoxLayout;
        coolColumn->addWidget(fc);
        coolColumn->addStretch();
        hOther->addLayout(coolColumn, 2);
    }
    // Unit labels that found no row stay unparented until here.
    for (QLabel* l : Label_CF)
        if (!l->parentWidget()) l->setParent(content);

    // Every value box as wide as the longest text it can be given.
    widen(Label_OUTOFF, {m_strings.text(317), m_strings.text(318)});
    widen(Text_MV[0], channelValueTexts(m_strings, 1));
    widen(Text_MV[1], channelValueTexts(m_strings, 2));
    for (QLabel* l : {Text_ohl, Text_oll, Text_ohlb, Text_ollb}) widen(l, channelTexts(m_strings, {32, 33, 36, 37}));
    // The boxes of the two information pages share one width.
    // The alarm types reach into the unit column.
    const QStringList infoTexts =
        channelTexts(m_strings, {19, 41, 45, 51, 52, 20, 42, 46, 53, 21, 43, 47, 60, 22, 44, 48, 61, 23, 62, 4, 5, 24,
                                 25, 26, 12, 14, 15, 16, 57, 29, 30, 27, 31, 34, 66, 18, 50, 56, 63, 35, 13, 17, 38, 28});
    const QStringList alarmTypes = channelTexts(m_strings, {39, 40, 58, 59});
    for (const auto& group : {Label_A2val, Label_A3val, Label_A4val})
        for (QLabel* l : group) widen(l, l == group[4] ? alarmTypes : infoTexts);
    for (QLabel* l : Label_A1val) widen(l, l == Label_A1val[4] ? alarmTypes : infoTexts);
    for (const auto& group : {Label_HBval, Lbl_CT1, Label_LPval})
        for (QLabel* l : group) widen(l, infoTexts);
    for (QLabel* l : Label_othval) widen(l, infoTexts);
    for (QLabel* l : Label_coolval) widen(l, infoTexts);
}

// ---- tab 2: setting display ------------------------------------------------------------------

void MainDisp::buildSettingDisplay(QWidget* page) {
    auto* h = new QHBoxLayout(page);
    h->setContentsMargins(8, 8, 8, 8);
    h->setSpacing(8);
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    Frame7 = new QGroupBox(page);
    Frame7->setObjectName(QStringLiteral("Frame7"));
    auto* opts = new QGridLayout(Frame7);
    opts->setContentsMargins(10, 4, 10, 6);
    auto* group1 = new QButtonGroup(Frame7);
    for (int i = 0; i < 5; ++i) {
        Option1[i] = new QRadioButton(Frame7);
        Option1[i]->setObjectName(indexed("Option1", i));
        group1->addButton(Option1[i], i);
        opts->addWidget(Option1[i], i % 3, i / 3);
    }
    left->addWidget(Frame7);
    Select_Command = new QListWidget(page);
    Select_Command->setObjectName(QStringLiteral("Select_Command"));
    Select_Command->setFixedWidth(kItemListMinWidth);  // widened to its rows when they are filled in
    Select_Command->setUniformItemSizes(true);
    Select_Command->setTextElideMode(Qt::ElideNone);
    left->addWidget(Select_Command, 1);
    h->addLayout(left);

    Frame_main = new QGroupBox(page);
    Frame_main->setObjectName(QStringLiteral("Frame_main"));
    Frame_main->setFont(boldFont(Frame_main));
    h->addWidget(Frame_main, 1);
    auto* g = new QGridLayout(Frame_main);
    g->setContentsMargins(10, 10, 10, 10);
    g->setHorizontalSpacing(6);
    const QFont normal = plainFont(page);

    for (int half = 0; half < 2; ++half) {
        auto* labels = new QVBoxLayout;
        labels->setSpacing(kGridSpacing);
        labels->setContentsMargins(0, 0, 0, 0);
        for (int i = half * 10; i < half * 10 + 10; ++i) {
            label_setdata[i] = new QLabel(Frame_main);
            label_setdata[i]->setObjectName(indexed("label_setdata", i));
            label_setdata[i]->setFixedSize(76, kRowHeight);
            label_setdata[i]->setFont(normal);
            labels->addWidget(label_setdata[i]);
        }
        labels->addStretch();
        g->addLayout(labels, 0, half * 2);
        auto* area = new OverlayArea(Frame_main);
        area->setFont(normal);
        g->addWidget(area, 0, half * 2 + 1);
        auto& frames = half == 0 ? Frame_sub1 : Frame_sub2;
        for (int n = 0; n < 3; ++n) {
            auto* f = new QFrame(area);
            f->setObjectName(indexed(half == 0 ? "Frame_sub1" : "Frame_sub2", n));
            frames[n] = f;
            auto* fg = new QGridLayout(f);
            fg->setContentsMargins(0, 0, 0, 0);
            fg->setHorizontalSpacing(6);
            fg->setVerticalSpacing(kGridSpacing);
            for (int i = half * 10; i < half * 10 + 10; ++i) {
                const int r = i - half * 10;
                fg->setRowMinimumHeight(r, kRowHeight);
                if (n == 0) {
                    Setdata_Para[i] = valueField(f, 56);
                    Setdata_Para[i]->setObjectName(indexed("Setdata_Para", i));
                    settin_inf[i] = reasonField(f, 120);
                    settin_inf[i]->setObjectName(indexed("settin_inf", i));
                    Command_change[i] = rowButton(f, 56, m_strings.text(965));
                    Command_change[i]->setObjectName(indexed("Command_change", i));
                    fg->addWidget(Setdata_Para[i], r, 0);
                    fg->addWidget(settin_inf[i], r, 1);
                    fg->addWidget(Command_change[i], r, 2);
                } else if (n == 1) {
                    Select_comand[i] = valueField(f, 200, Qt::AlignLeft | Qt::AlignVCenter);
                    Select_comand[i]->setObjectName(indexed("Select_comand", i));
                    Command_change2[i] = rowButton(f, 56, m_strings.text(965));
                    Command_change2[i]->setObjectName(indexed("Command_change2", i));
                    fg->addWidget(Select_comand[i], r, 0);
                    fg->addWidget(Command_change2[i], r, 1);
                } else {
                    Command_AT[i] = rowButton(f, 100, QStringLiteral("AT ON/OFF"));
                    Command_AT[i]->setObjectName(indexed("Command_AT", i));
                    Shape_AT[i] = new Lamp(QString(), Lamp::Shape::Circle, f);
                    Shape_AT[i]->setObjectName(indexed("Shape_AT", i));
                    Command_OUT[i] = rowButton(f, 140);
                    Command_OUT[i]->setObjectName(indexed("Command_OUT", i));
                    Shape_OUT[i] = new Lamp(QString(), Lamp::Shape::Circle, f);
                    Shape_OUT[i]->setObjectName(indexed("Shape_OUT", i));
                    fg->addWidget(Command_AT[i], r, 0);
                    fg->addWidget(Shape_AT[i], r, 1);
                    fg->addWidget(Command_OUT[i], r, 2);
                    fg->addWidget(Shape_OUT[i], r, 3);
                }
            }
            fg->setColumnStretch(fg->columnCount(), 1);
            fg->setRowStretch(10, 1);
        }
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setColumnMinimumWidth(2, 76);

    // Every value and reason as wide as the longest text it can be given.
    QStringList numbers, choices = gridReasonTexts(m_strings, true);
    for (int k = Item::FirstSetting; k < kItems; ++k) {
        if (k == Item::Unit) continue;  // the operator's own text
        (isSelectionItem(k) ? choices : numbers) << channelValueTexts(m_strings, k);
    }
    const QStringList reasons = gridReasonTexts(m_strings, false);
    for (int i = 0; i < kPanels; ++i) {
        widen(Setdata_Para[i], numbers);
        widen(settin_inf[i], reasons);
        widen(Select_comand[i], choices);
    }
}

// ---- tab 4: logging ----------------------------------------------------------------------

void MainDisp::buildLogging(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    Frame_logging = new QGroupBox(page);
    Frame_logging->setObjectName(QStringLiteral("Frame_logging"));
    v->addWidget(Frame_logging, 1);
    auto* h = new QHBoxLayout(Frame_logging);
    h->setContentsMargins(12, 10, 12, 10);
    h->setSpacing(16);

    auto* conditions = new QVBoxLayout;
    conditions->setSpacing(6);
    Label10 = new QLabel(Frame_logging);
    Label10->setFont(boldFont(Label10, 1.15));
    Label57 = new QLabel(Frame_logging);
    Label57->setWordWrap(true);
    Label61[1] = new QLabel(Frame_logging);
    Logging_time = new QComboBox(Frame_logging);
    Logging_time->setObjectName(QStringLiteral("Logging_time"));
    Logging_time->setFixedWidth(120);
    Label1[80] = new QLabel(Frame_logging);
    Label1[80]->setObjectName(QStringLiteral("Label1_80"));
    Savename_text = valueField(Frame_logging, 330, Qt::AlignLeft | Qt::AlignVCenter);
    Savename_text->setObjectName(QStringLiteral("Savename_text"));
    Savename_text->setFixedHeight(44);
    Savename_text->setWordWrap(true);
    Command1[2] = new QPushButton(Frame_logging);
    Check1 = new QCheckBox(Frame_logging);
    Check1->setObjectName(QStringLiteral("Check1"));
    conditions->addWidget(Label10);
    conditions->addWidget(Label57);
    conditions->addSpacing(10);
    conditions->addWidget(Label61[1]);
    conditions->addWidget(Logging_time, 0, Qt::AlignLeft);
    conditions->addSpacing(10);
    conditions->addWidget(Label1[80]);
    conditions->addWidget(Savename_text);
    conditions->addWidget(Command1[2], 0, Qt::AlignLeft);
    conditions->addSpacing(6);
    conditions->addWidget(Check1);
    conditions->addStretch();
    auto* condBox = new QWidget(Frame_logging);
    condBox->setLayout(conditions);
    condBox->setFixedWidth(350);
    h->addWidget(condBox);

    auto* sep = new QFrame(Frame_logging);
    sep->setFrameShape(QFrame::VLine);
    sep->setFrameShadow(QFrame::Sunken);
    h->addWidget(sep);

    auto* boxes = new QGridLayout;
    boxes->setHorizontalSpacing(14);
    boxes->setVerticalSpacing(4);
    constexpr int kRows = 12;
    for (int ch = 0; ch < kChannels; ++ch) {
        log_Check1[ch] = new QCheckBox(Frame_logging);
        log_Check1[ch]->setObjectName(indexed("log_Check1", ch));
        boxes->addWidget(log_Check1[ch], ch % kRows, ch / kRows);
    }
    for (int c = 0; c <= (kChannels - 1) / kRows; ++c) boxes->setColumnStretch(c, 1);
    h->addLayout(boxes, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int j = 0; j < 2; ++j) {
        Command1[j] = new QPushButton(page);
        Command1[j]->setMinimumWidth(110);
        buttons->addWidget(Command1[j]);
    }
    for (int j = 0; j < 3; ++j) Command1[j]->setObjectName(indexed("Command1", j));
    v->addLayout(buttons);
}

// ---- tab 5: all channels -------------------------------------------------------------------

void MainDisp::buildAllChannels(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    constexpr int kPerColumn = 17;
    int slot = 0;
    for (int i = 0; i < kAllPageIndexes; ++i) {
        if (!allPageHasRow(i)) continue;
        const int r = slot % kPerColumn;
        const int c = (slot / kPerColumn) * 3;
        ++slot;
        Option_Check[i] = new QCheckBox(page);
        Option_Check[i]->setObjectName(indexed("Option_Check", i));
        Cmd_change2[i] = new QPushButton(page);
        Cmd_change2[i]->setObjectName(indexed("Cmd_change2", i));
        Cmd_change2[i]->setFixedHeight(kRowHeight);
        Cmd_change2[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        Setdata_Para2[i] = valueField(page, 64);
        Setdata_Para2[i]->setObjectName(indexed("Setdata_Para2", i));
        widen(Setdata_Para2[i], pageValueTexts(m_strings, i + 10));
        // Each value box as wide as its own item's texts, at the right end
        // of the column; the button takes the rest of the row.
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(Cmd_change2[i], 1);
        row->addWidget(Setdata_Para2[i]);
        grid->addWidget(Option_Check[i], r, c);
        grid->addLayout(row, r, c + 1);
        if (c < 6) grid->setColumnMinimumWidth(c + 2, 10);
        Option_Check_Click(i);
    }
    v->addLayout(grid);
    v->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int j = 0; j < 3; ++j) {
        Command2[j] = new QPushButton(page);
        Command2[j]->setObjectName(indexed("Command2", j));
        Command2[j]->setMinimumWidth(110);
        buttons->addWidget(Command2[j]);
    }
    v->addLayout(buttons);
}

// ---- status bar ---------------------------------------------------------------------------

void MainDisp::buildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const int widths[5] = {0, 60, 220, 220, 0};
    for (int p = 1; p <= 4; ++p) {
        auto* l = new QLabel(StatusBar1);
        l->setObjectName(indexed("StatusPanel", p));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setIndent(6);
        if (widths[p] > 0) l->setFixedWidth(widths[p]);
        StatusPanel[p] = l;
        StatusBar1->addWidget(l, p == 4 ? 1 : 0);
    }
}

}  // namespace qvx
