#pragma once

#include "job/journal_format.h"

#include <QByteArray>
#include <QIODevice>

#include <optional>

class QFile;

namespace digitrace {

// The first line of a journal that was not taken, and why.
struct JournalProblem {
    qint64 line = 0;   // counted from 1
    qint64 offset = 0; // of the line's first byte
    LineFault fault = LineFault::None;
    QString value; // the scale or unit refused
};

// Reads a journal line by line from a device, as it comes: memory stays bounded whatever the
// size. Each line checks itself, so a damaged one is skipped and the lines after it still read.
class JournalReader {
public:
    explicit JournalReader(QIODevice &device) : device_(device) {}

    // The next entry that reads (never the header), and its line as read, valid until the next
    // call; false at the end.
    bool next(JournalEntry *entry, QByteArrayView *line = nullptr);

    bool hasHeader() const { return hasHeader_; }
    qint64 skippedLines() const { return skipped_; }
    const std::optional<JournalProblem> &firstProblem() const { return problem_; }
    // Bytes up to the end of the last whole line: where a torn last entry begins.
    qint64 wholeBytes() const { return wholeBytes_; }
    // The characters of a last line without its line end, written when the process died.
    qint64 tornBytes() const { return torn_; }
    // Reading stopped before the end: the device failed or a line was too long.
    bool stoppedEarly() const { return stopped_; }
    // Read to its end with its header and every line whole; a torn last entry is a crash's
    // normal trace, not damage.
    bool isClean() const { return hasHeader_ && skipped_ == 0 && !stopped_; }

private:
    void refuse(LineFault fault, const QString &value = {});
    // The next line with its line end, or what is left at the end, or more than the longest line
    // allowed; valid until the next call.
    QByteArrayView readLine();

    QIODevice &device_;
    qint64 lineNumber_ = 0;
    qint64 wholeBytes_ = 0;
    qint64 lineStart_ = 0;
    qint64 torn_ = 0;
    qint64 skipped_ = 0;
    bool hasHeader_ = false;
    bool stopped_ = false;
    bool atEnd_ = false;
    std::optional<JournalProblem> problem_;
    QByteArray buffer_;
    qsizetype at_ = 0;
    bool ended_ = false; // the device gave all it has
};

// Whether bytes at the start of a file are a journal's, its header damaged or not: a job file
// with a damaged header is a damaged job, never a tablet capture.
bool looksLikeJournal(QByteArrayView start);
// How much of a file's start looksLikeJournal() wants to see.
inline constexpr qsizetype kJournalSniffBytes = 64 * 1024;

// Opens a journal or job file for reading only when it is a plain file: a device, a pipe or a
// link to one could be endless or block.
struct PlainFileOpening {
    bool ok = false;
    bool notPlain = false; // it exists but is no plain file
    QString error;         // the system's reason otherwise
};
PlainFileOpening openPlainFile(QFile &file, const QString &path);

struct ParsedJournal {
    bool hasHeader = false;
    QList<JournalEntry> entries;
    qsizetype wholeBytes = 0;
    qint64 skippedLines = 0;
};

// Every entry of a journal in memory that reads.
ParsedJournal parseJournal(QByteArrayView bytes);

} // namespace digitrace
