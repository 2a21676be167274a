#include "app/window/trace_navigation.h"

#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "model/trace_model.h"

#include <QAction>

namespace digitrace {

TraceNavigation::TraceNavigation(DrawingArea &area, Renderer &renderer, TraceModel &model,
                                 QObject *parent)
    : QObject(parent), area_(area), renderer_(renderer), model_(model) {
    connect(&area_, &DrawingArea::zoomRequested, this, [this](QPointF at, double factor) {
        showView(renderer_.viewState().zoomedAbout(at, factor));
    });
    connect(&area_, &DrawingArea::panRequested, this,
            [this](QPointF delta) { showView(panBy(renderer_.viewState().view(), delta)); });
    connect(&area_, &DrawingArea::fitRequested, this, &TraceNavigation::showWholeTrace);

    const auto action = [this](const QString &text, const QKeySequence &keys, auto slot) {
        auto *a = new QAction(text, this);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        actions_ << a;
    };
    action(tr("全体表示"), QKeySequence(Qt::Key_Home), [this] { showWholeTrace(); });
    action(tr("拡大"), QKeySequence::ZoomIn, [this] { zoomBy(DrawingArea::kZoomStep); });
    action(tr("縮小"), QKeySequence::ZoomOut, [this] { zoomBy(1 / DrawingArea::kZoomStep); });
}

void TraceNavigation::showView(const View &view) {
    renderer_.viewState().setOperatorView(view);
    renderer_.Redraw(area_.surface().backColor());
}

void TraceNavigation::showWholeTrace() {
    // The area may have changed size since the last record fitted the view.
    model_.refitView();
    renderer_.viewState().clearOperatorView();
    renderer_.Redraw(area_.surface().backColor());
}

void TraceNavigation::zoomBy(double factor) {
    showView(renderer_.viewState().zoomedAbout(QRectF(area_.rect()).center(), factor));
}

} // namespace digitrace
