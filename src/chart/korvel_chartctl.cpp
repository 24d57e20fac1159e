#include "korvel_chartctl.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QtDebug>

#include "chart_widgets.h"
#include "ole_color.h"
#include "preferences.h"
#include "property_bag.h"
#include "setting3_disp.h"
#include "string_table.h"
#include "ui_seam.h"

namespace qvx {

using chart::Side;

namespace {

// Layout in pixels (the design's twips divided by 15).
constexpr int kPlotLeft = 48;
constexpr int kPlotTop = 8;
constexpr int kRightColumn = 736;  // right of the selection panel
constexpr int kLegendTop = 292;
constexpr int kLegendColumn = 190;  // 2850 twips
constexpr int kLegendRow = 18;      // 270 twips
constexpr int kPanelLeft = 50;      // 750 twips
constexpr int kPanelTop = 32;       // 480 twips

std::size_t at(int i) { return static_cast<std::size_t>(i); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Korvel_ChartCtl::Korvel_ChartCtl(ChartEnv env, QWidget* parent) : QWidget(parent), env_(std::move(env)) {
    Q_ASSERT(env_.state && env_.strings && env_.ui);
    setObjectName(QStringLiteral("Korvel_ChartCtl"));
    devBack_.fill(chart::kButtonFace);
    dev1Back_.fill(chart::kButtonFace);
    pvFore_.fill(0);
    svFore_.fill(0);

    buildPlot();
    buildScaleControls();
    buildLegend();
    buildPanel();

    timChart = new QTimer(this);
    timChart->setObjectName(QStringLiteral("timChart"));
    timChart->setTimerType(Qt::PreciseTimer);
    timChart->setInterval(1000);
    connect(timChart, &QTimer::timeout, this, &Korvel_ChartCtl::timChart_Timer);

    // The window's stored state holds none of the chart's keys.
    UserControl_ReadProperties(PropertyBag{});
}

Korvel_ChartCtl::~Korvel_ChartCtl() = default;

QSize Korvel_ChartCtl::sizeHint() const { return {kRightColumn + 196, 580}; }

void Korvel_ChartCtl::buildPlot() {
    auto* border = new QFrame(this);
    border->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    border->setLineWidth(1);
    border->setGeometry(kPlotLeft - 1, kPlotTop - 1, ChartCanvas::kPixelWidth + 2, ChartCanvas::kPixelHeight + 2);
    picCanbus = new ChartCanvas(this);
    picCanbus->setObjectName(QStringLiteral("picCanbus"));
    picCanbus->move(kPlotLeft, kPlotTop);

    const int tops[3] = {8, 128, 248};  // 120, 1920, 3720 twips
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(QStringLiteral("****"), this);
        l->setObjectName(QStringLiteral("lblYscal%1").arg(i));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setGeometry(0, tops[i], kPlotLeft - 6, 16);
        lblYscal[at(i)] = l;
    }
    const int xTop = 266;  // 3990 twips
    for (int i = 0; i < chart::kXTexts; ++i) {
        auto* l = new QLabel(QStringLiteral("***"), this);
        l->setObjectName(QStringLiteral("lblXscal%1").arg(i));
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(kPlotLeft + 60 * i - 26, xTop, 52, 16);
        lblXscal[at(i)] = l;
    }
    lblXscal[11] = new QLabel(this);
    lblXscal[11]->setObjectName(QStringLiteral("lblXscal11"));
    lblXscal[11]->setGeometry(kPlotLeft + ChartCanvas::kPixelWidth + 28, xTop, 40, 16);
}

void Korvel_ChartCtl::buildScaleControls() {
    const int x = kRightColumn;
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    {
        QFont f = lblMsg->font();
        f.setBold(true);
        lblMsg->setFont(f);
    }
    lblMsg->setGeometry(x, 8, 188, 24);

    cmdRUN = new QPushButton(this);
    cmdRUN->setObjectName(QStringLiteral("cmdRUN"));
    cmdRUN->setGeometry(x, 38, 90, 28);
    cmdStop = new QPushButton(this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setGeometry(x + 98, 38, 90, 28);
    connect(cmdRUN, &QPushButton::clicked, this, &Korvel_ChartCtl::cmdRUN_Click);
    connect(cmdStop, &QPushButton::clicked, this, &Korvel_ChartCtl::cmdStop_Click);

    frmXScale = new QGroupBox(this);
    frmXScale->setObjectName(QStringLiteral("frmXScale"));
    frmXScale->setGeometry(x, 74, 188, 52);
    optShort = new QRadioButton(frmXScale);
    optShort->setObjectName(QStringLiteral("optShort"));
    optShort->setGeometry(10, 22, 84, 22);
    optLong = new QRadioButton(frmXScale);
    optLong->setObjectName(QStringLiteral("optLong"));
    optLong->setGeometry(96, 22, 88, 22);
    // One group; a click on the selected option keeps it selected.
    for (QRadioButton* o : {optShort, optLong}) o->setAutoExclusive(false);
    optLong->setChecked(true);
    connect(optShort, &QRadioButton::clicked, this, [this](bool checked) {
        if (!checked) {
            optShort->setChecked(true);
            return;
        }
        selectSpan(false);
    });
    connect(optLong, &QRadioButton::clicked, this, [this](bool checked) {
        if (!checked) {
            optLong->setChecked(true);
            return;
        }
        selectSpan(true);
    });

    const auto valueLabel = [this](QLabel* l, const QString& name, const QString& text) {
        l->setObjectName(name);
        l->setText(text);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, Qt::white);
        l->setPalette(pal);
        return l;
    };

    lblChartSpeed = new QLabel(this);
    lblChartSpeed->setObjectName(QStringLiteral("lblChartSpeed"));
    lblChartSpeed->setGeometry(x, 134, 188, 18);
    lblChartitv = valueLabel(new QLabel(this), QStringLiteral("lblChartitv"), QStringLiteral("5"));
    lblChartitv->setGeometry(x + 70, 154, 56, 22);
    updChartitv = new UpDown(chart::kCycleRange, 5, this);
    updChartitv->setObjectName(QStringLiteral("updChartitv"));
    updChartitv->setGeometry(x + 127, 154, 18, 22);
    lblSec = new QLabel(this);
    lblSec->setObjectName(QStringLiteral("lblSec"));
    lblSec->setGeometry(x + 150, 154, 38, 22);

    frmYScale = new QGroupBox(this);
    frmYScale->setObjectName(QStringLiteral("frmYScale"));
    frmYScale->setGeometry(x, 184, 188, 104);
    const auto row = [&](QLabel*& caption, QLabel* value, UpDown*& ud, const QString& capName, const QString& udName,
                         const chart::UpDownRange& r, int pos, int top) {
        caption = new QLabel(frmYScale);
        caption->setObjectName(capName);
        caption->setGeometry(8, top, 62, 22);
        value->setGeometry(70, top, 56, 22);
        ud = new UpDown(r, pos, frmYScale);
        ud->setObjectName(udName);
        ud->setGeometry(127, top, 18, 22);
    };
    lblSH = new ClickLabel(frmYScale);
    valueLabel(lblSH, QStringLiteral("lblSH"), QStringLiteral("400"));
    lblSH->setCursor(Qt::PointingHandCursor);
    row(lblHi, lblSH, updSH, QStringLiteral("lblHi"), QStringLiteral("updSH"), chart::kYRange, 400, 20);
    lblSL = new ClickLabel(frmYScale);
    valueLabel(lblSL, QStringLiteral("lblSL"), QStringLiteral("0"));
    lblSL->setCursor(Qt::PointingHandCursor);
    row(lblLo, lblSL, updSL, QStringLiteral("lblLo"), QStringLiteral("updSL"), chart::kYRange, 0, 48);
    Lbl_Y = valueLabel(new QLabel(frmYScale), QStringLiteral("Lbl_Y"), QStringLiteral("4"));
    row(Label2, Lbl_Y, UpDown1, QStringLiteral("Label2"), QStringLiteral("UpDown1"), chart::kDivisionRange, 2, 76);

    connect(lblSH, &ClickLabel::clicked, this, &Korvel_ChartCtl::lblSH_Click);
    connect(lblSL, &ClickLabel::clicked, this, &Korvel_ChartCtl::lblSL_Click);
    // A step shows the new value in the label, then runs the change handler.
    const auto wire = [this](UpDown* ud, QLabel* label, void (Korvel_ChartCtl::*handler)()) {
        connect(ud, &UpDown::stepped, this, [this, label, handler](int v) {
            label->setText(QString::number(v));
            (this->*handler)();
        });
    };
    wire(updChartitv, lblChartitv, &Korvel_ChartCtl::updChartitv_Change);
    wire(UpDown1, Lbl_Y, &Korvel_ChartCtl::UpDown1_Change);
    wire(updSH, lblSH, &Korvel_ChartCtl::updSH_Change);
    wire(updSL, lblSL, &Korvel_ChartCtl::updSL_Change);
}

void Korvel_ChartCtl::buildLegend() {
    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    for (int t = 1; t <= chart::kPages; ++t) TabStrip1->addTab(chart::pageCaption(t));
    TabStrip1->setDrawBase(false);
    TabStrip1->setExpanding(false);
    TabStrip1->move(8, kLegendTop);
    TabStrip1->resize(TabStrip1->sizeHint());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    const int frameTop = kLegendTop + TabStrip1->sizeHint().height() - 1;
    Frame1->setGeometry(8, frameTop, 4 * kLegendColumn + 8, 10 * kLegendRow + 16);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    for (int k = 0; k < chart::kSlots; ++k) {
        const int col = k / 10, r = k % 10;
        const int left = 8 + kLegendColumn * col, top = 12 + kLegendRow * r;
        auto* name = new QLabel(QStringLiteral("Dev%1").arg(k), Frame1);
        name->setObjectName(QStringLiteral("lblName%1").arg(k));
        name->setGeometry(left, top, 101, 17);
        auto* pv = new QLabel(QStringLiteral("xxxxx"), Frame1);
        pv->setObjectName(QStringLiteral("lblPv%1").arg(k));
        pv->setGeometry(left + 100, top, 41, 17);
        auto* sv = new QLabel(QStringLiteral("xxxxx"), Frame1);
        sv->setObjectName(QStringLiteral("lblSv%1").arg(k));
        sv->setGeometry(left + 142, top, 41, 17);
        for (QLabel* v : {pv, sv}) {
            v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            v->setAutoFillBackground(true);
            v->setPalette(white);
        }
        for (QLabel* l : {name, pv, sv}) l->hide();
        lblName[at(k)] = name;
        lblPv[at(k)] = pv;
        lblSv[at(k)] = sv;
    }
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int) { TabStrip1_Click(); });

    cmdChartsel = new QPushButton(this);
    cmdChartsel->setObjectName(QStringLiteral("cmdChartsel"));
    cmdChartsel->setGeometry(8, Frame1->geometry().bottom() + 8, Frame1->width(), 28);
    connect(cmdChartsel, &QPushButton::clicked, this, &Korvel_ChartCtl::cmdChartsel_Click);
}

void Korvel_ChartCtl::buildPanel() {
    frmChartsel = new QGroupBox(this);
    frmChartsel->setObjectName(QStringLiteral("frmChartsel"));
    frmChartsel->setGeometry(kPanelLeft, kPanelTop, 675, 518);
    frmChartsel->setAutoFillBackground(true);

    TabStrip2 = new QTabBar(frmChartsel);
    TabStrip2->setObjectName(QStringLiteral("TabStrip2"));
    for (int t = 1; t <= chart::kPages; ++t) TabStrip2->addTab(chart::pageCaption(t));
    TabStrip2->setDrawBase(false);
    TabStrip2->setExpanding(false);
    TabStrip2->move(10, 22);
    TabStrip2->resize(TabStrip2->sizeHint());
    connect(TabStrip2, &QTabBar::currentChanged, this, [this](int) { TabStrip2_Click(); });

    Frame2 = new QFrame(frmChartsel);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Frame2->setGeometry(10, 22 + TabStrip2->sizeHint().height() - 1, 655, 386);

    const int lefts[5] = {10, 138, 266, 394, 522};  // 150, 2070, 3990, 5910, 7830 twips
    for (int side = 0; side < 2; ++side) {
        auto* title = new QLabel(Frame2);
        title->setObjectName(QStringLiteral("Label1_%1").arg(side));
        title->setGeometry(10, side == 0 ? 10 : 194, 400, 18);
        QFont f = title->font();
        f.setBold(true);
        title->setFont(f);
        Label1[at(side)] = title;
        const int top0 = side == 0 ? 32 : 216;
        for (int k = 0; k < chart::kSlots; ++k) {
            auto* b = new QPushButton(QStringLiteral("Dev%1").arg(k), Frame2);
            b->setObjectName(QStringLiteral("%1%2").arg(side == 0 ? QStringLiteral("cmdDev") : QStringLiteral("cmdDev1_")).arg(k));
            b->setGeometry(lefts[k / 8], top0 + 20 * (k % 8), 118, 18);
            b->setAutoDefault(false);
            b->setFocusPolicy(Qt::TabFocus);
            if (side == 0) {
                cmdDev[at(k)] = b;
                connect(b, &QPushButton::clicked, this, [this, k] { cmdDev_Click(k); });
            } else {
                cmdDev1[at(k)] = b;
                connect(b, &QPushButton::clicked, this, [this, k] { cmdDev1_Click(k); });
            }
        }
    }

    cmdColor = new QPushButton(frmChartsel);
    cmdColor->setObjectName(QStringLiteral("cmdColor"));
    cmdColor->setGeometry(10, Frame2->geometry().bottom() + 8, 655, 30);
    cmdColor->setEnabled(false);
    cmdSelend = new QPushButton(frmChartsel);
    cmdSelend->setObjectName(QStringLiteral("cmdSelend"));
    cmdSelend->setGeometry(465, Frame2->geometry().bottom() + 44, 200, 30);
    connect(cmdColor, &QPushButton::clicked, this, &Korvel_ChartCtl::cmdColor_Click);
    connect(cmdSelend, &QPushButton::clicked, this, &Korvel_ChartCtl::cmdSelend_Click);
    frmChartsel->hide();
}

void Korvel_ChartCtl::localise() {
    frmXScale->setTitle(text(658));
    optShort->setText(text(659));
    optLong->setText(text(660));
    lblChartSpeed->setText(text(661));
    lblSec->setText(text(662));
    frmYScale->setTitle(text(663));
    lblHi->setText(text(664));
    lblLo->setText(text(665));
    Label2->setText(text(674));
    cmdRUN->setText(text(666));
    cmdStop->setText(text(667));
    lblXscal[11]->setText(text(700));
    cmdChartsel->setText(text(668));
    frmChartsel->setTitle(text(669));
    Label1[0]->setText(text(670));
    Label1[1]->setText(text(671));
    cmdColor->setText(text(672));
    cmdSelend->setText(text(673));
    lblMsg->setText(text(plot_.RunFlag != 0 ? 21 : 20));
}

// ---------------------------------------------------------------------------
// Helpers

QString Korvel_ChartCtl::text(int id) const { return env_.strings->text(id); }

QString Korvel_ChartCtl::channelName(int ch) const {
    return env_.channelName ? env_.channelName(ch) : defaultChannelName(ch);
}

void Korvel_ChartCtl::message(int id) {
    env_.ui->messageBox(window(), text(id), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
}

void Korvel_ChartCtl::setStatus(int id) {
    if (env_.statusText) env_.statusText(text(id));
}

int Korvel_ChartCtl::legendBase() const { return chart::pageBase(TabStrip1->currentIndex() + 1); }

int Korvel_ChartCtl::panelBase() const { return chart::pageBase(TabStrip2->currentIndex() + 1); }

const QString& Korvel_ChartCtl::pvValue(int ch) const { return pvValue_.at(at(ch)); }

const QString& Korvel_ChartCtl::svValue(int ch) const { return svValue_.at(at(ch)); }

Setting3_Disp* Korvel_ChartCtl::chartScaleDialog() const { return scaleDialog_.data(); }

bool Korvel_ChartCtl::timerActive() const { return timChart->isActive(); }

int Korvel_ChartCtl::timerInterval() const { return timChart->interval(); }

bool Korvel_ChartCtl::saveRecords(const QList<ChartRecordValue>& records) {
    QStringList errors;
    updateBothChartFiles(env_.programFolder, records, &errors);
    return chartFilesWritten(errors);
}

bool Korvel_ChartCtl::chartFilesWritten(const QStringList& errors) {
    if (errors.isEmpty()) {
        writeFailures_.succeed();
        return true;
    }
    for (const QString& e : errors) qWarning("chart settings not saved: %s", qPrintable(e));
    fileErrors_ += errors;
    if (writeFailures_.fail()) {
        // Shown once the handler has returned: a box opened inside the plot
        // timer's tick would hold the timer.
        const QString box = text(945).arg(errors.join(u'\n'));
        QTimer::singleShot(0, this, [this, box] {
            env_.ui->messageBox(window(), box, QString(), UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
        });
    }
    return false;
}

// The plot timer ticks while recording with a positive interval; an interval
// of 0 or less (a damaged cycle) gives no ticks rather than a tick storm.
void Korvel_ChartCtl::applyTimer() {
    const qint32 ms = props_.ChartTimeValue;
    if (ms > 0 && timChart->interval() != ms) timChart->setInterval(ms);
    if (timerEnabled_ && ms > 0) {
        if (!timChart->isActive()) timChart->start();
    } else {
        timChart->stop();
    }
}

void Korvel_ChartCtl::setInputsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{frmXScale, optShort, optLong, lblChartSpeed, lblSec, lblChartitv,
                                                      updChartitv, frmYScale, lblHi, lblLo, updSH, updSL, lblSH, lblSL,
                                                      Lbl_Y, UpDown1, Label2, frmChartsel})
        w->setEnabled(on);
}

void Korvel_ChartCtl::syncUpDown(UpDown* u, const QLabel* label) {
    u->setValue(chart::upDownPosition(chart::Val(label->text()), u->range()));
}

// ---------------------------------------------------------------------------
// Engine

void Korvel_ChartCtl::ScaleSet() {
    chart::ScaleInputs in;
    in.cycle = lblChartitv->text();
    in.high = lblSH->text();
    in.low = lblSL->text();
    in.divisions = Lbl_Y->text();
    in.shortSpan = optShort->isChecked();
    const chart::ScaleLayout s = chart::scaleSet(in);
    setCharttime(s.chartTime);
    env_.state->YHigh_Now = s.high;
    env_.state->YLow_Now = s.low;
    scaleHigh_ = s.high;
    scaleLow_ = s.low;
    yFactor_ = s.yFactor;
    for (int i = 0; i < 3; ++i) lblYscal[at(i)]->setText(s.yTexts[at(i)]);
    picCanbus->drawLines(s.lines);
    for (int i = 0; i < chart::kXTexts; ++i) lblXscal[at(i)]->setText(s.xTexts[at(i)]);
}

void Korvel_ChartCtl::cmdRUN_Click() {
    if (plot_.RunFlag == 0) {
        if (sel_.selectedCount() == 0) {
            message(714);  // "The channel for chart plotting is not selected."
        } else {
            setCharttime(chart::chartTimeOf(lblChartitv->text()));
            timerEnabled_ = true;
            applyTimer();
            plot_.RunFlag = 1;
            saveRecords({{ChartRecord::Run, plot_.RunFlag}});
            lblMsg->setText(text(21));
            setStatus(21);
            setInputsEnabled(false);
            cmdChartsel->setEnabled(false);
            picCanbus->clear();
            ScaleSet();
            plot_.restart();
            cmdRUN->setEnabled(false);
        }
    }
    timChart_Timer();  // the first sample at once
}

void Korvel_ChartCtl::auto_run() {
    plot_.RunFlag = 0;
    cmdRUN_Click();
}

void Korvel_ChartCtl::recordRunState() {
    const ChartFileData& d = env_.state->ChartFile_Data;
    saveRecords({{ChartRecord::XLong, d.Chart_XLong}, {ChartRecord::Cycle, d.Chart_Cycle}, {ChartRecord::Run, plot_.RunFlag}});
}

void Korvel_ChartCtl::cmdStop_Click() {
    if (plot_.RunFlag == 0) return;
    optShort->setEnabled(true);
    optLong->setEnabled(true);
    plot_.RunFlag = 0;
    recordRunState();
    lblMsg->setText(text(20));
    setStatus(20);
    setInputsEnabled(true);
    timerEnabled_ = false;
    applyTimer();
    cmdRUN->setEnabled(true);
    cmdChartsel->setEnabled(true);
}

void Korvel_ChartCtl::endRecording() {
    timerEnabled_ = false;
    applyTimer();
    lblMsg->setText(text(20));
    setStatus(20);
    plot_.RunFlag = 0;
    recordRunState();
    setInputsEnabled(true);
    cmdRUN->setEnabled(true);
    cmdChartsel->setEnabled(true);
    message(333);  // "Plot end"
    env_.ui->beep();
}

void Korvel_ChartCtl::sampleIfDeferred() {
    if (!deferred_) return;
    deferred_ = false;
    timChart_Timer();
}

void Korvel_ChartCtl::timChart_Timer() {
    if (deferred_) return;
    chart::PlotInputs in;
    in.pvValue = &pvValue_;
    in.svValue = &svValue_;
    in.pvFed = &pvFed_;
    in.svFed = &svFed_;
    in.selection = &sel_;
    in.state = env_.state;
    in.shortSpan = optShort->isChecked();
    in.high = scaleHigh_;
    in.low = scaleLow_;
    in.yFactor = yFactor_;
    switch (plot_.tick(in, strokes_)) {
    case chart::PlotState::Tick::Idle: return;
    case chart::PlotState::Tick::Ended: endRecording(); return;
    case chart::PlotState::Tick::Sampled: picCanbus->drawStrokes(strokes_); return;
    case chart::PlotState::Tick::Deferred:
        // The link's next step answers it: the sample is taken right after,
        // or soon, whichever comes first.
        deferred_ = true;
        QTimer::singleShot(kDeferredSampleMs, this, [this] { sampleIfDeferred(); });
        return;
    }
}

// ---------------------------------------------------------------------------
// Scale and cycle controls

void Korvel_ChartCtl::selectSpan(bool longSpan) {
    QRadioButton* on = longSpan ? optLong : optShort;
    QRadioButton* off = longSpan ? optShort : optLong;
    on->setChecked(true);
    off->setChecked(false);
    if (quiet_) return;
    if (longSpan)
        optLong_Click();
    else
        optShort_Click();
}

void Korvel_ChartCtl::optLong_Click() {
    env_.state->ChartFile_Data.Chart_XLong = 1;
    saveRecords({{ChartRecord::XLong, 1}});
    ScaleSet();
}

void Korvel_ChartCtl::optShort_Click() {
    env_.state->ChartFile_Data.Chart_XLong = 0;
    saveRecords({{ChartRecord::XLong, 0}});
    ScaleSet();
}

void Korvel_ChartCtl::updChartitv_Change() {
    ChartFileData& d = env_.state->ChartFile_Data;
    d.Chart_Cycle = chart::toLong(chart::Val(lblChartitv->text()));
    saveRecords({{ChartRecord::Cycle, d.Chart_Cycle}});
    ScaleSet();
}

void Korvel_ChartCtl::UpDown1_Change() {
    ChartFileData& d = env_.state->ChartFile_Data;
    d.Chart_YDiv = chart::toInteger(chart::Val(Lbl_Y->text()));
    saveRecords({{ChartRecord::YDiv, d.Chart_YDiv}});
    picCanbus->clear();
    ScaleSet();
}

void Korvel_ChartCtl::updSH_Change() {
    QVX720_INC& s = *env_.state;
    scaleHigh_ = chart::toInteger(chart::Val(lblSH->text()));
    scaleLow_ = chart::toInteger(chart::Val(lblSL->text()));
    // A high not above the low is refused silently: the label shows the
    // high before the step again.
    const qint16 high = chart::steppedHigh(lblSH->text(), lblSL->text(), s.YHigh_Now);
    lblSH->setText(QString::number(high));
    syncUpDown(updSH, lblSH);
    s.YHigh_Now = high;
    s.ChartFile_Data.Chart_YHigh = high;
    saveRecords({{ChartRecord::YHigh, s.ChartFile_Data.Chart_YHigh}});
    picCanbus->clear();
    ScaleSet();
}

void Korvel_ChartCtl::updSL_Change() {
    QVX720_INC& s = *env_.state;
    scaleHigh_ = chart::toInteger(chart::Val(lblSH->text()));
    scaleLow_ = chart::toInteger(chart::Val(lblSL->text()));
    const qint16 low = chart::steppedLow(lblSH->text(), lblSL->text(), s.YLow_Now);
    lblSL->setText(QString::number(low));
    syncUpDown(updSL, lblSL);
    s.YLow_Now = low;
    s.ChartFile_Data.Chart_YLow = low;
    saveRecords({{ChartRecord::YLow, s.ChartFile_Data.Chart_YLow}});
    picCanbus->clear();
    ScaleSet();
}

void Korvel_ChartCtl::lblSH_Click() { openScaleDialog(0, lblSH); }

void Korvel_ChartCtl::lblSL_Click() { openScaleDialog(1, lblSL); }

void Korvel_ChartCtl::openScaleDialog(int sel, const QLabel* label) {
    env_.ui->beep();
    env_.state->ChartScale_Sel = qint16(sel);
    // An unloaded dialog may wait for its deletion: the opening loads a new one.
    if (!scaleDialog_ || scaleDialog_->isHidden()) scaleDialog_ = new Setting3_Disp(*this, this);
    scaleDialog_->retarget(chart::numberText(chart::Val(label->text())), chart::scaleDialogLimitText());
    scaleDialog_->show();
    scaleDialog_->raise();
    scaleDialog_->activateWindow();
}

// ---------------------------------------------------------------------------
// Selection panel, pens and legend

void Korvel_ChartCtl::setButtonBack(Side side, int k, qint32 ole) {
    auto& cache = side == Side::Pv ? devBack_ : dev1Back_;
    QPushButton* b = (side == Side::Pv ? cmdDev : cmdDev1)[at(k)];
    if (cache[at(k)] == ole) return;
    cache[at(k)] = ole;
    if (ole == chart::kButtonFace) {
        b->setPalette(QPalette());  // the system's button face again
        return;
    }
    QPalette pal = b->palette();
    const QColor c = oleToColor(ole);
    pal.setColor(QPalette::Button, c);
    // The caption stays readable on dark pens.
    pal.setColor(QPalette::ButtonText, c.lightness() < 110 ? QColor(Qt::white) : QColor(Qt::black));
    b->setPalette(pal);
}

void Korvel_ChartCtl::setLegendFore(Side side, int k, qint32 ole) {
    auto& cache = side == Side::Pv ? pvFore_ : svFore_;
    if (cache[at(k)] == ole) return;
    cache[at(k)] = ole;
    QLabel* l = (side == Side::Pv ? lblPv : lblSv)[at(k)];
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, oleToColor(ole));
    l->setPalette(pal);
}

void Korvel_ChartCtl::panelRefresh(bool onlyExactFlag) {
    const int b = panelBase();
    const int last = chart::lastSlot(b);
    const ChartFileData& d = env_.state->ChartFile_Data;
    for (int k = 0; k <= last; ++k) {
        const int ch = b + k;
        if (!chart::panelShows(*env_.state, b, k)) {
            cmdDev[at(k)]->hide();
            cmdDev1[at(k)]->hide();
            continue;
        }
        const QString name = channelName(ch);
        cmdDev[at(k)]->setText(name);
        cmdDev1[at(k)]->setText(name);
        cmdDev[at(k)]->show();
        cmdDev1[at(k)]->show();
        const auto selected = [onlyExactFlag](qint16 f) { return onlyExactFlag ? f == 1 : f != 0; };
        setButtonBack(Side::Pv, k, selected(sel_.PvPlot[at(ch)]) ? d.PvColor(ch) : chart::kButtonFace);
        setButtonBack(Side::Sv, k, selected(sel_.SvPlot[at(ch)]) ? d.SvColor(ch) : chart::kButtonFace);
    }
    for (int k = last + 1; k < chart::kSlots; ++k) {
        cmdDev[at(k)]->hide();
        cmdDev1[at(k)]->hide();
    }
}

void Korvel_ChartCtl::cmdChartsel_Click() {
    panelRefresh(false);
    if (plot_.RunFlag != 0) return;
    frmChartsel->show();
    frmChartsel->raise();
    cmdRUN->setEnabled(false);
    cmdStop->setEnabled(false);
}

void Korvel_ChartCtl::TabStrip2_Click() { panelRefresh(true); }

void Korvel_ChartCtl::color_set() {
    for (Side side : {Side::Pv, Side::Sv}) {
        const ChartPlotFlags f = readPlotFlags(chartFilePath(env_.programFolder, side == Side::Pv ? ChartSide::Pv : ChartSide::Sv));
        if (!f.ok) {
            // The selection in memory stays as it is.
            qWarning("chart selections not read: %s", qPrintable(f.error));
            fileErrors_.append(f.error);
            continue;
        }
        (side == Side::Pv ? sel_.PvPlot : sel_.SvPlot) = f.flags;
    }
    const int b = panelBase();
    const ChartFileData& d = env_.state->ChartFile_Data;
    for (int k = 0; k <= chart::lastSlot(b); ++k) {
        const int ch = b + k;
        setButtonBack(Side::Pv, k, sel_.PvPlot[at(ch)] != 0 ? d.PvColor(ch) : chart::kButtonFace);
        setButtonBack(Side::Sv, k, sel_.SvPlot[at(ch)] != 0 ? d.SvColor(ch) : chart::kButtonFace);
    }
    text_color_ref();
}

void Korvel_ChartCtl::cmdDev_Click(int Index) {
    if (Index < 0 || Index > chart::lastSlot(panelBase())) return;
    const int ch = panelBase() + Index;
    if (sel_.toggle(Side::Pv, ch) == 1) {
        cmdColor->setEnabled(true);
        setButtonBack(Side::Pv, Index, env_.state->ChartFile_Data.PvColor(ch));
    } else {
        setButtonBack(Side::Pv, Index, chart::kButtonFace);
        cmdColor->setEnabled(false);
    }
}

void Korvel_ChartCtl::cmdDev1_Click(int Index) {
    if (Index < 0 || Index > chart::lastSlot(panelBase())) return;
    const int ch = panelBase() + Index;
    if (sel_.toggle(Side::Sv, ch) == 1) {
        cmdColor->setEnabled(true);
        setButtonBack(Side::Sv, Index, env_.state->ChartFile_Data.SvColor(ch));
    } else {
        setButtonBack(Side::Sv, Index, chart::kButtonFace);
        cmdColor->setEnabled(false);
    }
}

void Korvel_ChartCtl::cmdColor_Click() {
    const int b = panelBase();
    if (sel_.PenKind != 0 && sel_.PenKind != 1) return;
    const Side side = sel_.PenKind == 0 ? Side::Pv : Side::Sv;
    // The dialog is not preset: it opens on white.
    const std::optional<qint32> chosen = env_.ui->chooseColor(window(), Ole::White);
    if (!chosen) return;  // cancelled: nothing changes
    const int ch = sel_.PenChannel;
    ChartFileData& d = env_.state->ChartFile_Data;
    (side == Side::Pv ? d.PvColor : d.SvColor)(ch) = *chosen;
    const int slot = ch - b;
    if (slot >= 0 && slot <= chart::lastSlot(b)) setButtonBack(side, slot, *chosen);
    // The colour is kept in its record even when the operator paged away
    // from the channel's button.
    QString e;
    const QString path = chartFilePath(env_.programFolder, side == Side::Pv ? ChartSide::Pv : ChartSide::Sv);
    updateChartFile(path, {{ChartRecord::PenColor + ch, *chosen}}, &e);
    chartFilesWritten(e.isEmpty() ? QStringList() : QStringList{e});
}

void Korvel_ChartCtl::cmdSelend_Click() {
    frmChartsel->hide();
    cmdRUN->setEnabled(true);
    cmdStop->setEnabled(true);
    const ChartFileData& d = env_.state->ChartFile_Data;
    const struct {
        ChartSide file;
        const Table1<qint32, kChannels>& colors;
        const std::array<qint16, kChannels>& flags;
    } sides[] = {{ChartSide::Pv, d.PvColor, sel_.PvPlot}, {ChartSide::Sv, d.SvColor, sel_.SvPlot}};
    QStringList errors;
    for (const auto& s : sides) {
        QString e;
        if (!updateChartFile(chartFilePath(env_.programFolder, s.file), penRecords(s.colors, s.flags), &e))
            errors.append(e);
    }
    chartFilesWritten(errors);
    text_color_ref();
}

void Korvel_ChartCtl::text_color_ref() {
    const int b = legendBase();
    const ChartFileData& d = env_.state->ChartFile_Data;
    for (int k = 0; k <= chart::lastSlot(b); ++k) {
        const int ch = b + k;
        if (sel_.PvPlot[at(ch)] != 0) setLegendFore(Side::Pv, k, d.PvColor(ch));
        if (sel_.SvPlot[at(ch)] != 0) setLegendFore(Side::Sv, k, d.SvColor(ch));
    }
}

void Korvel_ChartCtl::legendRefresh() {
    const int b = legendBase();
    const ChartFileData& d = env_.state->ChartFile_Data;
    for (int k = 0; k < chart::kSlots; ++k) {
        QLabel* const labels[3] = {lblPv[at(k)], lblSv[at(k)], lblName[at(k)]};
        if (!chart::legendShows(*env_.state, b, k, props_.ChartMaxChValue)) {
            for (QLabel* l : labels) l->setVisible(false);
            continue;
        }
        const int ch = b + k;
        lblPv[at(k)]->setVisible(true);
        lblSv[at(k)]->setVisible(true);
        const QString name = channelName(ch);
        if (lblName[at(k)]->text() != name) lblName[at(k)]->setText(name);
        lblName[at(k)]->setVisible(true);
        setLegendFore(Side::Pv, k, d.PvColor(ch));
        setLegendFore(Side::Sv, k, d.SvColor(ch));
    }
}

void Korvel_ChartCtl::fillLegendValues() {
    const int b = legendBase();
    for (int k = 0; k <= chart::lastSlot(b); ++k) {
        const QString& pv = props_.PvCaptionText[at(b + k)];
        const QString& sv = props_.SvCaptionText[at(b + k)];
        if (lblPv[at(k)]->text() != pv) lblPv[at(k)]->setText(pv);
        if (lblSv[at(k)]->text() != sv) lblSv[at(k)]->setText(sv);
    }
}

// The feed writes only texts that changed, so a page that comes on show
// takes its texts from the stored ones at once, and its names and colours.
void Korvel_ChartCtl::TabStrip1_Click() {
    fillLegendValues();
    legendRefresh();
}

// ---------------------------------------------------------------------------
// Properties

void Korvel_ChartCtl::setCaption(Side side, int ch, const QString& text) {
    if (ch < 0 || ch >= kChannels) return;
    const bool pv = side == Side::Pv;
    (pv ? props_.PvCaptionText : props_.SvCaptionText)[at(ch)] = text;
    if (TabStrip1->currentIndex() + 1 == chart::pageOf(ch)) {
        QLabel* l = (pv ? lblPv : lblSv)[at(chart::slotOf(ch))];
        if (l->text() != text) l->setText(text);
    }
    (pv ? pvValue_ : svValue_)[at(ch)] = text;
    (pv ? pvFed_ : svFed_)[at(ch)] = true;
    emit propertyChanged(chartPropertyKeys()[(pv ? ChartKey::Pv0Caption : ChartKey::Sv0Caption) + ch].name);
}

void Korvel_ChartCtl::setPvCaption(int ch, const QString& text) { setCaption(Side::Pv, ch, text); }

void Korvel_ChartCtl::setSvCaption(int ch, const QString& text) { setCaption(Side::Sv, ch, text); }

QString Korvel_ChartCtl::pvCaption(int ch) const {
    return ch >= 0 && ch < kChannels ? props_.PvCaptionText[at(ch)] : QString();
}

QString Korvel_ChartCtl::svCaption(int ch) const {
    return ch >= 0 && ch < kChannels ? props_.SvCaptionText[at(ch)] : QString();
}

void Korvel_ChartCtl::setChartMaxCh(qint16 n) {
    props_.ChartMaxChValue = n;
    emit propertyChanged(chartPropertyKeys()[ChartKey::ChartMaxCh].name);
    legendRefresh();
}

void Korvel_ChartCtl::setCharttime(qint32 ms) {
    props_.ChartTimeValue = ms;
    applyTimer();
    emit propertyChanged(chartPropertyKeys()[ChartKey::Charttime].name);
}

bool Korvel_ChartCtl::XScaleLong() const { return optLong->isChecked(); }

void Korvel_ChartCtl::setXScaleLong(bool v) {
    if (v)
        selectSpan(true);
    else
        optLong->setChecked(false);
    emit propertyChanged(chartPropertyKeys()[ChartKey::XScaleLong].name);
}

bool Korvel_ChartCtl::XScaleShort() const { return optShort->isChecked(); }

void Korvel_ChartCtl::setXScaleShort(bool v) {
    if (v)
        selectSpan(false);
    else
        optShort->setChecked(false);
    emit propertyChanged(chartPropertyKeys()[ChartKey::XScaleShort].name);
}

QString Korvel_ChartCtl::YScaleLow() const { return lblSL->text(); }

void Korvel_ChartCtl::setYScaleLow(const QString& v) {
    lblSL->setText(v);
    syncUpDown(updSL, lblSL);
    env_.state->YLow_Now = chart::toInteger(chart::Val(v));
    emit propertyChanged(chartPropertyKeys()[ChartKey::YScaleLow].name);
    ScaleSet();
}

QString Korvel_ChartCtl::YScaleHigh() const { return lblSH->text(); }

void Korvel_ChartCtl::setYScaleHigh(const QString& v) {
    lblSH->setText(v);
    syncUpDown(updSH, lblSH);
    env_.state->YHigh_Now = chart::toInteger(chart::Val(v));
    emit propertyChanged(chartPropertyKeys()[ChartKey::YScaleHigh].name);
    ScaleSet();
}

QString Korvel_ChartCtl::YScaleDivision() const { return Lbl_Y->text(); }

void Korvel_ChartCtl::setYScaleDivision(const QString& v) {
    Lbl_Y->setText(v);
    syncUpDown(UpDown1, Lbl_Y);
    emit propertyChanged(chartPropertyKeys()[ChartKey::YScaleDivision].name);
}

QString Korvel_ChartCtl::XScaleTime() const { return lblChartitv->text(); }

void Korvel_ChartCtl::setXScaleTime(const QString& v) {
    lblChartitv->setText(v);
    syncUpDown(updChartitv, lblChartitv);
    emit propertyChanged(chartPropertyKeys()[ChartKey::XScaleTime].name);
}

qint16 Korvel_ChartCtl::statCaption(int ch) const {
    return ch >= 0 && ch < kChannels ? props_.StatCaptionValue[at(ch)] : qint16(0);
}

void Korvel_ChartCtl::setStatCaption(int ch, qint16 v) {
    if (ch < 0 || ch >= kChannels) return;
    props_.StatCaptionValue[at(ch)] = v;
    emit propertyChanged(chartPropertyKeys()[ChartKey::Stat0Caption + ch].name);
}

QVariant Korvel_ChartCtl::namedProperty(const QString& name) const {
    const int i = chartPropertyIndex(name);
    return i < 0 ? QVariant() : currentProperties().value(i);
}

bool Korvel_ChartCtl::setNamedProperty(const QString& name, const QVariant& value) {
    const int i = chartPropertyIndex(name);
    if (i < 0) return false;
    const std::optional<QVariant> v = convertChartProperty(chartPropertyKeys()[i].type, value);
    if (!v) return false;
    if (i < ChartKey::ChartMaxCh) {
        setPvCaption(i - ChartKey::Pv0Caption, v->toString());
    } else if (i >= ChartKey::Stat0Caption) {
        setStatCaption(i - ChartKey::Stat0Caption, qint16(v->toInt()));
    } else if (i >= ChartKey::Sv0Caption) {
        setSvCaption(i - ChartKey::Sv0Caption, v->toString());
    } else {
        switch (i) {
        case ChartKey::ChartMaxCh: setChartMaxCh(qint16(v->toInt())); break;
        case ChartKey::Charttime: setCharttime(v->toInt()); break;
        case ChartKey::XScaleLong: setXScaleLong(v->toBool()); break;
        case ChartKey::YScaleLow: setYScaleLow(v->toString()); break;
        case ChartKey::YScaleHigh: setYScaleHigh(v->toString()); break;
        case ChartKey::XScaleShort: setXScaleShort(v->toBool()); break;
        case ChartKey::XScaleTime: setXScaleTime(v->toString()); break;
        default: setYScaleDivision(v->toString()); break;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Persistence

ChartProperties Korvel_ChartCtl::currentProperties() const {
    ChartProperties p = props_;
    p.optLong = optLong->isChecked();
    p.lblSL = lblSL->text();
    p.lblSH = lblSH->text();
    p.optShort = optShort->isChecked();
    p.lblChartitv = lblChartitv->text();
    p.Lbl_Y = Lbl_Y->text();
    return p;
}

void Korvel_ChartCtl::applyProperties(const ChartProperties& p) {
    // Straight into the members and controls: no legend, plot value or
    // timer update, and the span options run no handler.
    props_.PvCaptionText = p.PvCaptionText;
    props_.SvCaptionText = p.SvCaptionText;
    props_.ChartMaxChValue = p.ChartMaxChValue;
    props_.ChartTimeValue = p.ChartTimeValue;
    props_.StatCaptionValue = p.StatCaptionValue;
    optLong->setChecked(p.optLong);
    optShort->setChecked(p.optShort);
    lblSL->setText(p.lblSL);
    lblSH->setText(p.lblSH);
    lblChartitv->setText(p.lblChartitv);
    Lbl_Y->setText(p.Lbl_Y);
}

void Korvel_ChartCtl::UserControl_InitProperties() {
    const ChartProperties fresh;
    props_.PvCaptionText = fresh.PvCaptionText;
    props_.ChartMaxChValue = 0;
    props_.ChartTimeValue = 0;
    props_.SvCaptionText = fresh.SvCaptionText;
    props_.StatCaptionValue = fresh.StatCaptionValue;
}

ChartPropertyLoad Korvel_ChartCtl::UserControl_ReadProperties(const PropertyBag& bag) {
    localise();
    ChartProperties p = currentProperties();
    const ChartPropertyLoad r =
        readChartProperties([&bag](const QString& name, const QVariant& def) { return bag.ReadProperty(name, def); }, p);
    applyProperties(p);
    if (!r.ok) qWarning("chart properties: \"%s\" could not be read", qPrintable(r.failedKey));
    return r;
}

void Korvel_ChartCtl::UserControl_WriteProperties(PropertyBag& bag) const {
    writeChartProperties(currentProperties(), [&bag](const QString& name, const QVariant& value, const QVariant& def) {
        bag.WriteProperty(name, value, def);
    });
}

}  // namespace qvx
