#include "field_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <cmath>
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
    // The same test as the painting's.
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width()) == text();
}

void FieldLabel::widenFor(const QStringList& texts) {
    if (m_baseWidth < 0) m_baseWidth = width();
    m_texts << texts;
    fitTexts();
}

void FieldLabel::fitTexts() {
    if (m_baseWidth < 0) return;
    // Whole pixels above the exact advance: a text that ends on a fraction
    // of a pixel past the room would be cut.
    const QFontMetricsF fm(font());
    int widest = 0;
    for (const QString& t : m_texts) widest = qMax(widest, int(std::ceil(fm.horizontalAdvance(t))) + 1);
    const int needed = qMax(m_baseWidth, widest + (width() - textRect().width()));
    if (needed != width()) setFixedWidth(needed);
}

bool FieldLabel::event(QEvent* e) {
    const bool done = QLabel::event(e);
    // The style or the window may give the field another font than it had
    // when it was sized.
    if (e->type() == QEvent::Polish || e->type() == QEvent::FontChange) fitTexts();
    return done;
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
