#include "display/view_state.h"

namespace digitrace {

QPointF ViewState::tabletPoint(QPointF at) const {
    return digitrace::tabletPoint(view(), at, halfW(), halfH());
}

std::optional<QPointF> ViewState::cursorTabletPoint(QPointF at) const {
    return digitrace::cursorTabletPoint(view(), at, halfW(), halfH());
}

View ViewState::zoomedAbout(QPointF at, double factor) const {
    return zoomAbout(view(), at, halfW(), halfH(), factor);
}

} // namespace digitrace
