#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace digitrace::fuzz {

// A broken invariant is a finding: say which, then abort so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char *invariant, const QString &detail = {}) {
    std::fprintf(stderr, "Invariant broken: %s\n", invariant);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(detail));
    std::abort();
}

inline void require(bool holds, const char *invariant) {
    if (!holds)
        fail(invariant);
}

} // namespace digitrace::fuzz
