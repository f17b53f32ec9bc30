// The SDL present of one frame (palette conversion into the streaming
// texture, scaled copy, present), for the software and the OpenGL renderer.
// Skipped, with a message, where there is no display. Pacing to the display
// refresh is part of a real present, so VELMORA_WINDOWED windows are used and
// the figure is the time the present takes on the processor.
#include <benchmark/benchmark.h>
#include <velmora_platform.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "../platform/src/backend/backends.h"
#include "../platform/src/backend/sdl/state.h"

namespace {

void PresentWith(benchmark::State& state, const char* driver) {
    std::string error;
    setenv("VELMORA_WINDOWED", "1", 1);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver);
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");  // measure the work, not the wait for the display
    if (!vplat::sdl::Start(&error)) {
        state.SkipWithError(("no display: " + error).c_str());
        return;
    }
    vplat::sdl::TakeDisplay(nullptr, 640, 480);
    vplat::sdl::Screen& screen = vplat::sdl::TheScreen();
    if (screen.renderer == nullptr) {
        state.SkipWithError("renderer not available");
        vplat::sdl::Stop();
        return;
    }
    SDL_RendererInfo info;
    SDL_GetRendererInfo(screen.renderer, &info);
    state.SetLabel(info.name);
    std::vector<uint8_t> frame(640 * 480);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i * 13 + i / 640);
    }
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 9, 0};
    }
    for (auto _ : state) {
        vplat::sdl::Present(frame.data(), 640, 480, 640, palette);
        vplat::sdl::PumpEvents();
        vplat::sdl::ResetPacing();  // the present's own cost, not the wait for the display
    }
    vplat::sdl::Stop();
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, nullptr);
}

void BM_SdlPresentSoftware(benchmark::State& state) {
    PresentWith(state, "software");
}
BENCHMARK(BM_SdlPresentSoftware)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_SdlPresentOpenGl(benchmark::State& state) {
    PresentWith(state, "opengl");
}
BENCHMARK(BM_SdlPresentOpenGl)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace
