// The game's clock, whatever system answers its calls: a virtual one that
// only the game's Sleep moves (tests, the headless back end, a timed demo),
// or the system's monotonic clock; and the tap every reading passes through
// (a recording writes it down, a replay answers what was recorded).
#include <velmora_platform.h>

#include "kernel/kernel.h"

namespace vplat {
namespace {

bool g_virtualClock = true;
uint32_t g_virtualNow = 0;
kernel::ClockTap g_tap = nullptr;

uint32_t MonotonicMilliseconds() {
    return static_cast<uint32_t>(static_cast<uint64_t>(kernel::Seconds() * 1000.0));
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
