// The game: the frame update with its scene states, keyboard sampling, the
// title and play scenes, and the frames-per-second text.
#pragma once

#include <windows.h>

const BYTE SCENE_TITLE_INIT = 10;
const BYTE SCENE_TITLE = 11;
const BYTE SCENE_PLAY_INIT = 30;
const BYTE SCENE_PLAY = 31;

// One byte per virtual-key code: 1 = the key counted as down.
typedef BYTE KeyState[256];

extern BYTE g_sceneState;
extern DWORD g_currentTick;
extern DWORD g_lastFpsTick;
extern int g_frameCount;
extern char g_fpsText[128];

extern RECT g_titleLogoRect;
extern RECT g_titlePromptRect;
extern RECT g_screenRect;
extern RECT g_fieldRect;
extern RECT g_charaSrcRect;
extern int g_charaX;
extern int g_charaY;
extern RECT g_glyphRect;

void RunFrame(HWND window);
int ReadTitleKeys(HWND window, BYTE* keys);
int ReadPlayKeys(HWND window, BYTE* keys);
void InitTitleScene(HWND window);
void UpdateTitleScene(HWND window);
void InitPlayScene(HWND window);
void UpdatePlayScene(HWND window);
HRESULT DrawFpsText();
