#include "subdisp_history.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qvx {

namespace {

Qt::Alignment alignmentOf(HistoryGrid::Align a) {
    switch (a) {
    case HistoryGrid::Align::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case HistoryGrid::Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// The widest text a cell of each column usually holds, so that a column
// sized by its header's blanks still shows a whole date or time.
const char* const kSampleCell[4] = {"2026/12/28", "12:59:59 PM", "WWWWWWWWWWWW", ""};

}  // namespace

SubDisp_History::SubDisp_History(AlarmHistory& history, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(&history) {
    setObjectName(QStringLiteral("SubDisp_History"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    const HistoryGrid& grid = history.grid();
    const QList<HistoryGrid::Column> columns = grid.columns();

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    MSFlexGrid1 = new QTableWidget(kHistoryGridRows, 4, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setAlternatingRowColors(true);
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(MSFlexGrid1->fontMetrics().height() + 6);
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->horizontalHeader()->setStretchLastSection(true);
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);

    const QFontMetrics fm(MSFlexGrid1->font());
    int total = 0;
    for (int c = 0; c < 4; ++c) {
        const HistoryGrid::Column col = c < columns.size() ? columns[c] : HistoryGrid::Column{};
        auto* header = new QTableWidgetItem(col.header);
        header->setTextAlignment(alignmentOf(col.align));
        MSFlexGrid1->setHorizontalHeaderItem(c, header);
        const int width = qMax(fm.horizontalAdvance(col.sizing), fm.horizontalAdvance(QLatin1String(kSampleCell[c]))) + 16;
        if (c < 3) {
            MSFlexGrid1->setColumnWidth(c, width);
            total += width;
        }
        for (int r = 0; r < kHistoryGridRows; ++r) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(alignmentOf(col.align));
            MSFlexGrid1->setItem(r, c, item);
        }
    }
    v->addWidget(MSFlexGrid1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 1; i <= 2; ++i) {
        Command1[i] = new QPushButton(this);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setMinimumWidth(100);
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    v->addLayout(buttons);

    setWindowTitle(grid.caption());
    Command1[1]->setText(grid.eraseCaption());
    Command1[2]->setText(grid.exitCaption());
    resize(qMax(760, total + fm.horizontalAdvance(QString(40, QLatin1Char('x')))), 480);

    history.grid().setObserver(this);
    // The grid may already hold rows (the window was made again after the
    // history had started): show what it holds.
    if (history.grid().isLoaded())
        for (int r = 1; r <= kHistoryGridRows; ++r) historyRowChanged(r, history.grid().row(r));
}

SubDisp_History::~SubDisp_History() { detach(); }

void SubDisp_History::detach() {
    if (!history_) return;
    history_->grid().setObserver(nullptr);
    history_ = nullptr;
}

void SubDisp_History::showOver(QWidget* owner) {
    if (!placed_ && owner) {
        QRect r = geometry();
        r.moveCenter(owner->frameGeometry().center());
        move(r.topLeft());
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void SubDisp_History::Form_Load() {
    clearCells();
}

void SubDisp_History::clearCells() {
    for (int r = 0; r < kHistoryGridRows; ++r)
        for (int c = 0; c < 4; ++c) MSFlexGrid1->item(r, c)->setText(QString());
}

QString SubDisp_History::cellText(int row, int column) const {
    if (row < 1 || row > kHistoryGridRows || column < 0 || column > 3) return {};
    return MSFlexGrid1->item(row - 1, column)->text();
}

void SubDisp_History::historyRowChanged(int row, const HistoryCells& cells) {
    if (row < 1 || row > kHistoryGridRows) return;
    for (int c = 0; c < 4; ++c) MSFlexGrid1->item(row - 1, c)->setText(cells[std::size_t(c)]);
}

void SubDisp_History::historyGridReset(bool loaded) {
    if (loaded) {
        Form_Load();
        return;
    }
    // Unloaded: the grid is gone with the window.
    clearCells();
    hide();
}

void SubDisp_History::Command1_Click(int Index) {
    if (!history_) return;
    try {
        switch (Index) {
        case 1: history_->Erase(); break;
        case 2:
            history_->exitWindow();
            hide();
            break;
        default: break;
        }
    } catch (...) {
        // A failure in a button ends it without a message.
    }
}

void SubDisp_History::closeEvent(QCloseEvent* event) {
    event->accept();
    if (history_ && history_->grid().isLoaded()) history_->exitWindow();
}

}  // namespace qvx
