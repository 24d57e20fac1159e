// BarGr: one channel's PV as a vertical bar between the scale low (Min) and
// high (Max), with tick marks, the scale texts, the value text and the
// channel number. Everything it shows is worked out by bar_geometry; the
// control keeps what it shows now and repaints only the part that a setter
// really changed.
//
// The control reads the shared state: the alarm colours for the bar, and,
// when a scale text is clicked, the channel's auto-tuning flag and the edit
// context, which it fills before asking the window to open the scale dialog.
#pragma once

#include <QString>
#include <QWidget>

#include "bar_geometry.h"
#include "display_prompts.h"
#include "property_bag.h"
#include "qvx720_inc.h"

namespace qvx {

class BarGr : public QWidget {
    Q_OBJECT
public:
    explicit BarGr(QWidget* parent = nullptr);

    // The shared state: alarm colours and, for the scale clicks, ParaData and
    // Edit_Context. Without it the bar takes red for every alarm colour and
    // a scale click only beeps.
    void setSharedState(QVX720_INC* state) { state_ = state; }
    void setPrompts(DisplayPrompts prompts) { prompts_ = std::move(prompts); }

    // ---- properties, in their declaration order
    void setTipText(const QString& text);
    QString TipText() const { return tipText_; }
    // Channel number (1..95), kept as the text of LIndex.
    void setNrPM(quint8 n);
    quint8 NrPM() const;
    // Above 50 warns and stores 50; takes effect at the next Redraw.
    void setNrIntervals(quint8 n);
    quint8 NrIntervals() const { return nrIntervals_; }
    // Above 5 warns and stores 5; takes effect at the next text written.
    void setNumDecimals(quint8 n);
    quint8 NumDecimals() const { return numDecimals_; }
    // Stores the value and places the bar (SetValue).
    void setValue(float v);
    float Value() const { return value_; }
    void setAlarmMin(float v);
    float AlarmMin() const { return alarmMin_; }
    void setAlarmMax(float v);
    float AlarmMax() const { return alarmMax_; }

    // Lays the control out for its size and NrIntervals, then SetValue.
    void Redraw();
    // Places the bar for Value, Min and Max and writes the value text. The
    // value text is written in every case; false when Max equals Min (the
    // bar is then not drawn).
    bool SetValue();
    void SetAlarm() {}

    // The scale low and high live as their texts (LMin, LMax), formatted by
    // NumDecimals; reading converts the text back. Setting neither redraws
    // the bar nor moves it.
    void setMin(float v);
    float Min() const;
    void setMax(float v);
    float Max() const;
    // Colours the bar by the alarm bits of a status word; reads back as 0.
    void setAlarmstatas(qint16 status);
    qint16 Alarmstatas() const { return 0; }

    // ---- property bag
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    // Names of the properties set since the last clearChangedProperties.
    QStringList changedProperties() const;
    void clearChangedProperties() { changed_ = 0; }

    // ---- scale clicks (also reached by clicking LMax / LMin)
    void LMax_Click();
    void LMin_Click();

    // ---- what the control shows now
    QString indexText() const { return indexText_; }
    QString maxText() const { return maxText_; }
    QString minText() const { return minText_; }
    QString valueText() const { return valueText_; }
    qint32 barColor() const { return barColor_; }
    const bargraph::Fill& barFill() const { return fill_; }
    bool barVisible() const { return fill_.visible(); }
    // The bar in pixels; empty when it is not drawn.
    QRect barRect() const;
    const bargraph::Layout& currentLayout() const { return layout_; }
    QRect indexRect() const;
    // The tool tip at a point: the channel name over the channel number only.
    QString toolTipAt(const QPoint& pos) const;
    QRect maxRect() const;
    QRect minRect() const;
    QRect valueRect() const;

    // Test hooks: repaints asked for by the setters, and paints done.
    int updateRequests() const { return updateRequests_; }
    int paintCount() const { return paintCount_; }

    QSize sizeHint() const override { return {56, 260}; }
    QSize minimumSizeHint() const override { return bargraph::minimumSize(); }

signals:
    // A click on the bar, the value text, the channel number or the surface.
    void Click();
    // A scale text was clicked on a channel that is not auto-tuning: the edit
    // context holds Set_Ch = channel and Set_Item = item (29 high, 30 low);
    // the window calls Range_Set with nowText and opens the scale dialog.
    void scaleEditRequested(int item, int channel, const QString& nowText);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Part { None, Max, Min, Other };
    enum Property : quint32 {
        P_TipText = 1u << 0, P_NrPM = 1u << 1, P_NrIntervals = 1u << 2, P_NumDecimals = 1u << 3,
        P_Value = 1u << 4, P_AlarmMin = 1u << 5, P_AlarmMax = 1u << 6, P_Min = 1u << 7, P_Max = 1u << 8,
    };

    void PropertyChanged(Property p) { changed_ |= p; }
    void requestUpdate(const QRect& r);
    void warn(const QString& text);
    void scaleClick(bargraph::ScaleLabel label);
    Part partAt(const QPoint& pos) const;
    int textHeight() const;

    QVX720_INC* state_ = nullptr;
    DisplayPrompts prompts_;

    QString tipText_;
    QString indexText_;
    quint8 nrIntervals_ = 10;
    quint8 numDecimals_ = 1;
    float value_ = 50;
    float alarmMin_ = 10;
    float alarmMax_ = 90;
    QString minText_;
    QString maxText_;
    float minValue_ = 0;  // the numeric values of the two texts
    float maxValue_ = 0;

    bargraph::Layout layout_;
    bargraph::Fill fill_;
    QString valueText_;
    bool textFresh_ = false;  // valueText_ was made from textValue_ and textDecimals_
    float textValue_ = 0;
    quint8 textDecimals_ = 0;
    qint32 barColor_ = bargraph::kBlue;

    quint32 changed_ = 0;
    Part pressed_ = Part::None;
    int textHeight_ = 0;
    int updateRequests_ = 0;
    int paintCount_ = 0;
};

}  // namespace qvx
