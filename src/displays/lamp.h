// A lamp: a small filled rectangle or circle with an optional caption,
// painted by hand so that a colour change costs one repaint and no relayout.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace qvx {

class Lamp : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Rectangle, Circle };

    explicit Lamp(const QString& text = {}, Shape shape = Shape::Rectangle, QWidget* parent = nullptr);

    // Fill colour; repaints only when it changes.
    void setFillColor(const QColor& color);
    QColor fillColor() const { return fill_; }
    // The same as a 0x00BBGGRR value.
    void setBackColor(qint32 ole);
    qint32 backColor() const;

    void setText(const QString& text);
    QString text() const { return text_; }
    Shape shape() const { return shape_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    Shape shape_;
    QColor fill_ = Qt::white;
};

}  // namespace qvx
