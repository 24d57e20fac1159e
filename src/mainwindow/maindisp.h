// MainDisp: the program's main window and the owner of the communication
// object. It is built hidden, shown by the link once the start-up scan is
// done, and lives until the program ends.
#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "display_rules.h"
#include "link_view.h"
#include "preferences.h"
#include "qvx720_inc.h"
#include "qvx720com.h"
#include "settings_store.h"
#include "string_table.h"
#include "subdisp_comm.h"
#include "ui_seam.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabBar;
class QTabWidget;
class QTimer;

namespace qvx {

class AlarmHistory;
class BarGr;
class Link;
class Korvel_ChartCtl;
class Lamp;
class MV_BerGraph;
class OpuningDisp;
class SubDisp_Alarm;
class Setting_Disp;
class Setting2_Disp;
class Setting4_Disp;
class Select_Disp;
class Select2_Disp;
struct ButtonAction;
struct LogWriteResult;
class SubDisp_History;
class SubDisp_SaveLoad;

class MainDisp : public QMainWindow, public LinkView {
    Q_OBJECT
public:
    static constexpr int kPanels = 20;
    static constexpr int kItemListMinWidth = 260;  // the setting-item list Select_Command
    // The window's designed size; a smaller screen gets a smaller window
    // whose tabs scroll.
    static constexpr int kDesignedWidth = 1280;
    static constexpr int kDesignedHeight = 800;

    // Builds the window and runs its load (hidden). programFolder is the
    // folder of the program, without a trailing separator; helpFolder the
    // folder of the help files (empty: programFolder).
    MainDisp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, const QString& programFolder,
             const QString& helpFolder = QString(), QWidget* parent = nullptr);
    ~MainDisp() override;

    // ---- hooks for the start-up and link code --------------------------------
    // The settings store that channel names and the stored time-out come from
    // (none: every key reads its default).
    void setSettingsStore(SettingsStore* store) { m_store = store; }
    // Closing the window or File > End: saves the settings and asks whether to
    // end; sets cancel to keep the window.
    using UnloadHandler = std::function<void(bool& cancel)>;
    void setUnloadHandler(UnloadHandler handler) { onUnload_ = std::move(handler); }
    // OK of the communication-condition dialog (port, speed, time-out choice).
    void setCommAcceptHandler(SubDisp_comm::AcceptHandler handler);
    // "Shut down" of the communication-condition dialog, after its box: the
    // program's exit steps without the save. Without one the dialog ends the
    // process itself.
    void setShutDownHandler(std::function<void()> handler);
    // Runs fn from the event loop once no link tick runs (a tick that
    // processes events would run it inside itself): a box opened there never
    // holds the link or the logging clock. Nothing runs once the program ends.
    void postOutsideTick(std::function<void()> fn);

    // The link that the window's link handlers (data clear) call.
    void setLink(Link* link) { m_link = link; }

    // Settings store: the window's part of the start-up load (regRead) and of
    // the exit save, and the channel names of every control.
    void regRead(const Preferences& p);
    void gatherExitPreferences(Preferences& p) const;
    void Chname_Read();
    void Check1_Click();
    void tb3_CHName_Click();

    // The communication object (created by the load, released at shut-down).
    QVX720Com* comm() { return m_com.get(); }
    void releaseComm() { m_com.reset(); }
    const QString& HelpFile_Path() const { return m_helpFilePath; }
    // Channel name from the settings store ("Chname" + NN, default "Ch" + NN).
    QString channelName(int ch) const;

    // Windows that belong to the main window; each is created hidden on first use.
    OpuningDisp* opening();
    SubDisp_comm* commDialog();
    SubDisp_Alarm* alarmDialog();
    SubDisp_SaveLoad* saveLoadDialog();
    bool openingExists() const { return m_opening != nullptr; }

    // Sizes and places the window, its frame included, within the available
    // area of a screen: the designed size where that and the frame fit (moved
    // into the area where it lies outside it), else maximized over the whole
    // area (the pages then scroll). Before the desktop's frame is known, room
    // is kept for one.
    void fitToScreen(const QRect& available);
    // fitToScreen now, and once more when the desktop has put its frame
    // around the shown window (or, without one, after a short wait).
    void fitToScreenOnceFramed();
    // The frame the desktop draws around the window (none while hidden).
    QMargins windowFrame() const;
    static constexpr int kPages = 6;
    // The scrolling area that holds the page of tab `tab` of SSTab2.
    class FitScrollArea* pageArea(int tab) const { return m_pageAreas.at(tab); }

    // Loads and creates the chart settings and hands them to the chart. The
    // chart files that could not be read or created, as "file: reason".
    QStringList system_init();

    // ---- LinkView --------------------------------------------------------------
    void setStatusPanel(int panel, const QString& text) override;
    void setCommErrorVisible(bool visible) override;
    void showKeyOperationMessage() override;
    void setScanProgress(int value) override;
    void setChartMaxCh(int n) override;
    void SelectDispItem() override;
    void startUpScanDone() override;
    void setCommDialogPort(const QString& port) override;
    void setCommDialogSpeed(const QString& speed) override;
    void showCommDialog() override;
    void setCommDialogReason(const QString& text) override;
    void checkTimeoutMenu(int choice) override;
    int optionCheckValue(int box) const override;
    bool logBoxChecked(int ch) const override;
    void setLogBoxEnabled(int ch, bool enabled) override;
    void setLogBoxChecked(int ch, bool checked) override;
    void setLogFileCaption(const QString& path) override;
    void startLogging() override;
    bool confirmDataClear() override;
    void processEvents() override;
    void dataClearRunning(bool running) override;
    // While a data clear runs, line work (writes, transfers, another clear)
    // is refused with a word to the operator: true when refused.
    bool lineWorkRefused();
    // A box with text textId that says why a command was not carried out.
    void refuseWith(int textId);

    // Value (0 clear, 1 checked, 2 greyed) of all-channels page box n.
    void setOptionCheckValue(int box, int value);
    QString statusPanelText(int panel) const;
    // Inside a link tick the panels are only recorded and shown once at its
    // end: the poll empties panel 1 and sets it again on every transaction,
    // which must not relayout the status bar each time.
    void deferStatusPanels(bool on);
    void flushStatusPanels();

    // ---- handlers --------------------------------------------------------------
    void Form_Unload(bool& Cancel);
    void TabStrip1_Click();
    void Option2_Click(int Index);
    void Option1_Click(int Index);
    void Option_Check_Click(int Index);
    void Select_Command_Click();
    void SSTab2_Click(int PreviousTab);
    void Timer3_Timer();
    // A new page, channel or item chosen on the shown window is filled at
    // once, not at the next tick: a step of a data clear or a silent
    // controller can hold that tick back for a whole time-out.
    void refreshSelectionNow();

    // ---- buttons ----
    // Channel setting and command buttons (rules in core/commands.h).
    void Command_change_Click(int Index);
    void Command_change2_Click(int Index);
    void Command_AT_Click(int Index);
    void Command_OUT_Click(int Index);
    void Command_1channe_sv_Click();
    void tb3_OUTOFF_Click();
    void Cmd_AT_Click();
    void Cmd_Alm_Click(int Index);
    void Cmd_change2_Click(int Index);
    // The setting dialogs, each created hidden on first use.
    Setting_Disp* settingDisp();
    Setting2_Disp* setting2Disp();
    Setting4_Disp* setting4Disp();
    Select_Disp* selectDisp();
    Select2_Disp* select2Disp();
    // ---- end buttons ----

    void mnuEnd_Click();
    void mnuCHname_Click();
    void mnuColor_Click();
    void mnuClear_Click();
    void mnuTime1_Click(int Index);
    void mnuSave_CH_Click();
    void mnuSave_ALL_Click();
    void numhyst_Click();

    // ---- shared fields -----------------------------------------------------------
    bool End_flg = false;
    // Chart recording ran at the last exit (record 195 of the chart files).
    qint16 Chart_Run = 0;

    // ---- menus -------------------------------------------------------------------
    QMenu* mnuFile = nullptr;
    QAction* mnupsel = nullptr;
    QAction* mnuFilePrint = nullptr;
    QAction* numlin1 = nullptr;
    QAction* mnuEnd = nullptr;
    QMenu* mnuSetting = nullptr;
    QAction* mnuCHname = nullptr;
    QAction* mnuColor = nullptr;
    QAction* mnuClear = nullptr;
    QMenu* mnuTime = nullptr;
    std::array<QAction*, kTimeoutChoices + 1> mnuTime1{};  // 1..14
    QMenu* mnuUser = nullptr;
    QMenu* mnuSave = nullptr;
    QAction* mnuSave_CH = nullptr;
    QAction* mnuSave_ALL = nullptr;
    QAction* numlin2 = nullptr;
    QAction* numhyst = nullptr;
    QMenu* numhelp = nullptr;
    QAction* numhelp2 = nullptr;
    QAction* numlin3 = nullptr;
    QAction* numabout = nullptr;

    // ---- main tab and tab 0, main display ---------------------------------------
    QTabWidget* SSTab2 = nullptr;
    QGroupBox* Frame6 = nullptr;
    std::array<QRadioButton*, 4> Option2{};
    QTabBar* TabStrip1 = nullptr;
    std::array<QGroupBox*, kPanels> Frame_All{};
    std::array<QLabel*, kPanels> DispPv{}, DispSv{}, Label_Unit{}, Label_PV{}, Label_SV{};
    std::array<Lamp*, kPanels> Label_A1{}, Label_A2{}, Label_A3{}, Label_A4{}, Label_HB{}, Label_LP{}, Label_SB{},
        Label_at{};
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    std::array<BarGr*, kChannels> BarGr1{};

    // ---- tab 1, one-channel display ------------------------------------------------
    QLabel* Label15 = nullptr;
    QComboBox* tb3_CHName = nullptr;
    QLabel* Label_notConnect = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Text_PV = nullptr;
    QLabel* Text_SV = nullptr;
    std::array<QLabel*, 2> Text_MV{};
    QLabel* Label11 = nullptr;
    std::array<QLabel*, 18> Label_CF{};
    std::array<QLabel*, 81> Label1{};  // sparse: 0..6, 8..11, 13 units, 80 logging
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    Lamp* Lamp_up = nullptr;
    Lamp* Lamp_down = nullptr;
    std::array<Lamp*, 2> Lamp_CONT{};
    Lamp* Lamp_AT = nullptr;
    QLabel* Label_HEETCOOL = nullptr;
    QLabel* Label_OUTOFF = nullptr;
    QPushButton* tb3_OUTOFF = nullptr;
    QPushButton* Cmd_AT = nullptr;
    QPushButton* Command_1channe_sv = nullptr;
    std::array<QPushButton*, 2> Cmd_Alm{};
    QLabel* Label_mv = nullptr;
    QLabel* Label_mvb = nullptr;
    QLabel* Label_atm = nullptr;
    QLabel* Label58 = nullptr;
    std::array<QLabel*, 4> Label19{}, Label21{};
    QLabel* Text_ohl = nullptr;
    QLabel* Text_oll = nullptr;
    QLabel* Text_ohlb = nullptr;
    QLabel* Text_ollb = nullptr;
    MV_BerGraph* MV_BerGraph1 = nullptr;
    MV_BerGraph* MV_BerGraph2 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QGroupBox* Frame_Alarm1 = nullptr;
    QGroupBox* Frame_Alarm2 = nullptr;
    QGroupBox* Frame_Alarm3 = nullptr;
    QGroupBox* Frame_Alarm4 = nullptr;
    Lamp* Lamp_Alm1 = nullptr;
    Lamp* Lamp_Alm2 = nullptr;
    Lamp* Lamp_Alm3 = nullptr;
    Lamp* Lamp_Alm4 = nullptr;
    std::array<QLabel*, 6> Label_Alm1{}, Label_A1val{};
    std::array<QLabel*, 5> Label_Alm2{}, Label_A2val{}, Label_Alm3{}, Label_A3val{}, Label_Alm4{}, Label_A4val{};
    QGroupBox* Frame_HB = nullptr;
    std::array<Lamp*, 4> Lamp_Alm_HB{};
    std::array<QLabel*, 4> Label_Alm_HB{};
    std::array<QLabel*, 2> Label_HBval{}, Label_CT1{}, Label_CT2{}, Lbl_CT1{};
    QGroupBox* Frame_LP = nullptr;
    Lamp* Lamp_Alm_LP = nullptr;
    std::array<QLabel*, 2> Label_Alm_LP{}, Label_LPval{};
    QGroupBox* Frame_Other = nullptr;
    std::array<QLabel*, 17> Label_oth{}, Label_othval{};
    QGroupBox* Frame_Cool = nullptr;
    std::array<QLabel*, 5> Label_cool{}, Label_coolval{};

    // ---- tab 2, setting display ------------------------------------------------------
    QGroupBox* Frame7 = nullptr;
    std::array<QRadioButton*, 5> Option1{};
    QListWidget* Select_Command = nullptr;
    QGroupBox* Frame_main = nullptr;
    std::array<QFrame*, 3> Frame_sub1{}, Frame_sub2{};
    std::array<QLabel*, kPanels> label_setdata{}, Setdata_Para{}, Select_comand{}, settin_inf{};
    std::array<QPushButton*, kPanels> Command_change{}, Command_change2{}, Command_AT{}, Command_OUT{};
    std::array<Lamp*, kPanels> Shape_AT{}, Shape_OUT{};

    // ---- tab 3, chart ----------------------------------------------------------------
    Korvel_ChartCtl* Korvel_ChartCtl1 = nullptr;

    // ---- tab 4, logging --------------------------------------------------------------
    QGroupBox* Frame_logging = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label57 = nullptr;
    std::array<QLabel*, 2> Label61{};
    QComboBox* Logging_time = nullptr;
    QLabel* Savename_text = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QPushButton*, 3> Command1{};
    std::array<QCheckBox*, kChannels> log_Check1{};

    // ---- tab 5, all channels -------------------------------------------------------
    // Indexed 0..53; no element at 1, 8 and 44.
    std::array<QCheckBox*, 54> Option_Check{};
    std::array<QPushButton*, 54> Cmd_change2{};
    std::array<QLabel*, 54> Setdata_Para2{};
    std::array<QPushButton*, 3> Command2{};

    // ---- frame of the window ---------------------------------------------------------
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 5> StatusPanel{};  // panels 1..4
    QLabel* Text_readmsg2 = nullptr;
    QLabel* Text_readmsg3 = nullptr;
    QLabel* Picture2 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void buildMenus();
    void buildMainDisplay(QWidget* page);
    void buildOneChannel(QWidget* page);
    void buildSettingDisplay(QWidget* page);
    void buildLogging(QWidget* page);
    void buildAllChannels(QWidget* page);
    void buildStatusBar();
    void connectHandlers();
    void connectButtons();
    int rowChannel(int row) const;
    void applyButtonAction(const ButtonAction& a);
    void placeMessageBoxes();
    int tabStripPageBase() const;

    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    QString m_programFolder;
    QString m_helpFolder;
    QString m_helpFilePath;
    std::unique_ptr<QVX720Com> m_com;
    QStringList m_itemNames;
    SettingsStore* m_store = nullptr;
    UnloadHandler onUnload_;
    SubDisp_comm::AcceptHandler onCommAccept_;
    std::function<void()> onShutDown_;
    bool m_unloadAccepted = false;
    // The logging file name as the store held it at start, until the window
    // shows its caption (the logging resume after the start-up scan fills
    // it): an exit before then saves it as it was read, or leaves the key
    // out when there was none.
    std::optional<QString> m_logFileAsRead;
    bool m_logFileShown = false;
    int m_settingPageBase = 0;
    Link* m_link = nullptr;
    std::array<QString, 5> m_panelText{};  // panels 1..4 as last set
    std::array<bool, 5> m_panelDirty{};
    bool m_deferPanels = false;
    // How far a data clear's rescan has got, in the status bar while it runs.
    QProgressBar* m_rescanBar = nullptr;
    // The operator's logging choice of each absent channel, kept while its
    // box is shown disabled and clear (none while the box is live).
    std::array<std::optional<bool>, kChannels> m_logChoiceKept{};

    std::unique_ptr<OpuningDisp> m_opening;
    QPointer<SubDisp_comm> m_comm;
    QPointer<SubDisp_Alarm> m_alarm;
    QPointer<Setting_Disp> m_settingDisp;
    QPointer<Setting2_Disp> m_setting2Disp;
    QPointer<Setting4_Disp> m_setting4Disp;
    QPointer<Select_Disp> m_selectDisp;
    QPointer<Select2_Disp> m_select2Disp;
    QPointer<SubDisp_SaveLoad> m_saveLoad;
    QWidget* m_central = nullptr;
    std::array<class FitScrollArea*, kPages> m_pageAreas{};
    // Room kept for a frame not drawn yet: a title bar and thin borders.
    static constexpr QMargins kFrameGuess{8, 32, 8, 16};
    static constexpr int kFrameWaitMs = 2000;
    bool m_fitPending = false;    // a fit waits for the desktop's frame
    bool m_frameSettled = false;  // the frame is known, or no frame came
    void fitOnFrameKnown(bool waitedLongEnough);

    // ---- refresh ----
public:
    // The alarm history whose grid the history window shows. The window is
    // created hidden here, so that every entry reaches its grid whether it
    // is shown or not; nullptr removes it.
    void setAlarmHistory(AlarmHistory* history);
    AlarmHistory* alarmHistory() const { return m_history; }
    // The history window; nullptr until an alarm history is set.
    SubDisp_History* historyWindow() const;
    // The selections of the window that decide what a refresh shows.
    DisplayInputs displayInputs() const;

private:
    void reloadChannelNames();
    void applyPanels();
    void applyBars(int lo, int hi);
    void applyOneChannel();
    void applySettingGrid();
    void applyAllChannels();
    void applyChartFeed();

    DisplayViews m_views;
    ChannelNames m_names;
    AlarmHistory* m_history = nullptr;
    QPointer<SubDisp_History> m_historyWindow;
    // ---- end of refresh ----
    // ---- menus ----
public:
    // File > Printer Selection, File > Print, Help > Help, Help > Version information.
    void mnupsel_Click();
    void mnuFilePrint_Click();
    void numhelp2_Click();
    void numabout_Click();
    // The device name of the printer that printing uses: the platform's
    // default printer until one is chosen (never saved).
    QString currentPrinterName() const;

private:
    QString m_printerName;
    QPointer<QDialog> m_aboutBox;
    // ---- end menus ----
    // ---- files ----
public:
    // The all-channels setting-value window and the channel-name window,
    // each created hidden on first use (alarmDialog and saveLoadDialog above
    // are made in the same place).
    class SubDisp_AllSaveLoad* allSaveLoadDialog();
    class SubDisp_Chname* chnameDialog();

private:
    // What the setting-value file windows need of this window.
    struct FileWindowHooks fileWindowHooks();
    QPointer<SubDisp_AllSaveLoad> m_allSaveLoad;
    QPointer<SubDisp_Chname> m_chname;
    // ---- end files ----
    // ---- logging ----
public:
    // Logging buttons: 0 start, 1 stop, 2 browse (the link's logging resume
    // presses the start in code).
    void Command1_Click(int Index);
    // The logging clock, every 200 ms while logging runs.
    void Timer1_Timer();
    // A line check has answered the miss the records waited for: a logging
    // row and a chart sample that fell meanwhile are taken now, before the
    // next miss can hold them again.
    void lineDecided();
    // All-channels page buttons: 0 save, 1 load, 2 transmit.
    void Command2_Click(int Index);
    // The logging state and its seams (clock, locale, file writes), the last
    // names of the three file dialogs: see maindisp_logging.h.
    struct Logging;
    Logging& logging();
    // Shows a refusal on the all-channels page while the transmit runs.
    QLabel* Label2 = nullptr;

private:
    void setupLogging();
    void logStart();
    void logStop();
    bool chooseLogFile();
    QString logFilePath() const;
    void showLogWriteFailure(const LogWriteResult& failure);
    // The box of a failed row, shown once the logging tick (and any link
    // tick) has ended, so the logging clock keeps its schedule under it.
    void postLogWriteFailure(const LogWriteResult& failure);
    void logTimeSet();
    void transmitRefusal(int ch);
    // The box of a page file that could not be written or read.
    void fileFailure(int textId, const QString& path, const QString& reason);
    std::shared_ptr<Logging> m_logging;
    // ---- end logging ----
    // ---- chart ----
private:
    // Builds the chart control on its tab page, wired to this window: shared
    // state, texts, message boxes, the program's folder for the chart files,
    // channel names and status-bar panel 3. system_init (maindisp_chart.cpp)
    // loads the chart files into it.
    Korvel_ChartCtl* createChart(QWidget* page);
    // ---- end chart ----
};

}  // namespace qvx
