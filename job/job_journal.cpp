#include "job/job_journal.h"

#include "job/recent_jobs.h"
#include "model/trace_model.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace digitrace {
namespace {

QString recentFailure(const QString &why) {
    return QCoreApplication::translate("digitrace::JobJournal",
                                       "最近のジョブとして残せませんでした。\n%1")
        .arg(why);
}

QString entryName(const JournalEntry &entry) {
    if (is<entry::Registered>(entry))
        return QCoreApplication::translate("digitrace::JobJournal", "基準点の登録");
    if (is<entry::Sheet>(entry))
        return QCoreApplication::translate("digitrace::JobJournal", "シート名");
    return QCoreApplication::translate("digitrace::JobJournal", "この操作");
}

} // namespace

JobJournal::JobJournal(TraceModel &model, QObject *parent)
    : QObject(parent), model_(model), content_(journalHeaderLine()), player_(model) {
    connect(&writer_, &JournalWriter::problem, this, &JobJournal::problem);
}

JobJournal::~JobJournal() {
    if (!unsaved() && !job().save.clearedUnsaved())
        finish();
}

bool JobJournal::attach(JournalSlot::Choice choice, const QString &dir, QString *error) {
    if (!slot_.acquire(choice, dir)) {
        if (error)
            *error = QCoreApplication::translate("digitrace::JobJournal",
                                                 "作業記録のファイルを %1 に用意できませんでした。"
                                                 "\n%2\n記録はメモリーにだけ残ります。")
                         .arg(QDir::toNativeSeparators(slot_.folder()), slot_.error());
        return false;
    }
    // Nothing goes to the journal until the previous job is restored or given up.
    return true;
}

bool JobJournal::previousJobUnsaved() const {
    return !slot_.previousPath().isEmpty() && slot_.previous().unsaved;
}

ReplayResult JobJournal::restorePrevious() {
    QFile file;
    if (!openPlainFile(file, slot_.previousPath()).ok) {
        startContent();
        return {};
    }
    ReplayResult r;
    player_.restart();
    // The window's own journal goes on as it is, its torn tail dropped; nothing is copied.
    if (slot_.isHeld() && slot_.previousPath() == slot_.journalPath()) {
        r = replayJournal(file, player_);
        content_.clear();
        if (!r.clean || !openWriter(r.wholeBytes)) {
            // Kept in memory, the file left as it is: it is what is being read.
            file.seek(0);
            content_ = journalHeaderLine();
            player_.restart();
            r = replayJournal(file, player_, keepLine());
        }
    } else {
        startContent();
        r = replayJournal(file, player_, keepLine());
    }
    return r;
}

void JobJournal::discardPrevious() {
    // Given up at the start, it is still among the recent jobs.
    if (previousJobUnsaved()) {
        QString error;
        if (keepRecentCopy(recentFolder(), slot_.previousPath(), &error).isEmpty())
            emit problem(recentFailure(error));
    }
    startContent();
}

bool JobJournal::openWriter(qsizetype keepBytes) {
    QString error;
    if (writer_.open(slot_.journalPath(), keepBytes, &error))
        return true;
    emit problem(
        QCoreApplication::translate("digitrace::JobJournal", "作業記録 %1 を開けませんでした。\n%2")
            .arg(QDir::toNativeSeparators(slot_.journalPath()), error));
    return false;
}

void JobJournal::startContent() {
    finished_ = false;
    content_ = journalHeaderLine();
    if (slot_.isHeld() && openWriter(0))
        content_.clear();
}

void JobJournal::keep(QByteArrayView lines) {
    if (writer_.isOpen())
        writer_.appendBytes(lines.toByteArray());
    else
        content_ += lines;
}

EntryObserver JobJournal::keepLine(const EntryObserver &observe) {
    return [this, observe](const JournalEntry &entry, RecordOutcome outcome, QByteArrayView line) {
        keep(line);
        if (observe)
            observe(entry, outcome, line);
    };
}

QString JobJournal::refusal(const JournalEntry &entry) {
    return refusal(entry, encodeEntry(entry));
}

QString JobJournal::refusal(const JournalEntry &entry, QByteArrayView line) {
    if (fitsJournalLine(line))
        return {};
    const auto mb = [](qsizetype bytes) {
        return QString::number(double(bytes) / (1 << 20), 'f', 1);
    };
    return QCoreApplication::translate(
               "digitrace::JobJournal",
               "%1 は作業記録の 1 行で %2 MB になり、読み戻せる %3 MB を超えるため、取り込みません"
               "でした。ジョブは元のままです。")
        .arg(entryName(entry), mb(line.size() - 1), mb(kLongestJournalLine));
}

RecordOutcome JobJournal::apply(const JournalEntry &entry) {
    const QByteArray line = encodeEntry(entry);
    if (const QString refused = refusal(entry, line); !refused.isEmpty()) {
        emit problem(refused);
        return RecordOutcome::Kept;
    }
    const SaveState &state = job().save;
    const auto *connect = std::get_if<entry::Connect>(&entry);
    // What a new job or a record after a clear ends for good is kept when no job file holds it.
    if (connect && connect->newJob && model_.store().PtCount > 0 &&
        state.unkept(model_.store().PtCount))
        keepRecent();
    else if (is<entry::Record>(entry) && state.clearedUnkept())
        keepRecent(encodeEntry(entry::ClearUndone{}));
    finished_ = false;
    keep(line);
    const RecordOutcome outcome = player_.apply(entry);
    emit applied(entry);
    return outcome;
}

void JobJournal::undoClear() {
    if (job().save.clearUndoable())
        apply(entry::ClearUndone{});
}

ReplayResult JobJournal::replace(QIODevice &journal, const EntryObserver &observe) {
    if (unkept())
        keepRecent();
    finished_ = false;
    content_ = journalHeaderLine();
    if (writer_.isOpen() && writer_.open(writer_.path(), 0, nullptr))
        content_.clear();
    player_.restart();
    return replayJournal(journal, player_, keepLine(observe));
}

ReplayResult JobJournal::reopenRecent(const QString &path) {
    QFile file;
    // Nothing of the job is replaced by what is no journal.
    if (!openPlainFile(file, path).ok || !looksLikeJournal(file.peek(kJournalSniffBytes)))
        return {};
    const ReplayResult r = replace(file);
    if (!r.clean || r.tornBytes > 0)
        player_.forgetJobFile();
    // Held by this window's journal now; a copy of it would be listed twice.
    else if (writer_.isOpen())
        QFile::remove(path);
    return r;
}

QString JobJournal::recentFolder() const {
    return recentJobsFolder(slot_.folder());
}

bool JobJournal::keepRecent(const QByteArray &tail) {
    // A job never attached to a journal folder has nothing on disk to keep.
    if (slot_.folder().isEmpty())
        return true;
    QString error;
    const QString kept = keepRecentJob(
        recentFolder(),
        [&](QIODevice &out) {
            const QString failed = writeContent(out);
            if (!failed.isEmpty())
                return failed;
            return out.write(tail) == tail.size() ? QString() : out.errorString();
        },
        &error);
    if (kept.isEmpty())
        emit problem(recentFailure(error));
    return !kept.isEmpty();
}

ReplayResult JobJournal::load(QIODevice &journal, const QString &jobFile,
                              const EntryObserver &observe) {
    const ReplayResult r = replace(journal, observe);
    // Saving over a damaged job file would lose what could not be read of it.
    if (!r.clean || r.tornBytes > 0 || jobFile.isEmpty())
        player_.forgetJobFile();
    else if (r.job.jobFileName != jobFile)
        apply(entry::JobSaved{jobFile});
    return r;
}

QString JobJournal::writeContent(QIODevice &out) const {
    if (!writer_.isOpen())
        return out.write(content_) == content_.size() ? QString() : out.errorString();
    // The journal holds the job: copied in pieces, however long, and then what the disk has not
    // taken yet.
    QFile journal(writer_.path());
    if (!journal.open(QIODevice::ReadOnly))
        return journal.errorString();
    for (QByteArray piece; !(piece = journal.read(64 * 1024)).isEmpty();)
        if (out.write(piece) != piece.size())
            return out.errorString();
    if (journal.error() != QFileDevice::NoError)
        return journal.errorString();
    const QByteArray &waiting = writer_.waiting();
    return out.write(waiting) == waiting.size() ? QString() : out.errorString();
}

QByteArray JobJournal::content() const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeContent(buffer);
    return bytes;
}

bool JobJournal::unsaved() const {
    return player_.job().save.unsaved(model_.store().PtCount);
}

bool JobJournal::onlyDxfKept() const {
    return player_.job().save.onlyDxfKept(model_.store().PtCount);
}

bool JobJournal::unkept() const {
    return player_.job().save.unkept(model_.store().PtCount);
}

void JobJournal::finish() {
    // Once: the content is gone after it, and the trace shown no longer the journal's.
    if (finished_)
        return;
    // A journal that cannot be kept among the recent jobs stays where it is.
    if (unkept() && !keepRecent())
        return;
    writer_.discard();
    content_ = journalHeaderLine();
    finished_ = true;
}

} // namespace digitrace
