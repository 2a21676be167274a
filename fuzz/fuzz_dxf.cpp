// Arbitrary templates and tables through the DXF writer. From the back of the input
// FuzzedDataProvider takes the template's length and how the table is built; from the front the
// template, then the table: either record texts ended by carriage returns, taken by the model as
// from the tablet, or a pattern of nine-byte slots (code, X, Y as raw floats) repeated to a size
// of the input's choosing.

#include "export/dxf_writer.h"
#include "fuzz/invariant.h"
#include "model/trace_model.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QBuffer>
#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace digitrace::fuzz {
namespace {

constexpr std::size_t kMaxTemplate = 4096;
constexpr int kSmallTable = 300;
constexpr std::size_t kSlotBytes = 9;
constexpr float kOffsetX = 50;
constexpr float kOffsetY = 30;

// POINT at slot a, or LINE from slot a to slot b.
struct Entity {
    bool isLine;
    int a;
    int b;
};

// The entity rule, row by row: which slots become which entities.
std::vector<Entity> predictEntities(const TraceStore &s) {
    std::vector<Entity> entities;
    int prevCode = 0;
    bool lineOpen = false;
    int lineVertices = 0;
    for (int i = 0; i < s.PtCount; ++i) {
        const int code = int(std::lround(s.Pt.Code[std::size_t(i)]));
        if (code == 1) {
            lineOpen = true;
            lineVertices = 1;
        } else if (code == 2 && prevCode == 1) {
            entities.push_back({true, i - 1, i});
            lineVertices = 2;
        } else if (code == 2 && prevCode == 2 && lineOpen) {
            entities.push_back({true, i - 1, i});
            ++lineVertices;
        } else if (code == 2) {
            // a vertex with nothing to extend writes nothing
        } else {
            if (prevCode == 2 && lineVertices >= 3)
                entities.push_back({true, i - 1, i - lineVertices});
            else if (prevCode != 2 || lineVertices == 2)
                entities.push_back({false, i, i});
            lineOpen = false;
            lineVertices = 0;
        }
        prevCode = code;
    }
    return entities;
}

// The template's lines as the output must begin: a line ends at CR, or CR LF, and a lone LF is
// text; in a template without any CR, a line ends at LF. A last line without a line end still
// counts.
QByteArray expectedTemplateLines(QByteArrayView bytes) {
    const char lineEnd = bytes.contains('\r') ? '\r' : '\n';
    QByteArray lines;
    bool inLine = false;
    bool afterCarriageReturn = false;
    for (const char c : bytes) {
        const bool partOfLineEnd = afterCarriageReturn && c == '\n';
        afterCarriageReturn = c == '\r';
        if (partOfLineEnd)
            continue;
        if (c == lineEnd) {
            lines += "\r\n";
            inLine = false;
        } else {
            lines += c;
            inLine = true;
        }
    }
    if (inLine)
        lines += "\r\n";
    return lines;
}

double exactShift(float value, float minimum, float offset) {
    return double(value) - double(minimum) + double(offset);
}

bool fitsSingle(double value) {
    return std::fabs(value) <= FLT_MAX;
}

// "#0.0000": digits, a full stop, four decimals, an optional minus sign in front.
bool isDxfNumber(QByteArrayView text) {
    if (text.startsWith('-'))
        text = text.sliced(1);
    const qsizetype point = text.indexOf('.');
    auto digitsOnly = [](QByteArrayView digits) {
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    return point >= 1 && text.size() - point == 5 && digitsOnly(text.first(point)) &&
           digitsOnly(text.sliced(point + 1));
}

// Walks the output's lines after the template.
class LineReader {
public:
    LineReader(QByteArrayView text, const TraceStore &store) : store_(store) {
        require(text.endsWith("\r\n"), "the output ends with CR LF");
        lines_.reserve(std::size_t(text.count('\n')));
        qsizetype start = 0;
        while (start < text.size()) {
            const qsizetype end = text.indexOf("\r\n", start);
            const QByteArrayView line = text.sliced(start, end - start);
            if (line.contains('\r') || line.contains('\n'))
                fail("entity and trailer lines end in CR LF and hold no other line end",
                     QString::fromLatin1(line));
            lines_.push_back(line);
            start = end + 2;
        }
    }

    void expect(QByteArrayView text) {
        if (next_ >= lines_.size() || lines_[next_] != text)
            fail("the line the rule predicts",
                 QStringLiteral("line %1 after the template: expected \"%2\", got \"%3\"")
                     .arg(next_)
                     .arg(QString::fromLatin1(text))
                     .arg(next_ < lines_.size() ? QString::fromLatin1(lines_[next_])
                                                : QStringLiteral("(end)")));
        ++next_;
    }

    // A coordinate, shifted so that the box's minimum lands at the offset.
    void expectCoordinate(float value, float minimum, float offset) {
        require(next_ < lines_.size(), "a coordinate line where the rule predicts one");
        const QByteArrayView line = lines_[next_++];
        const double exact = exactShift(value, minimum, offset);
        const auto detail = [&] {
            return QStringLiteral("line %1 after the template: \"%2\" for %3")
                .arg(next_ - 1)
                .arg(QString::fromLatin1(line))
                .arg(exact, 0, 'g', 17);
        };
        if (!isDxfNumber(line))
            fail("a coordinate is a number with four decimals", detail());
        // Rounded to single precision, then to seven digits, then to four decimals.
        double written = 0;
        std::from_chars(line.begin(), line.end(), written);
        if (std::fabs(written - exact) > 1e-4 + 1e-6 * std::fabs(exact))
            fail("a coordinate holds its slot's value", detail());
    }

    void expectPoint(int slot) {
        for (const char *text : {"  0", "POINT", "  8", "_0-1_POINT", " 62", "    7", " 10"})
            expect(text);
        expectCoordinate(x(slot), store_.MinX, kOffsetX);
        expect(" 20");
        expectCoordinate(y(slot), store_.MinY, kOffsetY);
    }

    void expectLine(int first, int second) {
        for (const char *text :
             {"  0", "LINE", "  8", "_0-2_LINE", "  6", "CONTINUOUS", " 62", "    7", " 10"})
            expect(text);
        expectCoordinate(x(first), store_.MinX, kOffsetX);
        expect(" 20");
        expectCoordinate(y(first), store_.MinY, kOffsetY);
        expect(" 11");
        expectCoordinate(x(second), store_.MinX, kOffsetX);
        expect(" 21");
        expectCoordinate(y(second), store_.MinY, kOffsetY);
    }

    void expectEnd() {
        for (const char *text : {"  0", "ENDSEC", "  0", "EOF"})
            expect(text);
        require(next_ == lines_.size(), "nothing after the trailer");
    }

private:
    float x(int slot) const { return store_.Pt.X[std::size_t(slot)]; }
    float y(int slot) const { return store_.Pt.Y[std::size_t(slot)]; }

    const TraceStore &store_;
    std::vector<QByteArrayView> lines_;
    std::size_t next_ = 0;
};

// Each record ends at its carriage return, as the receiver frames them; an unfinished last one is
// not taken.
void takeRecords(TraceModel &model, QByteArrayView capture) {
    QList<QByteArray> records = capture.toByteArray().split('\r');
    records.removeLast();
    for (const QByteArray &record : records) {
        if (model.store().PtCount == kSlotCount)
            break;
        model.takeRecord(QString::fromLatin1(record));
    }
}

float finiteFloat(const std::uint8_t *bytes) {
    float value;
    std::memcpy(&value, bytes, sizeof value);
    return std::isfinite(value) ? value : 0.0f;
}

// Any finite coordinates and whole codes 0 to 9, as the model stores them, with the box's minimum
// taken over all slots as if each had entered it after a reset.
void fillTable(TraceStore &s, FuzzedDataProvider &data) {
    const bool large = data.ConsumeIntegralInRange(0, 63) == 0;
    const int count = data.ConsumeIntegralInRange(0, large ? kSlotCount : kSmallTable);
    const std::vector<std::uint8_t> pattern = data.ConsumeRemainingBytes<std::uint8_t>();
    const std::size_t patternSlots = pattern.size() / kSlotBytes;
    for (int i = 0; i < count && patternSlots > 0; ++i) {
        const std::uint8_t *slot = pattern.data() + (std::size_t(i) % patternSlots) * kSlotBytes;
        const auto index = std::size_t(i);
        s.Pt.Code[index] = float(slot[0] % 10);
        s.Pt.X[index] = finiteFloat(slot + 1);
        s.Pt.Y[index] = finiteFloat(slot + 5);
    }
    s.PtCount = std::int16_t(count);
    // The box starts at 2000 at every reset, so the minimum never lies above it.
    s.MinX = std::min(2000.0f, *std::min_element(s.Pt.X.begin(), s.Pt.X.begin() + count));
    s.MinY = std::min(2000.0f, *std::min_element(s.Pt.Y.begin(), s.Pt.Y.begin() + count));
}

bool everyCoordinateFits(const TraceStore &s, const std::vector<Entity> &entities) {
    auto fits = [&s](int slot) {
        return fitsSingle(exactShift(s.Pt.X[std::size_t(slot)], s.MinX, kOffsetX)) &&
               fitsSingle(exactShift(s.Pt.Y[std::size_t(slot)], s.MinY, kOffsetY));
    };
    return std::all_of(entities.begin(), entities.end(),
                       [&fits](const Entity &e) { return fits(e.a) && fits(e.b); });
}

} // namespace
} // namespace digitrace::fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // File texts never follow the user's locale: a comma-decimal one would show it.
    QLocale::setDefault(QLocale(QLocale::German));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size) {
    using namespace digitrace;
    using namespace digitrace::fuzz;
    FuzzedDataProvider data(bytes, size);
    const auto templateSize = data.ConsumeIntegralInRange<std::size_t>(0, kMaxTemplate);
    const bool byRecords = data.ConsumeBool();
    const std::vector<char> templateBytes = data.ConsumeBytes<char>(templateSize);
    const QByteArrayView templateView(templateBytes.data(), qsizetype(templateBytes.size()));

    TraceModel model(QLocale::c());
    model.ResetTrace();
    if (byRecords) {
        const std::vector<char> capture = data.ConsumeRemainingBytes<char>();
        takeRecords(model, QByteArrayView(capture.data(), qsizetype(capture.size())));
    } else {
        fillTable(model.unguardedStore(), data);
    }
    const TraceStore &store = model.store();
    const std::vector<Entity> entities = predictEntities(store);

    QByteArray output;
    QBuffer buffer(&output);
    buffer.open(QIODevice::WriteOnly);
    const bool written = WriteDxf(store, templateView, buffer);
    // A table that cannot be written faithfully may be refused; anything else must be written.
    if (!written) {
        require(!everyCoordinateFits(store, entities), "a writable table is written");
        return 0;
    }

    const QByteArray head = expectedTemplateLines(templateView);
    require(output.startsWith(head), "the output begins with the template's lines");
    LineReader reader(QByteArrayView(output).sliced(head.size()), store);
    for (const Entity &e : entities) {
        if (e.isLine)
            reader.expectLine(e.a, e.b);
        else
            reader.expectPoint(e.a);
    }
    reader.expectEnd();
    return 0;
}
