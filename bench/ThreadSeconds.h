// The benchmarks' clock.
#pragma once
#include <ctime>

namespace quorvel::bench {

// This thread's processor time: the measured work's own, which other
// programs on a busy machine do not stretch.
inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace quorvel::bench
