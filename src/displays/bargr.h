// BarGr: one channel's PV as a vertical bar between the scale low and high,
// with tick marks, the scale texts, the value text and the channel number.
// Painted by hand; every setter repaints only when what it shows changes.
#pragma once

#include <QString>
#include <QWidget>

#include "qvx720_inc.h"

namespace qvx {

class BarGr : public QWidget {
    Q_OBJECT
public:
    explicit BarGr(QWidget* parent = nullptr);

    // Alarm colours used by Alarmstatas (red everywhere when none is set).
    void setAlarmColors(const AlarmColor* colors) { alarmColors_ = colors; }

    void setTipText(const QString& text);
    QString TipText() const { return tipText_; }
    // Channel number (1..95) shown at the top; kept as its text.
    void setNrPM(quint8 n);
    quint8 NrPM() const;
    void setNrIntervals(quint8 n);
    quint8 NrIntervals() const { return nrIntervals_; }
    void setNumDecimals(quint8 n);
    quint8 NumDecimals() const { return numDecimals_; }
    // Value: stores it and places the bar (SetValue).
    void setValue(float v);
    float Value() const { return value_; }
    void setAlarmMin(float v) { alarmMin_ = v; }
    float AlarmMin() const { return alarmMin_; }
    void setAlarmMax(float v) { alarmMax_ = v; }
    float AlarmMax() const { return alarmMax_; }
    // Scale low and high live as their display texts, formatted by NumDecimals.
    void setMin(float v);
    float Min() const;
    void setMax(float v);
    float Max() const;
    QString minText() const { return minText_; }
    QString maxText() const { return maxText_; }
    // Colours the bar by the alarm bits of a status word; reads back as 0.
    void setAlarmstatas(qint16 status);
    qint16 Alarmstatas() const { return 0; }
    qint32 barColor() const { return barColor_; }

    void Redraw();
    // Places the bar for Value, Min and Max and writes the value text. False
    // (bar hidden, text kept) when Max equals Min.
    bool SetValue();
    void SetAlarm() {}

    bool barVisible() const { return barVisible_; }
    double barFraction() const { return fraction_; }
    QString valueText() const { return valueText_; }

    QSize sizeHint() const override { return {56, 260}; }
    QSize minimumSizeHint() const override { return {20, 67}; }

signals:
    void Click();
    // The scale high (item 29) or low (item 30) text was clicked.
    void scaleClicked(int item);
    // A property value was out of range and has been corrected.
    void warning(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString formatScale(float v, const QString& previous) const;
    QRect maxRect() const;
    QRect minRect() const;

    const AlarmColor* alarmColors_ = nullptr;
    QString tipText_;
    QString indexText_ = QStringLiteral("0");
    quint8 nrIntervals_ = 10;
    quint8 numDecimals_ = 1;
    float value_ = 50;
    float alarmMin_ = 10;
    float alarmMax_ = 90;
    QString minText_ = QStringLiteral("0");
    QString maxText_ = QStringLiteral("100");
    QString valueText_;
    qint32 barColor_ = 0xFF0000;
    bool barVisible_ = false;
    double fraction_ = 0;
};

}  // namespace qvx
