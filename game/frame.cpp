// One frame: the scene that the state selects, the frame count, the
// once-a-second FPS text, and the flip.
#include "display.h"
#include "game.h"

BYTE g_sceneState = SCENE_TITLE_INIT;
DWORD g_currentTick = 0;
DWORD g_lastFpsTick = 0;
int g_frameCount = 0;
char g_fpsText[128] = {0};

static const DWORD FPS_INTERVAL_MS = 1000;

static void RunScene(HWND window) {
    switch (g_sceneState) {
        case SCENE_TITLE_INIT:
            InitTitleScene(window);
            UpdateTitleScene(window);
            break;
        case SCENE_TITLE:
            UpdateTitleScene(window);
            break;
        case SCENE_PLAY_INIT:
            InitPlayScene(window);
            UpdatePlayScene(window);
            break;
        case SCENE_PLAY:
            UpdatePlayScene(window);
            break;
        default:
            break;
    }
}

void RunFrame(HWND window) {
    g_currentTick = GetTickCount();
    RunScene(window);
    g_frameCount++;
    // Unsigned, so the interval stays right when the millisecond counter wraps.
    if (g_currentTick - g_lastFpsTick >= FPS_INTERVAL_MS) {
        g_lastFpsTick = g_currentTick;
        wsprintfA(g_fpsText, "%04d FPS", g_frameCount);
        g_frameCount = 0;
    }
    if (DrawFpsText() != DD_OK) {
        return;
    }
    PresentFrame();
}
