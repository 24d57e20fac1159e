// Renders the setting dialogs and a refusal message with sample data into PNG
// files, for a look at their layout: settings_shot [output folder]
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "qvx720_inc.h"
#include "select_disp.h"
#include "setting_disp.h"
#include "settings_store.h"
#include "string_table.h"
#include "ui_seam.h"

namespace {

class QuietUi : public qvx::UiSeam {
public:
    Answer messageBox(QWidget*, const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
    void beep() override {}
    void endProcess(int) override {}
};

bool save(QWidget& w, const QString& path) {
    w.adjustSize();
    QApplication::processEvents();
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("QVX-720 Monitoring software"));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("settings_shots");
    QDir().mkpath(out);

    const qvx::StringTable strings = qvx::StringTable::builtIn(qvx::StringTable::Language::English);
    qvx::QVX720_INC state;
    qvx::fillParaAddr(state);
    QTemporaryDir dir;
    qvx::SettingsStore store(dir.filePath(QStringLiteral("shot.ini")));
    QuietUi ui;
    bool ok = true;

    // SV of a DC input with two decimal places, 15.00 typed.
    state.ParaData(3, qvx::Item::InputType) = 32;
    state.ParaData(3, qvx::Item::DecimalPoint) = 2;
    state.ParaData(3, qvx::Item::ScalingHigh) = 5000;
    state.ParaData(3, qvx::Item::ScalingLow) = -1000;
    state.ParaData(3, qvx::Item::SV) = 1250;
    state.Edit_Context.Set_Item = qvx::Item::SV;
    state.Edit_Context.Set_Ch = 3;
    qvx::Setting_Disp numeric(state, strings, ui, store);
    numeric.open(qvx::Range_SetTarget(state, QStringLiteral("12.50")));
    for (int k : {1, 5, 0, 0}) numeric.Ten_key_Click(k);
    ok &= save(numeric, out + QStringLiteral("/setting_disp.png"));

    // A page value: the raw entry as typed.
    state.Edit_Context.Set_Item = 14;
    qvx::Setting2_Disp pageNumeric(state, strings, ui);
    pageNumeric.open(qvx::Range_SetTarget(state, QStringLiteral("240")));
    for (int k : {2, 4, 0}) pageNumeric.Ten_key_Click(k);
    ok &= save(pageNumeric, out + QStringLiteral("/setting2_disp.png"));

    qvx::Select_Disp select(state, strings, ui, store);
    state.ParaData(3, 39) = 7;
    select.open(qvx::selectTarget(state, 39, 3));
    ok &= save(select, out + QStringLiteral("/select_alarm.png"));
    state.ParaData(3, qvx::Item::InputType) = 11;
    select.open(qvx::selectTarget(state, qvx::Item::InputType, 3));
    ok &= save(select, out + QStringLiteral("/select_sensor.png"));
    select.open(qvx::selectTarget(state, 55, 3));
    ok &= save(select, out + QStringLiteral("/select_hc.png"));

    qvx::Select2_Disp page(state, strings);
    state.AllPage_Data.AllParaData(26) = 3;
    page.open(qvx::pageSelectTarget(state, 26));
    ok &= save(page, out + QStringLiteral("/select2_lock.png"));

    // The refusal as the program shows it: text only, OK button, the program's title.
    QMessageBox box(&numeric);
    box.setText(strings.text(229));
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.show();
    ok &= save(box, out + QStringLiteral("/refusal.png"));
    return ok ? 0 : 1;
}
