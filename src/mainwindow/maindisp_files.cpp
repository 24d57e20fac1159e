// The main window's openers of the setting-value file windows, the
// channel-name window and the alarm-colour window.
#include <QComboBox>
#include <QLineEdit>

#include "link.h"
#include "maindisp.h"
#include "subdisp_alarm.h"
#include "subdisp_allsaveload.h"
#include "subdisp_chname.h"
#include "subdisp_saveload.h"

namespace qvx {

FileWindowHooks MainDisp::fileWindowHooks() {
    FileWindowHooks h;
    h.programFolder = m_programFolder;
    h.setStatusPanel4 = [this](const QString& text) { setStatusPanel(4, text); };
    h.chnameRead = [this] { Chname_Read(); };
    h.lineWorkRefused = [this] { return lineWorkRefused(); };

    return h;
}

SubDisp_Alarm* MainDisp::alarmDialog() {
    if (!m_alarm) m_alarm = new SubDisp_Alarm(m_state, m_strings, m_ui, m_store, this);
    return m_alarm;
}

SubDisp_SaveLoad* MainDisp::saveLoadDialog() {
    if (!m_saveLoad) m_saveLoad = new SubDisp_SaveLoad(m_state, m_strings, m_ui, fileWindowHooks(), this);
    return m_saveLoad;
}

SubDisp_AllSaveLoad* MainDisp::allSaveLoadDialog() {
    if (!m_allSaveLoad) m_allSaveLoad = new SubDisp_AllSaveLoad(m_state, m_strings, m_ui, fileWindowHooks(), this);
    return m_allSaveLoad;
}

SubDisp_Chname* MainDisp::chnameDialog() {
    if (!m_chname)
        m_chname = new SubDisp_Chname(m_strings, m_ui, m_store, [this] { Chname_Read(); }, systemCodePage(), this);
    return m_chname;
}

void MainDisp::mnuCHname_Click() {
    SubDisp_Chname* d = chnameDialog();
    d->fillFromStore();
    d->show();
    d->raise();
}

void MainDisp::mnuColor_Click() {
    m_ui.beep();
    SubDisp_Alarm* d = alarmDialog();
    d->show();
    d->raise();
}

void MainDisp::mnuSave_CH_Click() {
    if (lineWorkRefused()) return;
    Chname_Read();
    SubDisp_SaveLoad* d = saveLoadDialog();
    for (QComboBox* list : d->SaveLoad_CHname)
        if (list->count() > 0) list->setCurrentIndex(0);
    d->show();
    d->raise();
}

void MainDisp::mnuSave_ALL_Click() {
    if (lineWorkRefused()) return;
    SubDisp_AllSaveLoad* d = allSaveLoadDialog();
    d->show();
    d->raise();
}

}  // namespace qvx
