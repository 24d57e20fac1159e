// MV_BerGraph: a manipulated variable (an output level) as a horizontal bar
// over a fixed scale marked 0, 50 and 100. The value is the channel's raw MV:
// 0 ends on the mark 0, 500 on 50, 1000 on 100 (the bar is (value + 50) x 2
// twips wide). The layout is fixed; see mvbar in bar_geometry.
//
// Like its design, the control keeps the value as the text of Text1 and
// sizes the bar from that text, and colours the bar only when MvColor is set
// or read: loading stored properties changes neither the bar nor its colour.
#pragma once

#include <QFont>
#include <QWidget>

#include "bar_geometry.h"
#include "property_bag.h"

namespace qvx {

class MV_BerGraph : public QWidget {
    Q_OBJECT
public:
    explicit MV_BerGraph(QWidget* parent = nullptr);

    // ---- properties, in their declaration order. The first eight are kept
    // and saved only; they change nothing on screen.
    void setBackColorProp(qint32 v) { backColor_ = v; PropertyChanged(P_BackColor); }
    qint32 BackColorProp() const { return backColor_; }
    void setForeColorProp(qint32 v) { foreColor_ = v; PropertyChanged(P_ForeColor); }
    qint32 ForeColorProp() const { return foreColor_; }
    void setEnabledProp(bool v) { enabled_ = v; PropertyChanged(P_Enabled); }
    bool EnabledProp() const { return enabled_; }
    void setFontProp(const QFont& f) { font_ = f; PropertyChanged(P_Font); }
    QFont FontProp() const { return font_; }
    void setBackStyle(qint16 v) { backStyle_ = v; PropertyChanged(P_BackStyle); }
    qint16 BackStyle() const { return backStyle_; }
    void setBorderStyle(qint16 v) { borderStyle_ = v; PropertyChanged(P_BorderStyle); }
    qint16 BorderStyle() const { return borderStyle_; }
    void Refresh() {}
    void setMaxValue(qint16 v) { maxValue_ = v; PropertyChanged(P_MaxValue); }
    qint16 MaxValue() const { return maxValue_; }
    void setMinValue(qint16 v) { minValue_ = v; PropertyChanged(P_MinValue); }
    qint16 MinValue() const { return minValue_; }
    // The bar's value: written into Text1, which sizes the bar.
    void setMvValue(qint16 v);
    // Empties Text1 for a value not known: no bar at all, not even the stub of 0.
    // The stored MvValue is kept; setMvValue or reading MvValue draws the bar again.
    void clearMvValue() { setText1(QString()); }
    // Writes the stored value into Text1 again (re-sizing the bar), then returns it.
    qint16 MvValue();
    // The bar's colour, red in the low byte.
    void setMvColor(qint32 color);
    // Applies the stored colour to the bar again, then returns it.
    qint32 MvColor();

    // ---- property bag
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;
    QStringList changedProperties() const;
    void clearChangedProperties() { changed_ = 0; }

    // ---- what the control shows now
    QString text1() const { return text1_; }
    // Right edge of the bar in pixels (the bar starts at the background's left edge).
    int barRight() const { return barRight_; }
    QRect barRect() const;
    qint32 shapeColor() const { return shapeColor_; }

    // Test hooks: repaints asked for by the setters, and paints done.
    int updateRequests() const { return updateRequests_; }
    int paintCount() const { return paintCount_; }

    QSize sizeHint() const override { return layout_.size; }
    QSize minimumSizeHint() const override { return layout_.size; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    enum Property : quint32 {
        P_BackColor = 1u << 0, P_ForeColor = 1u << 1, P_Enabled = 1u << 2, P_Font = 1u << 3,
        P_BackStyle = 1u << 4, P_BorderStyle = 1u << 5, P_MaxValue = 1u << 6, P_MinValue = 1u << 7,
        P_MvValue = 1u << 8, P_MvColor = 1u << 9,
    };

    void PropertyChanged(Property p) { changed_ |= p; }
    void InitProperties();
    void setText1(const QString& text);
    void Text1_Change();
    void applyColor(qint32 color);
    void requestUpdate(const QRect& r);
    QFont ambientFont() const;

    mvbar::Layout layout_;
    qint32 backColor_ = 0;
    qint32 foreColor_ = 0;
    bool enabled_ = false;
    QFont font_;
    qint16 backStyle_ = 0;
    qint16 borderStyle_ = 0;
    qint16 maxValue_ = mvbar::kDefaultMaxValue;
    qint16 minValue_ = mvbar::kDefaultMinValue;
    qint16 mvValue_ = 0;
    qint32 mvColor_ = mvbar::kDefaultColor;

    QString text1_;
    int barRight_ = 0;
    qint32 shapeColor_ = mvbar::kDefaultColor;  // the design's colour until MvColor is applied

    quint32 changed_ = 0;
    int updateRequests_ = 0;
    int paintCount_ = 0;
};

}  // namespace qvx
