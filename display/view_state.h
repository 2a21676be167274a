#pragma once

#include "display/view_navigation.h"
#include "model/trace_store.h"

#include <QPointF>

#include <optional>

namespace digitrace {

// The view of one drawing area: the operator's zoom and pan while one is set, otherwise the
// automatic fit the record intake keeps in the store. Half the area's size stays where the fit
// reads it (the model's setHalfSize); every mapping between tablet and area goes through here.
class ViewState {
public:
    explicit ViewState(const TraceStore &store) : store_(store) {}

    // The view the picture is drawn in. Records that arrive while the operator's view is set are
    // drawn in it, and the picture does not jump.
    View view() const {
        return operatorView_ ? *operatorView_ : View{store_.ViewCx, store_.ViewCy, store_.ViewZoom};
    }
    void setOperatorView(const View &view) { operatorView_ = view; }
    // Back to the automatic fit.
    void clearOperatorView() { operatorView_.reset(); }

    float halfW() const { return store_.HalfW; }
    float halfH() const { return store_.HalfH; }

    // The tablet point under the area point `at`; for a cursor, nothing while the view shows
    // nothing.
    QPointF tabletPoint(QPointF at) const;
    std::optional<QPointF> cursorTabletPoint(QPointF at) const;
    // Where the tablet point `tablet` is drawn.
    QPointF areaPoint(QPointF tablet) const {
        return digitrace::areaPoint(view(), tablet, halfW(), halfH());
    }
    // The same for a cursor: nothing while the view shows nothing.
    std::optional<QPointF> cursorAreaPoint(QPointF tablet) const {
        return digitrace::cursorAreaPoint(view(), tablet, halfW(), halfH());
    }
    // The view zoomed by `factor` about the area point `at`.
    View zoomedAbout(QPointF at, double factor) const;

private:
    const TraceStore &store_;
    std::optional<View> operatorView_;
};

} // namespace digitrace
