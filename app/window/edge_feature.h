#pragma once

#include "export/edge_match.h"

#include <QObject>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QThread;

namespace digitrace {

class PublishFeature;
class Renderer;
class TraceModel;
class TracingSession;
class WindowHost;

// What the neighbouring sheets published near the edge, on this sheet's tablet.
struct EdgeGuide {
    struct Shape {
        std::vector<QPointF> vertices;
        bool closed = false;
    };
    std::vector<Shape> neighbours;
    std::vector<QPointF> ownUnmatched;
    std::vector<QPointF> neighboursUnmatched;
    int matched = 0;
};

// The neighbours' features faded over the drawing area's picture, never into it, with the ends
// on the edge that found no partner marked: a see-through layer on top of the area that follows
// its size and the view as it changes.
class EdgeOverlay : public QWidget {
    Q_OBJECT
public:
    // `area` shows the picture; `toArea` maps a tablet point to the area as the picture does.
    EdgeOverlay(QWidget &area, std::function<QPointF(QPointF)> toArea);
    void showGuide(EdgeGuide guide);
    const EdgeGuide &guide() const { return guide_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<QPointF(QPointF)> toArea_;
    EdgeGuide guide_;
};

// ツール → 隣接図葉を表示: once the sheet is registered, named and published, the features its
// neighbours published near its edge are fetched from the shared database on a worker and shown
// faded as a guide, with the ends that meet nothing across the edge marked. Fetched again after
// each publish of this sheet, and every minute for the neighbours' own.
class EdgeFeature : public QObject {
    Q_OBJECT
public:
    EdgeFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                PublishFeature &publish, Renderer &renderer, QWidget &area);
    // Waits for a fetch in flight, which reads a copy of the job and nothing of the window.
    ~EdgeFeature() override;

    QAction *action() const { return action_; }
    EdgeOverlay &overlay() const { return *overlay_; }
    // Fetches the neighbours again, unless one is under way: then once more after it.
    void refresh();

signals:
    // A fetch ended; what it found is shown, or the reason it found nothing told.
    void refreshed(bool ok);

private:
    struct Fetched {
        NeighbourFeatures neighbours;
        EdgeMatchReport ends;
    };
    void toggle(bool on);
    void take(const Fetched &fetched, const Transform &toTablet);
    void tell(const QString &text);

    WindowHost &host_;
    TracingSession &session_;
    const TraceModel &model_;
    PublishFeature &publish_;
    QAction *action_;
    EdgeOverlay *overlay_;
    QTimer again_;
    QThread *worker_ = nullptr;
    bool pending_ = false;
    QString notice_;
};

} // namespace digitrace
