// The main window's part of the trend chart: building the chart control and
// the start-up load of the chart settings files (system_init).
#include <QtDebug>

#include "chart_files.h"
#include "korvel_chartctl.h"
#include "maindisp.h"

namespace qvx {

Korvel_ChartCtl* MainDisp::createChart(QWidget* page) {
    ChartEnv env;
    env.state = &m_state;
    env.strings = &m_strings;
    env.ui = &m_ui;
    env.programFolder = m_programFolder;
    env.channelName = [this](int ch) { return channelName(ch); };
    env.statusText = [this](const QString& text) { setStatusPanel(3, text); };
    return new Korvel_ChartCtl(std::move(env), page);
}

QStringList MainDisp::system_init() {
    // The two chart files into ChartFile_Data; a missing one is created with
    // its defaults.
    const ChartStartup r = loadChartFiles(m_state, m_programFolder);
    for (const QString& e : r.errors) qWarning("chart settings file: %s", qPrintable(e));
    if (!r.errors.isEmpty()) Korvel_ChartCtl1->markChartFilesFailing();
    const ChartFileData& d = m_state.ChartFile_Data;
    // The link restarts the recording after its first scan when this is set.
    Chart_Run = d.Chart_Run;

    // The saved scales into the chart, the Y limits last: each of them
    // rebuilds the axes, the last one with every other value in place.
    Korvel_ChartCtl* c = Korvel_ChartCtl1;
    c->setYScaleDivision(QString::number(d.Chart_YDiv));
    if (d.Chart_XLong != 0)
        c->setXScaleLong(true);
    else
        c->setXScaleShort(true);
    c->setXScaleTime(QString::number(d.Chart_Cycle));
    c->setYScaleHigh(QString::number(d.Chart_YHigh));
    c->setYScaleLow(QString::number(d.Chart_YLow));
    c->color_set();
    return r.errors;
}

}  // namespace qvx
