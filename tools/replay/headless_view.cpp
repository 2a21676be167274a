#include "tools/replay/headless_view.h"

#include <QTextStream>

#include <cstdio>

namespace digitrace {

HeadlessView::HeadlessView(const TraceStore &store, QString scaleText,
                           std::optional<QSize> pictureSize)
    : scaleText_(std::move(scaleText)) {
    if (!pictureSize)
        return;
    surface_.emplace(*pictureSize);
    renderer_.emplace(store, *surface_);
}

void HeadlessView::watch(TracingSession &session) {
    QObject::connect(&session, &TracingSession::connected, &session,
                     [this] { setDrawingBackground(kConnectedBackground); });
    QObject::connect(&session, &TracingSession::connectionEnded, &session, [this] {
        setDrawingBackground(kDisconnectedBackground);
        Redraw(kDisconnectedBackground);
    });
    QObject::connect(&session, &TracingSession::recordTaken, &session,
                     [this](RecordOutcome outcome) {
                         Redraw(kConnectedBackground);
                         if (isRefused(outcome))
                             recordRefused(outcome);
                     });
    QObject::connect(&session.reception(), &Reception::problem, &session,
                     [this](const QString &message) { showProblem(message); });
}

void HeadlessView::setDrawingBackground(Rgb colour) {
    // Erasing drops whatever was still to be painted.
    pendingRedraw_.reset();
    if (surface_)
        surface_->setBackColor(colour);
}

void HeadlessView::Redraw(Rgb background) {
    if (renderer_)
        pendingRedraw_ = background;
}

void HeadlessView::showProblem(const QString &message) {
    ++problems_;
    QTextStream(stderr) << message << Qt::endl;
}

void HeadlessView::recordRefused(RecordOutcome outcome) {
    ++(outcome == RecordOutcome::RefusedFull ? refusedFull_ : refusedOutOfRange_);
}

QImage HeadlessView::picture() {
    if (!surface_)
        return {};
    if (pendingRedraw_) {
        renderer_->Redraw(*pendingRedraw_);
        pendingRedraw_.reset();
    }
    return surface_->image();
}

} // namespace digitrace
