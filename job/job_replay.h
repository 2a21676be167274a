#pragma once

#include "job/journal_format.h"
#include "registration/registration.h"

#include <QByteArrayView>

namespace digitrace {

class TraceModel;

// Whether a job holds records that no export or job file has kept since their last change.
class SaveState {
public:
    // Whether a table that holds `records` slots has changes no file kept: an empty table has
    // nothing to lose.
    bool unsaved(int records) const { return unsaved_ && records > 0; }
    void note(const JournalEntry &entry);

private:
    bool unsaved_ = false;
};

// Applies one entry to the model through the intake a live connection uses. A connect changes
// the scale (and, for a new job, resets), a tablet unit the measurements that follow; a
// disconnect changes nothing a restore shows.
void applyEntry(const JournalEntry &entry, TraceModel &model);

struct ReplayResult {
    bool isJournal = false; // it began with a journal's header
    qsizetype entries = 0;
    qsizetype wholeBytes = 0;
    bool unsaved = false;
    SaveState state;
    QString scaleText; // at the last connect, "" when there was none
    // The last registration of the sheet; clearing the trace or a new connection keeps it.
    std::optional<Registration> registration;
    // The last tablet unit journalled, 0 when the journal names none.
    double tabletUnitMm = 0;
};

// Replays the whole entries of a journal on `model` from a fresh start. A journal that names no
// tablet unit (one written before units were journalled) keeps the model's.
ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model);

} // namespace digitrace
