// The display: DirectDraw objects, set-up, presentation, recovery, teardown.
#pragma once

#include <windows.h>
#include <ddraw.h>

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
