#pragma once

#include "display/image_surface.h"
#include "display/renderer.h"
#include "tracing/tracing_session.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace digitrace {

// The window as a replay needs it: the scale box's text and, when asked for, the drawing area as
// a picture. The session's problems go to standard error; refused records are counted.
class HeadlessView {
public:
    // Without a picture size nothing is drawn.
    HeadlessView(const TraceStore &store, QString scaleText, std::optional<QSize> pictureSize);

    // Follows the connection as the window does.
    void watch(TracingSession &session);
    QString scaleText() const { return scaleText_; }
    void setDrawingBackground(Rgb colour);
    void Redraw(Rgb background);
    void showProblem(const QString &message);
    void recordRefused(RecordOutcome outcome);

    // The drawing area as the window shows it now; a null image when nothing is drawn.
    QImage picture();
    int refusedFull() const { return refusedFull_; }
    int refusedOutOfRange() const { return refusedOutOfRange_; }
    int problems() const { return problems_; }

private:
    QString scaleText_;
    std::optional<ImageSurface> surface_;
    std::optional<Renderer> renderer_;
    // Painting waits for picture(): the renderer's pass for one more record paints the pixels of
    // a full repaint, so the last repaint alone gives the same picture as one per record.
    std::optional<Rgb> pendingRedraw_;
    int refusedFull_ = 0;
    int refusedOutOfRange_ = 0;
    int problems_ = 0;
};

} // namespace digitrace
