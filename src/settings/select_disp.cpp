#include "select_disp.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "qvx720_inc.h"
#include "string_table.h"
#include "ui_seam.h"
#include "value_format.h"

namespace qvx {

namespace {

std::size_t slot(SelectFrame f) { return static_cast<std::size_t>(f); }

template <std::size_t N>
QList<QRadioButton*> listOf(const std::array<QRadioButton*, N>& a) {
    QList<QRadioButton*> l;
    for (QRadioButton* b : a)
        if (b) l << b;
    return l;
}

// Options of a frame, one under another or side by side.
template <std::size_t N>
void fillLine(QGroupBox* box, std::array<QRadioButton*, N>& options, const QStringList& captions, bool sideBySide) {
    QBoxLayout* layout = sideBySide ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                    : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    for (std::size_t i = 0; i < N; ++i) {
        options[i] = new QRadioButton(captions.value(static_cast<int>(i)), box);
        layout->addWidget(options[i]);
    }
    if (sideBySide) layout->addStretch();
}

}  // namespace

SelectionDialog::SelectionDialog(SelectWindow window, QVX720_INC& state, const StringTable& strings, UiSeam* ui,
                                 SettingsStore* store, QWidget* parent)
    : QDialog(parent), m_window(window), m_state(state), m_strings(strings), m_ui(ui), m_store(store) {
    const bool page = window == SelectWindow::Page;
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(m_strings.text(233));

    auto* frames = new QGridLayout;
    const auto place = [frames](QGroupBox* box) { frames->addWidget(box, 0, 0); };

    // Non-volatile memory save: only "Save" (0) and "No save" (3) show; 1 and 2
    // stand for the other stored values that also mean "Save".
    QGroupBox* lock = addFrame(SelectFrame::Lock, page ? "Select2_lock" : "Select_lock", m_strings.text(118));
    fillLine(lock, Option_lock, {m_strings.text(244), m_strings.text(244), m_strings.text(244), m_strings.text(245)},
             false);
    Option_lock[1]->setVisible(false);
    Option_lock[2]->setVisible(false);
    place(lock);

    QGroupBox* cool = addFrame(SelectFrame::Cool, page ? "Select2_cool" : "Select_cool", m_strings.text(127));
    fillLine(cool, Option_cool, {m_strings.text(238), m_strings.text(239), m_strings.text(240)}, false);
    place(cool);

    // Alarm types: 0..6 down the left column, the standby variants 7..9 beside 0..2.
    QGroupBox* alarm = addFrame(SelectFrame::Alarm, page ? "Select2_alarm" : "Select_alarm", m_strings.text(234));
    {
        const QStringList captions = {m_strings.text(200), m_strings.text(201), m_strings.text(203),
                                      m_strings.text(205), m_strings.text(207), m_strings.text(209),
                                      m_strings.text(211), m_strings.text(202), m_strings.text(204),
                                      m_strings.text(206)};
        auto* grid = new QGridLayout(alarm);
        for (int i = 0; i < 10; ++i) {
            auto* b = new QRadioButton(captions.value(i), alarm);
            Option_alarm[static_cast<std::size_t>(i)] = b;
            if (i < 7)
                grid->addWidget(b, i, 0);
            else
                grid->addWidget(b, i - 7, 1);
        }
    }
    place(alarm);

    if (page) {
        QGroupBox* out = addFrame(SelectFrame::Out, "Select2_out", m_strings.text(143));
        fillLine(out, Option_out, {m_strings.text(317), m_strings.text(318)}, true);
        place(out);
    }

    QGroupBox* onoff = addFrame(SelectFrame::OnOff, page ? "Select2_onoff" : "Select_onoff", m_strings.text(144));
    fillLine(onoff, Option_onoff, {m_strings.text(160), m_strings.text(161)}, false);
    place(onoff);

    QGroupBox* reigi = addFrame(SelectFrame::Reigi, page ? "Select2_reigi" : "Select_reigi", m_strings.text(241));
    fillLine(reigi, Option_reigi, {m_strings.text(242), m_strings.text(243)}, true);
    place(reigi);

    QGroupBox* keep = addFrame(SelectFrame::Keep, page ? "Select2_keep" : "Select_keep", m_strings.text(159));
    fillLine(keep, Option_keep, {m_strings.text(268), m_strings.text(269)}, true);
    place(keep);

    if (!page) {
        // Input types in three columns of twelve.
        QGroupBox* sensor = addFrame(SelectFrame::Sensor, "Select_sensor", m_strings.text(150));
        const QStringList captions = inputTypeCaptions(m_strings);
        auto* grid = new QGridLayout(sensor);
        for (int i = 0; i < fmt::kInputTypes; ++i) {
            auto* b = new QRadioButton(captions.value(i), sensor);
            Option_sensor[static_cast<std::size_t>(i)] = b;
            grid->addWidget(b, i % 12, i / 12);
        }
        place(sensor);
    }

    QGroupBox* hc = addFrame(SelectFrame::Hc, page ? "Select2_hc" : "Select_hc", m_strings.text(151));
    fillLine(hc, Option_hc, {m_strings.text(236), m_strings.text(237)}, true);
    place(hc);

    QGroupBox* inout = addFrame(SelectFrame::Inout, page ? "Select2_inout" : "Select_inout", m_strings.text(154));
    fillLine(inout, Option_inout, {m_strings.text(164), m_strings.text(165)}, false);
    place(inout);

    if (!page) {
        QGroupBox* unit = addFrame(SelectFrame::Unit, "Select_unit", m_strings.text(235));
        auto* l = new QVBoxLayout(unit);
        Text_unit = new QLineEdit(QStringLiteral("%"), unit);
        l->addWidget(Text_unit);
        place(unit);

        QGroupBox* dp = addFrame(SelectFrame::Dp, "Select_dp", m_strings.text(156));
        fillLine(dp, Option_dp,
                 {QStringLiteral("XXXX"), QStringLiteral("XXX. X"), QStringLiteral("XX. XX"), QStringLiteral("X. XXX")},
                 false);
        place(dp);
    }

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
    Command1->setMinimumWidth(90);
    Command2->setMinimumWidth(90);
    connect(Command1, &QPushButton::clicked, this, &SelectionDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SelectionDialog::Command2_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);  // the size follows the frame shown
    top->addLayout(frames);
    frames->setColumnMinimumWidth(0, 300);  // room for the window caption
    top->addLayout(buttons);

    hideFrames();
}

QGroupBox* SelectionDialog::addFrame(SelectFrame f, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(QString::fromLatin1(name));
    m_frames[slot(f)] = box;
    return box;
}

QGroupBox* SelectionDialog::frame(SelectFrame f) const { return m_frames[slot(f)]; }

QList<QRadioButton*> SelectionDialog::options(SelectFrame f) const {
    switch (f) {
    case SelectFrame::Lock: return listOf(Option_lock);
    case SelectFrame::Cool: return listOf(Option_cool);
    case SelectFrame::Alarm: return listOf(Option_alarm);
    case SelectFrame::Out: return listOf(Option_out);
    case SelectFrame::OnOff: return listOf(Option_onoff);
    case SelectFrame::Reigi: return listOf(Option_reigi);
    case SelectFrame::Keep: return listOf(Option_keep);
    case SelectFrame::Sensor: return listOf(Option_sensor);
    case SelectFrame::Hc: return listOf(Option_hc);
    case SelectFrame::Inout: return listOf(Option_inout);
    case SelectFrame::Dp: return listOf(Option_dp);
    case SelectFrame::None: case SelectFrame::Unit: return {};
    }
    return {};
}

int SelectionDialog::selectedOption(SelectFrame f) const {
    const QList<QRadioButton*> list = options(f);
    for (int i = 0; i < list.size(); ++i)
        if (list[i]->isChecked()) return i;
    return -1;
}

void SelectionDialog::clearFrame(SelectFrame f) {
    for (QRadioButton* b : options(f)) {
        // An exclusive radio button cannot be unchecked on its own.
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

void SelectionDialog::hideFrames() {
    for (QGroupBox* box : m_frames)
        if (box) box->hide();
}

void SelectionDialog::open(const SelectTarget& t) {
    m_target = t;
    hideFrames();
    const SelectFrame f = selectFrameOf(t.item, m_window);
    if (QGroupBox* box = frame(f)) {
        if (f == SelectFrame::Unit) {
            Text_unit->setText(t.unit);
        } else {
            clearFrame(f);
            const int option = presetOption(f, t.value);
            if (option >= 0) options(f)[option]->setChecked(true);
        }
        box->show();
    }
    show();
    raise();
    activateWindow();
}

void SelectionDialog::Command1_Click() {
    const SelectFrame f = selectFrameOf(m_target.item, m_window);
    const int option = selectedOption(f);
    if (m_window == SelectWindow::Page) {
        storePageSelection(m_state, m_target, option);
    } else {
        m_ui->beep();
        storeSelection(m_state, *m_store, m_target, option, Text_unit->text());
    }
    emit stored(m_target);
    unload(QDialog::Accepted);
}

void SelectionDialog::Command2_Click() { unload(QDialog::Rejected); }

void SelectionDialog::reject() { Command2_Click(); }

void SelectionDialog::unload(int result) {
    // The next opening finds the window as freshly loaded: nothing selected,
    // the unit box at its initial text.
    for (int i = 0; i < static_cast<int>(m_frames.size()); ++i) clearFrame(static_cast<SelectFrame>(i));
    if (Text_unit) Text_unit->setText(QStringLiteral("%"));
    hideFrames();
    QDialog::done(result);
}

Select_Disp::Select_Disp(QVX720_INC& state, const StringTable& strings, UiSeam& ui, SettingsStore& store,
                         QWidget* parent)
    : SelectionDialog(SelectWindow::OneChannel, state, strings, &ui, &store, parent) {
    setObjectName(QStringLiteral("Select_Disp"));
}

Select2_Disp::Select2_Disp(QVX720_INC& state, const StringTable& strings, QWidget* parent)
    : SelectionDialog(SelectWindow::Page, state, strings, nullptr, nullptr, parent) {
    setObjectName(QStringLiteral("Select2_Disp"));
}

}  // namespace qvx
