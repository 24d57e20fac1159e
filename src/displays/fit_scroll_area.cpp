#include "fit_scroll_area.h"

#include <QEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qvx {

FitScrollArea::FitScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);  // the keys go to the controls, as without the area
}

QSize FitScrollArea::sizeHint() const {
    const QWidget* content = widget();
    if (!content) return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    QSize want = content->sizeHint().expandedTo(content->minimumSizeHint()) + QSize(frame, frame);
    const QScreen* s = screen();
    const QSize room = s ? s->availableGeometry().size() - QSize(kFrameRoom / 3, kFrameRoom) : want;
    // A bar along one side takes room from the other.
    const bool tooTall = want.height() > room.height();
    const bool tooWide = want.width() > room.width();
    if (tooTall) want.rwidth() += verticalScrollBar()->sizeHint().width();
    if (tooWide) want.rheight() += horizontalScrollBar()->sizeHint().height();
    return want.boundedTo(room);
}

QSize FitScrollArea::minimumSizeHint() const { return {160, 120}; }

namespace {

// Gives the window its whole size hint when it is first shown: the platform
// would otherwise cut a large window to a part of the screen.
class FirstShowSize : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !m_done) {
            m_done = true;
            auto* w = static_cast<QWidget*>(watched);
            w->resize(w->sizeHint());
        }
        return false;
    }

private:
    bool m_done = false;
};

}  // namespace

WindowPlace placeWindow(const QRect& available, const QSize& designed, const QMargins& frame, const QPoint& framePos,
                        const QMargins& unknownFrame) {
    const QSize need = designed.grownBy(frame + unknownFrame);
    if (need.width() > available.width() || need.height() > available.height())
        return {available, available.marginsRemoved(frame), true};
    QRect outer(framePos, designed.grownBy(frame));
    outer.moveLeft(qBound(available.left(), outer.left(), available.right() + 1 - outer.width()));
    outer.moveTop(qBound(available.top(), outer.top(), available.bottom() + 1 - outer.height()));
    return {outer, outer.marginsRemoved(frame), false};
}

QWidget* scrollingContent(QWidget* window) {
    window->installEventFilter(new FirstShowSize(window));
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* area = new FitScrollArea(window);
    area->setObjectName(QStringLiteral("scrollArea"));
    outer->addWidget(area);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    area->setWidget(content);
    return content;
}

}  // namespace qvx
