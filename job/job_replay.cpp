#include "job/job_replay.h"

#include "model/record_check.h"
#include "model/trace_model.h"

#include <QBuffer>
#include <QCryptographicHash>

namespace digitrace {

void SaveState::recordsChanged() {
    unsaved_ = sinceJobFile_ = true;
    undoable_ = false;
}

void SaveState::jobSaved() {
    // The job file holds the journal, and so the cleared records and their clear too.
    unsaved_ = unsavedBeforeClear_ = sinceJobFile_ = sinceJobFileBeforeClear_ = false;
}

void SaveState::registered() {
    unsaved_ = sinceJobFile_ = registered_ = true;
}

void SaveState::named(bool named) {
    unsaved_ = sinceJobFile_ = true;
    named_ = named;
}

void SaveState::cleared(int recordsBefore) {
    if (!undoable_ && recordsBefore > 0) {
        undoable_ = true;
        unsavedBeforeClear_ = unsaved(recordsBefore);
        sinceJobFileBeforeClear_ = sinceJobFile_;
    }
    unsaved_ = false;
}

void SaveState::clearUndone() {
    if (undoable_) {
        unsaved_ = unsavedBeforeClear_;
        sinceJobFile_ = sinceJobFile_ || sinceJobFileBeforeClear_;
    }
    undoable_ = false;
}

void SaveState::classesChanged() {
    unsaved_ = sinceJobFile_ = true;
}

void SaveState::newJob() {
    // The clear before a new job stays undoable until its first record.
    unsaved_ = false;
    sinceJobFile_ = true;
}

bool ClearUndo::clearing(const TraceModel &model, const SaveState &state) {
    // Only the clear that empties a table can be taken back; clearing it again keeps that one.
    if (state.clearUndoable() || model.store().PtCount == 0)
        return false;
    *this = ClearUndo();
    beforeClear_ = model;
    return true;
}

void ClearUndo::keepScale(float denominator, const SaveState &state) {
    if (state.clearUndoable())
        scale_ = denominator;
}

void ClearUndo::keepTabletUnit(double mm, const SaveState &state) {
    if (state.clearUndoable())
        tabletUnitMm_ = mm;
}

void ClearUndo::keepSaveFileName(const QString &name, const SaveState &state) {
    if (state.clearUndoable())
        saveFileName_ = name;
}

void ClearUndo::undo(TraceModel &model) {
    if (!beforeClear_)
        return;
    model.restoreTrace(*beforeClear_);
    if (scale_)
        model.setScaleDenom(*scale_);
    if (tabletUnitMm_)
        model.setTabletUnitMm(*tabletUnitMm_);
    if (saveFileName_)
        model.setSaveFileName(*saveFileName_);
    *this = ClearUndo();
}

std::optional<int> JobState::publishedRevision() const {
    const auto found = publishedRevisions.constFind(sheetName);
    return found == publishedRevisions.cend() ? std::nullopt : std::optional<int>(*found);
}

JobPlayer::JobPlayer(TraceModel &model) : model_(&model) {
    model_->ResetTrace();
}

void JobPlayer::restart() {
    *this = JobPlayer(*model_);
}

void JobPlayer::noteForJobId(const JournalEntry &entry) {
    const auto *connect = std::get_if<entry::Connect>(&entry);
    if (connect && connect->newJob) {
        job_.jobIdDigest.clear();
        job_.jobIdFixed = false;
    }
    if (job_.jobIdFixed)
        return;
    job_.jobIdDigest =
        QCryptographicHash::hash(job_.jobIdDigest + encodeEntry(entry), QCryptographicHash::Sha256);
    job_.jobIdFixed = is<entry::Record>(entry);
}

// What each kind of entry does, to the job's state (noted before the model changes: what the
// model shows as it changes asks the job's state) and then to the trace. A new kind is its struct
// (journal_entries.h), its codec row (journal_format.cpp) and its function here.
struct ApplyEntry {
    JobPlayer &player;
    JobState &job = player.job_;
    TraceModel &model = *player.model_;

    std::int16_t codeAt(int slot) const { return wholeCode(model.store().Pt.Code[slot]); }
    bool followsStart(int slot) const { return slot > 0 && codeAt(slot - 1) == kStartCode; }
    bool isLineCode(int slot) const {
        return codeAt(slot) == kStartCode || codeAt(slot) == kVertexCode;
    }

    RecordOutcome operator()(const entry::Record &e) const {
        job.save.recordsChanged();
        const TraceCounts before = TraceCounts::of(model.store());
        const RecordOutcome outcome =
            e.fields ? model.takeRecord(*e.fields) : model.takeRecord(e.text);
        // A feature begun while classes are in use takes the current class.
        if (job.classes.catalogue()) {
            const RecordEffect effect = recordEffect(before, model.store(), outcome);
            const int slot = before.PtCount;
            // A start and an end right after it are one point, at the end's record: the class
            // chosen at the start goes with it.
            if (effect == RecordEffect::Point && followsStart(slot))
                job.classes.moveFeature(slot - 1, slot);
            else if (effect == RecordEffect::Start || effect == RecordEffect::Point)
                job.classes.featureStarted(slot);
        }
        return outcome;
    }
    RecordOutcome operator()(const entry::Connect &e) const {
        job.clearUndo.keepScale(e.denominator, job.save);
        job.scaleText = e.scaleText;
        if (e.newJob) {
            job.save.newJob();
            job.jobFileName.clear();
            // The sheet keeps its name, as it keeps its registration; this job published nothing.
            job.publishedRevisions.clear();
            job.classes.takeFeatures();
            model.ResetTrace();
        }
        model.setScaleDenom(e.denominator);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Clear &) const {
        const bool undoable = job.clearUndo.clearing(model, job.save);
        ClassedFeatures features = job.classes.takeFeatures();
        if (undoable)
            job.clearUndo.keepFeatures(std::move(features));
        job.save.cleared(model.store().PtCount);
        model.ResetTrace();
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Back &) const {
        // Back on an empty table takes nothing away.
        if (model.store().PtCount > 0) {
            job.save.recordsChanged();
            const int slot = model.store().PtCount - 1;
            // A point made of a start and an end gives its class back to the start.
            if (followsStart(slot) && !isLineCode(slot))
                job.classes.moveFeature(slot, slot - 1);
            else
                job.classes.recordDropped(slot);
        }
        model.dropLast();
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Disconnect &) const { return RecordOutcome::Kept; }
    RecordOutcome operator()(const entry::Exported &e) const {
        job.clearUndo.keepSaveFileName(e.fileName, job.save);
        job.save.exported();
        model.setSaveFileName(e.fileName);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::JobSaved &e) const {
        job.save.jobSaved();
        job.jobFileName = e.fileName;
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Registered &e) const {
        job.save.registered();
        if (std::optional<Registration> r = parseRegistrationText(e.text))
            job.registration = std::move(r);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::TabletUnit &e) const {
        job.clearUndo.keepTabletUnit(e.mm, job.save);
        job.tabletUnitMm = e.mm;
        model.setTabletUnitMm(e.mm);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::TabletFormat &e) const {
        // The records journalled are the designed ones already: the trace does not change.
        job.tabletFormat = e.text;
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::ClearUndone &) const {
        const bool takesClearBack = job.save.clearUndoable();
        job.save.clearUndone();
        if (takesClearBack) {
            ClassedFeatures features = job.clearUndo.takeFeatures();
            job.clearUndo.undo(model);
            job.classes.restoreFeatures(std::move(features));
        }
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Sheet &e) const {
        job.save.named(!e.name.isEmpty());
        job.sheetName = e.name;
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Published &e) const {
        job.publishedRevisions.insert(job.sheetName, e.revision);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Catalogue &e) const {
        if (job.classes.useCatalogue(e.text))
            job.save.classesChanged();
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::ClassChosen &e) const {
        job.classes.choose(e.name);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Menu &e) const {
        job.tabletMenu = e.text;
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Snapping &e) const {
        job.snapMm = e.mm;
        return RecordOutcome::Kept;
    }
    // The snapped record that follows is what the trace takes.
    RecordOutcome operator()(const entry::Pressed &) const { return RecordOutcome::Kept; }
    RecordOutcome operator()(const entry::Step &e) const {
        job.classes.step(e.direction);
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::Attributes &e) const {
        const auto feature = job.classes.features().constFind(e.slot);
        const FeatureClass *featureClass =
            feature == job.classes.features().cend() || !job.classes.catalogue()
                ? nullptr
                : job.classes.catalogue()->find(feature->className);
        const std::optional<QVariantMap> values =
            featureClass ? valuesFromText(*featureClass, e.values) : std::nullopt;
        if (values && job.classes.setValues(e.slot, *values))
            job.save.classesChanged();
        return RecordOutcome::Kept;
    }
    RecordOutcome operator()(const entry::ClassChanged &e) const {
        if (job.classes.changeClass(e.slot, e.className))
            job.save.classesChanged();
        return RecordOutcome::Kept;
    }
};

RecordOutcome JobPlayer::apply(const JournalEntry &entry) {
    noteForJobId(entry);
    return std::visit(ApplyEntry{*this}, entry);
}

ReplayResult replayJournal(QIODevice &device, TraceModel &model, const EntryObserver &observe) {
    JobPlayer player(model);
    return replayJournal(device, player, observe);
}

ReplayResult replayJournal(QIODevice &device, JobPlayer &player, const EntryObserver &observe) {
    JournalReader reader(device);
    ReplayResult result;
    JournalEntry entry;
    QByteArrayView line;
    while (reader.next(&entry, &line)) {
        const RecordOutcome outcome = player.apply(entry);
        ++result.entries;
        result.refusedFull += outcome == RecordOutcome::RefusedFull;
        result.refusedOutOfRange += outcome == RecordOutcome::RefusedOutOfRange;
        if (observe)
            observe(entry, outcome, line);
    }
    result.isJournal = reader.hasHeader() || result.entries > 0;
    result.wholeBytes = reader.wholeBytes();
    result.clean = reader.isClean();
    result.skippedLines = reader.skippedLines();
    result.problem = reader.firstProblem();
    result.tornBytes = reader.tornBytes();
    result.job = player.job();
    const int records = player.model().store().PtCount;
    result.unsaved = result.job.save.unsaved(records) || result.job.save.clearedUnsaved();
    return result;
}

ReplayResult replayJournal(QByteArrayView bytes, TraceModel &model) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return replayJournal(buffer, model);
}

} // namespace digitrace
