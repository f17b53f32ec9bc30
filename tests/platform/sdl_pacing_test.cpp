// Pacing where vertical sync does not hold: the rest of a presented frame's
// period is waited out in the game's own sleep after the frame, or else
// before the next present, never twice. Only lower bounds on time are
// checked, so a slow machine cannot fail them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>

#include "backend/sdl/state.h"

namespace {

double Seconds() {
    return static_cast<double>(SDL_GetPerformanceCounter()) /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

// Presents back to back until the pacer has measured them as too fast for
// the display (no window: a 60 Hz display is assumed) and paces them.
vplat::sdl::Screen& PacedScreen() {
    static vplat::sdl::Screen screen;
    vplat::sdl::ResetPacing();
    for (int i = 0; i < 36; ++i) {
        vplat::sdl::PaceBeforePresent();
        vplat::sdl::PaceAfterPresent(screen);
    }
    return screen;
}

constexpr double kPeriod = 1.0 / 60;

TEST(SdlPacing, TheGameSleepAfterAPacedFrameLastsUntilTheFrameEnds) {
    vplat::sdl::Screen& screen = PacedScreen();
    // A frame the machine held up has less of its period left, and one held
    // up by more than two periods starts the pacing afresh with nothing to
    // wait out: on a busy machine one frame in a few dozen is. So several
    // frames are tried; a pacer that never waits a period out fails them all.
    double longest = 0;
    for (int frame = 0; frame < 10 && longest < 0.5 * kPeriod; ++frame) {
        vplat::sdl::PaceBeforePresent();  // as every present does
        double presented = Seconds();
        vplat::sdl::PaceAfterPresent(screen);
        if (vplat::sdl::SleepPaced(1)) {
            longest = std::max(longest, Seconds() - presented);
            ASSERT_FALSE(vplat::sdl::SleepPaced(1)) << "the same period was waited out twice";
        }
    }
    // The deadline runs a period ahead of the last one; at least most of a
    // period is left after a present that came straight after the last.
    EXPECT_GE(longest, 0.5 * kPeriod)
        << "the longest sleep after ten paced frames was " << longest * 1000 << " ms";
}

TEST(SdlPacing, WithoutASleepTheNextPresentWaitsInstead) {
    vplat::sdl::Screen& screen = PacedScreen();
    double start = Seconds();
    for (int i = 0; i < 6; ++i) {
        vplat::sdl::PaceBeforePresent();
        vplat::sdl::PaceAfterPresent(screen);
    }
    double elapsed = Seconds() - start;
    // Six presents need at least five whole periods between them.
    EXPECT_GE(elapsed, 5 * kPeriod * 0.95) << "six presents in " << elapsed * 1000 << " ms";
}

TEST(SdlPacing, AnUnpacedRunSleepsOnlyWhatItAsks) {
    vplat::sdl::ResetPacing();
    EXPECT_FALSE(vplat::sdl::SleepPaced(1)) << "nothing was presented, yet the sleep was paced";
}

}  // namespace
