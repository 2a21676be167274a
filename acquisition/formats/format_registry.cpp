#include "acquisition/formats/format_registry.h"

#include <QCoreApplication>

#include <array>

namespace digitrace {

// Each defined in the format's own file.
const TabletFormatDescription &fixed19Format();
const TabletFormatDescription &bitpadAsciiFormat();
const TabletFormatDescription &calcomp2000Format();
const TabletFormatDescription &summaMmFormat();
const TabletFormatDescription &wacomIvFormat();
const TabletFormatDescription &calcompBinaryFormat();
const TabletFormatDescription &customFormat();

const QList<const TabletFormatDescription *> &tabletFormats() {
    static const QList<const TabletFormatDescription *> formats{
        &fixed19Format(), &bitpadAsciiFormat(),   &calcomp2000Format(), &summaMmFormat(),
        &wacomIvFormat(), &calcompBinaryFormat(), &customFormat(),
    };
    return formats;
}

// Looked up for every report decoded: by index, not by search.
const TabletFormatDescription &describe(FormatKind kind) {
    static const auto byKind = [] {
        std::array<const TabletFormatDescription *, int(FormatKind::Custom) + 1> table{};
        for (const TabletFormatDescription *d : tabletFormats())
            table[std::size_t(d->kind)] = d;
        return table;
    }();
    const auto at = std::size_t(kind);
    return at < byKind.size() && byKind[at] ? *byKind[at] : customFormat();
}

QString TabletFormatDescription::label() const {
    return QCoreApplication::translate("digitrace::TabletFormats", labelText);
}

} // namespace digitrace
