// A value field: a QLabel whose text, when it does not fit, is shown cut
// short with an ellipsis instead of being clipped. text() keeps the whole text.
#pragma once

#include <QLabel>
#include <QStringList>

namespace qvx {

class FieldLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The room the text is drawn in.
    QRect textRect() const;
    // True when the text shows whole, without an ellipsis.
    bool showsWhole() const;
    // Widens the field, never narrows it below its width now, so that each
    // of texts shows whole; again whenever its font changes.
    void widenFor(const QStringList& texts);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* e) override;

private:
    void fitTexts();
    QStringList m_texts;
    int m_baseWidth = -1;
};

}  // namespace qvx
