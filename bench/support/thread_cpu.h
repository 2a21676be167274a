#pragma once

#include <time.h>

namespace digitrace::bench {

// CPU time of the calling thread: on a shared machine it varies less than the wall-clock time,
// and the code under test runs on one thread.
inline double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace digitrace::bench
