#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QString>

namespace digitrace {

// The format as the journal keeps it: its name, and a site's own layout after it, whose lines the
// journal's escaping keeps on the entry's one line.
QString formatEntryText(const TabletFormat &format);

} // namespace digitrace
