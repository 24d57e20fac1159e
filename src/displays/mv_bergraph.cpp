#include "mv_bergraph.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "ole_color.h"

namespace qvx {

namespace {
constexpr int kFontPixels = 10;
}

MV_BerGraph::MV_BerGraph(QWidget* parent) : QWidget(parent), layout_(mvbar::layout())
{
    setFixedSize(layout_.size);
    QFont f = font();
    f.setPixelSize(kFontPixels);
    setFont(f);
    barRight_ = layout_.back.left();
    InitProperties();
}

QFont MV_BerGraph::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void MV_BerGraph::InitProperties()
{
    backColor_ = 0;
    foreColor_ = 0;
    enabled_ = false;
    font_ = ambientFont();
    backStyle_ = 0;
    borderStyle_ = 0;
    maxValue_ = mvbar::kDefaultMaxValue;
    minValue_ = mvbar::kDefaultMinValue;
    mvValue_ = 0;
    mvColor_ = mvbar::kDefaultColor;
    // The bar shows 0 (100 twips wide); the colour is not applied here.
    setText1(QStringLiteral("0"));
}

void MV_BerGraph::setMvValue(qint16 v)
{
    mvValue_ = v;
    PropertyChanged(P_MvValue);
    setText1(QString::number(v));
}

qint16 MV_BerGraph::MvValue()
{
    setText1(QString::number(mvValue_));
    return mvValue_;
}

void MV_BerGraph::setMvColor(qint32 color)
{
    mvColor_ = color;
    PropertyChanged(P_MvColor);
    applyColor(color);
}

qint32 MV_BerGraph::MvColor()
{
    applyColor(mvColor_);
    return mvColor_;
}

void MV_BerGraph::setText1(const QString& text)
{
    if (text == text1_)
        return;
    text1_ = text;
    Text1_Change();
}

void MV_BerGraph::Text1_Change()
{
    const int right = mvbar::textBarRight(text1_);
    if (right == barRight_)
        return;
    const int lo = std::min(right, barRight_);
    const int hi = std::max(right, barRight_);
    barRight_ = right;
    requestUpdate(QRect(lo, layout_.barTop, hi - lo, layout_.barBottom - layout_.barTop));
}

void MV_BerGraph::applyColor(qint32 color)
{
    if (color == shapeColor_)
        return;
    shapeColor_ = color;
    if (barRight_ > layout_.back.left())
        requestUpdate(barRect());
}

QRect MV_BerGraph::barRect() const
{
    return QRect(layout_.back.left(), layout_.barTop, barRight_ - layout_.back.left(),
                 layout_.barBottom - layout_.barTop);
}

void MV_BerGraph::requestUpdate(const QRect& r)
{
    ++updateRequests_;
    update(r);
}

void MV_BerGraph::paintEvent(QPaintEvent*)
{
    ++paintCount_;
    QPainter p(this);
    const QPalette& pal = palette();

    const QRect& back = layout_.back;
    p.fillRect(back, Qt::white);
    const QRect bar = barRect();
    if (!bar.isEmpty())
        p.fillRect(bar, oleToColor(shapeColor_));
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawRect(back.adjusted(0, 0, -1, -1));

    p.setPen(pal.color(QPalette::WindowText));
    for (int x : layout_.lineX)
        p.drawLine(x, layout_.lineTop, x, layout_.lineBottom - 1);
    const int th = height() - layout_.labelTop;
    for (int i = 0; i < 3; ++i) {
        const int x = layout_.lineX[std::size_t(mvbar::kMarkLines[i])];
        p.drawText(QRect(x - 20, layout_.labelTop, 40, th), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromLatin1(mvbar::kMarks[i]));
    }
}

// ---- property bag -------------------------------------------------------------------------

void MV_BerGraph::ReadProperties(const PropertyBag& bag)
{
    // Straight into the members: neither the bar nor its colour changes.
    const auto i16 = [](const QVariant& v) { return qint16(std::clamp(v.toInt(), -32768, 32767)); };
    backColor_ = bag.ReadProperty(QStringLiteral("BackColor"), 0).toInt();
    foreColor_ = bag.ReadProperty(QStringLiteral("ForeColor"), 0).toInt();
    enabled_ = bag.ReadProperty(QStringLiteral("Enabled"), false).toBool();
    font_ = bag.ReadProperty(QStringLiteral("Font"), ambientFont()).value<QFont>();
    backStyle_ = i16(bag.ReadProperty(QStringLiteral("BackStyle"), 0));
    borderStyle_ = i16(bag.ReadProperty(QStringLiteral("BorderStyle"), 0));
    maxValue_ = i16(bag.ReadProperty(QStringLiteral("MaxValue"), int(mvbar::kDefaultMaxValue)));
    minValue_ = i16(bag.ReadProperty(QStringLiteral("MinValue"), int(mvbar::kDefaultMinValue)));
    mvValue_ = i16(bag.ReadProperty(QStringLiteral("MvValue"), 0));
    mvColor_ = bag.ReadProperty(QStringLiteral("MvColor"), mvbar::kDefaultColor).toInt();
}

void MV_BerGraph::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("BackColor"), backColor_, 0);
    bag.WriteProperty(QStringLiteral("ForeColor"), foreColor_, 0);
    bag.WriteProperty(QStringLiteral("Enabled"), enabled_, false);
    bag.WriteProperty(QStringLiteral("Font"), font_, ambientFont());
    bag.WriteProperty(QStringLiteral("BackStyle"), int(backStyle_), 0);
    bag.WriteProperty(QStringLiteral("BorderStyle"), int(borderStyle_), 0);
    bag.WriteProperty(QStringLiteral("MaxValue"), int(maxValue_), int(mvbar::kDefaultMaxValue));
    bag.WriteProperty(QStringLiteral("MinValue"), int(minValue_), int(mvbar::kDefaultMinValue));
    bag.WriteProperty(QStringLiteral("MvValue"), int(mvValue_), 0);
    bag.WriteProperty(QStringLiteral("MvColor"), mvColor_, mvbar::kDefaultColor);
}

QStringList MV_BerGraph::changedProperties() const
{
    static const struct { Property bit; const char* name; } names[] = {
        {P_BackColor, "BackColor"}, {P_ForeColor, "ForeColor"},     {P_Enabled, "Enabled"},
        {P_Font, "Font"},           {P_BackStyle, "BackStyle"},     {P_BorderStyle, "BorderStyle"},
        {P_MaxValue, "MaxValue"},   {P_MinValue, "MinValue"},       {P_MvValue, "MvValue"},
        {P_MvColor, "MvColor"},
    };
    QStringList out;
    for (const auto& n : names)
        if (changed_ & n.bit)
            out << QString::fromLatin1(n.name);
    return out;
}

}  // namespace qvx
