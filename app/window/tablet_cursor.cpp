#include "app/window/tablet_cursor.h"

#include "acquisition/formats/formatted_port.h"
#include "acquisition/session.h"
#include "display/widget/drawing_area.h"
#include "app/window/status_feature.h"
#include "display/renderer.h"
#include "display/view_navigation.h"
#include "model/trace_model.h"

namespace digitrace {

TabletCursor::TabletCursor(FormattedPort &line, const Session &session, DrawingArea &area,
                           const Renderer &renderer, const TraceModel &model, StatusFeature &status,
                           QObject *parent)
    : QObject(parent), session_(session), area_(area), renderer_(renderer), model_(model),
      status_(status) {
    area_.setAreaMapping([this](QPointF tablet) {
        const ViewState &v = renderer_.viewState();
        return cursorAreaPoint(v.view(), tablet, v.halfW(), v.halfH());
    });
    connect(&line, &FormattedPort::positionReported, this, &TabletCursor::moveTo);
    connect(&session, &Session::connectionEnded, this, &TabletCursor::hide);
}

void TabletCursor::moveTo(qint64 x, qint64 y, bool inProximity) {
    // A closed line may still hand over what it had read.
    if (!inProximity || !session_.isConnected()) {
        hide();
        return;
    }
    position_ = QPointF(double(x), double(y));
    area_.setTabletCursor(position_);
    status_.showTabletCursor(position_);
}

void TabletCursor::hide() {
    if (!position_)
        return;
    position_.reset();
    area_.setTabletCursor(std::nullopt);
    status_.showTabletCursor(std::nullopt);
}

} // namespace digitrace
