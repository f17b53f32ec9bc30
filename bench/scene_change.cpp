// Wall time of a scene change at 3840 x 2160: the SDL back end shows a
// title-like frame, then a play-like frame that differs in every row, and
// back, a given number of times, and prints each change's time, the median,
// the range and how many took longer than one 60 Hz display period.
//
//   xvfb-run -a -s '-screen 0 3840x2160x24' build/linux/bench/scene_change [CHANGES]
//
// scripts/bench-4k.sh runs it, and another build's beside it.
#include <velmora_platform.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "backend/sdl/state.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
constexpr int kOutW = 3840;
constexpr int kOutH = 2160;
constexpr double kPeriodMs = 1000.0 / 60;

struct Scenes {
    std::vector<uint8_t> title = std::vector<uint8_t>(kW * kH, 128);
    std::vector<uint8_t> play = std::vector<uint8_t>(kW * kH);
    PALETTEENTRY palette[256] = {};
};

Scenes MakeScenes() {
    Scenes s;
    std::mt19937 random(7);
    for (uint8_t& p : s.play) {
        p = static_cast<uint8_t>(random() % 128);
    }
    for (int y = 100; y < 200; ++y) {  // the lettering
        for (int x = 0; x < kW; ++x) {
            s.title[y * kW + x] = static_cast<uint8_t>((x / 7 + y / 5) % 3 == 0 ? 200 : 128);
        }
    }
    for (int i = 0; i < 256; ++i) {
        s.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i * 5),
                                    static_cast<BYTE>(i * 3), 0};
    }
    return s;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    int changes = argc > 1 ? atoi(argv[1]) : 20;
    setenv("VELMORA_WINDOWED", "1", 1);
    setenv("VELMORA_PRESENT", "surface", 1);
    std::string error;
    if (!vplat::sdl::Start(&error) || !vplat::player::ReadPresentChoice(&error)) {
        fprintf(stderr, "no display: %s\n", error.c_str());
        return 2;
    }
    vplat::sdl::TakeDisplay(nullptr, kW, kH);
    SDL_Window* window = vplat::sdl::TheScreen().window;
    SDL_SetWindowSize(window, kOutW, kOutH);
    Scenes s = MakeScenes();
    for (int i = 0; i < 30; ++i) {  // until the window has its size
        vplat::sdl::PumpEvents();
        vplat::sdl::Present({s.title.data(), kW, kH, kW, s.palette, 1});
        vplat::sdl::ResetPacing();
        SDL_Delay(10);
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    std::vector<double> times;
    for (int i = 0; i < changes; ++i) {
        const std::vector<uint8_t>& next = i % 2 == 0 ? s.play : s.title;
        auto start = std::chrono::steady_clock::now();
        vplat::sdl::Present({next.data(), kW, kH, kW, s.palette, 1});
        times.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        vplat::sdl::ResetPacing();
        vplat::sdl::PumpEvents();
        SDL_Delay(16);  // as a game's frames come, not back to back
    }
    vplat::sdl::Stop();
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    size_t over = std::count_if(times.begin(), times.end(), [](double t) { return t > kPeriodMs; });
    printf("changes:");
    for (double t : times) {
        printf(" %.2f", t);
    }
    printf(
        "\nscene change at %dx%d: median %.2f ms, range %.2f - %.2f ms, over %.1f ms: %zu of %d\n",
        w, h, sorted[sorted.size() / 2], sorted.front(), sorted.back(), kPeriodMs, over, changes);
    return 0;
}
