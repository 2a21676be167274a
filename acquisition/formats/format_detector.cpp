#include "acquisition/formats/format_detector.h"

#include <algorithm>

namespace digitrace {
namespace {

// Enough for a few reports of any format: beyond this, silence from every format means none fits.
constexpr qint64 kHearingForVerdict = 512;

} // namespace

FormatDetector::FormatDetector() {
    for (const QString &name : builtInFormatNames()) {
        TabletFormat format = *TabletFormat::named(name);
        format.strict = true;
        FormatCandidate candidate;
        candidate.kind = format.kind;
        listeners_.push_back({makeDecoder(format), candidate, 0});
    }
}

void FormatDetector::feed(QByteArrayView bytes) {
    heard_ += bytes.size();
    QList<DecodedItem> items;
    for (Listener &l : listeners_) {
        // A byte at a time, so that noise is told apart from the bytes before the first report.
        for (const char byte : bytes) {
            items.clear();
            l.decoder->feed(QByteArrayView(&byte, 1), items);
            FormatCandidate &c = l.candidate;
            for (const DecodedItem &item : std::as_const(items)) {
                if (item.kind == DecodedItem::Kind::Mismatch) {
                    c.problems += c.reports > 0 ? 1 : 0;
                    continue;
                }
                if (c.reports++ == 0)
                    l.skippedAtFirstReport = l.decoder->skippedBytes();
                if (item.kind == DecodedItem::Kind::Record && c.records++ < kShownRecords)
                    c.firstRecords.append(item);
            }
            if (c.reports > 0 && l.decoder->skippedBytes() > l.skippedAtFirstReport) {
                ++c.problems;
                l.skippedAtFirstReport = l.decoder->skippedBytes();
            }
        }
    }
}

namespace {

// Formats that read alike (a line with four-digit coordinates is both a CalComp and a Bit Pad
// record) are told apart by the cursor reports one of them reads between records; else the
// stricter layout, first in the list, goes first.
bool readsBetter(const FormatCandidate &a, const FormatCandidate &b) {
    if (a.consistent() != b.consistent())
        return a.consistent();
    if (!a.consistent())
        return a.reports > b.reports;
    const int positionsA = a.reports - a.records;
    const int positionsB = b.reports - b.records;
    if (positionsA != positionsB)
        return positionsA > positionsB;
    return a.kind < b.kind;
}

} // namespace

QList<FormatCandidate> FormatDetector::ranking() const {
    QList<FormatCandidate> ranked;
    for (const Listener &l : listeners_)
        ranked.append(l.candidate);
    std::stable_sort(ranked.begin(), ranked.end(), readsBetter);
    return ranked;
}

std::optional<FormatKind> FormatDetector::decided() const {
    const QList<FormatCandidate> ranked = ranking();
    const auto consistent =
        std::count_if(ranked.begin(), ranked.end(), [](const auto &c) { return c.consistent(); });
    if (consistent == 0)
        return std::nullopt;
    if (consistent == 1 && ranked.front().reports >= kDecisiveReports)
        return ranked.front().kind;
    if (std::any_of(ranked.begin(), ranked.begin() + consistent,
                    [](const auto &c) { return c.records >= kPatientRecords; }))
        return ranked.front().kind;
    return std::nullopt;
}

bool FormatDetector::nothingFits() const {
    return heard_ >= kHearingForVerdict &&
           std::none_of(listeners_.begin(), listeners_.end(),
                        [](const Listener &l) { return l.candidate.consistent(); });
}

} // namespace digitrace
