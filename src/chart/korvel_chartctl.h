// The trend chart control. For now it keeps the texts it is fed and the legend
// size; plotting, pens, scales and its settings files are added later.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "qvx720_inc.h"

namespace qvx {

class Korvel_ChartCtl : public QWidget {
    Q_OBJECT
public:
    explicit Korvel_ChartCtl(QWidget* parent = nullptr);

    // Number of legend channels; setting it refreshes the legend.
    void setChartMaxCh(qint16 n);
    qint16 ChartMaxCh() const { return chartMaxCh_; }

    // Pv0Caption..Pv94Caption and Sv0Caption..Sv94Caption. A channel outside
    // 0..94 is ignored.
    void setPvCaption(int ch, const QString& text);
    void setSvCaption(int ch, const QString& text);
    QString pvCaption(int ch) const;
    QString svCaption(int ch) const;

    // Starts recording as the chart's run button does.
    void auto_run();
    bool running() const { return running_; }

    QSize sizeHint() const override { return {900, 500}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint16 chartMaxCh_ = 0;
    std::array<QString, kChannels> pv_;
    std::array<QString, kChannels> sv_;
    bool running_ = false;
};

}  // namespace qvx
