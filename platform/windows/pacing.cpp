// Pacing on a waitable timer: Sleep is only as fine as the system's timer
// tick (15.6 ms on Windows unless raised), a high-resolution timer is not.
#include "pacing.h"

#include "kernel/kernel.h"

#include <windows.h>

#include <cstdint>

namespace vplat::windows {
namespace {

// Windows 10 1803 and later; older systems refuse it and get a plain timer.
constexpr DWORD kHighResolutionTimer = 0x00000002;
constexpr int kAssumedRefresh = 60;

HANDLE Timer() {
    static HANDLE timer = [] {
        HANDLE made =
            CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
        return made != nullptr ? made : CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }();
    return timer;
}

int RefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) &&
        mode.dmDisplayFrequency > 1) {
        return static_cast<int>(mode.dmDisplayFrequency);
    }
    return kAssumedRefresh;
}

int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t TicksPerSecond() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

void WaitTicks(int64_t ticks, int64_t perSecond) {
    LARGE_INTEGER due;
    due.QuadPart = -(ticks * 10000000 / perSecond);  // relative, in 100 ns
    HANDLE timer = Timer();
    if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        WaitForSingleObject(timer, INFINITE);
    } else {
        Sleep(static_cast<DWORD>(ticks * 1000 / perSecond));
    }
}

}  // namespace

void WaitForRefresh() {
    static const int64_t perSecond = TicksPerSecond();
    static const int64_t period = perSecond / RefreshRate();
    static int64_t next = 0;
    int64_t now = Now();
    if (next == 0 || now > next + period) {
        next = now;
    } else if (now < next) {
        WaitTicks(next - now, perSecond);
    }
    next += period;
}

}  // namespace vplat::windows

namespace vplat::kernel {

void Wait(double seconds) {
    static const int64_t perSecond = windows::TicksPerSecond();
    windows::WaitTicks(static_cast<int64_t>(seconds * static_cast<double>(perSecond)), perSecond);
}

}  // namespace vplat::kernel
