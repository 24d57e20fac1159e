// SubDisp_AllSaveLoad: the all-channels setting-value window. Save writes
// items 10..63 of all 95 channels to one file; load reads such a file back
// into all 95 channels and then queues the write-all chain of every channel,
// one channel at a time, waiting for the link between two channels while it
// keeps processing events.
#pragma once

#include <QDialog>
#include <array>

#include "string_table.h"
#include "subdisp_saveload.h"
#include "ui_seam.h"

class QLabel;
class QPushButton;

namespace qvx {

class QVX720_INC;

class SubDisp_AllSaveLoad : public QDialog {
    Q_OBJECT
public:
    SubDisp_AllSaveLoad(QVX720_INC& state, const StringTable& strings, UiSeam& ui, FileWindowHooks hooks,
                        QWidget* parent = nullptr);

    // 0 save, 1 load, 2 close.
    void Command1_Click(int Index);
    // True from the confirmation of a load until its end.
    bool loading() const { return m_loading; }

    // Closing the window is refused while a load runs.
    void reject() override;

    std::array<QLabel*, 2> Label1{};  // 0 heading, 1 the progress mark "Loading..."
    QLabel* Label2 = nullptr;         // the channel whose turn is next
    std::array<QPushButton*, 3> Command1{};

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void saveAll();
    void loadAll();
    void message(const QString& text);
    void setButtonsEnabled(bool enabled);

    QVX720_INC& m_state;
    const StringTable& m_strings;
    UiSeam& m_ui;
    FileWindowHooks m_hooks;
    bool m_loading = false;
    QString m_saveName;
    QString m_openName;
};

}  // namespace qvx
