// The display: DirectDraw objects, set-up, presentation, recovery, teardown.
#pragma once

#include <windows.h>
#include <ddraw.h>

// The display mode the game runs in: set at start-up, and again when the
// platform has put another mode in its place.
const DWORD DISPLAY_WIDTH = 640;
const DWORD DISPLAY_HEIGHT = 480;
const DWORD DISPLAY_BITS_PER_PIXEL = 8;

// RGB 21, 141, 91: the one colour that keyed blits leave out.
const COLORREF TRANSPARENT_COLOR = 0x005B8D15;

// The images, by the names they are loaded under at set-up and reloaded under
// after surface loss.
extern const char BACKIMG_NAME[];
extern const char STRINGS_NAME[];
extern const char TITLE_NAME[];
extern const char CHARA_NAME[];

extern IDirectDraw7* g_directDraw;
extern IDirectDrawSurface7* g_primarySurface;
// Part of the primary surface's flipping chain: never released on its own.
extern IDirectDrawSurface7* g_backBuffer;
extern IDirectDrawPalette* g_palette;
extern IDirectDrawSurface7* g_backgroundSurface;
extern IDirectDrawSurface7* g_stringsSurface;
extern IDirectDrawSurface7* g_titleSurface;
extern IDirectDrawSurface7* g_charaSurface;

HRESULT InitDisplay(HWND window);
HRESULT BltFastRetry(IDirectDrawSurface7* dest, DWORD x, DWORD y, IDirectDrawSurface7* source,
                     LPRECT sourceRect, DWORD trans);
void PresentFrame();
HRESULT RestoreSurfaces();
void ReleaseDisplayObjects();
