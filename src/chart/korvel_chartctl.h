// Korvel_ChartCtl: the trend chart. It receives the PV and SV display texts
// of all 95 channels after every monitoring transaction, plots the selected
// channels at its recording cycle on its own timer, shows a legend of the
// present channels of one page, lets the operator choose channels, pens,
// scales and cycle, and keeps those settings in the two chart files.
//
// The rules (numbers, scales, ticks, pages, files, persisted properties) are
// in core (chart_engine.h, chart_files.h, chart_properties.h); this class
// holds the controls, wires them and paints what the rules return.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "chart_engine.h"
#include "chart_files.h"
#include "file_writes.h"
#include "chart_properties.h"
#include "qvx720_inc.h"

class QGroupBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTimer;

namespace qvx {

class ChartCanvas;
class ClickLabel;
class PropertyBag;
class Setting3_Disp;
class StringTable;
class UiSeam;
class UpDown;

// What the chart needs of the window that holds it.
struct ChartEnv {
    QVX720_INC* state = nullptr;           // NoConnect, ChartFile_Data, YHigh_Now, ...
    const StringTable* strings = nullptr;  // captions and messages
    UiSeam* ui = nullptr;                  // message boxes, the beep, the colour dialog
    QString programFolder;                 // where the chart files are
    // Name of channel ch as stored now; "Ch01".."Ch95" when not given.
    std::function<QString(int ch)> channelName;
    // Text of the status bar's chart panel; nothing when not given.
    std::function<void(const QString&)> statusText;
};

class Korvel_ChartCtl : public QWidget {
    Q_OBJECT
public:
    // Builds the control and loads its properties from an empty store (the
    // window's stored state holds none of them): localised captions, every
    // key's default. env.state, env.strings and env.ui must outlive it.
    explicit Korvel_ChartCtl(ChartEnv env, QWidget* parent = nullptr);
    ~Korvel_ChartCtl() override;

    // ---- public procedures ---------------------------------------------------
    // Timer interval, Y scale, grid and axis texts, drawn over the plot box.
    void ScaleSet();
    // Legend value labels of selected channels in their pen colours.
    void text_color_ref();
    // Loads the plot selections from both chart files and colours the panel.
    void color_set();
    // Starts recording from code, as the Start button does.
    void auto_run();
    // A PV / SV selection button of the panel page on show (slot 0..39).
    void cmdDev_Click(int Index);
    void cmdDev1_Click(int Index);

    // ---- properties --------------------------------------------------------------
    // Pv0Caption..Pv94Caption, Sv0Caption..Sv94Caption: the latest display
    // texts. A write stores the text, copies it into the plot's value array
    // and, when the channel is on the legend page on show, into its value
    // label. A channel outside 0..94 is ignored.
    void setPvCaption(int ch, const QString& text);
    void setSvCaption(int ch, const QString& text);
    QString pvCaption(int ch) const;
    QString svCaption(int ch) const;
    // Channel limit of the legend; a write refreshes the legend page on show.
    void setChartMaxCh(qint16 n);
    qint16 ChartMaxCh() const { return props_.ChartMaxChValue; }
    // Timer interval in ms.
    qint32 Charttime() const { return props_.ChartTimeValue; }
    void setCharttime(qint32 ms);
    bool XScaleLong() const;
    void setXScaleLong(bool v);
    bool XScaleShort() const;
    void setXScaleShort(bool v);
    // Y limits (the captions of lblSL / lblSH); a write rebuilds the axes.
    QString YScaleLow() const;
    void setYScaleLow(const QString& v);
    QString YScaleHigh() const;
    void setYScaleHigh(const QString& v);
    // Y divisions and recording cycle; take effect at the next ScaleSet.
    QString YScaleDivision() const;
    void setYScaleDivision(const QString& v);
    QString XScaleTime() const;
    void setXScaleTime(const QString& v);
    // Stat0Caption..Stat94Caption: kept and persisted only.
    qint16 statCaption(int ch) const;
    void setStatCaption(int ch, qint16 v);
    // Any of the 293 properties by name; false / invalid for an unknown name
    // or a value that does not convert.
    QVariant namedProperty(const QString& name) const;
    bool setNamedProperty(const QString& name, const QVariant& value);

    // ---- persistence -------------------------------------------------------------
    void UserControl_InitProperties();
    ChartPropertyLoad UserControl_ReadProperties(const PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag) const;

    // ---- handlers ------------------------------------------------------------------
    void cmdChartsel_Click();
    void cmdColor_Click();
    void cmdRUN_Click();
    void cmdSelend_Click();
    void cmdStop_Click();
    void lblSH_Click();
    void lblSL_Click();
    void optLong_Click();
    void optShort_Click();
    void TabStrip1_Click();
    void TabStrip2_Click();
    void timChart_Timer();
    // A sample that waited for a line check is taken now that it has its
    // answer (the program calls this right after the deciding step).
    void sampleIfDeferred();
    void updChartitv_Change();
    void UpDown1_Change();
    void updSH_Change();
    void updSL_Change();

    // ---- state -------------------------------------------------------------------------
    bool running() const { return plot_.RunFlag != 0; }
    const chart::PlotState& plotState() const { return plot_; }
    const chart::Selection& selection() const { return sel_; }
    chart::Selection& selection() { return sel_; }
    qint16 ScaleHigh() const { return scaleHigh_; }
    qint16 ScaleLow() const { return scaleLow_; }
    float YFactor() const { return yFactor_; }
    // PvValue / SvValue: what the plot reads (empty until the first write).
    const QString& pvValue(int ch) const;
    const QString& svValue(int ch) const;
    // Whether the plot timer is running and its interval.
    bool timerActive() const;
    int timerInterval() const;
    // Back colours of the panel's buttons and fore colours of the legend's
    // value labels (0x00BBGGRR, or chart::kButtonFace).
    qint32 cmdDevBackColor(int k) const { return devBack_[std::size_t(k)]; }
    qint32 cmdDev1BackColor(int k) const { return dev1Back_[std::size_t(k)]; }
    qint32 lblPvForeColor(int k) const { return pvFore_[std::size_t(k)]; }
    qint32 lblSvForeColor(int k) const { return svFore_[std::size_t(k)]; }
    // The chart-scale dialog while it is loaded.
    Setting3_Disp* chartScaleDialog() const;
    // Writes records to both chart files (PV first); a failure is kept in
    // fileErrors() and the values stay in memory. The first failure of a run
    // is told in a box; the chart goes on.
    bool saveRecords(const QList<ChartRecordValue>& records);
    const QStringList& fileErrors() const { return fileErrors_; }
    // The chart files are known to fail (start-up has told the operator):
    // failed writes are told again only after one has succeeded.
    void markChartFilesFailing() { writeFailures_.fail(); }
    const ChartEnv& env() const { return env_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // ---- constituent controls ------------------------------------------------------
    ChartCanvas* picCanbus = nullptr;
    QTimer* timChart = nullptr;
    std::array<QLabel*, 3> lblYscal{};
    std::array<QLabel*, 12> lblXscal{};
    QLabel* lblMsg = nullptr;
    QPushButton* cmdRUN = nullptr;
    QPushButton* cmdStop = nullptr;
    QGroupBox* frmXScale = nullptr;
    QRadioButton* optShort = nullptr;
    QRadioButton* optLong = nullptr;
    QLabel* lblChartSpeed = nullptr;
    QLabel* lblChartitv = nullptr;
    QLabel* lblSec = nullptr;
    UpDown* updChartitv = nullptr;
    QGroupBox* frmYScale = nullptr;
    QLabel* lblHi = nullptr;
    ClickLabel* lblSH = nullptr;
    UpDown* updSH = nullptr;
    QLabel* lblLo = nullptr;
    ClickLabel* lblSL = nullptr;
    UpDown* updSL = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Lbl_Y = nullptr;
    UpDown* UpDown1 = nullptr;
    QPushButton* cmdChartsel = nullptr;
    // Selection panel.
    QGroupBox* frmChartsel = nullptr;
    QFrame* Frame2 = nullptr;
    std::array<QLabel*, 2> Label1{};
    QTabBar* TabStrip2 = nullptr;
    std::array<QPushButton*, chart::kSlots> cmdDev{};
    std::array<QPushButton*, chart::kSlots> cmdDev1{};
    QPushButton* cmdColor = nullptr;
    QPushButton* cmdSelend = nullptr;
    // Legend.
    QTabBar* TabStrip1 = nullptr;
    QFrame* Frame1 = nullptr;
    std::array<QLabel*, chart::kSlots> lblName{};
    std::array<QLabel*, chart::kSlots> lblPv{};
    std::array<QLabel*, chart::kSlots> lblSv{};

signals:
    // A public property has a new value (the host's stored state is out of date).
    void propertyChanged(const QString& name);

private:
    void buildPlot();
    void buildScaleControls();
    void buildLegend();
    void buildPanel();
    void localise();
    QString text(int id) const;
    QString channelName(int ch) const;
    void message(int id);
    void setStatus(int id);
    void setInputsEnabled(bool on);
    void applyTimer();
    void endRecording();
    void recordRunState();
    void panelRefresh(bool onlyExactFlag);
    void setButtonBack(chart::Side side, int k, qint32 ole);
    void setLegendFore(chart::Side side, int k, qint32 ole);
    void fillLegendValues();
    void legendRefresh();
    void setCaption(chart::Side side, int ch, const QString& text);
    void selectSpan(bool longSpan);
    void syncUpDown(UpDown* u, const QLabel* label);
    void openScaleDialog(int sel, const QLabel* label);
    int legendBase() const;
    int panelBase() const;
    ChartProperties currentProperties() const;
    void applyProperties(const ChartProperties& p);

    ChartEnv env_;
    ChartProperties props_;  // the member-backed values: captions, ChartMaxCh, Charttime, Stat
    chart::Selection sel_;
    chart::PlotState plot_;
    qint16 scaleHigh_ = 0;
    qint16 scaleLow_ = 0;
    float yFactor_ = 0;
    std::array<QString, kChannels> pvValue_;
    std::array<QString, kChannels> svValue_;
    std::array<bool, kChannels> pvFed_{};  // a value was written since the start
    std::array<bool, kChannels> svFed_{};
    std::vector<chart::Stroke> strokes_;
    bool timerEnabled_ = false;
    bool quiet_ = false;  // loading: the span options run no handlers
    // A sample waits for the line check; the timer's own tick leaves it to that.
    bool deferred_ = false;
    static constexpr int kDeferredSampleMs = 20;
    std::array<qint32, chart::kSlots> devBack_{};
    std::array<qint32, chart::kSlots> dev1Back_{};
    std::array<qint32, chart::kSlots> pvFore_{};
    std::array<qint32, chart::kSlots> svFore_{};
    QPointer<Setting3_Disp> scaleDialog_;
    QStringList fileErrors_;
    FailureRun writeFailures_;
    // The outcome of a write of the chart files ("file: reason" per failed
    // file); false on failure.
    bool chartFilesWritten(const QStringList& errors);
};

}  // namespace qvx
