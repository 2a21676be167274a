#include "job/journal_reader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace digitrace {
namespace {

// A header with a few bits flipped is still recognised as one.
constexpr int kHeaderDamageTolerated = 3;

bool resemblesHeader(QByteArrayView start) {
    const QByteArray header = journalHeaderLine().chopped(1);
    if (start.size() < header.size())
        return false;
    int differences = 0;
    for (qsizetype i = 0; i < header.size(); ++i)
        differences += start[i] != header[i];
    return differences <= kHeaderDamageTolerated;
}

} // namespace

QByteArrayView JournalReader::readLine() {
    constexpr qsizetype kPiece = 64 * 1024;
    for (;;) {
        const qsizetype end = buffer_.indexOf('\n', at_);
        const qsizetype available = buffer_.size() - at_;
        if (end >= 0 || available > kLongestJournalLine || ended_) {
            const qsizetype length = end >= 0 ? end + 1 - at_ : available;
            const QByteArrayView line = QByteArrayView(buffer_).sliced(at_, length);
            at_ += length;
            return line;
        }
        buffer_.remove(0, at_);
        at_ = 0;
        const qsizetype kept = buffer_.size();
        buffer_.resize(kept + kPiece);
        const qint64 n = device_.read(buffer_.data() + kept, kPiece);
        buffer_.resize(kept + qMax<qint64>(n, 0));
        ended_ = n <= 0;
    }
}

void JournalReader::refuse(LineFault fault, const QString &value) {
    ++skipped_;
    if (!problem_)
        problem_ = JournalProblem{lineNumber_, lineStart_, fault, value};
}

bool JournalReader::next(JournalEntry *entry, QByteArrayView *lineOut) {
    while (!atEnd_ && !stopped_) {
        lineStart_ = wholeBytes_;
        const QByteArrayView raw = readLine();
        const bool whole = raw.endsWith('\n');
        if (raw.size() - (whole ? 1 : 0) > kLongestJournalLine) {
            ++lineNumber_;
            refuse(LineFault::TooLong);
            stopped_ = true;
            break;
        }
        if (!whole) {
            const auto *file = qobject_cast<const QFileDevice *>(&device_);
            if (file && file->error() != QFileDevice::NoError) {
                ++lineNumber_;
                refuse(LineFault::ReadFailed, file->errorString());
                stopped_ = true;
                break;
            }
            torn_ = raw.size();
            atEnd_ = true;
            break;
        }
        ++lineNumber_;
        wholeBytes_ += raw.size();
        const QByteArrayView line = raw.chopped(1);
        ParsedLine parsed = parseJournalLine(line);
        const LineFault fault = parsed.fault;
        const bool isHeader = parsed.isHeader;
        if (lineNumber_ == 1) {
            hasHeader_ = isHeader;
            if (isHeader)
                continue;
            // A lost header takes no entry with it.
            problem_ = JournalProblem{1, 0, LineFault::Header, {}};
            if (fault != LineFault::None) {
                ++skipped_;
                continue;
            }
        }
        if (fault == LineFault::Scale || fault == LineFault::TabletUnit)
            refuse(fault, parsed.refusedValue);
        else if (fault != LineFault::None || isHeader)
            refuse(fault == LineFault::None ? LineFault::Unreadable : fault);
        else {
            *entry = std::move(parsed.entry);
            if (lineOut)
                *lineOut = raw;
            return true;
        }
    }
    return false;
}

bool looksLikeJournal(QByteArrayView start) {
    start = start.first(qMin(start.size(), kJournalSniffBytes));
    if (resemblesHeader(start))
        return true;
    // Any line that checks itself: no tablet sends those.
    qsizetype at = 0;
    for (qsizetype end; (end = start.indexOf('\n', at)) >= 0; at = end + 1) {
        if (parseJournalLine(start.sliced(at, end - at)).fault != LineFault::Check)
            return true;
    }
    return false;
}

PlainFileOpening openPlainFile(QFile &file, const QString &path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {false, true, {}};
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, false, file.errorString()};
    return {true, false, {}};
}

ParsedJournal parseJournal(QByteArrayView bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    JournalReader reader(buffer);
    ParsedJournal parsed;
    JournalEntry entry;
    while (reader.next(&entry))
        parsed.entries.append(entry);
    parsed.hasHeader = reader.hasHeader();
    parsed.wholeBytes = reader.wholeBytes();
    parsed.skippedLines = reader.skippedLines();
    return parsed;
}

} // namespace digitrace
