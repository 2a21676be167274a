#include "acquisition/formats/format_registry.h"
#include "acquisition/formats/line_decoders.h"

namespace digitrace {
namespace {

// "XXXX,YYYY,F": F the hex key pressed; every line is a record.
class BitpadAsciiDecoder : public LineDecoder {
public:
    using LineDecoder::LineDecoder;

protected:
    void decodeLine(QByteArrayView line, QList<DecodedItem> &out) override {
        const QList<QByteArrayView> fields = ascii::split(line, ',');
        if (fields.size() != 3) {
            out.append(ascii::mismatch(line));
            return;
        }
        const std::optional<qint64> x = ascii::count(fields[0], strict_, 4);
        const std::optional<qint64> y = ascii::count(fields[1], strict_, 4);
        // The flag may follow its comma after a space, as one of the family's layouts sends it.
        QByteArrayView f = fields[2];
        if (!strict_)
            f = ascii::trimmed(f);
        else if (f.size() == 2 && f.front() == ' ')
            f = f.sliced(1);
        const std::optional<int> key =
            f.size() == 1 ? ascii::hexDigit(f[0], strict_) : std::nullopt;
        if (!x || !y || !key) {
            out.append(ascii::mismatch(line));
            return;
        }
        out.append(ascii::report(*x, *y, *key, true));
    }
};

EncodedReport encode(const TabletFormat &, qint64 x, qint64 y, int button, bool) {
    if (!encoding::within(x, 9999) || !encoding::within(y, 9999))
        return encoding::outOfRange(x, y, 9999);
    return {QByteArray::number(x).rightJustified(4, '0') + ',' +
                QByteArray::number(y).rightJustified(4, '0') + ',' + encoding::hexDigit(button) +
                "\r\n",
            {}};
}

} // namespace

const TabletFormatDescription &bitpadAsciiFormat() {
    static const TabletFormatDescription d{
        .kind = FormatKind::BitpadAscii,
        .name = QLatin1StringView("bitpad-ascii"),
        .labelText = QT_TRANSLATE_NOOP("digitrace::TabletFormats", "ASCII「XXXX,YYYY,F」"),
        .reportsPositions = false,
        .makeDecoder = strictnessDecoder<BitpadAsciiDecoder>,
        .encode = encode,
        .largestButton = buttonsUpTo<15>,
    };
    return d;
}

} // namespace digitrace
