#pragma once

// What every journal, however damaged, must give: the same entries read in one piece or in small
// pieces, a trace with a sane scale and unit, and kept lines that read back cleanly to the same
// trace (they are what a restore writes to its new journal and to job files).

#include "fuzz/invariant.h"
#include "job/job_replay.h"
#include "model/trace_model.h"

#include <QBuffer>
#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

namespace digitrace::fuzz {

// Hands the bytes over a few at a time, as a pipe may.
class PieceDevice : public QIODevice {
public:
    PieceDevice(QByteArrayView bytes, std::uint32_t seed) : bytes_(bytes), seed_(seed | 1) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        seed_ = seed_ * 1103515245u + 12345u;
        const qint64 piece =
            std::min<qint64>({maxSize, qint64(1 + (seed_ >> 16) % 13), bytes_.size() - at_});
        std::copy_n(bytes_.data() + at_, piece, data);
        at_ += piece;
        return piece;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArrayView bytes_;
    std::uint32_t seed_;
    qsizetype at_ = 0;
};

inline auto traceState(const TraceModel &m) {
    const TraceStore &s = m.store();
    return std::make_tuple(s.PtCount, s.PointCount, s.LineCount, s.PolyCount, s.SeqOpen,
                           s.ScaleDenom, s.tabletUnitMm, s.SaveFileName);
}

inline auto resultState(const ReplayResult &r) {
    return std::make_tuple(r.entries, r.skippedLines, r.clean, r.wholeBytes, r.tornBytes,
                           r.problem ? r.problem->line : 0, r.problem ? int(r.problem->fault) : -1,
                           r.job.jobFileName, r.refusedFull, r.refusedOutOfRange);
}

inline void checkJournal(QByteArrayView bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    TraceModel whole(QLocale::c());
    QByteArray kept = journalHeaderLine();
    const ReplayResult r = replayJournal(
        buffer, whole,
        [&kept](const JournalEntry &, RecordOutcome, QByteArrayView line) { kept += line; });

    const TraceStore &s = whole.store();
    // 0 until a connect sets it.
    require(std::isfinite(s.ScaleDenom) && s.ScaleDenom >= 0, "the scale is a finite number");
    require(isSaneTabletUnit(s.tabletUnitMm), "the tablet unit is sane");
    require(!r.clean || (r.skippedLines == 0 && !r.problem), "a clean journal skipped nothing");
    require(r.wholeBytes + r.tornBytes <= bytes.size(), "no more bytes read than given");
    // A line too long may have no end.
    require(r.entries + r.skippedLines <= bytes.count('\n') + 1, "each entry or skip is a line");

    TraceModel inPieces(QLocale::c());
    PieceDevice pieces(bytes, crc32(bytes));
    const ReplayResult p = replayJournal(pieces, inPieces);
    require(resultState(p) == resultState(r), "pieces read as the whole");
    require(traceState(inPieces) == traceState(whole), "pieces restore the same trace");

    TraceModel again(QLocale::c());
    const ReplayResult k = replayJournal(kept, again);
    require(k.clean && k.entries == r.entries, "the kept lines read back cleanly");
    require(traceState(again) == traceState(whole), "the kept lines restore the same trace");
}

} // namespace digitrace::fuzz
