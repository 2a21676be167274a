#include "tracing/format_entry.h"

namespace digitrace {

QString formatEntryText(const TabletFormat &format) {
    if (format.kind != FormatKind::Custom)
        return format.name();
    return format.name() + u'\n' + QString::fromUtf8(format.layout.toText());
}

} // namespace digitrace
