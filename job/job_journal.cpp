#include "job/job_journal.h"

#include "model/trace_model.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace digitrace {

JobJournal::JobJournal(TraceModel &model, QObject *parent)
    : QObject(parent), model_(model), content_(journalHeaderLine()), player_(model) {
    connect(&writer_, &JournalWriter::problem, this, &JobJournal::problem);
}

JobJournal::~JobJournal() {
    if (!unsaved() && !clearedUnsaved())
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

EntryObserver JobJournal::keepLine() {
    return [this](const JournalEntry &, RecordOutcome, QByteArrayView line) { keep(line); };
}

RecordOutcome JobJournal::apply(const JournalEntry &entry) {
    keep(encodeEntry(entry));
    const RecordOutcome outcome = player_.apply(entry);
    emit applied(entry);
    return outcome;
}

void JobJournal::undoClear() {
    if (canUndoClear())
        apply(plainEntry(EntryKind::ClearUndone));
}

ReplayResult JobJournal::load(QIODevice &journal, const QString &jobFile) {
    content_ = journalHeaderLine();
    if (writer_.isOpen() && writer_.open(writer_.path(), 0, nullptr))
        content_.clear();
    player_.restart();
    const ReplayResult r = replayJournal(journal, player_, keepLine());
    // Saving over a damaged job file would lose what could not be read of it.
    if (!r.clean || r.tornBytes > 0 || jobFile.isEmpty())
        player_.forgetJobFile();
    else if (r.jobFileName != jobFile)
        apply(plainEntry(EntryKind::JobSaved, jobFile));
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
    return player_.state().unsaved(model_.store().PtCount);
}

void JobJournal::finish() {
    writer_.discard();
    content_ = journalHeaderLine();
}

} // namespace digitrace
