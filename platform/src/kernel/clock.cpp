// GetTickCount and Sleep over the game's clock (game_clock.cpp), and the
// system's monotonic clock as POSIX reads it.
#include <time.h>

#include <cerrno>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "core/entry.h"
#include "internal.h"
#include "kernel/kernel.h"

namespace vplat {
namespace {

void SleepReally(DWORD milliseconds) {
#ifdef __EMSCRIPTEN__
    // A page's only thread must not spin (the C library's sleep does): the
    // wait hands the page back to the browser until the time has passed.
    emscripten_sleep(milliseconds);
#else
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
#endif
}

}  // namespace

namespace kernel {

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void Wait(double seconds) {
    timespec wait{static_cast<time_t>(seconds),
                  static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace kernel
}  // namespace vplat

namespace entry = vplat::entry;

DWORD WINAPI GetTickCount(void) {
    return entry::Run(entry::Name::GetTickCount, entry::NoArgs,
                      []() -> DWORD { return vplat::kernel::TakeReading(); });
}

void WINAPI Sleep(DWORD milliseconds) {
    entry::RunThen(
        entry::Name::Sleep, [&] { return vplat::internal::Format("ms=%u", milliseconds); },
        [&] {
            if (vplat::kernel::VirtualClockInUse()) {
                // Wraps like the real counter.
                vplat::SetVirtualTime(vplat::kernel::Now() + milliseconds);
            } else if (!vplat::internal::SleepPaced(milliseconds)) {
                vplat::SleepReally(milliseconds);
            }
        },
        [&] { vplat::internal::OnSleep(milliseconds); });
}
