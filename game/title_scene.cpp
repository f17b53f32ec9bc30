// The title screen: a dark fill, the lettering and the start prompt.
#include "display.h"
#include "game.h"

RECT g_titleLogoRect;
RECT g_titlePromptRect;

// Palette index of the near-black blue behind the title.
static const DWORD TITLE_FILL_INDEX = 128;

void InitTitleScene(HWND window) {
    (void)window;
    SetRect(&g_titleLogoRect, 0, 0, 640, 100);
    SetRect(&g_titlePromptRect, 0, 100, 640, 135);
    g_sceneState = SCENE_TITLE;
}

void UpdateTitleScene(HWND window) {
    DDBLTFX fx;
    ZeroMemory(&fx, sizeof(fx));
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = TITLE_FILL_INDEX;
    g_backBuffer->Blt(NULL, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, &fx);

    if (BltFastRetry(g_backBuffer, 0, 100, g_titleSurface, &g_titleLogoRect,
                     DDBLTFAST_SRCCOLORKEY) != DD_OK) {
        return;
    }
    if (BltFastRetry(g_backBuffer, 0, 350, g_titleSurface, &g_titlePromptRect,
                     DDBLTFAST_SRCCOLORKEY) != DD_OK) {
        return;
    }
    KeyState keys;
    if (ReadTitleKeys(window, keys) == 0) {
        return;
    }
    if (keys[VK_SPACE] == 1) {
        g_sceneState = SCENE_PLAY_INIT;
    }
}
