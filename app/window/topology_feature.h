#pragma once

#include "app/window/window_host.h"
#include "topology/topology_check.h"

#include <QObject>

#include <optional>

class QAction;
class QThread;
class QTimer;

namespace digitrace {

class DrawingArea;
class JobFiles;
class Renderer;
class TopologyList;
class TopologyMarkers;
class TraceModel;
class TraceNavigation;
class TracingSession;
struct Placement;

// The topology check in the window: ツール → トポロジー検査 switches the live check, which runs a
// moment after the job changes on a thread of its own (reception never waits for it); its
// findings are marked over the drawing area and listed in a panel that shows each one closer.
// Before an export or a publish the check is offered, never forced. It is on by itself while the
// job snaps or traces into classes, so that the designed job keeps the designed window.
class TopologyFeature : public QObject {
    Q_OBJECT
public:
    TopologyFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                    Renderer &renderer, DrawingArea &area, TraceNavigation &navigation,
                    JobFiles &jobFiles);
    ~TopologyFeature() override;

    bool liveCheck() const;
    // A check is due or running: the findings shown may not be the job's yet.
    bool checking() const;
    // The operator's choice; it holds until the next one.
    void setLiveCheck(bool on);
    // Before an export or a publish, while the check is on: its findings are offered to see
    // first. `repairable`: the output can repair them (GIS, publish). False when the operator
    // chose to see them, or cancelled.
    bool offerBeforeOutput(bool repairable);
    // The repair chosen at the last offer, for features placed by `placement`; empty for none.
    OutputRepair repairFor(const Placement &placement) const;
    // The view goes to the finding at `index` of the last report, which the list and the
    // markers point at.
    void showFinding(std::size_t index);

    const TopologyReport &report() const { return report_; }
    double toleranceUnits() const;
    QAction &action() { return *action_; }
    TopologyList &list() { return *list_; }
    TopologyMarkers &markers() { return *markers_; }

signals:
    // A check's findings are shown.
    void checked();

private:
    void jobChanged();
    void followJob();
    void runCheck();
    void showList();
    void showReport(TopologyReport report);

    WindowHost &host_;
    TracingSession &session_;
    const TraceModel &model_;
    Renderer &renderer_;
    TraceNavigation &navigation_;
    QAction *action_;
    TopologyList *list_;
    TopologyMarkers *markers_;
    QTimer *debounce_;
    QThread *worker_ = nullptr;
    // The job changed while a check ran: its findings may be stale.
    bool stale_ = false;
    std::optional<bool> operatorChoice_;
    bool repairAsked_ = false;
    TopologyReport report_;
};

} // namespace digitrace
