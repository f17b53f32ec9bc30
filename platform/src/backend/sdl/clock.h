// The monotonic clock in seconds, read a few times a frame: SDL's own
// clocks go through its dispatch table and locks for the same reading.
#pragma once

#include <time.h>

namespace vplat::sdl {

inline double SecondsNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace vplat::sdl
