#pragma once

#include "job/journal_format.h"

#include <QByteArrayView>

namespace digitrace {

class TraceModel;

// Whether a job holds records that no export or job file has kept since their last change.
class SaveState {
public:
    bool unsaved() const { return unsaved_; }
    // After `entry` was applied to a model that now holds `records` slots.
    void note(const JournalEntry &entry, int records);

private:
    bool unsaved_ = false;
};

// Applies one entry to the model through the intake a live connection uses. A connect changes
// the scale (and, for a new job, resets); a disconnect changes nothing a restore shows.
void applyEntry(const JournalEntry &entry, TraceModel &model);

struct ReplayResult {
    bool isJournal = false; // it began with a journal's header
    qsizetype entries = 0;
    qsizetype wholeBytes = 0;
    bool unsaved = false;
};

// Replays the whole entries of a journal on `model` from a fresh start.
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
