#pragma once

#include "tracing/tracing_session.h"

namespace digitrace::test {

// A connect at the scale 1:denominator, as the scale box's text gives it.
inline TracingSession::Connection at(float denominator, bool newJob = true) {
    return {QString::number(denominator), denominator, newJob, 0};
}

} // namespace digitrace::test
