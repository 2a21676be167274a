#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/line_decoders.h"
#include "acquisition/formats/record_decoder.h"

#include "model/record_check.h"

namespace digitrace {
namespace {

// The designed record, taken as it is; when strict, a record with flaws does not fit.
class Fixed19Decoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override {
        const QString text = QString::fromLatin1(line);
        if (strict_ && recordFlaws(text).any()) {
            out.append(ascii::mismatch(line));
            return;
        }
        DecodedItem item;
        item.raw = line.toByteArray();
        out.append(item);
    }
};

// A record whose code is the button itself.
EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool) {
    const QByteArray record = canonicalRecord(x, y, button);
    return record.isEmpty() ? encoding::failure(QStringLiteral("no designed record holds it"))
                            : EncodedReport{record, {}};
}

} // namespace

const TabletFormatDescription &fixed19Format() {
    static const TabletFormatDescription d{
        .kind = FormatKind::Fixed19,
        .name = QLatin1StringView("fixed19"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "19 桁の固定記録（標準）"),
        .reportsPositions = false,
        .carriesCodes = true,
        // Off: the records reach the intake as they came, flaws and all.
        .strict = false,
        .makeDecoder = strictnessDecoder<Fixed19Decoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<9>,
    };
    return d;
}

} // namespace digitrace
