// Renders the setting-value file windows, the channel-name window and the
// alarm-colour window with sample data into PNG files, for a look at their
// layout: files_shot [output folder]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "preferences.h"
#include "qvx720_inc.h"
#include "settings_store.h"
#include "string_table.h"
#include "subdisp_alarm.h"
#include "subdisp_allsaveload.h"
#include "subdisp_chname.h"
#include "subdisp_saveload.h"
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
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("files_shots");
    QDir().mkpath(out);
    QTemporaryDir dir;
    qvx::SettingsStore store(dir.filePath(QStringLiteral("shot.ini")));
    store.save(qvx::chnameKey(0), QStringLiteral("Furnace 1"));
    store.save(qvx::chnameKey(1), QStringLiteral("Dryer"));
    store.save(qvx::chnameKey(30), QStringLiteral("ABCDEFGHIJKL"));
    QuietUi ui;
    qvx::QVX720_INC state;
    bool ok = true;

    for (const auto lang : {qvx::StringTable::Language::English, qvx::StringTable::Language::Japanese}) {
        const qvx::StringTable strings = qvx::StringTable::builtIn(lang);
        const bool english = lang == qvx::StringTable::Language::English;
        const QString suffix = english ? QStringLiteral("en") : QStringLiteral("ja");
        qvx::FileWindowHooks hooks;
        hooks.programFolder = dir.path();

        qvx::SubDisp_SaveLoad one(state, strings, ui, hooks);
        QStringList names;
        for (int ch = 0; ch < qvx::kChannels; ++ch) names << qvx::channelName(store, ch);
        one.setChannelNames(names);
        one.SaveLoad_CHname[0]->setCurrentIndex(0);
        one.SaveLoad_CHname[1]->setCurrentIndex(1);
        one.show();
        ok &= save(one, out + QStringLiteral("/saveload_%1.png").arg(suffix));

        qvx::SubDisp_AllSaveLoad all(state, strings, ui, hooks);
        all.show();
        ok &= save(all, out + QStringLiteral("/allsaveload_%1.png").arg(suffix));
        // As it looks while channels are queued.
        all.Label1[1]->show();
        all.Label2->setText(QStringLiteral("Furnace 1"));
        for (QPushButton* b : all.Command1) b->setEnabled(false);
        ok &= save(all, out + QStringLiteral("/allsaveload_loading_%1.png").arg(suffix));

        qvx::SubDisp_Chname names95(strings, ui, &store, {}, qvx::CodePage::DoubleByte);
        names95.fillFromStore();
        names95.ChName[2]->setText(QString::fromUtf8("\xE7\x82\x89\xE5\x8F\xB7\xE6\xA9\x9F"));
        names95.show();
        ok &= save(names95, out + QStringLiteral("/chname_%1.png").arg(suffix));

        auto* colours = new qvx::SubDisp_Alarm(state, strings, ui, &store);
        colours->setSwatchColor(1, 0x00FFFF);
        colours->setSwatchColor(2, 0x00C000);
        colours->setSwatchColor(3, 0xFF0000);
        colours->setSwatchColor(4, 0xFF00FF);
        colours->show();
        ok &= save(*colours, out + QStringLiteral("/alarm_%1.png").arg(suffix));
        delete colours;
    }
    return ok ? 0 : 1;
}
