#pragma once

#include "soak_support.h"

namespace digitrace::test {

// A full table and one record more, sent at full speed over a pseudo-terminal in chunks of random
// size, and what the receiving end made of them. Run once, by the first test that asks.
struct FullTableRun {
    Capture capture; // the full table's records, then the one that does not fit
    TraceModel model{QLocale::c()};
    RecordingView view;
    int taken = 0;
    RecordOutcome lastOutcome = RecordOutcome::Kept;
    bool finished = false;
    qint64 elapsedMs = 0;
    std::string failure;

    std::vector<SentRecord> tableRecords() const {
        return {capture.records.begin(), capture.records.begin() + kSlotCount};
    }
};

const FullTableRun &theFullTableRun();

} // namespace digitrace::test
