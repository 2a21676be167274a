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

QString TracingSession::vertexRecordAt(QPointF at, int code) {
    const auto x = float(at.x()), y = float(at.y());
    if (x == std::nearbyint(x) && y == std::nearbyint(y))
        return recordAt(at, code);
    // A vertex of a tablet that counts in fractions keeps its fraction, so that the two features
    // meet exactly.
    for (int decimals = 1; decimals <= 3; ++decimals) {
        const QString text = QStringLiteral("%1%2%3")
                                 .arg(at.x(), 9, 'f', decimals)
                                 .arg(at.y(), 9, 'f', decimals)
                                 .arg(code);
        const RecordFields fields = readRecordFields(text);
        if (text.size() == 19 && float(fields.x) == x && float(fields.y) == y)
            return text;
    }
    return recordAt(at, code);
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

std::optional<SnapTarget> TracingSession::snapTarget(QPointF pressed) const {
    const double tolerance = snapUnits();
    if (!(tolerance > 0))
        return std::nullopt;
    const TraceStore &store = model_.store();
    // A polygon's last vertex near its own start closes the ring there, whatever else is near.
    if (store.SeqOpen && store.SeqVertices >= 3) {
        const QPointF start(store.Pt.X[std::size_t(store.SeqStart)],
                            store.Pt.Y[std::size_t(store.SeqStart)]);
        if (squared(start - pressed) <= tolerance * tolerance)
            return SnapTarget{SnapTarget::Vertex, start, store.SeqStart};
    }
    const SnapIndex &index = snapIndex();
    if (std::optional<SnapTarget> vertex = index.nearestVertex(pressed, tolerance))
        return vertex;
    return index.nearestOnSegment(pressed, tolerance);
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
    std::optional<SnapTarget> target = followAnchor(tabletPos);
    if (!target)
        target = snapTarget(tabletPos);
    if (!target)
        return std::nullopt;
    const QPointF at = target->kind == SnapTarget::Vertex ? target->at : rounded(target->at);
    if (at == tabletPos)
        return std::nullopt;
    return at;
}

TabletRecord TracingSession::moved(const TabletRecord &record,
                                   const std::optional<SnapTarget> &target) {
    const RecordFields &fields = *record.fields;
    if (!target || fields.code != std::floor(fields.code))
        return record;
    // A segment's point lands on the record's whole units.
    const QString text = target->kind == SnapTarget::Vertex
                             ? vertexRecordAt(target->at, int(fields.code))
                             : recordAt(target->at, int(fields.code));
    // Read back from its text, so that a replay of the journal takes the same fields.
    const RecordFields snapped = readRecordFields(text);
    if (text.isEmpty() || (snapped.x == fields.x && snapped.y == fields.y))
        return record;
    journal_.apply(entry::Pressed{record.text});
    return TabletRecord{text, snapped, std::nullopt};
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
        takeRecord(moved(record, anchor));
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
        const QString text = vertexRecordAt(
            {store.Pt.X[std::size_t(slot)], store.Pt.Y[std::size_t(slot)]}, kVertexCode);
        if (!text.isEmpty())
            takeRecord(TabletRecord{text, readRecordFields(text), std::nullopt});
    }
    takeRecord(moved(record, anchor));
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
