#pragma once

#include "model/trace_model.h"

#include <QStringList>

namespace digitrace {

// The names of the values a replay reports, in the order it reports them.
const QStringList &traceFieldNames();

// The trace's counters and the window's label texts, in the order of traceFieldNames().
QStringList traceFieldValues(const TraceModel &model);

} // namespace digitrace
