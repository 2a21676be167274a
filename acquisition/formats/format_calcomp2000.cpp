#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/line_decoders.h"

namespace digitrace {
namespace {

// "X,Y,B": B is '0' for no button, then '1' on for buttons 1 to 16.
class Calcomp2000Decoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override {
        const QList<QByteArrayView> fields = ascii::split(line, ',');
        if (fields.size() != 3) {
            out.append(ascii::mismatch(line));
            return;
        }
        const std::optional<qint64> x = ascii::count(fields[0], strict_);
        const std::optional<qint64> y = ascii::count(fields[1], strict_);
        const QByteArrayView b = strict_ ? fields[2] : ascii::trimmed(fields[2]);
        if (!x || !y || b.size() != 1 || b[0] < '0' || b[0] > '0' + ButtonTable::kLargestButton) {
            out.append(ascii::mismatch(line));
            return;
        }
        const int button = b[0] - '0';
        out.append(ascii::report(*x, *y, button, isPress(button, button == 0)));
    }
};

EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool) {
    if (!encoding::within(x, 999'999'999) || !encoding::within(y, 999'999'999))
        return encoding::outOfRange(x, y, 999'999'999);
    return {QByteArray::number(x) + ',' + QByteArray::number(y) + ',' + char('0' + button) + "\r\n",
            {}};
}

} // namespace

const TabletFormatDescription &calcomp2000Format() {
    static const TabletFormatDescription d{
        .kind = FormatKind::Calcomp2000,
        .name = QLatin1StringView("calcomp2000"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "ASCII「X,Y,B」"),
        .makeDecoder = strictnessDecoder<Calcomp2000Decoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<ButtonTable::kLargestButton>,
    };
    return d;
}

} // namespace digitrace
