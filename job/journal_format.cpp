#include "job/journal_format.h"

#include <array>

namespace digitrace {
namespace {

constexpr char kCheckMark = '*';

std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

QByteArray escape(const QString &text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size());
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7f || ch == '%') {
            out.append('%');
            out.append(QByteArray::number(byte, 16).rightJustified(2, '0').toUpper());
        } else {
            out.append(ch);
        }
    }
    return out;
}

bool unescape(QByteArrayView field, QString *text) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out.append(field[i]);
            continue;
        }
        if (i + 2 >= field.size())
            return false;
        bool ok = false;
        const int byte = field.sliced(i + 1, 2).toByteArray().toInt(&ok, 16);
        if (!ok)
            return false;
        out.append(static_cast<char>(byte));
        i += 2;
    }
    *text = QString::fromUtf8(out);
    return true;
}

QByteArray withCheck(const QByteArray &body) {
    return body + kCheckMark + QByteArray::number(crc32(body), 16).rightJustified(8, '0') + '\n';
}

// The fields before the text are single words; the text is the rest of the line.
bool parseBody(QByteArrayView body, JournalEntry *entry) {
    if (body.isEmpty() || (body.size() > 1 && body[1] != ' '))
        return false;
    entry->kind = static_cast<EntryKind>(body.front());
    const bool bare = body.size() == 1;
    const QByteArrayView rest = bare ? QByteArrayView() : body.sliced(2);
    switch (entry->kind) {
    case EntryKind::Clear:
    case EntryKind::Back:
    case EntryKind::Disconnect:
    case EntryKind::ClearUndone:
        return bare;
    case EntryKind::Record:
    case EntryKind::Exported:
    case EntryKind::JobSaved:
    case EntryKind::Registered:
        return !bare && unescape(rest, &entry->text);
    case EntryKind::TabletUnit: {
        bool ok = false;
        const double mm = rest.toByteArray().toDouble(&ok);
        return !bare && ok && mm > 0 && unescape(rest, &entry->text);
    }
    case EntryKind::Connect: {
        const qsizetype space = rest.indexOf(' ');
        const qsizetype nextSpace = space < 0 ? -1 : rest.indexOf(' ', space + 1);
        if (bare || nextSpace < 0)
            return false;
        const QByteArrayView flag = rest.first(space);
        if (flag != "0" && flag != "1")
            return false;
        entry->newJob = flag == "1";
        bool ok = false;
        entry->denominator = rest.sliced(space + 1, nextSpace - space - 1).toFloat(&ok);
        return ok && unescape(rest.sliced(nextSpace + 1), &entry->text);
    }
    case EntryKind::Header:
        return false;
    }
    return false;
}

} // namespace

std::uint32_t crc32(QByteArrayView bytes) {
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes)
        c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray journalHeaderLine() {
    return withCheck(QByteArray(1, char(EntryKind::Header)) + ' ' + kJournalHeader);
}

QByteArray encodeEntry(const JournalEntry &entry) {
    QByteArray body(1, static_cast<char>(entry.kind));
    switch (entry.kind) {
    case EntryKind::Record:
    case EntryKind::Exported:
    case EntryKind::JobSaved:
    case EntryKind::Registered:
    case EntryKind::TabletUnit:
        body += ' ' + escape(entry.text);
        break;
    case EntryKind::Connect:
        body += QByteArray(entry.newJob ? " 1 " : " 0 ") +
                QByteArray::number(entry.denominator, 'g', 9) + ' ' + escape(entry.text);
        break;
    default:
        break;
    }
    return withCheck(body);
}

ParsedJournal parseJournal(QByteArrayView bytes) {
    ParsedJournal parsed;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            break;
        const QByteArrayView line = bytes.sliced(at, end - at);
        const qsizetype mark = line.lastIndexOf(kCheckMark);
        if (mark < 0 || line.size() - mark - 1 != 8)
            break;
        bool ok = false;
        const uint check = line.sliced(mark + 1).toByteArray().toUInt(&ok, 16);
        const QByteArrayView body = line.first(mark);
        if (!ok || check != crc32(body))
            break;
        if (!parsed.hasHeader) {
            if (body != QByteArray(1, char(EntryKind::Header)) + ' ' + kJournalHeader)
                break;
            parsed.hasHeader = true;
        } else {
            JournalEntry entry;
            if (!parseBody(body, &entry))
                break;
            parsed.entries.append(std::move(entry));
        }
        at = end + 1;
        parsed.wholeBytes = at;
    }
    return parsed;
}

} // namespace digitrace
