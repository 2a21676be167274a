// The tracing session's snapping and follow: where a press is taken on what is traced already.

#include "tracing/tracing_session.h"

#include "model/trace_model.h"

#include <cmath>

namespace digitrace {
namespace {

double squared(QPointF d) {
    return d.x() * d.x() + d.y() * d.y();
}

QPointF rounded(QPointF p) {
    return {double(std::llround(p.x())), double(std::llround(p.y()))};
}

} // namespace

QString TracingSession::recordAt(QPointF at, int code) {
    const QByteArray record = canonicalRecord(std::llround(at.x()), std::llround(at.y()), code);
    return QString::fromLatin1(record.left(record.size() - 1));
}

bool TracingSession::setSnapping(double mm) {
    if (!isSaneSnapMm(mm))
        return false;
    if (mm != job().snapMm)
        journal_.apply(entry::Snapping{mm});
    return true;
}

bool TracingSession::movesPresses() const {
    return job().snapMm > 0 || follow_ != FollowStage::Off;
}

double TracingSession::snapUnits() const {
    return toleranceUnits(job().snapMm, model_.store().tabletUnitMm);
}

double TracingSession::followUnits() const {
    return toleranceUnits(checkToleranceMm(job()), model_.store().tabletUnitMm);
}

const SnapIndex &TracingSession::snapIndex() const {
    snapIndex_.setCellSize(2 * std::max(snapUnits(), followUnits()));
    snapIndex_.sync(model_.store());
    return snapIndex_;
}

std::optional<QPointF> TracingSession::snapTarget(QPointF pressed) const {
    const double tolerance = snapUnits();
    if (!(tolerance > 0))
        return std::nullopt;
    const TraceStore &store = model_.store();
    // A polygon's last vertex near its own start closes the ring there, whatever else is near.
    if (store.SeqOpen && store.SeqVertices >= 3) {
        const QPointF start(store.Pt.X[std::size_t(store.SeqStart)],
                            store.Pt.Y[std::size_t(store.SeqStart)]);
        if (squared(start - pressed) <= tolerance * tolerance)
            return start;
    }
    const SnapIndex &index = snapIndex();
    if (const std::optional<SnapTarget> vertex = index.nearestVertex(pressed, tolerance))
        return vertex->at;
    if (const std::optional<SnapTarget> on = index.nearestOnSegment(pressed, tolerance))
        return on->at;
    return std::nullopt;
}

std::optional<SnapTarget> TracingSession::followAnchor(QPointF pressed) const {
    if (follow_ == FollowStage::Off)
        return std::nullopt;
    const SnapIndex &index = snapIndex();
    if (follow_ == FollowStage::FirstAnchor)
        return index.nearestVertex(pressed, followUnits());
    // Another vertex of the same feature, as it was before the first anchor was taken.
    return index.nearestVertex(pressed, followUnits(), [&](std::int16_t slot) {
        return slot != followAnchor_ && slot < followTaken_ &&
               index.featureOf(slot) == followFeature_;
    });
}

std::optional<QPointF> TracingSession::snapPreview(QPointF tabletPos) const {
    std::optional<QPointF> target;
    if (const std::optional<SnapTarget> anchor = followAnchor(tabletPos))
        target = anchor->at;
    else
        target = snapTarget(tabletPos);
    if (!target || rounded(*target) == tabletPos)
        return std::nullopt;
    return rounded(*target);
}

TabletRecord TracingSession::moved(const TabletRecord &record, std::optional<QPointF> target) {
    const RecordFields &fields = *record.fields;
    if (!target || rounded(*target) == QPointF(fields.x, fields.y) ||
        fields.code != std::floor(fields.code))
        return record;
    const QString text = recordAt(*target, int(fields.code));
    if (text.isEmpty())
        return record;
    journal_.apply(entry::Pressed{record.text});
    // Read back from its text, so that a replay of the journal takes the same fields.
    return TabletRecord{text, readRecordFields(text), std::nullopt};
}

void TracingSession::place(const TabletRecord &given) {
    const TabletRecord record =
        given.fields ? given : TabletRecord{given.text, readRecordFields(given.text), std::nullopt};
    const QPointF pressed(record.fields->x, record.fields->y);
    if (follow_ != FollowStage::Off)
        followPress(record, pressed);
    else
        takeRecord(moved(record, snapTarget(pressed)));
}

void TracingSession::endFollow(const QString &refusal) {
    follow_ = FollowStage::Off;
    emit commandPerformed(TabletCommand{CommandKind::Follow, {}}, refusal);
}

void TracingSession::followPress(const TabletRecord &record, QPointF pressed) {
    const std::optional<SnapTarget> anchor = followAnchor(pressed);
    if (follow_ == FollowStage::FirstAnchor) {
        if (!anchor) {
            endFollow(tr("押した点はどの地物の頂点でもありません"));
            takeRecord(moved(record, snapTarget(pressed)));
            return;
        }
        follow_ = FollowStage::SecondAnchor;
        followFeature_ = snapIndex().featureOf(anchor->slot);
        followAnchor_ = anchor->slot;
        followTaken_ = model_.store().PtCount;
        takeRecord(moved(record, anchor->at));
        return;
    }
    if (!anchor || !model_.store().SeqOpen) {
        endFollow(anchor ? tr("なぞった頂点を続ける線がありません")
                         : tr("押した点は同じ地物の頂点ではありません"));
        takeRecord(moved(record, snapTarget(pressed)));
        return;
    }
    follow_ = FollowStage::Off;
    const TraceStore &store = model_.store();
    // Made as a closing record is, so that a replay of the journal takes the same vertices.
    for (const std::int16_t slot : followedVertices(anchor->slot)) {
        const QString text =
            recordAt({store.Pt.X[std::size_t(slot)], store.Pt.Y[std::size_t(slot)]}, kVertexCode);
        if (!text.isEmpty())
            takeRecord(TabletRecord{text, readRecordFields(text), std::nullopt});
    }
    takeRecord(moved(record, anchor->at));
}

std::vector<std::int16_t> TracingSession::followedVertices(std::int16_t to) const {
    const SnapIndex &index = snapIndex();
    const std::int16_t from = followAnchor_;
    const std::int16_t first = followFeature_;
    const auto last = std::min<std::int16_t>(index.lastVertexOf(first), followTaken_ - 1);
    std::vector<std::int16_t> forward, backward;
    if (!index.isClosed(first)) {
        const int step = to > from ? 1 : -1;
        for (int slot = from + step; slot != to; slot += step)
            forward.push_back(std::int16_t(slot));
        return forward;
    }
    const TraceStore &store = model_.store();
    const int ring = last - first + 1;
    const auto at = [&](int slot) {
        return QPointF(store.Pt.X[std::size_t(slot)], store.Pt.Y[std::size_t(slot)]);
    };
    // Round the ring each way from the first anchor to the second, measuring as it goes.
    const auto walk = [&](int step, std::vector<std::int16_t> &onTheWay) {
        double length = 0;
        int previous = from;
        for (int i = (from - first + step + ring) % ring;; i = (i + step + ring) % ring) {
            const int slot = first + i;
            length += std::sqrt(squared(at(slot) - at(previous)));
            if (slot == to)
                return length;
            onTheWay.push_back(std::int16_t(slot));
            previous = slot;
        }
    };
    const double ahead = walk(1, forward);
    const double behind = walk(-1, backward);
    return behind < ahead ? backward : forward;
}

} // namespace digitrace
