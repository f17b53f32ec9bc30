// What one whole frame of the game itself costs: RunFrame with the real
// images on the headless platform (scene, FPS text, flip and the kept copy of
// the presented frame), and the display set-up that loads the four images.
#include <benchmark/benchmark.h>
#include <velmora_platform.h>

#include "app.h"
#include "display.h"
#include "game.h"

namespace {

HWND StartGame() {
    vplat::ResetPlatform();
    g_sceneState = SCENE_TITLE_INIT;
    HWND window = CreateMainWindow(GetModuleHandleA(NULL), SW_SHOWDEFAULT);
    InitDisplay(window);
    // A count on the screen, so every frame draws the eight glyphs too.
    wsprintfA(g_fpsText, "%04d FPS", 60);
    return window;
}

void StopGame(HWND window) {
    DestroyWindow(window);
    vplat::ResetPlatform();
}

void BM_GameTitleFrame(benchmark::State& state) {
    HWND window = StartGame();
    for (auto _ : state) {
        RunFrame(window);
    }
    StopGame(window);
}
BENCHMARK(BM_GameTitleFrame);

void BM_GamePlayFrame(benchmark::State& state) {
    HWND window = StartGame();
    g_sceneState = SCENE_PLAY_INIT;
    RunFrame(window);
    for (auto _ : state) {
        RunFrame(window);
    }
    StopGame(window);
}
BENCHMARK(BM_GamePlayFrame);

void BM_DisplaySetUp(benchmark::State& state) {
    for (auto _ : state) {
        HWND window = StartGame();
        StopGame(window);
    }
}
BENCHMARK(BM_DisplaySetUp)->Unit(benchmark::kMillisecond);

}  // namespace
