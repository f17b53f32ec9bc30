// How soon a game waiting in its idle message poll (the SDL driver's
// idle.cpp: minimised or switched away) wakes when an event comes, such as
// the window being restored: the wait is bounded at 10 ms, but it should end
// as the event arrives, so the first frame after a restore is not late.
// Skipped, with a message, where there is no display:
//
//   xvfb-run -a build/linux/bench/velmora_bench --benchmark_filter=IdleWake
//       --benchmark_repetitions=5                                (one command line)
//
// The time reported is from the event's posting (on another thread, as the
// window system's events arrive while the game waits) to the wait's end.
#include <benchmark/benchmark.h>
#include <velmora_platform.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "backend/sdl/state.h"
#include "kernel/kernel.h"

namespace {

void BM_IdleWake(benchmark::State& state) {
    setenv("VELMORA_WINDOWED", "1", 1);
    std::string error;
    if (!vplat::sdl::Start(&error)) {
        state.SkipWithError(("no display: " + error).c_str());
        return;
    }
    vplat::sdl::TakeDisplay(nullptr, 640, 480);
    SDL_Delay(200);  // the window mapped and its first events in
    int late = 0;
    for (auto _ : state) {
        vplat::sdl::PumpEvents();
        vplat::sdl::OnMessagePoll(true);  // the first empty poll never waits
        std::atomic<double> posted{0};
        std::thread window_system([&posted] {
            SDL_Delay(3);  // the game is waiting by now
            SDL_Event event = {};
            event.type = SDL_USEREVENT;
            posted = vplat::kernel::Seconds();
            SDL_PushEvent(&event);
        });
        vplat::sdl::OnMessagePoll(true);
        double woke = vplat::kernel::Seconds();
        window_system.join();
        double latency = woke - posted;
        late += latency > 0.005 ? 1 : 0;
        state.SetIterationTime(latency > 0 ? latency : 0);
    }
    state.counters["woke_late_5ms"] = late;
    vplat::sdl::Stop();
}

BENCHMARK(BM_IdleWake)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
