// Frame pacing: Flip presents with vertical sync, so the game runs at the
// display's refresh rate. Where vertical sync does not hold the presents back
// (a virtual X server, a driver that ignores it), presents are paced to the
// refresh rate here instead.
#include <errno.h>
#include <time.h>

#include "kernel/kernel.h"
#include "backend/sdl/state.h"
#include "player/playback.h"

namespace vplat::sdl {
namespace {

constexpr int kSkippedPresents = 5;  // the first presents settle the window
constexpr int kMeasuredPresents = 30;

struct Pacing {
    int presents = 0;
    double measuredSince = 0;
    bool enabled = false;
    double period = 0;  // the display's, asked again with each measuring
    double deadline = 0;
    // The end of the last presented frame's period, not yet waited out.
    double pending = 0;
};

Pacing& ThePacing() {
    static Pacing pacing;
    return pacing;
}

double AskRefreshPeriod(SDL_Window* window) {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
        return 1.0 / mode.refresh_rate;
    }
    return 1.0 / 60;
}

// Sleeps rather than spins: the timer is exact to well under a millisecond
// on Linux, and a spinning wait would cost the player a processor core. The
// deadline is on the monotonic clock, so the sleep needs no reading of it.
void SleepUntil(double when) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(when);
    until.tv_nsec = static_cast<long>((when - static_cast<double>(until.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace

void ResetPacing() {
    ThePacing() = Pacing();
}

void PaceAfterPresent(Screen& screen) {
    if (!player::Paced()) {
        return;
    }
    Pacing& pacing = ThePacing();
    double now = kernel::Seconds();
    if (pacing.presents % kMeasuredPresents == 0) {
        pacing.period = AskRefreshPeriod(screen.window);  // the window may have moved
    }
    double period = pacing.period;
    ++pacing.presents;
    // Measured over windows of presents, again and again, since the first
    // frames after the window opens run at their own pace.
    if (!pacing.enabled && pacing.presents >= kSkippedPresents &&
        (pacing.presents - kSkippedPresents) % kMeasuredPresents == 0) {
        if (pacing.presents > kSkippedPresents) {
            double average = (now - pacing.measuredSince) / kMeasuredPresents;
            pacing.enabled = average < 0.85 * period;
            pacing.deadline = now;
        }
        pacing.measuredSince = now;
    }
    if (!pacing.enabled) {
        return;
    }
    pacing.deadline += period;
    if (pacing.deadline < now - period) {
        pacing.deadline = now;  // far behind (a stall): start afresh
        return;
    }
    // Waited out by the game's own sleep after the frame, or else before the
    // next present: one wake-up a frame instead of two.
    pacing.pending = pacing.deadline;
}

void PaceBeforePresent() {
    Pacing& pacing = ThePacing();
    if (pacing.pending > 0) {
        SleepUntil(pacing.pending);
        pacing.pending = 0;
    }
}

bool SleepPaced(DWORD milliseconds) {
    Pacing& pacing = ThePacing();
    if (pacing.pending <= 0) {
        return false;
    }
    double asked = kernel::Seconds() + milliseconds / 1000.0;
    SleepUntil(asked > pacing.pending ? asked : pacing.pending);
    pacing.pending = 0;
    return true;
}

}  // namespace vplat::sdl
