// A value field: a QLabel whose text, when it does not fit, is shown cut
// short with an ellipsis instead of being clipped. text() keeps the whole text.
#pragma once

#include <QLabel>

namespace qvx {

class FieldLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qvx
