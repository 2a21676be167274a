#include "job/job_replay.h"

#include "model/trace_model.h"

namespace digitrace {

void SaveState::note(const JournalEntry &entry) {
    switch (entry.kind) {
    case EntryKind::Exported:
    case EntryKind::JobSaved:
        unsaved_ = false;
        break;
    case EntryKind::Record:
    case EntryKind::Back:
    case EntryKind::Registered:
        unsaved_ = true;
        break;
    case EntryKind::Clear:
        unsaved_ = false;
        break;
    case EntryKind::Connect:
        if (entry.newJob)
            unsaved_ = false;
        break;
    case EntryKind::Disconnect:
    case EntryKind::TabletUnit:
    case EntryKind::Header:
        break;
    }
}

void applyEntry(const JournalEntry &entry, TraceModel &model) {
    switch (entry.kind) {
    case EntryKind::Record:
        model.takeRecord(entry.text);
        break;
    case EntryKind::Connect:
        if (entry.newJob)
            model.ResetTrace();
        model.setScaleDenom(entry.denominator);
        break;
    case EntryKind::Clear:
        model.ResetTrace();
        break;
    case EntryKind::Back:
        model.dropLast();
        break;
    case EntryKind::Exported:
        model.setSaveFileName(entry.text);
        break;
    case EntryKind::TabletUnit:
        model.setTabletUnitMm(entry.text.toDouble());
        break;
    case EntryKind::JobSaved:
    case EntryKind::Disconnect:
    case EntryKind::Registered:
    case EntryKind::Header:
        break;
    }
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    const ParsedJournal parsed = parseJournal(bytes);
    ReplayResult result;
    result.isJournal = parsed.hasHeader;
    result.wholeBytes = parsed.wholeBytes;
    model.ResetTrace();
    SaveState state;
    for (const JournalEntry &entry : parsed.entries) {
        applyEntry(entry, model);
        state.note(entry);
        if (entry.kind == EntryKind::Connect)
            result.scaleText = entry.text;
        if (entry.kind == EntryKind::Registered)
            if (std::optional<Registration> r = parseRegistrationText(entry.text))
                result.registration = std::move(r);
        if (entry.kind == EntryKind::TabletUnit)
            result.tabletUnitMm = entry.text.toDouble();
    }
    result.entries = parsed.entries.size();
    result.unsaved = state.unsaved(model.store().PtCount);
    result.state = state;
    return result;
}

} // namespace digitrace
