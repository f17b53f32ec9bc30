// GetTickCount and Sleep over two clocks: a virtual one that only Sleep
// moves (tests and the headless back end), and the real monotonic clock.
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

bool g_virtualClock = true;
uint32_t g_virtualNow = 0;
vplat::kernel::ClockTap g_tap = nullptr;

uint32_t MonotonicMilliseconds() {
    return static_cast<uint32_t>(static_cast<uint64_t>(kernel::Seconds() * 1000.0));
}

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

void UseVirtualClock(uint32_t startMs) {
    g_virtualClock = true;
    g_virtualNow = startMs;
}

void SetVirtualTime(uint32_t nowMs) {
    g_virtualNow = nowMs;
}

void UseRealClock() {
    g_virtualClock = false;
}

namespace kernel {

double Seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool VirtualClockInUse() {
    return g_virtualClock;
}

DWORD Now() {
    return g_virtualClock ? g_virtualNow : MonotonicMilliseconds();
}

void SetClockTap(ClockTap tap) {
    g_tap = tap;
}

DWORD TakeReading() {
    DWORD reading = Now();
    return g_tap != nullptr ? g_tap(reading) : reading;
}

void ResetClock() {
    UseVirtualClock(0);
    g_tap = nullptr;
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
                vplat::g_virtualNow += milliseconds;  // wraps like the real counter
            } else if (!vplat::internal::SleepPaced(milliseconds)) {
                vplat::SleepReally(milliseconds);
            }
        },
        [&] { vplat::internal::OnSleep(milliseconds); });
}
