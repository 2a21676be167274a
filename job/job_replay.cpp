#include "job/job_replay.h"

#include "model/trace_model.h"

#include <QBuffer>

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

RecordOutcome applyEntry(const JournalEntry &entry, TraceModel &model) {
    switch (entry.kind) {
    case EntryKind::Record:
        return model.takeRecord(entry.text);
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
    return RecordOutcome::Kept;
}

ReplayResult replayJournal(QIODevice &device, TraceModel &model, const EntryObserver &observe) {
    JournalReader reader(device);
    ReplayResult result;
    model.ResetTrace();
    SaveState state;
    JournalEntry entry;
    QByteArrayView line;
    while (reader.next(&entry, &line)) {
        const RecordOutcome outcome = applyEntry(entry, model);
        state.note(entry);
        ++result.entries;
        result.refusedFull += outcome == RecordOutcome::RefusedFull;
        result.refusedOutOfRange += outcome == RecordOutcome::RefusedOutOfRange;
        if (entry.kind == EntryKind::Connect) {
            result.scaleText = entry.text;
            if (entry.newJob)
                result.jobFileName.clear();
        }
        if (entry.kind == EntryKind::JobSaved)
            result.jobFileName = entry.text;
        if (entry.kind == EntryKind::Registered)
            if (std::optional<Registration> r = parseRegistrationText(entry.text))
                result.registration = std::move(r);
        if (entry.kind == EntryKind::TabletUnit)
            result.tabletUnitMm = entry.text.toDouble();
        if (observe)
            observe(entry, outcome, line);
    }
    result.isJournal = reader.hasHeader() || result.entries > 0;
    result.wholeBytes = reader.wholeBytes();
    result.clean = reader.isClean();
    result.skippedLines = reader.skippedLines();
    result.problem = reader.firstProblem();
    result.tornBytes = reader.tornBytes();
    result.unsaved = state.unsaved(model.store().PtCount);
    result.state = state;
    return result;
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return replayJournal(buffer, model);
}

} // namespace digitrace
