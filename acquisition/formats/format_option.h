#pragma once

#include "acquisition/formats/tablet_format.h"

#include <QString>

#include <optional>

namespace digitrace {

// The format a command line names: a built-in name, or "custom" with the file of its layout.
// Nothing, with `error` saying why, when the name is unknown or the layout does not read.
std::optional<TabletFormat> formatFromCommandLine(const QString &name, const QString &layoutPath,
                                                  QString *error);

} // namespace digitrace
