#include "app/window/tablet_cursor.h"

#include "app/window/status_feature.h"
#include "display/view_state.h"
#include "display/widget/drawing_area.h"
#include "tracing/tracing_session.h"

namespace digitrace {

TabletCursor::TabletCursor(TracingSession &session, DrawingArea &area, const ViewState &view,
                           StatusFeature &status, QObject *parent)
    : QObject(parent), session_(session), area_(area), view_(view), status_(status) {
    area_.setAreaMapping([this](QPointF tablet) { return view_.cursorAreaPoint(tablet); });
    connect(&session.reception(), &Reception::positionReported, this, &TabletCursor::moveTo);
    connect(&session, &TracingSession::connectionEnded, this, &TabletCursor::hide);
}

void TabletCursor::moveTo(qint64 x, qint64 y, bool inProximity) {
    // A closed line may still hand over what it had read.
    if (!inProximity || !session_.isConnected()) {
        hide();
        return;
    }
    position_ = QPointF(double(x), double(y));
    area_.setTabletCursor(position_);
    status_.showTabletCursor(position_, CursorSource::Tablet);
}

void TabletCursor::hide() {
    if (!position_)
        return;
    position_.reset();
    area_.setTabletCursor(std::nullopt);
    status_.showTabletCursor(std::nullopt, CursorSource::Tablet);
}

} // namespace digitrace
