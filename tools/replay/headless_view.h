#pragma once

#include "acquisition/session.h"
#include "display/image_surface.h"
#include "display/renderer.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace digitrace {

// The window as a replay needs it: the scale box's text and, when asked for, the drawing area as
// a picture. The session's problems go to standard error; refused records are counted.
class HeadlessView : public SessionView {
public:
    // Without a picture size nothing is drawn.
    HeadlessView(const TraceStore &store, QString scaleText, std::optional<QSize> pictureSize);

    QString scaleText() const override { return scaleText_; }
    void setScaleEnabled(bool) override {}
    void setConnectEnabled(bool) override {}
    void setDisconnectEnabled(bool) override {}
    void setDrawingBackground(Rgb colour) override;
    void Redraw(Rgb background) override;
    void showProblem(const QString &message) override;
    void recordRefused(RecordOutcome outcome) override;

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
