// Small widgets of the chart control: the plot box with its persistent
// picture, the up-down beside a value label, and a label that can be clicked.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <vector>

#include "chart_engine.h"

class QToolButton;

namespace qvx {

// The plot box: a white picture of 9000 x 3800 plot units that keeps what
// was drawn on it (15 units to a pixel). Drawing marks only the pixels it
// touched for repainting.
class ChartCanvas : public QWidget {
    Q_OBJECT
public:
    static constexpr int kUnitsPerPixel = 15;
    static constexpr int kPixelWidth = chart::kPlotWidth / kUnitsPerPixel;                           // 600
    static constexpr int kPixelHeight = (chart::kPlotHeight + kUnitsPerPixel - 1) / kUnitsPerPixel;  // 254

    explicit ChartCanvas(QWidget* parent = nullptr);

    // Cls: the whole picture white again.
    void clear();
    void drawLines(const std::vector<chart::Line>& lines);
    // Each stroke: the point, then the line from its previous level.
    void drawStrokes(const std::vector<chart::Stroke>& strokes);

    const QImage& image() const { return image_; }
    static int toPixel(int units) { return units / kUnitsPerPixel; }

    QSize sizeHint() const override { return {kPixelWidth, kPixelHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// An up-down: two arrow buttons that step a position within limits. Its
// position is its own; code moves it with setValue without a signal.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(const chart::UpDownRange& range, int position, QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int v);
    const chart::UpDownRange& range() const { return range_; }

    // A click on the up or the down arrow; stepped() follows when the
    // position moved.
    void stepUp();
    void stepDown();

    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;

signals:
    void stepped(int value);

private:
    void step(int dir);
    chart::UpDownRange range_;
    int value_ = 0;
};

// A value label that reports clicks while it is enabled.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace qvx
