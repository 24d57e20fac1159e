// MV_BerGraph: a manipulated variable as a horizontal bar over a fixed scale
// marked 0, 50 and 100. The value is the raw MV (0..1000 = 0..100 %).
#pragma once

#include <QFont>
#include <QWidget>

namespace qvx {

class MV_BerGraph : public QWidget {
    Q_OBJECT
public:
    explicit MV_BerGraph(QWidget* parent = nullptr);

    void setMvValue(qint16 v);
    qint16 MvValue() const { return mvValue_; }
    // Bar colour, 0x00BBGGRR.
    void setMvColor(qint32 ole);
    qint32 MvColor() const { return mvColor_; }

    // Stored properties with no effect on the picture.
    void setMaxValue(qint16 v) { maxValue_ = v; }
    qint16 MaxValue() const { return maxValue_; }
    void setMinValue(qint16 v) { minValue_ = v; }
    qint16 MinValue() const { return minValue_; }
    void setBackColorProp(qint32 v) { backColor_ = v; }
    qint32 BackColorProp() const { return backColor_; }
    void setForeColorProp(qint32 v) { foreColor_ = v; }
    qint32 ForeColorProp() const { return foreColor_; }
    void setBackStyle(qint16 v) { backStyle_ = v; }
    qint16 BackStyle() const { return backStyle_; }
    void setBorderStyle(qint16 v) { borderStyle_ = v; }
    qint16 BorderStyle() const { return borderStyle_; }
    void Refresh() {}

    // Width of the bar in the control's own units: (value + 50) x 2.
    int barWidth() const { return (int(mvValue_) + 50) * 2; }

    QSize sizeHint() const override { return {190, 44}; }
    QSize minimumSizeHint() const override { return {150, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint16 mvValue_ = 0;
    qint32 mvColor_ = 0xFF0000;
    qint32 appliedColor_ = 0xFF0000;
    qint16 maxValue_ = 1050;
    qint16 minValue_ = -50;
    qint32 backColor_ = 0;
    qint32 foreColor_ = 0;
    qint16 backStyle_ = 0;
    qint16 borderStyle_ = 0;
};

}  // namespace qvx
