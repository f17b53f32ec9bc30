// The play scene: the background picture and one sprite moved by the arrows.
#include "display.h"
#include "game.h"

RECT g_screenRect = {0, 0, 640, 480};
RECT g_fieldRect = {150, 0, 630, 480};
RECT g_charaSrcRect;
int g_charaX = 0;
int g_charaY = 0;

// The sprite's size, for keeping it wholly inside the field.
static const int CHARA_SIZE = 8;

void InitPlayScene(HWND window) {
    (void)window;
    SetRect(&g_charaSrcRect, 0, 104, 8, 112);
    g_charaX = g_fieldRect.left + 236;
    g_charaY = 400;
    g_sceneState = SCENE_PLAY;
}

static void MoveChara(const BYTE* keys) {
    if (keys[VK_LEFT] == 1) {
        g_charaX--;
    }
    if (keys[VK_RIGHT] == 1) {
        g_charaX++;
    }
    if (keys[VK_UP] == 1) {
        g_charaY--;
    }
    if (keys[VK_DOWN] == 1) {
        g_charaY++;
    }
}

// A sprite that leaves the field on one side comes back on the other.
static void WrapChara() {
    if (g_charaX < g_fieldRect.left) {
        g_charaX = g_fieldRect.right - CHARA_SIZE;
    }
    if (g_charaX > g_fieldRect.right - CHARA_SIZE) {
        g_charaX = g_fieldRect.left;
    }
    if (g_charaY < g_fieldRect.top) {
        g_charaY = g_fieldRect.bottom - CHARA_SIZE;
    }
    if (g_charaY > g_fieldRect.bottom - CHARA_SIZE) {
        g_charaY = g_fieldRect.top;
    }
}

void UpdatePlayScene(HWND window) {
    if (BltFastRetry(g_backBuffer, 0, 0, g_backgroundSurface, &g_screenRect,
                     DDBLTFAST_NOCOLORKEY) != DD_OK) {
        return;
    }
    if (BltFastRetry(g_backBuffer, g_charaX, g_charaY, g_charaSurface, &g_charaSrcRect,
                     DDBLTFAST_SRCCOLORKEY) != DD_OK) {
        return;
    }
    KeyState keys;
    if (ReadPlayKeys(window, keys) == 0) {
        return;
    }
    MoveChara(keys);
    WrapChara();
    if (keys[(BYTE)'S'] == 1) {
        g_sceneState = SCENE_TITLE_INIT;
    }
}
