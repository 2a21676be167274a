#include "app/window/edge_feature.h"

#include "app/window/publish_feature.h"
#include "app/window/window_host.h"
#include "display/renderer.h"
#include "job/job_journal.h"
#include "job/journal_entries.h"
#include "model/trace_model.h"
#include "tracing/snap_index.h"
#include "tracing/tracing_session.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QThread>

namespace digitrace {
namespace {

// How far from the edge the neighbours' features are a guide, in mm on the sheet.
constexpr double kGuideBandMm = 20;
constexpr int kRefreshMs = 60 * 1000;
constexpr qreal kEndRing = 7;

QPointF onTablet(const Transform &toTablet, MapPoint p) {
    const MapPoint t = toTablet.map(p.x, p.y);
    return {t.x, t.y};
}

} // namespace

EdgeOverlay::EdgeOverlay(QWidget &area, std::function<QPointF(QPointF)> toArea)
    : QWidget(&area), toArea_(std::move(toArea)) {
    setObjectName(QStringLiteral("edgeOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area.rect());
    area.installEventFilter(this);
    hide();
}

void EdgeOverlay::showGuide(EdgeGuide guide) {
    guide_ = std::move(guide);
    update();
}

bool EdgeOverlay::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget *>(watched)->rect());
    return false;
}

void EdgeOverlay::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Faded, so that the operator's own trace stays what the eye follows.
    painter.setPen(QPen(QColor(255, 255, 255, 120), 2, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (const EdgeGuide::Shape &shape : guide_.neighbours) {
        if (shape.vertices.size() == 1) {
            painter.drawEllipse(toArea_(shape.vertices.front()), 3, 3);
            continue;
        }
        QPolygonF points;
        for (const QPointF &p : shape.vertices)
            points << toArea_(p);
        QPainterPath path;
        path.addPolygon(points);
        if (shape.closed)
            path.closeSubpath();
        painter.drawPath(path);
    }
    auto rings = [&](const std::vector<QPointF> &ends, const QColor &colour) {
        painter.setPen(QPen(colour, 2));
        for (const QPointF &p : ends)
            painter.drawEllipse(toArea_(p), kEndRing, kEndRing);
    };
    rings(guide_.ownUnmatched, QColor(220, 0, 0));
    rings(guide_.neighboursUnmatched, QColor(230, 140, 0));
}

EdgeFeature::EdgeFeature(WindowHost &host, TracingSession &session, const TraceModel &model,
                         PublishFeature &publish, Renderer &renderer, QWidget &area)
    : QObject(&host.mainWindow()), host_(host), session_(session), model_(model), publish_(publish),
      action_(new QAction(tr("隣接図葉を表示"), this)),
      overlay_(new EdgeOverlay(
          area, [&renderer](QPointF tablet) { return renderer.viewState().areaPoint(tablet); })) {
    setObjectName(QStringLiteral("edgeFeature"));
    action_->setCheckable(true);
    action_->setStatusTip(tr("隣の図葉がデータベースに送信した図形を、図郭の近くに薄く重ねて表示し"
                             "ます。相手のない端を印で示します"));
    connect(action_, &QAction::toggled, this, &EdgeFeature::toggle);
    host_.addMenuAction(MenuGroup::Tools, action_);
    again_.setInterval(kRefreshMs);
    connect(&again_, &QTimer::timeout, this, &EdgeFeature::refresh);
    connect(&publish_, &PublishFeature::publishEnded, this, [this](bool ok) {
        if (ok && action_->isChecked())
            refresh();
    });
    connect(&publish_, &PublishFeature::livePublished, this, [this] {
        if (action_->isChecked())
            refresh();
    });
    // Another registration or sheet name puts the edge elsewhere.
    connect(&session_.journal(), &JobJournal::applied, this, [this](const JournalEntry &entry) {
        if (action_->isChecked() && (std::holds_alternative<entry::Registered>(entry) ||
                                     std::holds_alternative<entry::Sheet>(entry)))
            refresh();
    });
}

EdgeFeature::~EdgeFeature() {
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void EdgeFeature::toggle(bool on) {
    overlay_->setVisible(on);
    if (on) {
        again_.start();
        refresh();
    } else {
        again_.stop();
        host_.withdrawNotice(notice_);
        notice_.clear();
    }
}

void EdgeFeature::refresh() {
    if (worker_) {
        pending_ = true;
        return;
    }
    const JobState &job = session_.job();
    if (publish_.connection().isEmpty() || !job.registration || job.sheetName.isEmpty()) {
        tell(tr("隣接図葉を表示するには、シートを登録して名前を付け、データベースへ送信して"
                "ください (ファイル → データベースへ送信…)"));
        overlay_->showGuide({});
        emit refreshed(false);
        return;
    }
    bool invertible = false;
    const Fit fit = job.registration->fit();
    const Transform toTablet = fit.transform.inverted(&invertible);
    if (!fit.ok() || !invertible) {
        tell(tr("隣接図葉を表示できません: 登録の変換が求まりません"));
        overlay_->showGuide({});
        emit refreshed(false);
        return;
    }
    SheetPublication publication;
    publication.sheet = job.sheetName;
    publication.registration = job.registration;
    publication.store = model_.store();
    publication.setClasses(job.classes.forOutput());
    const double unitMm = model_.store().tabletUnitMm;
    const double tolerance = edgeTolerance(checkToleranceMm(job), unitMm, *job.registration);
    const double band = edgeTolerance(kGuideBandMm, unitMm, *job.registration);
    auto fetched = std::make_shared<Fetched>();
    // The worker reads its own copies and the database, nothing of the window.
    worker_ = QThread::create([fetched, publication = std::move(publication),
                               connection = publish_.connection(), tolerance, band] {
        fetched->neighbours = neighbourFeatures(connection, publication, band);
        if (fetched->neighbours.ok())
            fetched->ends = matchSheetEdges(connection, publication, tolerance);
    });
    connect(worker_, &QThread::finished, this, [this, fetched, toTablet] {
        worker_->deleteLater();
        worker_ = nullptr;
        take(*fetched, toTablet);
        if (pending_) {
            pending_ = false;
            refresh();
        }
    });
    worker_->start();
}

void EdgeFeature::take(const Fetched &fetched, const Transform &toTablet) {
    const QString error = fetched.neighbours.ok() ? fetched.ends.error : fetched.neighbours.error;
    if (!error.isEmpty()) {
        // What was shown before may no longer be what the neighbours hold.
        tell(tr("隣接図葉を表示できません: %1").arg(error));
        overlay_->showGuide({});
        emit refreshed(false);
        return;
    }
    EdgeGuide guide;
    for (const NeighbourFeature &f : fetched.neighbours.features) {
        EdgeGuide::Shape shape{{}, f.kind == FeatureKind::Polygon};
        for (const MapPoint &p : f.vertices)
            shape.vertices.push_back(onTablet(toTablet, p));
        guide.neighbours.push_back(std::move(shape));
    }
    for (const SheetEnd &end : fetched.ends.unmatched)
        guide.ownUnmatched.push_back(onTablet(toTablet, end.at));
    for (const SheetEnd &end : fetched.ends.neighboursUnmatched)
        guide.neighboursUnmatched.push_back(onTablet(toTablet, end.at));
    guide.matched = int(fetched.ends.matched.size());
    tell(tr("隣接図葉: 図形 %1 個、図郭で接合した端 %2 か所、相手のない端 %3 か所 (この図葉) と "
            "%4 か所 (隣接図葉)")
             .arg(guide.neighbours.size())
             .arg(guide.matched)
             .arg(guide.ownUnmatched.size())
             .arg(guide.neighboursUnmatched.size()));
    overlay_->showGuide(std::move(guide));
    emit refreshed(true);
}

void EdgeFeature::tell(const QString &text) {
    if (text == notice_)
        return;
    if (notice_.isEmpty() || !host_.replaceNotice(notice_, text))
        host_.showNotice(text);
    notice_ = text;
}

} // namespace digitrace
