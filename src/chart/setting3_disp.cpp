#include "setting3_disp.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "chart_engine.h"
#include "chart_files.h"
#include "korvel_chartctl.h"
#include "setting_disp.h"
#include "string_table.h"
#include "ui_seam.h"

namespace qvx {

Setting3_Disp::Setting3_Disp(Korvel_ChartCtl& chart, QWidget* parent) : QDialog(parent), m_chart(chart) {
    setObjectName(QStringLiteral("Setting3_Disp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    const StringTable& st = *m_chart.env().strings;
    setWindowTitle(st.text(230));  // "Setting value change display"

    Label1 = new QLabel(st.text(231), this);  // "Current setting value"
    Label2 = new QLabel(st.text(232), this);  // "Setting range"
    const auto valueLabel = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(170);
        return l;
    };
    Now_data = valueLabel(QStringLiteral("Now_data"));
    Limit_data = valueLabel(QStringLiteral("Limit_data"));
    change_data3 = new QLabel(this);
    change_data3->setObjectName(QStringLiteral("change_data3"));
    change_data3->hide();

    Disp_setdata3 = new EntryBox(this);
    Disp_setdata3->setObjectName(QStringLiteral("Disp_setdata3"));
    QFont big = Disp_setdata3->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Disp_setdata3->setFont(big);
    Disp_setdata3->setMinimumHeight(Disp_setdata3->sizeHint().height());

    const auto key = [this](const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        b->setMinimumSize(56, 40);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        return b;
    };
    for (int i = 0; i < 10; ++i) {
        Ten_key[std::size_t(i)] = key(QString::number(i));
        connect(Ten_key[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Ten_key_Click(i); });
    }
    Command1 = key(QStringLiteral("+/-"));
    Command2 = key(QStringLiteral("CE"));
    Command3 = key(QStringLiteral("OK"));
    Command4 = key(QStringLiteral("Cancel"));
    connect(Command1, &QPushButton::clicked, this, &Setting3_Disp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Setting3_Disp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Setting3_Disp::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Setting3_Disp::Command4_Click);
    connect(Disp_setdata3, &EntryBox::keyTyped, this, &Setting3_Disp::Disp_setdata3_KeyPress);

    layOutTenKeyDialog(this, Label1, Now_data, Label2, Limit_data, Disp_setdata3, Ten_key, Command1, Command2, Command3,
                       Command4);

    setTabOrder(Disp_setdata3, Ten_key[7]);
    Disp_setdata3->setFocus();
}

void Setting3_Disp::retarget(const QString& nowText, const QString& limitText) {
    // The display box is emptied with the raw entry: OK must never take a
    // value other than the one the box shows.
    m_entry.reset(EntryDisplay{});
    showEntry();
    Now_data->setText(nowText);
    Limit_data->setText(limitText);
    Disp_setdata3->setFocus();
}

void Setting3_Disp::showEntry() {
    change_data3->setText(m_entry.raw());
    Disp_setdata3->setText(m_entry.display());
}

void Setting3_Disp::refuse(int stringId) {
    m_chart.env().ui->messageBox(this, m_chart.env().strings->text(stringId), QString(), UiSeam::Icon::None,
                                 UiSeam::Buttons::Ok);
    // The box is gone, but the keyboard may have gone with it to another
    // window (or none): the dialog takes it back, so the digits typed next
    // reach the entry that the caller focuses.
    activateWindow();
}

void Setting3_Disp::Ten_key_Click(int Index) {
    m_entry.digit(Index);
    showEntry();
}

void Setting3_Disp::Disp_setdata3_KeyPress(int KeyAscii) {
    switch (classifyTyped(KeyAscii)) {
    case TypedKey::Digit: m_entry.digit(KeyAscii - '0'); break;
    case TypedKey::Minus: m_entry.typedMinus(); break;
    case TypedKey::Clear: m_entry.clear(); break;
    case TypedKey::Enter: Command3_Click(); return;
    case TypedKey::Other: m_entry.refresh(); break;
    }
    showEntry();
}

void Setting3_Disp::Command1_Click() {
    if (m_entry.plusMinus(chart::kScaleSignMin, chart::kScaleSignMax)) {
        showEntry();
        return;
    }
    refuse(229);  // "Out of the setting range."
    showEntry();
    Disp_setdata3->setFocus();
}

void Setting3_Disp::Command2_Click() {
    m_entry.clear();
    showEntry();
    Disp_setdata3->setFocus();
}

void Setting3_Disp::Command3_Click() {
    QVX720_INC& s = *m_chart.env().state;
    const int sel = s.ChartScale_Sel;
    const qint64 v = m_entry.value();
    switch (chart::scaleDialogOk(Disp_setdata3->text().isEmpty(), v, sel, s.YHigh_Now, s.YLow_Now)) {
    case chart::ScaleOk::Empty:
        refuse(559);  // "Check the input value."
        Disp_setdata3->setFocus();
        return;
    case chart::ScaleOk::OutOfRange:
        refuse(229);  // "Out of the setting range."
        m_entry.clear();
        showEntry();
        Disp_setdata3->setFocus();
        return;
    case chart::ScaleOk::ScaleError:
        // The limit is put again as it was.
        if (sel == 1)
            m_chart.setYScaleLow(QString::number(s.YLow_Now));
        else
            m_chart.setYScaleHigh(QString::number(s.YHigh_Now));
        refuse(561);  // "Scaling setting error has occurred."
        m_entry.clear();
        showEntry();
        Disp_setdata3->setFocus();
        return;
    case chart::ScaleOk::Accepted:
        break;
    }
    const auto n = static_cast<qint32>(v);  // within -200..2000
    if (sel == 1) {
        m_chart.setYScaleLow(QString::number(n));
        s.ChartFile_Data.Chart_YLow = n;
        m_chart.saveRecords({{ChartRecord::YLow, n}});
    } else {
        m_chart.setYScaleHigh(QString::number(n));
        s.ChartFile_Data.Chart_YHigh = n;
        m_chart.saveRecords({{ChartRecord::YHigh, n}});
    }
    s.ChartScale_Sel = 0;
    m_chart.env().ui->beep();
    unload();
}

void Setting3_Disp::Command4_Click() { unload(); }

void Setting3_Disp::reject() { Command4_Click(); }

void Setting3_Disp::unload() {
    QDialog::done(QDialog::Rejected);  // hides and deletes the dialog
}

}  // namespace qvx
