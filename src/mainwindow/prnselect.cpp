#include "prnselect.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "printing.h"

namespace qvx {

prnselect::prnselect(QVX720_INC& state, const StringTable& strings, const QStringList& printerNames,
                     const QString& currentPrinter, QWidget* parent)
    : QDialog(parent), m_state(state), m_strings(strings), m_printers(printerNames) {
    setObjectName(QStringLiteral("prnselect"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Label1 = new QLabel(this);
    prnName = new QComboBox(this);
    prnName->setEditable(true);
    prnName->setInsertPolicy(QComboBox::NoInsert);
    prnName->setMinimumWidth(300);
    prnName->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Label1->setBuddy(prnName);
    prnOK = new QPushButton(QStringLiteral("OK"), this);
    prnOK->setDefault(true);
    prnCancel = new QPushButton(this);
    for (QPushButton* b : {prnOK, prnCancel}) b->setMinimumWidth(90);

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(Label1);
    row->addWidget(prnName, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(prnOK);
    buttons->addWidget(prnCancel);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(row);
    outer->addSpacing(12);
    outer->addLayout(buttons);

    connect(prnOK, &QPushButton::clicked, this, &prnselect::prnOK_Click);
    connect(prnCancel, &QPushButton::clicked, this, &prnselect::prnCancel_Click);
    Form_Load(currentPrinter);
}

void prnselect::Form_Load(const QString& currentPrinter) {
    setWindowTitle(m_strings.text(32));
    Label1->setText(m_strings.text(35));
    prnCancel->setText(m_strings.text(46));
    m_state.Prn_No = FindPrinter(currentPrinter);
    prnName->clear();
    prnName->addItems(m_printers);
    // Adding the list moves the box to its first row: show the current
    // printer again (its row when it is listed).
    prnName->setCurrentIndex(m_state.Prn_No);
    prnName->setEditText(currentPrinter);
}

qint16 prnselect::FindPrinter(const QString& name) const { return qvx::FindPrinter(m_printers, name); }

void prnselect::prnOK_Click() {
    m_state.Prn_No = FindPrinter(prnName->currentText());
    done(QDialog::Accepted);
}

void prnselect::prnCancel_Click() {
    m_state.Prn_No = kPrnCancelled;
    done(QDialog::Rejected);
}

void prnselect::reject() { done(QDialog::Rejected); }

void prnselect::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        prnCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

QRect PrintPictureFitPage(QPrinter& printer, QPainter& painter, const QPixmap& picture) {
    if (picture.isNull()) return {};
    const QSizeF pictureSize = picture.deviceIndependentSize();
    // The orientation first, so that the printable area below is the new one.
    printer.setPageOrientation(pictureOrientation(pictureSize) == PageOrientation::Portrait
                                   ? QPageLayout::Portrait
                                   : QPageLayout::Landscape);
    if (!painter.begin(&printer)) return {};
    // The painter's origin is the top-left corner of the printable area, and
    // the printer's X and Y resolutions are equal.
    const QSizeF printable(printer.width(), printer.height());
    const QSizeF out = fitPictureToPage(pictureSize, printable);
    if (out.isEmpty()) return {};
    const QRect target(0, 0, qRound(out.width()), qRound(out.height()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, picture);
    return target;
}

}  // namespace qvx
