// SubDisp_SaveLoad: the one-channel setting-value window. Its two channel
// lists SaveLoad_CHname(0) (source; the channel saved or loaded into) and
// SaveLoad_CHname(1) (copy target) list the 95 channel names, entry i =
// channel i. Copy ("Move-->") copies items 10..63 of one channel onto
// another and sends it; save and load move items 10..63 of one channel to
// and from a one-channel setting-value file; a load sends the channel.
//
// Sending means queuing the link's write-all chain for the channel; the
// window never talks to a controller itself.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>

#include "string_table.h"
#include "ui_seam.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace qvx {

class QVX720_INC;

// What the setting-value file windows need of the main window.
struct FileWindowHooks {
    QString programFolder;                              // "Setdata" lies under it
    std::function<void(const QString&)> setStatusPanel4;
    std::function<void()> chnameRead;                   // QVX720_INC.Chname_Read
    std::function<bool()> lineWorkRefused;              // a data clear runs: told, true
};

// The set-up shared by the file dialogs of both windows: they start in
// "Setdata" under the program's folder, list "*.dat" files and add ".dat".
UiSeam::FileDialogRequest settingFileDialog(const QString& programFolder, UiSeam::FileDialogMode mode,
                                            const QString& lastName);

// The save dialog of both windows: the file chosen (".dat" added, lastName
// updated), confirmed with string 507 when it exists (No shows 508). Empty
// when the operator cancelled.
QString chooseSettingSaveFile(QWidget* parent, UiSeam& ui, const StringTable& strings, const QString& programFolder,
                              QString& lastName);

class SubDisp_SaveLoad : public QDialog {
    Q_OBJECT
public:
    SubDisp_SaveLoad(QVX720_INC& state, const StringTable& strings, UiSeam& ui, FileWindowHooks hooks,
                     QWidget* parent = nullptr);

    // Empties both lists and appends the names in channel order; no entry stays selected.
    void setChannelNames(const QStringList& names);

    // 0 copy, 1 close, 2 save, 3 load.
    void Command1_Click(int Index);

    std::array<QComboBox*, 2> SaveLoad_CHname{};
    std::array<QLabel*, 4> Label1{};
    std::array<QPushButton*, 4> Command1{};

private:
    void copyChannel();
    void saveChannel();
    void loadChannel();
    void message(const QString& text);
    int listChannel(int list) const;

    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    FileWindowHooks m_hooks;
    QString m_saveName;  // last names chosen in the two file dialogs
    QString m_openName;
};

}  // namespace qvx
