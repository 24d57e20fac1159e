#include "setting_disp.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "qvx720_inc.h"
#include "string_table.h"
#include "ui_seam.h"

namespace qvx {

void layOutTenKeyDialog(QWidget* dialog, QWidget* label1, QWidget* nowData, QWidget* label2, QWidget* limitData,
                        QWidget* entry, const std::array<QPushButton*, 10>& keys, QPushButton* sign,
                        QPushButton* clear, QPushButton* ok, QPushButton* cancel) {
    auto* grid = new QGridLayout(dialog);
    grid->addWidget(label1, 0, 0, 1, 2);
    grid->addWidget(nowData, 0, 2, 1, 2);
    grid->addWidget(label2, 1, 0, 1, 2);
    grid->addWidget(limitData, 1, 2, 1, 2);
    grid->addWidget(entry, 2, 0, 1, 4);
    grid->setRowMinimumHeight(2, entry->minimumHeight() + 6);
    // 7 8 9 / 4 5 6 OK / 1 2 3 / 0 +/- CE Cancel
    const int rowOf[10] = {6, 5, 5, 5, 4, 4, 4, 3, 3, 3};
    const int colOf[10] = {0, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    for (int i = 0; i < 10; ++i) grid->addWidget(keys[std::size_t(i)], rowOf[i], colOf[i]);
    grid->addWidget(ok, 4, 3, 2, 1);
    grid->addWidget(sign, 6, 1);
    grid->addWidget(clear, 6, 2);
    grid->addWidget(cancel, 6, 3);
}

// ---------------------------------------------------------------------------
// EntryBox

EntryBox::EntryBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void EntryBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    // Focus moves, Escape (the dialog's Cancel) and shortcuts keep their usual meaning.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    int code = -1;
    if (key == Qt::Key_Backspace)
        code = 8;
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        code = 13;
    else if (!event->text().isEmpty())
        code = event->text().at(0).unicode();
    if (code < 0) {  // keys that type nothing (arrows, Shift...)
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyTyped(code);
}

// ---------------------------------------------------------------------------
// NumericSettingDialog

NumericSettingDialog::NumericSettingDialog(Member member, QVX720_INC& state, const StringTable& strings,
                                           UiSeam& ui, SettingsStore* store, QWidget* parent)
    : QDialog(parent), m_member(member), m_state(state), m_strings(strings), m_ui(ui), m_store(store) {
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(m_strings.text(230));

    Label1 = new QLabel(m_strings.text(231), this);
    Label2 = new QLabel(m_strings.text(232), this);
    const auto valueLabel = [this] {
        auto* l = new QLabel(this);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(170);
        return l;
    };
    Now_data = valueLabel();
    Limit_data = valueLabel();

    Disp_setdata = new EntryBox(this);
    QFont big = Disp_setdata->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Disp_setdata->setFont(big);
    Disp_setdata->setMinimumHeight(Disp_setdata->sizeHint().height());

    const auto key = [this](const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        b->setMinimumSize(56, 40);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        return b;
    };
    for (int i = 0; i < 10; ++i) {
        Ten_key[static_cast<std::size_t>(i)] = key(QString::number(i));
        connect(Ten_key[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { Ten_key_Click(i); });
    }
    Command1 = key(QStringLiteral("+/-"));
    Command2 = key(QStringLiteral("CE"));
    Command3 = key(QStringLiteral("OK"));
    Command4 = key(QStringLiteral("Cancel"));
    connect(Command1, &QPushButton::clicked, this, &NumericSettingDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &NumericSettingDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &NumericSettingDialog::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &NumericSettingDialog::Command4_Click);
    connect(Disp_setdata, &EntryBox::keyTyped, this, &NumericSettingDialog::KeyPress);

    layOutTenKeyDialog(this, Label1, Now_data, Label2, Limit_data, Disp_setdata, Ten_key, Command1, Command2, Command3,
                       Command4);

    // The display box is first in the tab order, so it has the focus when shown.
    setTabOrder(Disp_setdata, Ten_key[7]);
    Disp_setdata->setFocus();
}

void NumericSettingDialog::open(const EditTarget& t) {
    m_target = t;
    // The page member always shows what was typed.
    if (m_member == Member::Setting2) m_target.display = EntryDisplay{};
    Now_data->setText(m_target.Now_data);
    Limit_data->setText(m_target.Limit_data);
    m_entry.reset(m_target.display);
    showEntry();
    show();
    raise();
    activateWindow();
    Disp_setdata->setFocus();
}

void NumericSettingDialog::showEntry() { Disp_setdata->setText(m_entry.display()); }

void NumericSettingDialog::refuse(int stringId) {
    m_ui.messageBox(this, m_strings.text(stringId), QString(), UiSeam::Icon::None, UiSeam::Buttons::Ok);
    activateWindow();  // the keyboard back from the box, for the entry that the caller focuses
}

void NumericSettingDialog::Ten_key_Click(int Index) {
    m_entry.digit(Index);
    showEntry();
}

void NumericSettingDialog::KeyPress(int KeyAscii) {
    switch (classifyTyped(KeyAscii)) {
    case TypedKey::Digit: m_entry.digit(KeyAscii - '0'); break;
    case TypedKey::Minus: m_entry.typedMinus(); break;
    case TypedKey::Clear: m_entry.clear(); break;
    case TypedKey::Enter: Command3_Click(); return;
    case TypedKey::Other: m_entry.refresh(); break;
    }
    showEntry();
}

void NumericSettingDialog::Command1_Click() {
    const bool page = m_member == Member::Setting2;
    const qint64 max = page ? Setting2_Disp::kSignMax : m_target.max;
    const qint64 min = page ? Setting2_Disp::kSignMin : m_target.min;
    if (m_entry.plusMinus(min, max)) {
        showEntry();
        return;
    }
    refuse(229);  // "Out of the setting range."
    showEntry();
    Disp_setdata->setFocus();
}

void NumericSettingDialog::Command2_Click() {
    m_entry.clear();
    showEntry();
    Disp_setdata->setFocus();
}

void NumericSettingDialog::Command3_Click() {
    switch (checkOk(m_entry, m_target.min, m_target.max)) {
    case OkCheck::Empty:
        refuse(559);  // "Check the input value."
        if (m_member != Member::Setting2) m_ui.beep();
        Disp_setdata->setFocus();
        return;
    case OkCheck::OutOfRange:
        refuse(229);  // "Out of the setting range."
        m_entry.clear();
        showEntry();
        Disp_setdata->setFocus();
        return;
    case OkCheck::Accepted:
        break;
    }
    m_ui.beep();
    const auto v = static_cast<qint16>(m_entry.value());  // within 16-bit limits
    if (m_member == Member::Setting2)
        storePageNumeric(m_state, m_target, v);
    else
        storeNumeric(m_state, *m_store, m_target, v);
    emit stored(m_target, v);
    unload(QDialog::Accepted);
}

void NumericSettingDialog::Command4_Click() { unload(QDialog::Rejected); }

void NumericSettingDialog::reject() { Command4_Click(); }

void NumericSettingDialog::unload(int result) {
    m_entry.reset(m_target.display);
    showEntry();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// Members

Setting_Disp::Setting_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                           QWidget* parent)
    : NumericSettingDialog(Member::Setting, state, strings, ui, &store, parent) {
    setObjectName(QStringLiteral("Setting_Disp"));
    Disp_setdata->setObjectName(QStringLiteral("Disp_setdata"));
}

Setting4_Disp::Setting4_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                             QWidget* parent)
    : NumericSettingDialog(Member::Setting4, state, strings, ui, &store, parent) {
    setObjectName(QStringLiteral("Setting4_Disp"));
    Disp_setdata->setObjectName(QStringLiteral("Disp_setdata4"));
}

Setting2_Disp::Setting2_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, QWidget* parent)
    : NumericSettingDialog(Member::Setting2, state, strings, ui, nullptr, parent) {
    setObjectName(QStringLiteral("Setting2_Disp"));
    Disp_setdata->setObjectName(QStringLiteral("Disp_setdata2"));
}

}  // namespace qvx
