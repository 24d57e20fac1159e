// The main window's share of the settings store: the start-up load into the
// controls, the values the exit saves, and the channel names.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>

#include "bargr.h"
#include "link.h"
#include "maindisp.h"
#include "subdisp_alarm.h"
#include "subdisp_saveload.h"
#include "transfer.h"

namespace qvx {

namespace {
int boxValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}
Qt::CheckState boxState(int value) {
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}
}  // namespace

void MainDisp::regRead(const Preferences& p) {
    commDialog()->setPortText(p.Port);
    commDialog()->setSpeedText(p.Speed);
    SSTab1->setCurrentIndex(p.SSTab1);
    SSTab2->setCurrentIndex(p.SSTab2);
    Logging_time->setCurrentIndex(p.Logtim);
    {
        // Setting the box here stores nothing.
        const QSignalBlocker block(Check1);
        Check1->setCheckState(boxState(p.Check1));
    }
    // The stored logging file name is the logging resume's to show
    // (Link::resumeLogging); until then an exit keeps it as it was read.
    m_logFileAsRead = p.Log_Filename_stored ? std::optional<QString>(p.Log_Filename) : std::nullopt;
    m_logFileShown = false;
    for (int ch = 0; ch < kChannels; ++ch) {
        m_logChoiceKept[std::size_t(ch)].reset();
        log_Check1[ch]->setCheckState(boxState(p.LogName(ch)));
    }
    for (int n = 0; n < kPageBoxes; ++n)
        if (isStoredPageBox(n)) setOptionCheckValue(n, p.LogSetting(n));
    SubDisp_Alarm* colours = alarmDialog();
    for (int i = 0; i < kAlarmColors; ++i) colours->setSwatchColor(i, p.AlarmColors(i));
    AlarmColor& c = m_state.Alarm_Color;
    c.AlmColor1 = colours->swatchColor(0);
    c.AlmColor2 = colours->swatchColor(1);
    c.AlmColor3 = colours->swatchColor(2);
    c.AlmColor4 = colours->swatchColor(3);
    c.AlmColorOther = colours->swatchColor(4);
    Chname_Read();
    tb3_CHName->setCurrentIndex(p.tab3name);
    tb3_CHName_Click();
}

void MainDisp::gatherExitPreferences(Preferences& p) const {
    p.Logtim = qint16(Logging_time->currentIndex());
    p.SSTab1 = qint16(SSTab1->currentIndex());
    p.SSTab2 = qint16(SSTab2->currentIndex());
    if (m_logFileShown) {
        p.Log_Filename = Savename_text->text();
        p.Log_Filename_stored = true;
    } else {
        p.Log_Filename = m_logFileAsRead.value_or(QString());
        p.Log_Filename_stored = m_logFileAsRead.has_value();
    }
    p.Check1 = qint16(boxValue(Check1));
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto& kept = m_logChoiceKept[std::size_t(ch)];
        p.LogName(ch) = qint16(kept ? (*kept ? 1 : 0) : boxValue(log_Check1[ch]));
    }
    for (int n = 0; n < kPageBoxes; ++n)
        if (isStoredPageBox(n)) p.LogSetting(n) = qint16(optionCheckValue(n));
    // The alarm colours come from those in use (gatherPreferences): a pick in
    // the colour window that OK did not confirm is not saved.
}

void MainDisp::Chname_Read() {
    const int remembered = tb3_CHName->currentIndex();
    QStringList names;
    names.reserve(kChannels);
    for (int ch = 0; ch < kChannels; ++ch) names << channelName(ch);
    saveLoadDialog()->setChannelNames(names);
    {
        const QSignalBlocker block(tb3_CHName);
        tb3_CHName->clear();
        tb3_CHName->addItems(names);
    }
    for (int ch = 0; ch < kChannels; ++ch) {
        log_Check1[ch]->setText(names[ch]);
        BarGr1[ch]->setTipText(names[ch]);
        BarGr1[ch]->setNrPM(quint8(ch + 1));
    }
    TabStrip1_Click();
    Option1_Click(0);
    tb3_CHName->setCurrentIndex(remembered < 0 ? 0 : remembered);
    tb3_CHName_Click();
}

void MainDisp::Check1_Click() {
    if (m_store) saveCheck1(*m_store, boxValue(Check1), Savename_text->text());
}

void MainDisp::tb3_CHName_Click() {
    if (m_store && tb3_CHName->currentIndex() >= 0) saveTab3name(*m_store, tb3_CHName->currentIndex());
}

void MainDisp::mnuClear_Click() {
    if (!m_link || lineWorkRefused()) return;
    // A clear under a transfer would read over the values still to be sent.
    if (transferRunning(m_state)) {
        refuseWith(453);
        return;
    }
    m_link->mnuClear_Click();
    // The link may sleep (nothing to poll): the clear begins at once.
    if (m_state.Link_Wake) m_state.Link_Wake();
}

}  // namespace qvx
