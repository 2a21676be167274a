#pragma once

#include "job/journal_reader.h"

#include <QString>

#include <optional>

namespace digitrace {

// Why a journal or job file did not read cleanly, from the first line not taken; with no such
// line, its last line was cut short. For the operator, in the window's language.
QString problemTextForOperator(const std::optional<JournalProblem> &problem);
// The same for digitrace-replay's standard error, in English.
QString problemTextForLog(const std::optional<JournalProblem> &problem);

} // namespace digitrace
