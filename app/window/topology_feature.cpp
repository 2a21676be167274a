#include "app/window/topology_feature.h"

#include "app/window/job_files.h"
#include "app/window/reception_hold.h"
#include "app/window/topology_list.h"
#include "app/window/topology_markers.h"
#include "app/window/trace_navigation.h"
#include "app/window/window_dialogs.h"
#include "app/window/window_host.h"
#include "classes/class_catalogue.h"
#include "display/renderer.h"
#include "display/widget/drawing_area.h"
#include "export/gis_features.h"
#include "model/trace_model.h"
#include "topology/topology_repair.h"
#include "tracing/snap_index.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QMainWindow>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <memory>

namespace digitrace {
namespace {

// Records come in bursts; the check waits for a pause this long.
constexpr int kDebounceMs = 300;
// A finding shown closer: twice the tolerance spans this many pixels of the drawing area.
constexpr double kFindingPixels = 16;

// The classes of a job, held whole: a check or a repair runs on another thread while the job
// moves on.
struct ClassesCopy {
    std::optional<ClassCatalogue> catalogue;
    ClassedFeatures features;
    TraceClasses view() const {
        return catalogue ? TraceClasses{&*catalogue, &features} : TraceClasses{};
    }
};

std::shared_ptr<const ClassesCopy> copyClasses(const TraceClasses &classes) {
    auto copy = std::make_shared<ClassesCopy>();
    if (classes.inUse()) {
        copy->catalogue = *classes.catalogue;
        copy->features = *classes.features;
    }
    return copy;
}

// Map units per tablet unit about the middle of the trace: a registration's transform is near
// enough to similar there for a tolerance.
double mapUnitsPerTabletUnit(const Placement &placement, const TraceStore &store) {
    constexpr float kStep = 1000;
    const float cx = (store.MinX + store.MaxX) / 2, cy = (store.MinY + store.MaxY) / 2;
    const MapPoint o = placement.place(cx, cy);
    const MapPoint east = placement.place(cx + kStep, cy);
    const MapPoint north = placement.place(cx, cy + kStep);
    return (std::hypot(east.x - o.x, east.y - o.y) + std::hypot(north.x - o.x, north.y - o.y)) /
           (2 * double(kStep));
}

} // namespace

TopologyFeature::TopologyFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                                 Renderer &renderer, DrawingArea &area, TraceNavigation &navigation,
                                 JobFiles &jobFiles)
    : QObject(&host.mainWindow()), host_(host), session_(session), model_(model),
      renderer_(renderer), navigation_(navigation),
      action_(new QAction(tr("トポロジー検査"), this)), debounce_(new QTimer(this)) {
    QMainWindow &window = host_.mainWindow();
    action_->setCheckable(true);
    connect(action_, &QAction::triggered, this, &TopologyFeature::setLiveCheck);
    host_.addMenuAction(MenuGroup::Tools, action_);

    list_ = new TopologyList(&window);
    list_->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    window.addDockWidget(Qt::BottomDockWidgetArea, list_);
    list_->hide();
    QAction *shown = list_->toggleViewAction();
    connect(shown, &QAction::triggered, this, [this](bool show) {
        if (show && !list_->isFloating())
            host_.makeRoomFor(*list_);
    });
    host_.addMenuAction(MenuGroup::ViewPanels, shown);
    connect(list_, &TopologyList::findingChosen, this, &TopologyFeature::showFinding);

    markers_ = new TopologyMarkers(
        area, [this](QPointF tablet) { return renderer_.viewState().areaPoint(tablet); });
    connect(list_, &TopologyList::currentChanged, markers_, &TopologyMarkers::setCurrent);
    // The picture keeps the old size's drawing until the next record; the markers would stand
    // apart from it. Queued: the window gives the model the area's new size after the area has it.
    connect(
        markers_, &TopologyMarkers::areaResized, this,
        [this, &area] {
            if (markers_->isVisible())
                renderer_.Redraw(area.surface().backColor());
        },
        Qt::QueuedConnection);

    debounce_->setSingleShot(true);
    debounce_->setInterval(kDebounceMs);
    connect(debounce_, &QTimer::timeout, this, &TopologyFeature::runCheck);
    connect(&session_.journal(), &JobJournal::applied, this, &TopologyFeature::jobChanged);
    connect(&jobFiles, &JobFiles::jobReplaced, this, &TopologyFeature::jobChanged);
    followJob();
}

TopologyFeature::~TopologyFeature() {
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

bool TopologyFeature::liveCheck() const {
    return action_->isChecked();
}

bool TopologyFeature::checking() const {
    return worker_ || debounce_->isActive();
}

void TopologyFeature::setLiveCheck(bool on) {
    operatorChoice_ = on;
    followJob();
    // Asked for: the findings show at once.
    if (on)
        showList();
}

void TopologyFeature::showList() {
    if (!list_->isVisible()) {
        list_->show();
        if (!list_->isFloating())
            host_.makeRoomFor(*list_);
    }
    list_->raise();
}

void TopologyFeature::jobChanged() {
    followJob();
    if (liveCheck()) {
        if (worker_)
            stale_ = true;
        debounce_->start();
    }
}

void TopologyFeature::followJob() {
    const JobState &job = session_.job();
    const bool wanted = operatorChoice_.value_or(job.snapMm > 0 || job.classes.catalogue());
    if (wanted == liveCheck())
        return;
    action_->setChecked(wanted);
    if (wanted) {
        runCheck();
        return;
    }
    debounce_->stop();
    report_ = {};
    markers_->showFindings({});
    list_->showOff();
}

double TopologyFeature::toleranceUnits() const {
    return digitrace::toleranceUnits(checkToleranceMm(session_.job()), model_.store().tabletUnitMm);
}

void TopologyFeature::runCheck() {
    if (!liveCheck())
        return;
    if (worker_) {
        stale_ = true;
        return;
    }
    stale_ = false;
    // Copies, made between two records: the job moves on while the check runs.
    auto store = std::make_shared<const TraceStore>(model_.store());
    auto classes = copyClasses(session_.job().classes.forOutput());
    auto result = std::make_shared<TopologyReport>();
    worker_ = QThread::create([store, classes, result, tolerance = toleranceUnits()] {
        *result = checkTopology(*store, classes->view(), tolerance);
    });
    connect(worker_, &QThread::finished, this, [this, result] {
        worker_->deleteLater();
        worker_ = nullptr;
        if (!liveCheck())
            return;
        if (stale_) {
            runCheck();
            return;
        }
        showReport(std::move(*result));
    });
    worker_->start(QThread::LowPriority);
}

void TopologyFeature::showReport(TopologyReport report) {
    report_ = std::move(report);
    markers_->showFindings(report_.findings);
    list_->showReport(report_);
    emit checked();
}

bool TopologyFeature::offerBeforeOutput(bool repairable) {
    repairAsked_ = false;
    if (!liveCheck())
        return true;
    const ReceptionHold hold(session_);
    // What is about to be written, not what the last live check saw.
    showReport(checkTopology(model_.store(), session_.job().classes.forOutput(), toleranceUnits()));
    if (report_.clean())
        return true;
    QStringList answers{tr("一覧を見る"), tr("このまま続ける")};
    if (repairable)
        answers << tr("修正して続ける");
    answers << tr("キャンセル");
    const int answer =
        host_.dialogs().ask(tr("トポロジー検査で問題が見つかりました（%1）。一覧で確かめますか？")
                                .arg(list_->countsText()),
                            answers);
    if (answer == 0) {
        showList();
        return false;
    }
    if (answer == 1)
        return true;
    repairAsked_ = repairable && answer == 2;
    return repairAsked_;
}

OutputRepair TopologyFeature::repairFor(const Placement &placement) const {
    if (!repairAsked_)
        return {};
    const double tolerance = toleranceUnits() * mapUnitsPerTabletUnit(placement, model_.store());
    return [classes = copyClasses(session_.job().classes.forOutput()), tolerance](FeatureSet &set) {
        return repairFeatures(set, classes->view(), tolerance);
    };
}

void TopologyFeature::showFinding(std::size_t index) {
    if (index >= report_.findings.size())
        return;
    const QPointF at = report_.findings[index].at;
    const float zoom =
        std::max(renderer_.viewState().view().zoom, float(kFindingPixels / (2 * toleranceUnits())));
    navigation_.showView({float(at.x()), float(at.y()), zoom});
    markers_->setCurrent(index);
    if (QTreeWidgetItem *item = list_->tree().topLevelItem(int(index)))
        list_->tree().setCurrentItem(item);
}

} // namespace digitrace
