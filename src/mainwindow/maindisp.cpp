#include "maindisp.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "bargr.h"
#include "fit_scroll_area.h"
#include "korvel_chartctl.h"
#include "link.h"
#include "lamp.h"
#include "opuningdisp.h"
#include "preferences.h"
#include "setting_items.h"
#include "subdisp_alarm.h"
#include "subdisp_saveload.h"

namespace qvx {

MainDisp::MainDisp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, const QString& programFolder,
                   const QString& helpFolder, QWidget* parent)
    : QMainWindow(parent),
      m_state(state),
      m_strings(strings),
      m_ui(ui),
      m_programFolder(programFolder),
      m_helpFolder(helpFolder.isEmpty() ? programFolder : helpFolder) {
    setObjectName(QStringLiteral("MainDisp"));
    m_itemNames = itemNameTexts(m_strings);

    buildMenus();
    // The menus, the page tabs and the status bar stay in sight; each page
    // keeps its designed size and, in a smaller window, scrolls on its own.
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(m_central);
    auto* outer = new QVBoxLayout(m_central);
    outer->setContentsMargins(6, 6, 6, 0);
    SSTab2 = new QTabWidget(m_central);
    SSTab2->setObjectName(QStringLiteral("SSTab2"));
    SSTab2->setDocumentMode(false);
    outer->addWidget(SSTab2);
    QWidget* pages[kPages];
    for (int t = 0; t < kPages; ++t) {
        m_pageAreas[t] = new FitScrollArea;
        m_pageAreas[t]->setObjectName(QStringLiteral("pageScroll%1").arg(t));
        pages[t] = new QWidget;
        m_pageAreas[t]->setWidget(pages[t]);
        SSTab2->addTab(m_pageAreas[t], QString());
    }
    buildMainDisplay(pages[0]);
    buildOneChannel(pages[1]);
    buildSettingDisplay(pages[2]);
    {
        auto* l = new QVBoxLayout(pages[3]);
        l->setContentsMargins(6, 6, 6, 6);
        Korvel_ChartCtl1 = createChart(pages[3]);
        Korvel_ChartCtl1->setObjectName(QStringLiteral("Korvel_ChartCtl1"));
        l->addWidget(Korvel_ChartCtl1);
    }
    buildLogging(pages[4]);
    buildAllChannels(pages[5]);
    buildStatusBar();

    // The two message boxes float over the tab control, where they stay
    // in sight while its page scrolls.
    Text_readmsg2 = new QLabel(m_central);
    Text_readmsg2->setObjectName(QStringLiteral("Text_readmsg2"));
    styleCommErrorLabel(Text_readmsg2);
    Text_readmsg2->setFrameShape(QFrame::Box);
    Text_readmsg2->hide();
    Text_readmsg3 = new QLabel(m_central);
    Text_readmsg3->setObjectName(QStringLiteral("Text_readmsg3"));
    Text_readmsg3->setAlignment(Qt::AlignCenter);
    Text_readmsg3->setWordWrap(true);
    Text_readmsg3->setAutoFillBackground(true);
    Text_readmsg3->setFrameShape(QFrame::Box);
    {
        QPalette pal = Text_readmsg3->palette();
        pal.setColor(QPalette::Window, QColor(0xff, 0xe0, 0x82));
        pal.setColor(QPalette::WindowText, QColor(0x3a, 0x2a, 0x00));
        Text_readmsg3->setPalette(pal);
        QFont f = Text_readmsg3->font();
        f.setBold(true);
        Text_readmsg3->setFont(f);
    }
    Text_readmsg3->hide();
    SSTab2->installEventFilter(this);

    // Target of the window capture for printing; never shown.
    Picture2 = new QLabel(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(2000);
    Timer4 = new QTimer(this);
    Timer4->setObjectName(QStringLiteral("Timer4"));
    Timer4->setTimerType(Qt::PreciseTimer);
    Timer4->setInterval(1);

    // Design-time channel labels, until the names are read from the store.
    TabStrip1_Click();
    Option1_Click(0);
    for (int ch = 0; ch < kChannels; ++ch) {
        log_Check1[ch]->setText(channelName(ch));
        BarGr1[ch]->setNrPM(quint8(ch + 1));
        BarGr1[ch]->setTipText(channelName(ch));
        BarGr1[ch]->setSharedState(&m_state);
        tb3_CHName->addItem(channelName(ch));
    }

    connectHandlers();
    Form_Load();
    if (const QScreen* s = screen()) fitToScreen(s->availableGeometry());
}

MainDisp::~MainDisp() = default;

void MainDisp::Form_Load() {
    // 1. The communication object, kept for the whole run.
    m_com = std::make_unique<QVX720Com>();
    // 2. The help file that matches the language of the string table.
    m_helpFilePath = helpFilePath(m_helpFolder, m_strings.text(2));
    // 3. The item-code table; 4. the first poll reads channel 0, phase 0.
    fillParaAddr(m_state);
    m_state.Poll_Cursor.Poll_Ch = 0;
    m_state.Poll_Cursor.Poll_Phase = 0;

    // 5. Captions.
    setWindowTitle(m_strings.text(1));
    mnuFile->setTitle(m_strings.text(3));
    mnuEnd->setText(m_strings.text(4));
    mnuSetting->setTitle(m_strings.text(5));
    mnuCHname->setText(m_strings.text(6));
    mnuUser->setTitle(m_strings.text(7));
    mnuSave->setTitle(m_strings.text(8));
    mnuSave_CH->setText(m_strings.text(9));
    mnuSave_ALL->setText(m_strings.text(10));
    numhelp->setTitle(m_strings.text(11));
    numhelp2->setText(m_strings.text(12));
    numabout->setText(m_strings.text(13));
    numhyst->setText(m_strings.text(15));
    mnupsel->setText(m_strings.text(33));
    mnuFilePrint->setText(m_strings.text(34));
    mnuClear->setText(m_strings.text(36));
    mnuColor->setText(m_strings.text(47));
    mnuTime->setTitle(m_strings.text(48));

    Select_Command->clear();
    Select_Command->addItems(m_itemNames);
    // As wide as the longest row beside the scroll bar: no row is cut off.
    const int rowsWidth = Select_Command->sizeHintForColumn(0) + 2 * Select_Command->frameWidth() +
                          Select_Command->verticalScrollBar()->sizeHint().width() + 4;
    Select_Command->setFixedWidth(std::max(kItemListMinWidth, rowsWidth));
    Select_Command->setCurrentRow(0);  // raises Select_Command_Click

    SSTab2->setTabText(0, m_strings.text(300));
    SSTab2->setTabText(1, m_strings.text(301));
    SSTab2->setTabText(2, m_strings.text(302));
    SSTab2->setTabText(3, m_strings.text(303));
    SSTab2->setTabText(4, m_strings.text(304));
    SSTab2->setTabText(5, m_strings.text(560));
    Frame7->setTitle(m_strings.text(51));
    Option1[0]->setText(m_strings.text(27));
    Option1[1]->setText(m_strings.text(28));
    Option1[2]->setText(m_strings.text(29));
    Option1[3]->setText(m_strings.text(30));
    Option1[4]->setText(m_strings.text(31));
    Frame6->setTitle(m_strings.text(52));
    Option2[0]->setText(m_strings.text(23));
    Option2[1]->setText(m_strings.text(24));
    Option2[2]->setText(m_strings.text(25));
    Option2[3]->setText(m_strings.text(26));
    Label15->setText(m_strings.text(305));
    Frame1->setTitle(m_strings.text(306));
    Label12->setText(m_strings.text(307));
    Label13->setText(m_strings.text(308));
    Cmd_Alm[0]->setText(m_strings.text(157));
    Cmd_Alm[1]->setText(m_strings.text(158));
    Frame2->setTitle(m_strings.text(309));
    Label_mv->setText(m_strings.text(310));
    Label_mvb->setText(m_strings.text(311));
    Label_atm->setText(m_strings.text(312));
    Label19[0]->setText(m_strings.text(124));
    Label19[1]->setText(m_strings.text(125));
    Label19[2]->setText(m_strings.text(128));
    Label19[3]->setText(m_strings.text(129));
    SSTab1->setTabText(0, m_strings.text(321));
    SSTab1->setTabText(1, m_strings.text(322));
    Label_notConnect->setText(m_strings.text(329));
    Frame_Alarm1->setTitle(m_strings.text(323));
    Label_Alm1[0]->setText(m_strings.text(110));
    Label_Alm1[1]->setText(m_strings.text(135));
    Label_Alm1[2]->setText(m_strings.text(139));
    Label_Alm1[3]->setText(m_strings.text(145));
    Label_Alm1[4]->setText(m_strings.text(131));
    Label_Alm1[5]->setText(m_strings.text(146));
    Frame_Alarm2->setTitle(m_strings.text(324));
    Label_Alm2[0]->setText(m_strings.text(111));
    Label_Alm2[1]->setText(m_strings.text(136));
    Label_Alm2[2]->setText(m_strings.text(140));
    Label_Alm2[3]->setText(m_strings.text(147));
    Label_Alm2[4]->setText(m_strings.text(132));
    Frame_Alarm3->setTitle(m_strings.text(194));
    Label_Alm3[0]->setText(m_strings.text(112));
    Label_Alm3[1]->setText(m_strings.text(137));
    Label_Alm3[2]->setText(m_strings.text(141));
    Label_Alm3[3]->setText(m_strings.text(148));
    Label_Alm3[4]->setText(m_strings.text(133));
    Frame_Alarm4->setTitle(m_strings.text(195));
    Label_Alm4[0]->setText(m_strings.text(113));
    Label_Alm4[1]->setText(m_strings.text(138));
    Label_Alm4[2]->setText(m_strings.text(142));
    Label_Alm4[3]->setText(m_strings.text(149));
    Label_Alm4[4]->setText(m_strings.text(134));
    Frame_HB->setTitle(m_strings.text(325));
    Label_Alm_HB[0]->setText(m_strings.text(168));
    Label_Alm_HB[1]->setText(m_strings.text(169));
    Label_Alm_HB[2]->setText(m_strings.text(166));
    Label_Alm_HB[3]->setText(m_strings.text(167));
    Frame_LP->setTitle(m_strings.text(326));
    Label_Alm_LP[0]->setText(m_strings.text(116));
    Label_Alm_LP[1]->setText(m_strings.text(117));
    Frame_Other->setTitle(m_strings.text(322));
    const QString others[17] = {
        m_strings.text(118), m_strings.text(103), m_strings.text(105), m_strings.text(106), m_strings.text(107),
        m_strings.text(153), m_strings.text(121), m_strings.text(122), m_strings.text(119), m_strings.text(123),
        m_strings.text(126), m_strings.text(156), m_strings.text(109), m_strings.text(144), m_strings.text(152),
        m_strings.text(154), m_strings.text(155)};
    for (int j = 0; j < 17; ++j) Label_oth[j]->setText(others[j]);
    Frame_Cool->setTitle(m_strings.text(327));
    Label_cool[0]->setText(m_strings.text(127));
    Label_cool[1]->setText(m_strings.text(104));
    Label_cool[2]->setText(m_strings.text(108));
    Label_cool[3]->setText(m_strings.text(130));
    Label_cool[4]->setText(m_strings.text(120));
    for (int j : {0, 1, 4, 5, 6, 8, 9, 10, 13}) Label1[j]->setText(m_strings.text(374));
    Label1[3]->setText(m_strings.text(371));
    for (QPushButton* b : Command_OUT) b->setText(m_strings.text(313));

    Logging_time->clear();
    Logging_time->addItems(loggingIntervalTexts(m_strings));
    Logging_time->setCurrentIndex(0);
    Label10->setText(m_strings.text(550));
    Label57->setText(m_strings.text(551));
    Label61[1]->setText(m_strings.text(552));
    Label1[80]->setText(m_strings.text(553));
    Check1->setText(m_strings.text(554));
    setStatusPanel(2, m_strings.text(18));
    setStatusPanel(3, m_strings.text(20));
    Command1[0]->setText(m_strings.text(330));
    Command1[1]->setText(m_strings.text(331));
    Command1[2]->setText(m_strings.text(334));
    for (int i = 0; i < kAllPageIndexes; ++i)
        if (Cmd_change2[i]) Cmd_change2[i]->setText(itemName(m_itemNames, i + 10));
    Command2[0]->setText(m_strings.text(562));
    Command2[1]->setText(m_strings.text(563));
    Command2[2]->setText(m_strings.text(564));
    Text_readmsg2->setText(m_strings.text(451));
    Text_readmsg3->setText(m_strings.text(452));
    placeMessageBoxes();
}

void MainDisp::connectHandlers() {
    connectButtons();
    setupLogging();
    connect(SSTab2, &QTabWidget::currentChanged, this, [this](int) {
        SSTab2_Click(0);
        refreshSelectionNow();
    });
    // A new row, chosen with the mouse, the keys or by program: the handler runs once.
    connect(Select_Command, &QListWidget::currentRowChanged, this, [this](int) {
        Select_Command_Click();
        refreshSelectionNow();
    });
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int) {
        TabStrip1_Click();
        refreshSelectionNow();
    });
    for (int i = 0; i < 4; ++i)
        connect(Option2[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on) return;
            Option2_Click(i);
            refreshSelectionNow();
        });
    for (int i = 0; i < 5; ++i)
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on) return;
            Option1_Click(i);
            refreshSelectionNow();
        });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int) { refreshSelectionNow(); });
    connect(tb3_CHName, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int) { refreshSelectionNow(); });
    for (int i = 0; i < kAllPageIndexes; ++i)
        if (Option_Check[i]) connect(Option_Check[i], &QCheckBox::stateChanged, this, [this, i](int) {
                Option_Check_Click(i);
            });
    connect(Timer3, &QTimer::timeout, this, &MainDisp::Timer3_Timer);
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(tb3_CHName, QOverload<int>::of(&QComboBox::activated), this, [this](int) { tb3_CHName_Click(); });

    connect(mnupsel, &QAction::triggered, this, &MainDisp::mnupsel_Click);
    connect(mnuFilePrint, &QAction::triggered, this, &MainDisp::mnuFilePrint_Click);
    connect(mnuEnd, &QAction::triggered, this, &MainDisp::mnuEnd_Click);
    connect(mnuCHname, &QAction::triggered, this, &MainDisp::mnuCHname_Click);
    connect(mnuColor, &QAction::triggered, this, &MainDisp::mnuColor_Click);
    connect(mnuClear, &QAction::triggered, this, &MainDisp::mnuClear_Click);
    for (int n = 1; n <= kTimeoutChoices; ++n)
        connect(mnuTime1[n], &QAction::triggered, this, [this, n] { mnuTime1_Click(n); });
    connect(mnuSave_CH, &QAction::triggered, this, &MainDisp::mnuSave_CH_Click);
    connect(mnuSave_ALL, &QAction::triggered, this, &MainDisp::mnuSave_ALL_Click);
    connect(numhyst, &QAction::triggered, this, &MainDisp::numhyst_Click);
    connect(numhelp2, &QAction::triggered, this, &MainDisp::numhelp2_Click);
    connect(numabout, &QAction::triggered, this, &MainDisp::numabout_Click);
}

// ---- neighbours ------------------------------------------------------------------

void MainDisp::setCommAcceptHandler(SubDisp_comm::AcceptHandler handler) {
    onCommAccept_ = std::move(handler);
    if (m_comm) m_comm->setAcceptHandler(onCommAccept_);
}

QString MainDisp::channelName(int ch) const {
    return m_store ? qvx::channelName(*m_store, ch) : defaultChannelName(ch);
}

OpuningDisp* MainDisp::opening() {
    if (!m_opening) m_opening = std::make_unique<OpuningDisp>(m_strings);
    return m_opening.get();
}

SubDisp_comm* MainDisp::commDialog() {
    if (!m_comm) {
        const QString def = QString::number(kDefaultTimeoutChoice);
        const QString stored = m_store ? m_store->read(QLatin1String(PrefKey::Time_Count), def) : def;
        m_comm = new SubDisp_comm(m_state, m_strings, m_ui, stored, this);
        m_comm->setWindowFlag(Qt::Window);
        m_comm->setAcceptHandler(onCommAccept_);
        m_comm->setShutDownHandler(onShutDown_);
    }
    return m_comm;
}

void MainDisp::setShutDownHandler(std::function<void()> handler) {
    onShutDown_ = std::move(handler);
    if (m_comm) m_comm->setShutDownHandler(onShutDown_);
}

void MainDisp::postOutsideTick(std::function<void()> fn) {
    QTimer::singleShot(0, this, [this, fn = std::move(fn)]() mutable {
        if (End_flg) return;
        if (m_link && m_link->inTick()) {
            QTimer::singleShot(20, this, [this, fn = std::move(fn)]() mutable { postOutsideTick(std::move(fn)); });
            return;
        }
        fn();
    });
}

// ---- LinkView ----------------------------------------------------------------------

void MainDisp::setStatusPanel(int panel, const QString& text) {
    if (panel < 1 || panel > 4) return;
    // A re-read or transfer let through between two steps of a data clear
    // hands panel 4 back to the clear, whose text stays until it ends.
    if (panel == 4 && text.isEmpty() && m_link && m_link->dataClearRunning()) {
        m_panelText[panel] = m_strings.text(454);
    } else {
        m_panelText[panel] = text;
    }
    m_panelDirty[panel] = true;
    if (!m_deferPanels) flushStatusPanels();
}

QString MainDisp::statusPanelText(int panel) const {
    if (panel < 1 || panel > 4) return {};
    return m_panelDirty[panel] ? m_panelText[panel] : StatusPanel[panel]->text();
}

void MainDisp::deferStatusPanels(bool on) {
    m_deferPanels = on;
    if (!on) flushStatusPanels();
}

void MainDisp::flushStatusPanels() {
    for (int p = 1; p <= 4; ++p) {
        if (!m_panelDirty[p]) continue;
        m_panelDirty[p] = false;
        if (StatusPanel[p]->text() != m_panelText[p]) StatusPanel[p]->setText(m_panelText[p]);
    }
}

void MainDisp::setCommErrorVisible(bool visible) {
    if (m_opening) m_opening->setCommErrorVisible(visible);
    if (Text_readmsg2->isHidden() != visible) return;
    Text_readmsg2->setVisible(visible);
    if (visible) Text_readmsg2->raise();
}

void MainDisp::showKeyOperationMessage() {
    Timer3->start();
    Text_readmsg3->show();
    Text_readmsg3->raise();
    m_ui.beep();
}

void MainDisp::Timer3_Timer() {
    Text_readmsg3->hide();
    Timer3->stop();
}

void MainDisp::setScanProgress(int value) {
    if (m_opening)
        m_opening->setProgress(value);
    else if (m_rescanBar)
        m_rescanBar->setValue(value);
}

void MainDisp::dataClearRunning(bool running) {
    if (!m_rescanBar) {
        m_rescanBar = new QProgressBar(StatusBar1);
        m_rescanBar->setObjectName(QStringLiteral("rescanBar"));
        m_rescanBar->setRange(0, kChannels);
        m_rescanBar->setFormat(QStringLiteral("%v/%m"));
        m_rescanBar->setMaximumWidth(160);
        // No taller than the panels: the status bar keeps its height.
        m_rescanBar->setMaximumHeight(StatusPanel[1]->sizeHint().height());
        StatusBar1->addPermanentWidget(m_rescanBar);
    }
    m_rescanBar->setValue(0);
    m_rescanBar->setVisible(running);
    setStatusPanel(4, running ? m_strings.text(454) : QString());
}

bool MainDisp::lineWorkRefused() {
    if (!m_link || !m_link->dataClearRunning()) return false;
    refuseWith(454);
    return true;
}

void MainDisp::refuseWith(int textId) {
    m_ui.messageBox(this, m_strings.text(textId), m_strings.text(1), UiSeam::Icon::Exclamation, UiSeam::Buttons::Ok);
}

void MainDisp::setChartMaxCh(int n) { Korvel_ChartCtl1->setChartMaxCh(qint16(n)); }

void MainDisp::startUpScanDone() {
    if (m_opening) {
        m_opening->setCloseHandler({});
        m_opening->close();
        m_opening.reset();
    }
    show();
    // With its frame known, the window is fitted to the screen once more.
    fitToScreenOnceFramed();
    if (Chart_Run != 0) Korvel_ChartCtl1->auto_run();
}

void MainDisp::setCommDialogPort(const QString& port) { commDialog()->setPortText(port); }

void MainDisp::setCommDialogSpeed(const QString& speed) { commDialog()->setSpeedText(speed); }

void MainDisp::setCommDialogReason(const QString& text) {
    commDialog()->setReason(text);
    // Once per failed link check, as a device that fails while monitoring: a
    // program started from a menu or as a service leaves it in the journal.
    if (!text.isEmpty()) qWarning("the port did not come up: %s", qUtf8Printable(text));
}

void MainDisp::showCommDialog() {
    SubDisp_comm* d = commDialog();
    d->show();
    d->raise();
}

void MainDisp::checkTimeoutMenu(int choice) {
    if (choice < 1 || choice > kTimeoutChoices) return;
    for (int n = 1; n <= kTimeoutChoices; ++n) mnuTime1[n]->setChecked(n == choice);
}

int MainDisp::optionCheckValue(int box) const {
    if (!allPageHasRow(box)) return 0;
    switch (Option_Check[box]->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void MainDisp::setOptionCheckValue(int box, int value) {
    if (!allPageHasRow(box)) return;
    Option_Check[box]->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

bool MainDisp::logBoxChecked(int ch) const {
    return ch >= 0 && ch < kChannels && log_Check1[ch]->isChecked();
}

void MainDisp::setLogBoxEnabled(int ch, bool enabled) {
    if (ch < 0 || ch >= kChannels) return;
    QCheckBox* box = log_Check1[ch];
    auto& kept = m_logChoiceKept[std::size_t(ch)];
    // An absent channel's box is cleared for the view; the operator's choice
    // stays underneath, for the exit's save and for the scan that finds the
    // channel again.
    if (!enabled && !kept) kept = box->isChecked();
    if (enabled && kept) box->setChecked(*std::exchange(kept, std::nullopt));
    box->setEnabled(enabled);
}

void MainDisp::setLogBoxChecked(int ch, bool checked) {
    if (ch >= 0 && ch < kChannels) log_Check1[ch]->setChecked(checked);
}

void MainDisp::setLogFileCaption(const QString& path) {
    Savename_text->setText(path);
    m_logFileShown = true;
}

bool MainDisp::confirmDataClear() {
    return m_ui.messageBox(this, m_strings.text(60), QString(), UiSeam::Icon::Question, UiSeam::Buttons::YesNo) ==
           UiSeam::Answer::Yes;
}

void MainDisp::processEvents() { QCoreApplication::processEvents(); }

// ---- closing -----------------------------------------------------------------------

void MainDisp::Form_Unload(bool& Cancel) {
    if (onUnload_) onUnload_(Cancel);
}

void MainDisp::closeEvent(QCloseEvent* event) {
    if (m_unloadAccepted) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    m_unloadAccepted = true;
    event->accept();
}

void MainDisp::mnuEnd_Click() {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) return;
    m_unloadAccepted = true;
    close();
}

// ---- menus -------------------------------------------------------------------------

void MainDisp::mnuTime1_Click(int Index) {
    if (Index < 1 || Index > kTimeoutChoices) return;
    for (int n = 1; n <= kTimeoutChoices; ++n) mnuTime1[n]->setChecked(n == Index);
    m_state.Time_Count = qint16(Index);
    if (m_com) m_com->Comm_SetTimeOut(timeoutMs(Index));
}

// ---- pages, tabs and the setting item ----------------------------------------------

int MainDisp::tabStripPageBase() const { return TabStrip1->currentIndex() * 20; }

void MainDisp::TabStrip1_Click() {
    reloadChannelNames();
    const int base = tabStripPageBase();
    const int rows = base == 80 ? 15 : kPanels;
    for (int i = 0; i < rows; ++i) Frame_All[i]->setTitle(m_names(base + i));
    // The panels now stand for other channels: the next refresh writes them all.
    m_views.main.invalidate();
}

void MainDisp::Option2_Click(int) {
    if (Option2[0]->isChecked()) {
        const int base = tabStripPageBase();
        TabStrip1->setVisible(true);
        const int rows = base == 80 ? 15 : kPanels;
        for (int i = 0; i < rows; ++i) Frame_All[i]->setVisible(m_state.NoConnect(base + i) != 1);
        Frame3->hide();
        Frame4->hide();
        Frame5->hide();
        m_views.main.invalidate();
        return;
    }
    QGroupBox* page = Option2[1]->isChecked()   ? Frame3
                      : Option2[2]->isChecked() ? Frame4
                      : Option2[3]->isChecked() ? Frame5
                                                : nullptr;
    if (!page) return;
    TabStrip1->setVisible(false);
    for (QGroupBox* f : Frame_All) f->hide();
    for (QGroupBox* f : {Frame3, Frame4, Frame5}) f->setVisible(f == page);
    m_views.main.invalidate();
}

void MainDisp::Option1_Click(int) {
    int base = 0;
    for (int n = 0; n < 5; ++n)
        if (Option1[n]->isChecked()) {
            base = 20 * n;
            break;
        }
    m_settingPageBase = base;
    reloadChannelNames();
    const int rows = base == 80 ? 15 : kPanels;
    for (int i = 0; i < rows; ++i) label_setdata[i]->setText(m_names(base + i));
    m_views.grid.invalidate();
}

void MainDisp::Option_Check_Click(int Index) {
    if (!allPageHasRow(Index)) return;
    const bool on = Option_Check[Index]->checkState() == Qt::Checked;
    Cmd_change2[Index]->setEnabled(on);
    Setdata_Para2[Index]->setEnabled(on);
}

void MainDisp::Select_Command_Click() {
    const int row = Select_Command->currentRow();
    const int item = settingItemOfRow(row);
    if (item >= 0) {
        m_state.Edit_Context.Set_Item = qint16(item);
        Frame_main->setTitle(m_itemNames.value(row));
    }
    for (int n = 0; n < 3; ++n) {
        Frame_sub1[n]->hide();
        Frame_sub2[n]->hide();
    }
    const int pair = entryPairOfItem(m_state.Edit_Context.Set_Item);
    Frame_sub1[pair]->show();
    Frame_sub2[pair]->show();
    m_views.grid.invalidate();
}

void MainDisp::SSTab2_Click(int) { Select_Command_Click(); }

void MainDisp::refreshSelectionNow() {
    // Inside a tick (a box it raised, a transfer's wait) the tick refreshes
    // when it ends; before the scan is done there is nothing to show.
    if (m_link && !m_link->inTick() && isVisible()) SelectDispItem();
}

// ---- the window on the screen -------------------------------------------------------

QMargins MainDisp::windowFrame() const {
    if (!isVisible()) return {};
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void MainDisp::fitToScreen(const QRect& available) {
    const QMargins frame = windowFrame();
    // Until the desktop has drawn its frame, room is kept for a common one,
    // so that a window whose frame would not fit opens maximized at once.
    const bool frameKnown = !frame.isNull() || m_frameSettled;
    const WindowPlace place = placeWindow(available, QSize(kDesignedWidth, kDesignedHeight), frame,
                                          frameGeometry().topLeft(), frameKnown ? QMargins() : kFrameGuess);
    if (place.maximized) {
        if (!(windowState() & Qt::WindowMaximized)) setWindowState(windowState() | Qt::WindowMaximized);
        // Without a window manager nobody carries out the maximizing: the
        // window is given the area itself.
        if (geometry() != place.client) setGeometry(place.client);
        return;
    }
    if (windowState() & Qt::WindowMaximized) setWindowState(windowState() & ~Qt::WindowMaximized);
    resize(place.client.size());
    if (place.frame.topLeft() != frameGeometry().topLeft()) move(place.frame.topLeft());
}

void MainDisp::fitToScreenOnceFramed() {
    if (const QScreen* s = screen()) fitToScreen(s->availableGeometry());
    if (m_frameSettled) return;
    m_fitPending = true;
    // A desktop without a window manager draws no frame: the fit then stands.
    QTimer::singleShot(kFrameWaitMs, this, [this] { fitOnFrameKnown(true); });
}

void MainDisp::fitOnFrameKnown(bool waitedLongEnough) {
    if (!m_fitPending || !isVisible() || (windowFrame().isNull() && !waitedLongEnough)) return;
    m_fitPending = false;
    m_frameSettled = true;
    if (const QScreen* s = screen()) fitToScreen(s->availableGeometry());
}

void MainDisp::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    fitOnFrameKnown(false);
}

void MainDisp::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitOnFrameKnown(false);
}

// ---- message boxes over the tab control ----------------------------------------------

bool MainDisp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SSTab2 && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) placeMessageBoxes();
    return QMainWindow::eventFilter(watched, event);
}

void MainDisp::placeMessageBoxes() {
    if (!Text_readmsg2 || !Text_readmsg3) return;
    const QRect area = SSTab2->geometry();
    // The error badge sits at the right end of the tab row; the key-operation
    // message just below it, over the page.
    const int tabRowTop = area.top() + SSTab2->tabBar()->y();
    const int tabRowHeight = SSTab2->tabBar()->sizeHint().height();
    const QFontMetrics fm(Text_readmsg2->font());
    const int w2 = fm.horizontalAdvance(Text_readmsg2->text()) + 40;
    Text_readmsg2->setGeometry(area.right() - 4 - w2, tabRowTop, w2, tabRowHeight - 2);
    const int w3 = qMin(460, area.width() - 28);
    const int h3 = QFontMetrics(Text_readmsg3->font()).boundingRect(QRect(0, 0, w3 - 24, 200), Qt::TextWordWrap,
                                                                    Text_readmsg3->text()).height() + 20;
    Text_readmsg3->setGeometry(area.right() - 4 - w3, tabRowTop + tabRowHeight + 8, w3, h3);
}

}  // namespace qvx
