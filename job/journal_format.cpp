#include "job/journal_format.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>

namespace digitrace {
namespace {

constexpr char kCheckMark = '*';
const QByteArray kHeaderBody = QByteArrayLiteral("H ") + kJournalHeader;

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

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool needsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7f || byte == '%';
}

// Writes `size` bytes, each given by `byteAt`, with '%' and control characters as %XX.
template <class ByteAt> void appendEscapedBytes(QByteArray &out, qsizetype size, ByteAt byteAt) {
    const qsizetype at = out.size();
    out.resize(at + 3 * size);
    char *to = out.data() + at;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char byte = byteAt(i);
        if (needsEscape(byte)) {
            *to++ = '%';
            *to++ = kHexDigits[byte >> 4];
            *to++ = kHexDigits[byte & 0xF];
        } else {
            *to++ = char(byte);
        }
    }
    out.truncate(to - out.constData());
}

// Appends `text` as UTF-8, with '%' and control characters as %XX.
void appendEscaped(QByteArray &out, const QString &text) {
    // ASCII, as every record is, is its own UTF-8: written straight from the characters.
    const bool ascii =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        appendEscapedBytes(out, text.size(), [&](qsizetype i) { return uchar(text[i].unicode()); });
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    appendEscapedBytes(out, utf8.size(), [&](qsizetype i) { return uchar(utf8[i]); });
}

bool unescape(QByteArrayView field, QString *text) {
    // Most fields, every record among them, hold nothing escaped.
    if (!field.contains('%')) {
        *text = QString::fromUtf8(field);
        return true;
    }
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

// Appends the check value of everything in `line` so far, and the line end.
void appendCheck(QByteArray &line) {
    const std::uint32_t check = crc32(line);
    char tail[10] = {kCheckMark};
    for (int i = 0; i < 8; ++i)
        tail[1 + i] = "0123456789abcdef"[(check >> (28 - 4 * i)) & 0xF];
    tail[9] = '\n';
    line.append(tail, sizeof tail);
}

QByteArray withCheck(QByteArray body) {
    appendCheck(body);
    return body;
}

void textField(QByteArray &out, const QString &text) {
    out.append(' ');
    appendEscaped(out, text);
}

// The part of a line after its tag: single words, then a text to the end of the line.
class Fields {
public:
    explicit Fields(QByteArrayView body)
        : bare_(body.size() == 1), rest_(bare_ ? QByteArrayView() : body.sliced(2)) {}
    bool bare() const { return bare_; }
    QByteArrayView rest() const { return rest_; }
    LineFault none() const { return bare_ ? LineFault::None : LineFault::Unreadable; }
    LineFault text(QString *text) const {
        return !bare_ && unescape(rest_, text) ? LineFault::None : LineFault::Unreadable;
    }
    LineFault optionalText(QString *text) const {
        return bare_ ? LineFault::None : this->text(text);
    }

private:
    bool bare_;
    QByteArrayView rest_;
};

// The codec table: one row per kind, its tag and how its fields are written and read.
template <class Kind> struct Row;

template <class Kind, char Tag> struct BareRow {
    static constexpr char tag = Tag;
    static void write(const Kind &, QByteArray &) {}
    static LineFault read(const Fields &f, Kind &, QString *) { return f.none(); }
};

template <class Kind, char Tag, QString Kind::*text> struct TextRow {
    static constexpr char tag = Tag;
    static void write(const Kind &e, QByteArray &out) { textField(out, e.*text); }
    static LineFault read(const Fields &f, Kind &e, QString *) { return f.text(&(e.*text)); }
};

template <> struct Row<entry::Record> : TextRow<entry::Record, 'R', &entry::Record::text> {};
template <> struct Row<entry::Clear> : BareRow<entry::Clear, 'X'> {};
template <> struct Row<entry::Back> : BareRow<entry::Back, 'B'> {};
template <> struct Row<entry::Disconnect> : BareRow<entry::Disconnect, 'D'> {};
template <> struct Row<entry::ClearUndone> : BareRow<entry::ClearUndone, 'Z'> {};
template <>
struct Row<entry::Exported> : TextRow<entry::Exported, 'E', &entry::Exported::fileName> {};
template <>
struct Row<entry::JobSaved> : TextRow<entry::JobSaved, 'J', &entry::JobSaved::fileName> {};
template <>
struct Row<entry::Registered> : TextRow<entry::Registered, 'G', &entry::Registered::text> {};
template <>
struct Row<entry::TabletFormat> : TextRow<entry::TabletFormat, 'F', &entry::TabletFormat::text> {};

// 1 for a new job or 0 to continue, the scale's denominator, the scale text.
template <> struct Row<entry::Connect> {
    static constexpr char tag = 'C';
    static void write(const entry::Connect &e, QByteArray &out) {
        out += e.newJob ? " 1 " : " 0 ";
        out += QByteArray::number(e.denominator, 'g', 9);
        textField(out, e.scaleText);
    }
    static LineFault read(const Fields &f, entry::Connect &e, QString *refused) {
        const QByteArrayView rest = f.rest();
        const qsizetype space = rest.indexOf(' ');
        const qsizetype nextSpace = space < 0 ? -1 : rest.indexOf(' ', space + 1);
        if (f.bare() || nextSpace < 0)
            return LineFault::Unreadable;
        const QByteArrayView flag = rest.first(space);
        if (flag != "0" && flag != "1")
            return LineFault::Unreadable;
        e.newJob = flag == "1";
        if (!unescape(rest.sliced(nextSpace + 1), &e.scaleText))
            return LineFault::Unreadable;
        bool ok = false;
        e.denominator = rest.sliced(space + 1, nextSpace - space - 1).toFloat(&ok);
        if (ok && isSaneScaleDenominator(e.denominator))
            return LineFault::None;
        *refused = QString::number(e.denominator);
        return LineFault::Scale;
    }
};

template <> struct Row<entry::TabletUnit> {
    static constexpr char tag = 'U';
    static void write(const entry::TabletUnit &e, QByteArray &out) {
        textField(out, QString::number(e.mm, 'g', QLocale::FloatingPointShortest));
    }
    static LineFault read(const Fields &f, entry::TabletUnit &e, QString *refused) {
        if (f.text(refused) != LineFault::None)
            return LineFault::Unreadable;
        bool ok = false;
        e.mm = f.rest().toByteArray().toDouble(&ok);
        return ok && isSaneTabletUnit(e.mm) ? LineFault::None : LineFault::TabletUnit;
    }
};

// The sheet's name, bare when it has none.
template <> struct Row<entry::Sheet> {
    static constexpr char tag = 'S';
    static void write(const entry::Sheet &e, QByteArray &out) {
        if (!e.name.isEmpty())
            textField(out, e.name);
    }
    static LineFault read(const Fields &f, entry::Sheet &e, QString *) {
        return f.optionalText(&e.name);
    }
};

// A revision, a positive number.
template <> struct Row<entry::Published> {
    static constexpr char tag = 'P';
    static void write(const entry::Published &e, QByteArray &out) {
        textField(out, QString::number(e.revision));
    }
    static LineFault read(const Fields &f, entry::Published &e, QString *) {
        QString text;
        bool ok = false;
        if (f.text(&text) != LineFault::None)
            return LineFault::Unreadable;
        e.revision = text.toInt(&ok);
        return ok && e.revision > 0 ? LineFault::None : LineFault::Unreadable;
    }
};

template <>
struct Row<entry::Catalogue> : TextRow<entry::Catalogue, 'K', &entry::Catalogue::text> {};
template <>
struct Row<entry::ClassChosen> : TextRow<entry::ClassChosen, 'L', &entry::ClassChosen::name> {};
template <> struct Row<entry::Menu> : TextRow<entry::Menu, 'M', &entry::Menu::text> {};
template <> struct Row<entry::Pressed> : TextRow<entry::Pressed, 'Q', &entry::Pressed::text> {};

// Millimetres, from 0 (off) up to kLargestSnapMm.
template <> struct Row<entry::Snapping> {
    static constexpr char tag = 'T';
    static void write(const entry::Snapping &e, QByteArray &out) {
        textField(out, QString::number(e.mm, 'g', QLocale::FloatingPointShortest));
    }
    static LineFault read(const Fields &f, entry::Snapping &e, QString *) {
        bool ok = false;
        e.mm = f.bare() ? 0 : f.rest().toByteArray().toDouble(&ok);
        return ok && isSaneSnapMm(e.mm) ? LineFault::None : LineFault::Unreadable;
    }
};

// -1, 0 or 1.
template <> struct Row<entry::Step> {
    static constexpr char tag = 'V';
    static void write(const entry::Step &e, QByteArray &out) {
        out += ' ';
        out += QByteArray::number(e.direction);
    }
    static LineFault read(const Fields &f, entry::Step &e, QString *) {
        const QByteArrayView rest = f.rest();
        if (rest == "1" || rest == "0" || rest == "-1") {
            e.direction = rest.toByteArray().toInt();
            return LineFault::None;
        }
        return LineFault::Unreadable;
    }
};

// A feature's slot, then a text about it.
template <class Kind, char Tag, QString Kind::*text> struct SlotTextRow {
    static constexpr char tag = Tag;
    static void write(const Kind &e, QByteArray &out) {
        out += ' ';
        out += QByteArray::number(e.slot);
        textField(out, e.*text);
    }
    static LineFault read(const Fields &f, Kind &e, QString *) {
        const QByteArrayView rest = f.rest();
        const qsizetype space = rest.indexOf(' ');
        bool ok = false;
        e.slot = space < 0 ? -1 : rest.first(space).toByteArray().toInt(&ok);
        if (!ok || e.slot < 0 || !unescape(rest.sliced(space + 1), &(e.*text)))
            return LineFault::Unreadable;
        return LineFault::None;
    }
};
template <>
struct Row<entry::Attributes> : SlotTextRow<entry::Attributes, 'A', &entry::Attributes::values> {};
template <>
struct Row<entry::ClassChanged>
    : SlotTextRow<entry::ClassChanged, 'N', &entry::ClassChanged::className> {};

// Reads the body as the kind whose tag it starts with, trying the kinds in the variant's order.
template <std::size_t I = 0> LineFault readKind(QByteArrayView body, ParsedLine *parsed) {
    if constexpr (I == std::variant_size_v<JournalEntry>) {
        return LineFault::Unreadable;
    } else {
        using Kind = std::variant_alternative_t<I, JournalEntry>;
        if (body.front() != Row<Kind>::tag)
            return readKind<I + 1>(body, parsed);
        Kind entry;
        const LineFault fault = Row<Kind>::read(Fields(body), entry, &parsed->refusedValue);
        parsed->entry = std::move(entry);
        return fault;
    }
}

LineFault parseBody(QByteArrayView body, ParsedLine *parsed) {
    if (body.isEmpty() || (body.size() > 1 && body[1] != ' '))
        return LineFault::Unreadable;
    return readKind(body, parsed);
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
    return withCheck(kHeaderBody);
}

QByteArray encodeEntry(const JournalEntry &entry) {
    return std::visit(
        [](const auto &e) {
            using Kind = std::decay_t<decltype(e)>;
            QByteArray line;
            line.reserve(48);
            line.append(Row<Kind>::tag);
            Row<Kind>::write(e, line);
            appendCheck(line);
            return line;
        },
        entry);
}

bool isSaneScaleDenominator(double denominator) {
    return std::isfinite(denominator) && denominator > 0 && denominator <= kLargestScaleDenominator;
}

bool isSaneTabletUnit(double mm) {
    return std::isfinite(mm) && mm > 0 && mm <= kLargestTabletUnitMm;
}

bool isSaneSnapMm(double mm) {
    return std::isfinite(mm) && mm >= 0 && mm <= kLargestSnapMm;
}

bool isJournalHeader(QByteArrayView body) {
    return body == kHeaderBody;
}

ParsedLine parseJournalLine(QByteArrayView line) {
    ParsedLine parsed;
    const qsizetype mark = line.lastIndexOf(kCheckMark);
    if (mark < 0 || line.size() - mark - 1 != 8) {
        parsed.fault = LineFault::Check;
        return parsed;
    }
    bool ok = false;
    const uint check = line.sliced(mark + 1).toByteArray().toUInt(&ok, 16);
    parsed.body = line.first(mark);
    if (!ok || check != crc32(parsed.body))
        parsed.fault = LineFault::Check;
    else if (isJournalHeader(parsed.body))
        parsed.isHeader = true;
    else
        parsed.fault = parseBody(parsed.body, &parsed);
    return parsed;
}

} // namespace digitrace
