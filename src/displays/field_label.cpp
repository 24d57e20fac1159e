#include "field_label.h"

#include <QPainter>
#include <QStyle>

namespace qvx {

void FieldLabel::paintEvent(QPaintEvent* event) {
    if (wordWrap() || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);  // the frame only
    QPainter p(this);
    QRect r = contentsRect();
    const int ind = indent() < 0 ? 0 : indent();
    if (alignment() & Qt::AlignLeft) r.setLeft(r.left() + ind);
    if (alignment() & Qt::AlignRight) r.setRight(r.right() - ind);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

}  // namespace qvx
