// Renders the main window, the opening form and the communication dialog
// with sample values into PNG files, to look at the layout:
//   mainwindow_shot [output-folder] [--ja] [--wait SECONDS]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include "bargr.h"
#include "fit_scroll_area.h"
#include "lamp.h"
#include "maindisp.h"
#include "mv_bergraph.h"
#include "ole_color.h"
#include "opuningdisp.h"

using namespace qvx;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QString out = QStringLiteral("/tmp");
    bool ja = false;
    int wait = 0;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--ja")) ja = true;
        else if (a == QLatin1String("--wait") && i + 1 < argc) wait = QString::fromLocal8Bit(argv[++i]).toInt();
        else out = a;
    }
    QDir().mkpath(out);
    const StringTable strings =
        StringTable::builtIn(ja ? StringTable::Language::Japanese : StringTable::Language::English);
    QVX720_INC state;
    QtUiSeam ui;
    MainDisp w(state, strings, ui, QDir::currentPath());
    for (int ch = 0; ch < kChannels; ++ch) state.NoConnect(ch) = (ch == 6 || ch > 90) ? 1 : 0;
    w.Option1[0]->setChecked(true);
    w.Option2[0]->setChecked(true);

    // Sample values of the kind the refresh will write.
    for (int i = 0; i < MainDisp::kPanels; ++i) {
        w.DispPv[i]->setText(QString::number(180.0 + i * 3.7, 'f', 1));
        w.DispSv[i]->setText(QString::number(200.0, 'f', 1));
        w.Label_Unit[i]->setText(QStringLiteral("deg.C"));
        if (i % 7 == 2) w.Label_A1[i]->setBackColor(Ole::Red);
        if (i % 9 == 4) w.Label_at[i]->setBackColor(Ole::LightYellow);
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        w.BarGr1[ch]->setNumDecimals(1);
        w.BarGr1[ch]->setMax(400);
        w.BarGr1[ch]->setMin(0);
        w.BarGr1[ch]->setValue(float(120 + (ch * 37) % 250));
        w.BarGr1[ch]->setAlarmstatas(ch % 11 == 3 ? 0x4 : 0);
    }
    w.Text_PV->setText(QStringLiteral("198.6"));
    w.Text_SV->setText(QStringLiteral("200.0"));
    w.Label_CF[0]->setText(QStringLiteral("deg.C"));
    w.Label_CF[1]->setText(QStringLiteral("deg.C"));
    w.Label11->setText(QStringLiteral("-200 to 1370 deg.C K"));
    w.Label_HEETCOOL->setText(strings.text(315));
    w.Label_OUTOFF->setText(strings.text(318));
    w.Text_MV[0]->setText(QStringLiteral("42.5"));
    w.Text_MV[1]->setText(QStringLiteral("0.0"));
    w.MV_BerGraph1->setMvValue(425);
    w.Lamp_CONT[0]->setBackColor(Ole::Green);
    for (QLabel* l : w.Label_A1val) l->setText(QStringLiteral("10.0"));
    for (QLabel* l : w.Label_othval) l->setText(QStringLiteral("30"));
    for (int i = 0; i < MainDisp::kPanels; ++i) {
        w.Setdata_Para[i]->setText(QStringLiteral("200.0"));
        if (i == 6) w.settin_inf[i]->setText(strings.text(228));
        if (i == 3) w.settin_inf[i]->setText(strings.text(227));
    }
    w.Savename_text->setText(QStringLiteral("/home/operator/QVX720/Logging/Log_2026_12_9_10_15.csv"));
    for (int i = 0; i < 54; ++i)
        if (w.Option_Check[i]) {
            w.setOptionCheckValue(i, i % 3 == 0 ? 1 : 0);
            w.Setdata_Para2[i]->setText(QStringLiteral("0"));
        }
    w.setStatusPanel(1, QStringLiteral("OK"));
    w.setCommErrorVisible(true);

    for (int t = 0; t < w.SSTab2->count(); ++t) {
        const QSize m = w.pageArea(t)->widget()->minimumSizeHint();
        qInfo("tab %d minimum %dx%d", t, m.width(), m.height());
    }
    w.show();
    QApplication::processEvents();
    // Room for the designed size and the frame: the window keeps its designed size.
    const QSize designed(MainDisp::kDesignedWidth, MainDisp::kDesignedHeight);
    w.fitToScreen(QRect(QPoint(0, 0), designed.grownBy(w.windowFrame())));
    QApplication::processEvents();
    const QSize content = w.pageArea(0)->widget()->minimumSizeHint();
    const QSize chrome = w.size() - w.pageArea(0)->viewport()->size();
    qInfo("smallest window without scrolling %dx%d", content.width() + chrome.width(),
          content.height() + chrome.height());
    const QString names[6] = {"main", "onech", "setting", "chart", "logging", "allch"};
    for (int t = 0; t < 6; ++t) {
        w.SSTab2->setCurrentIndex(t);
        if (t == 2) w.Select_Command->setCurrentRow(0);
        QApplication::processEvents();
        w.grab().save(QStringLiteral("%1/maindisp_%2.png").arg(out, names[t]));
    }
    w.SSTab2->setCurrentIndex(0);
    w.Option2[1]->setChecked(true);
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/maindisp_bars.png"));
    w.SSTab2->setCurrentIndex(1);
    w.SSTab1->setCurrentIndex(1);
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/maindisp_onech_other.png"));
    w.SSTab2->setCurrentIndex(2);
    w.Select_Command->setCurrentRow(42);
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/maindisp_setting_onoff.png"));
    w.Select_Command->setCurrentRow(49);
    for (int i = 0; i < MainDisp::kPanels; ++i) w.Select_comand[i]->setText(QStringLiteral("K  -200 to 1370 deg.C"));
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/maindisp_setting_select.png"));
    w.showKeyOperationMessage();
    w.SSTab2->setCurrentIndex(0);
    w.Option2[0]->setChecked(true);
    QApplication::processEvents();
    w.grab().save(out + QStringLiteral("/maindisp.png"));

    OpuningDisp* o = w.opening();
    o->show();
    o->setProgress(57);
    QApplication::processEvents();
    o->grab().save(out + QStringLiteral("/opuningdisp.png"));
    SubDisp_comm* c = w.commDialog();
    c->show();
    QApplication::processEvents();
    c->grab().save(out + QStringLiteral("/subdisp_comm.png"));
    o->hide();
    c->hide();

    if (wait > 0) {
        w.raise();
        QTimer::singleShot(wait * 1000, &app, &QApplication::quit);
        return app.exec();
    }
    return 0;
}
