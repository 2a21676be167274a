#include "acquisition/formats/tablet_format.h"

#include "acquisition/formats/line_decoders.h"
#include "acquisition/formats/packet_decoders.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace digitrace {
namespace {

struct NamedKind {
    FormatKind kind;
    const char *name;
};

constexpr NamedKind kNames[] = {
    {FormatKind::Fixed19, "fixed19"},         {FormatKind::BitpadAscii, "bitpad-ascii"},
    {FormatKind::Calcomp2000, "calcomp2000"}, {FormatKind::SummaMm, "summa-mm"},
    {FormatKind::WacomIv, "wacom-iv"},        {FormatKind::CalcompBinary, "calcomp-binary"},
    {FormatKind::Custom, "custom"},
};

} // namespace

QStringList builtInFormatNames() {
    QStringList names;
    for (const NamedKind &n : kNames)
        if (n.kind != FormatKind::Custom)
            names.append(QString::fromLatin1(n.name));
    return names;
}

QString formatName(FormatKind kind) {
    for (const NamedKind &n : kNames)
        if (n.kind == kind)
            return QString::fromLatin1(n.name);
    return {};
}

std::optional<FormatKind> formatKindFromName(QStringView name) {
    for (const NamedKind &n : kNames)
        if (name == QLatin1StringView(n.name))
            return n.kind;
    return std::nullopt;
}

bool isBinaryFormat(FormatKind kind) {
    return kind == FormatKind::SummaMm || kind == FormatKind::WacomIv ||
           kind == FormatKind::CalcompBinary;
}

ButtonTable::ButtonTable() {
    codes_.fill(-1);
    for (int n = 1; n <= 9; ++n)
        codes_[n] = std::int8_t(n);
}

ButtonTable ButtonTable::empty() {
    ButtonTable t;
    t.codes_.fill(-1);
    return t;
}

std::optional<int> ButtonTable::code(int button) const {
    if (button < 0 || button > kLargestButton || codes_[button] < 0)
        return std::nullopt;
    return codes_[button];
}

void ButtonTable::set(int button, std::optional<int> code) {
    if (button >= 0 && button <= kLargestButton)
        codes_[button] = std::int8_t(code ? *code : -1);
}

std::optional<int> ButtonTable::buttonFor(int code) const {
    for (int n = 0; n <= kLargestButton; ++n)
        if (codes_[n] == code)
            return n;
    return std::nullopt;
}

QString ButtonTable::toText() const {
    QStringList pairs;
    for (int n = 0; n <= kLargestButton; ++n)
        if (codes_[n] >= 0)
            pairs.append(QStringLiteral("%1=%2").arg(n).arg(codes_[n]));
    return pairs.join(u' ');
}

std::optional<ButtonTable> ButtonTable::fromText(QStringView text, QString *error) {
    static const QRegularExpression pair(QStringLiteral("^(\\d{1,2})=(\\d)$"));
    ButtonTable table = empty();
    for (const QString &item :
         text.toString().split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = pair.match(item);
        if (!m.hasMatch() || m.captured(1).toInt() > kLargestButton) {
            if (error)
                *error = tr("ボタン表の「%1」が読めません。ボタン番号 0〜%2 とコード 0〜9 を"
                            "「3=2」のように書いてください。")
                             .arg(item)
                             .arg(kLargestButton);
            return std::nullopt;
        }
        const int button = m.captured(1).toInt();
        if (table.codes_[button] >= 0) {
            if (error)
                *error = tr("ボタン表でボタン %1 が二度書かれています (「%2」)。ボタンごとに"
                            "コードは一つです。")
                             .arg(button)
                             .arg(item);
            return std::nullopt;
        }
        table.codes_[button] = std::int8_t(m.captured(2).toInt());
    }
    return table;
}

std::optional<TabletFormat> TabletFormat::named(QStringView name) {
    const std::optional<FormatKind> kind = formatKindFromName(name);
    if (!kind || *kind == FormatKind::Custom)
        return std::nullopt;
    TabletFormat format;
    format.kind = *kind;
    format.strict = *kind != FormatKind::Fixed19;
    return format;
}

std::unique_ptr<TabletDecoder> makeDecoder(const TabletFormat &format) {
    switch (format.kind) {
    case FormatKind::Fixed19:
        return std::make_unique<Fixed19Decoder>(format.strict);
    case FormatKind::Calcomp2000:
        return std::make_unique<Calcomp2000Decoder>(format.strict);
    case FormatKind::BitpadAscii:
        return std::make_unique<BitpadAsciiDecoder>(format.strict);
    case FormatKind::SummaMm:
        return std::make_unique<SummaMmDecoder>(format.strict);
    case FormatKind::WacomIv:
        return std::make_unique<WacomIvDecoder>(format.strict);
    case FormatKind::CalcompBinary:
        return std::make_unique<CalcompBinaryDecoder>(format.strict);
    case FormatKind::Custom:
        break;
    }
    return std::make_unique<CustomDecoder>(format.layout, format.strict);
}

} // namespace digitrace
