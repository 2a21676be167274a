// Arbitrary bytes in arbitrary reads under any tablet format, strict or not, and the detection on
// the same bytes. The first byte picks the format and strictness; FuzzedDataProvider takes the
// read sizes from the back of the input.

#include "acquisition/formats/format_detector.h"
#include "acquisition/formats/record_decoder.h"
#include "fuzz/invariant.h"
#include "model/record_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace digitrace::fuzz {
namespace {

constexpr std::size_t kMaxChunk = 64;

TabletFormat pickFormat(FuzzedDataProvider &data) {
    const QStringList names = builtInFormatNames();
    const int choice = data.ConsumeIntegralInRange<int>(0, int(names.size()));
    TabletFormat format;
    if (choice < names.size()) {
        format = *TabletFormat::named(names[choice]);
    } else {
        format.kind = FormatKind::Custom;
        format.layout.columns = {{{1, 6}, {7, 12}, {13, 14}}};
        format.layout.button = CustomLayout::Button::Hex;
    }
    format.strict = data.ConsumeBool();
    format.buttons.set(0, 0);
    format.buttons.set(16, 9);
    return format;
}

// Every record handed on is one designed record, 19 columns and a carriage return, with
// digits in both coordinate fields.
void checkRecords(const QByteArray &records) {
    require(records.size() % (kRecordLength + 1) == 0, "records come whole");
    for (qsizetype at = 0; at < records.size(); at += kRecordLength + 1) {
        const QByteArray record = records.sliced(at, kRecordLength + 1);
        require(record.back() == '\r' && record.count('\r') == 1, "a record ends at its CR");
        if (recordFlaws(QString::fromLatin1(record.first(kRecordLength))).any())
            fail("a record handed on is well formed", QString::fromLatin1(record));
    }
}

} // namespace
} // namespace digitrace::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size) {
    using namespace digitrace;
    using namespace digitrace::fuzz;
    FuzzedDataProvider data(bytes, size);
    const TabletFormat format = pickFormat(data);
    std::vector<std::uint8_t> rest = data.ConsumeBytes<std::uint8_t>(data.remaining_bytes() / 2);
    const QByteArray stream(reinterpret_cast<const char *>(rest.data()), qsizetype(rest.size()));

    RecordDecoder decoder(format);
    FormatDetector detector;
    const bool passThrough = format.kind == FormatKind::Fixed19 && !format.strict;
    QByteArray handedOn;
    qsizetype reports = 0;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype length = qsizetype(data.ConsumeIntegralInRange<std::size_t>(1, kMaxChunk));
        const QByteArray chunk = stream.mid(at, length);
        at += chunk.size();
        const DecodedRecords d = decoder.feed(chunk);
        for (const TabletRecord &r : d.records)
            handedOn += r.text.toLatin1() + '\r';
        reports += d.positions.size() + d.refused.size();
        detector.feed(chunk);
    }
    if (passThrough) {
        QByteArray framed;
        for (const QString &record : RecordFramer().feed(stream))
            framed += record.toLatin1() + '\r';
        require(handedOn == framed, "fixed19 hands its records on as framed");
    } else {
        checkRecords(handedOn);
        // The shortest report is five bytes, the shortest line two: nothing is made from nothing.
        require((handedOn.size() / (kRecordLength + 1) + reports) <= stream.size(),
                "no more reports than bytes");
    }
    const QList<FormatCandidate> ranking = detector.ranking();
    require(ranking.size() == builtInFormatNames().size(), "every format is ranked");
    if (const std::optional<FormatKind> decided = detector.decided())
        require(ranking.front().kind == *decided && ranking.front().consistent(),
                "the decided format leads the ranking");
    return 0;
}
