// CPU per present of the SDL back end, for both ways of presenting, at three
// output sizes: a whole new frame each time, a frame where only the sprite
// moved and the FPS digits changed, and a frame where nothing changed.
// Skipped, with a message, where there is no display. Windows of the given
// size are opened on it, so its screen must hold them:
//
//   xvfb-run -a -s '-screen 0 1920x1080x24' build/linux/bench/velmora_bench
//       --benchmark_filter=Present --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true   (one command line)
//
// Pacing to the display's refresh is left out (the present's own work is
// measured), as is vertical sync. The figure is this process's CPU time: the
// X server's own copy of what is sent is not in it, for either path.
#include <benchmark/benchmark.h>
#include <velmora_platform.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "backend/sdl/state.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

enum class Change { Whole, Sprite, Nothing };

struct Frames {
    std::vector<uint8_t> a = std::vector<uint8_t>(kW * kH);
    std::vector<uint8_t> b;
    PALETTEENTRY palette[256] = {};
};

// Two frames that differ as the change says: everywhere, or in the ball's
// 8 x 8 cell (moved by a pixel) and the four FPS digits.
Frames MakeFrames(Change change) {
    Frames f;
    std::mt19937 random(11);
    for (uint8_t& p : f.a) {
        p = static_cast<uint8_t>(random() % 96);
    }
    for (int i = 0; i < 256; ++i) {
        f.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i * 5),
                                    static_cast<BYTE>(i * 3), 0};
    }
    f.b = f.a;
    if (change == Change::Whole) {
        for (uint8_t& p : f.b) {
            p = static_cast<uint8_t>(p + 128);
        }
    } else if (change == Change::Sprite) {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 32; ++x) {
                f.b[y * kW + x] = static_cast<uint8_t>(200 + (x + y) % 7);
            }
        }
        for (int y = 400; y < 408; ++y) {
            for (int x = 387; x < 396; ++x) {
                f.b[y * kW + x] = static_cast<uint8_t>(220 + x % 3);
            }
        }
    }
    return f;
}

bool StartSdlOnce(std::string* error) {
    static bool started = false;
    static std::string failure;
    if (!started && failure.empty()) {
        setenv("VELMORA_WINDOWED", "1", 1);
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");  // the work, not the wait for the display
        started = vplat::sdl::Start(&failure);
    }
    *error = failure;
    return started;
}

void Present(benchmark::State& state, const char* path, int width, int height, Change change) {
    std::string error;
    setenv("VELMORA_PRESENT", path, 1);
    if (!StartSdlOnce(&error) || !vplat::player::ReadPresentChoice(&error)) {
        state.SkipWithError(("no display: " + error).c_str());
        return;
    }
    vplat::sdl::TakeDisplay(nullptr, kW, kH);
    vplat::sdl::Screen& screen = vplat::sdl::TheScreen();
    SDL_SetWindowSize(screen.window, width, height);
    Frames f = MakeFrames(change);
    // Until the window has its size and the first frames are on it.
    for (int i = 0; i < 30; ++i) {
        vplat::sdl::PumpEvents();
        vplat::sdl::Present({f.a.data(), kW, kH, kW, f.palette, 1});
        SDL_Delay(5);
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(screen.window, &w, &h);
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
    bool second = false;
    for (auto _ : state) {
        second = !second;
        const std::vector<uint8_t>& frame = second ? f.b : f.a;
        vplat::sdl::Present({frame.data(), kW, kH, kW, f.palette, 1});
        vplat::sdl::ResetPacing();
    }
    vplat::sdl::ReleaseDisplay();
}

const struct {
    const char* name;
    Change change;
} kChanges[] = {{"whole", Change::Whole}, {"sprite", Change::Sprite}, {"nothing", Change::Nothing}};
const struct {
    int width;
    int height;
} kSizes[] = {{1024, 768}, {1280, 960}, {1920, 1080}};
const char* const kPaths[] = {"surface", "gpu"};

// With --benchmark_repetitions, the range of the runs beside their median.
double Least(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

double Most(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

// BM_Present/PATH/SIZE/CHANGE, for every combination.
const bool kRegistered = [] {
    for (const char* path : kPaths) {
        for (const auto& size : kSizes) {
            for (const auto& change : kChanges) {
                std::string name = std::string("BM_Present/") + path + "/" +
                                   std::to_string(size.width) + "x" + std::to_string(size.height) +
                                   "/" + change.name;
                benchmark::RegisterBenchmark(name.c_str(), Present, path, size.width, size.height,
                                             change.change)
                    ->Unit(benchmark::kMicrosecond)
                    ->MeasureProcessCPUTime()
                    ->ComputeStatistics("min", Least)
                    ->ComputeStatistics("max", Most);
            }
        }
    }
    return true;
}();

}  // namespace
