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
// Manual reset, so that setting the timer clears what an earlier due time
// left signalled: Wine keeps an automatic timer signalled when nobody waited
// for it, and the next wait would end at once.
constexpr int kAssumedRefresh = 60;

HANDLE Timer() {
    static HANDLE timer = [] {
        HANDLE made = CreateWaitableTimerExW(
            nullptr, nullptr, kHighResolutionTimer | CREATE_WAITABLE_TIMER_MANUAL_RESET,
            TIMER_ALL_ACCESS);
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

struct Period {
    int64_t perSecond = TicksPerSecond();
    int64_t length = perSecond / RefreshRate();
    int64_t end = 0;  // when the next frame may start; 0 before the first
    bool running = false;
};

Period& ThePeriod() {
    static Period period;
    return period;
}

void WaitTicks(int64_t ticks, int64_t perSecond) {
    LARGE_INTEGER due;
    due.QuadPart = -(ticks * 10000000 / perSecond);  // relative, in 100 ns
    HANDLE timer = Timer();
    if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        WaitForSingleObject(timer, INFINITE);
    } else {
        // Not Sleep: its import slot is the game's, which a timed demo skips.
        SleepEx(static_cast<DWORD>((ticks * 1000 + perSecond - 1) / perSecond), FALSE);
    }
}

}  // namespace

void FrameShown() {
    Period& period = ThePeriod();
    int64_t now = Now();
    if (period.end == 0 || now > period.end + period.length) {
        period.end = now;
    }
    period.end += period.length;
    period.running = true;
}

bool WaitForRefresh() {
    Period& period = ThePeriod();
    int64_t now = Now();
    if (!period.running || now >= period.end) {
        period.running = false;
        return false;
    }
    WaitTicks(period.end - now, period.perSecond);
    return true;
}

}  // namespace vplat::windows

namespace vplat::kernel {

void Wait(double seconds) {
    static const int64_t perSecond = windows::TicksPerSecond();
    windows::WaitTicks(static_cast<int64_t>(seconds * static_cast<double>(perSecond)), perSecond);
}

}  // namespace vplat::kernel
