#include "field_label.h"

#include <QPainter>
#include <QStyle>

namespace qvx {

QRect FieldLabel::textRect() const {
    QRect r = contentsRect();
    const int ind = indent() < 0 ? 0 : indent();
    if (alignment() & Qt::AlignLeft) r.setLeft(r.left() + ind);
    if (alignment() & Qt::AlignRight) r.setRight(r.right() - ind);
    return r;
}

bool FieldLabel::showsWhole() const {
    return fontMetrics().horizontalAdvance(text()) <= textRect().width();
}

void FieldLabel::widenFor(const QStringList& texts) {
    int widest = 0;
    for (const QString& t : texts) widest = qMax(widest, fontMetrics().horizontalAdvance(t));
    const int needed = widest + (width() - textRect().width());
    if (needed > width()) setFixedWidth(needed);
}

void FieldLabel::paintEvent(QPaintEvent* event) {
    if (wordWrap() || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);  // the frame only
    QPainter p(this);
    const QRect r = textRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

}  // namespace qvx
