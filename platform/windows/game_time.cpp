// The game's GetTickCount and Sleep, wrapped at link time (--wrap of their
// import slots): every clock reading passes through the tap (a recording
// writes it down, a replay answers what was recorded), and in a timed demo
// the clock is the recording's and the sleep after each frame waits for
// nothing.
#include <windows.h>

#include <velmora_platform.h>

#include "kernel/kernel.h"

using GetTickCountCall = DWORD(WINAPI*)();
using SleepCall = void(WINAPI*)(DWORD);
extern "C" SleepCall __real___imp_Sleep;

namespace {

DWORD WINAPI TickCountThroughTap() {
    return vplat::kernel::TakeReading();
}

void WINAPI SleepOnGameClock(DWORD milliseconds) {
    if (vplat::kernel::VirtualClockInUse()) {
        vplat::SetVirtualTime(vplat::kernel::Now() + milliseconds);  // wraps as the counter does
        return;
    }
    __real___imp_Sleep(milliseconds);
}

}  // namespace

// What the import slots are redirected to: slots of ours.
extern "C" {
GetTickCountCall __wrap___imp_GetTickCount = TickCountThroughTap;
SleepCall __wrap___imp_Sleep = SleepOnGameClock;
}
