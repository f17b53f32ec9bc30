// The platform's clock on Windows: the performance counter for the
// monotonic clock, the process's kernel and user time for its processor
// time (the two clocks the platform reads).
#include <windows.h>

#include "kernel/kernel.h"

namespace vplat::kernel {
namespace {

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;  // 100 ns ticks
}

}  // namespace

double Seconds(clockid_t clock) {
    if (clock == CLOCK_PROCESS_CPUTIME_ID) {
        return ProcessorSeconds();
    }
    static const double perSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perSecond;
}

}  // namespace vplat::kernel
