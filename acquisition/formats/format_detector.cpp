#include "acquisition/formats/format_detector.h"

#include "acquisition/formats/format_registry.h"

#include <QHash>

#include <algorithm>

namespace digitrace {
namespace {

// Enough for a few reports of any format: beyond this, silence from every format means none fits.
constexpr qint64 kHearingForVerdict = 512;

bool readsEnough(const FormatCandidate &c) {
    return c.consistent() && c.reports >= FormatDetector::kLeastReports;
}

// A reading that is not clean may still be what the tablet meant, and cost records if passed
// over: one with more records than the best, refusing no more than one thing a report (a byte
// the format does not expect after each report, say).
bool readsMoreRecords(const FormatCandidate &c, const FormatCandidate &best) {
    return c.records > best.records && c.records >= FormatDetector::kLeastReports &&
           c.problems <= c.reports;
}

bool readsDifferently(const FormatCandidate &c, const FormatCandidate &best) {
    if (readsEnough(c))
        return c.records != best.records || c.recordDigest != best.recordDigest;
    return readsMoreRecords(c, best);
}

} // namespace

FormatDetector::FormatDetector(int dataBits) {
    for (const TabletFormatDescription *d : tabletFormats()) {
        if (!d->builtIn || (dataBits < 8 && d->binary))
            continue;
        TabletFormat format;
        format.kind = d->kind;
        format.strict = true;
        FormatCandidate candidate;
        candidate.kind = d->kind;
        listeners_.push_back({d->makeDecoder(format), candidate, d->binary});
    }
}

void FormatDetector::feed(QByteArrayView bytes) {
    heard_ += bytes.size();
    QList<DecodedItem> items;
    for (Listener &l : listeners_) {
        QByteArrayView heard = bytes;
        // Listening may begin inside a line, whose end can read as a whole line of another
        // format: a line format listens from the first line end.
        if (!l.inStep) {
            const auto end = std::find_if(heard.begin(), heard.end(),
                                          [](char c) { return c == '\r' || c == '\n'; });
            heard = heard.sliced(end - heard.begin());
            l.inStep = !heard.isEmpty();
        }
        items.clear();
        l.decoder->feed(heard, items);
        FormatCandidate &c = l.candidate;
        for (const DecodedItem &item : std::as_const(items)) {
            if (item.kind == DecodedItem::Kind::Mismatch) {
                // Every stray byte is told as a mismatch; those before the first report may be
                // the end of one the start of listening cut.
                c.problems += c.reports > 0 ? 1 : 0;
                continue;
            }
            ++c.reports;
            if (item.kind != DecodedItem::Kind::Record)
                continue;
            c.recordDigest = qHashMulti(c.recordDigest, item.x, item.y, item.button, item.raw);
            if (c.records++ < kShownRecords)
                c.firstRecords.append(item);
        }
    }
}

namespace {

// Formats that read alike (a line with four-digit coordinates is both a CalComp and a Bit Pad
// record) go by the records they take, then by the cursor reports they read between records;
// else the stricter layout, first in the registry, goes first: the sort keeps that order.
bool readsBetter(const FormatCandidate &a, const FormatCandidate &b) {
    if (a.consistent() != b.consistent())
        return a.consistent();
    if (!a.consistent())
        return a.reports > b.reports;
    if (a.records != b.records)
        return a.records > b.records;
    const int positionsA = a.reports - a.records;
    const int positionsB = b.reports - b.records;
    if (positionsA != positionsB)
        return positionsA > positionsB;
    return false;
}

} // namespace

QList<FormatCandidate> FormatDetector::ranking() const {
    QList<FormatCandidate> ranked;
    for (const Listener &l : listeners_)
        ranked.append(l.candidate);
    std::stable_sort(ranked.begin(), ranked.end(), readsBetter);
    return ranked;
}

QList<FormatCandidate> FormatDetector::readings() const {
    const QList<FormatCandidate> ranked = ranking();
    if (ranked.isEmpty() || !readsEnough(ranked.front()))
        return {};
    QList<FormatCandidate> named{ranked.front()};
    for (const FormatCandidate &c : ranked.sliced(1))
        if (readsDifferently(c, named.front()))
            named.append(c);
    return named;
}

std::optional<FormatKind> FormatDetector::decided() const {
    const QList<FormatCandidate> named = readings();
    if (named.size() != 1)
        return std::nullopt;
    const FormatCandidate &best = named.front();
    const auto alike = std::count_if(listeners_.begin(), listeners_.end(),
                                     [](const Listener &l) { return readsEnough(l.candidate); });
    if ((alike == 1 && best.reports >= kDecisiveReports) || best.records >= kPatientRecords)
        return best.kind;
    return std::nullopt;
}

bool FormatDetector::undecidable() const {
    const QList<FormatCandidate> named = readings();
    return named.size() > 1 && named.front().records >= kPatientRecords;
}

bool FormatDetector::tooFewReports() const {
    const QList<FormatCandidate> ranked = ranking();
    return !ranked.isEmpty() && ranked.front().consistent() && !readsEnough(ranked.front());
}

bool FormatDetector::nothingFits() const {
    return heard_ >= kHearingForVerdict &&
           std::none_of(listeners_.begin(), listeners_.end(),
                        [](const Listener &l) { return l.candidate.consistent(); });
}

} // namespace digitrace
