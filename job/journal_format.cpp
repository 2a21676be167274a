#include "job/journal_format.h"

#include <array>
#include <cmath>

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
LineFault parseBody(QByteArrayView body, JournalEntry *entry) {
    if (body.isEmpty() || (body.size() > 1 && body[1] != ' '))
        return LineFault::Unreadable;
    entry->kind = static_cast<EntryKind>(body.front());
    const bool bare = body.size() == 1;
    const QByteArrayView rest = bare ? QByteArrayView() : body.sliced(2);
    switch (entry->kind) {
    case EntryKind::Clear:
    case EntryKind::Back:
    case EntryKind::Disconnect:
    case EntryKind::ClearUndone:
        return bare ? LineFault::None : LineFault::Unreadable;
    case EntryKind::Record:
    case EntryKind::Exported:
    case EntryKind::JobSaved:
    case EntryKind::Registered:
    case EntryKind::TabletFormat:
        return !bare && unescape(rest, &entry->text) ? LineFault::None : LineFault::Unreadable;
    case EntryKind::Sheet:
        return bare || unescape(rest, &entry->text) ? LineFault::None : LineFault::Unreadable;
    case EntryKind::Published: {
        bool ok = false;
        return !bare && unescape(rest, &entry->text) && entry->text.toInt(&ok) > 0 && ok
                   ? LineFault::None
                   : LineFault::Unreadable;
    }
    case EntryKind::TabletUnit: {
        if (bare || !unescape(rest, &entry->text))
            return LineFault::Unreadable;
        bool ok = false;
        const double mm = rest.toByteArray().toDouble(&ok);
        return ok && isSaneTabletUnit(mm) ? LineFault::None : LineFault::TabletUnit;
    }
    case EntryKind::Connect: {
        const qsizetype space = rest.indexOf(' ');
        const qsizetype nextSpace = space < 0 ? -1 : rest.indexOf(' ', space + 1);
        if (bare || nextSpace < 0)
            return LineFault::Unreadable;
        const QByteArrayView flag = rest.first(space);
        if (flag != "0" && flag != "1")
            return LineFault::Unreadable;
        entry->newJob = flag == "1";
        if (!unescape(rest.sliced(nextSpace + 1), &entry->text))
            return LineFault::Unreadable;
        bool ok = false;
        entry->denominator = rest.sliced(space + 1, nextSpace - space - 1).toFloat(&ok);
        return ok && isSaneScaleDenominator(entry->denominator) ? LineFault::None
                                                                : LineFault::Scale;
    }
    case EntryKind::Header:
        return LineFault::Unreadable;
    }
    return LineFault::Unreadable;
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
    case EntryKind::Published:
    case EntryKind::TabletFormat:
        body += ' ' + escape(entry.text);
        break;
    case EntryKind::Sheet:
        if (!entry.text.isEmpty())
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

bool isSaneScaleDenominator(double denominator) {
    return std::isfinite(denominator) && denominator > 0 && denominator <= kLargestScaleDenominator;
}

bool isSaneTabletUnit(double mm) {
    return std::isfinite(mm) && mm > 0 && mm <= kLargestTabletUnitMm;
}

bool isJournalHeader(QByteArrayView body) {
    static const QByteArray header = QByteArray(1, char(EntryKind::Header)) + ' ' + kJournalHeader;
    return body == header;
}

LineFault parseJournalLine(QByteArrayView line, JournalEntry *entry, QByteArrayView *body) {
    const qsizetype mark = line.lastIndexOf(kCheckMark);
    if (mark < 0 || line.size() - mark - 1 != 8)
        return LineFault::Check;
    bool ok = false;
    const uint check = line.sliced(mark + 1).toByteArray().toUInt(&ok, 16);
    *body = line.first(mark);
    if (!ok || check != crc32(*body))
        return LineFault::Check;
    if (isJournalHeader(*body)) {
        entry->kind = EntryKind::Header;
        return LineFault::None;
    }
    return parseBody(*body, entry);
}

} // namespace digitrace
