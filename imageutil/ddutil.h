// Image utilities: bitmaps into DirectDraw surfaces, palettes from bitmaps,
// colours into surface pixel values, colour keys. Stateless.
#pragma once

#include <windows.h>
#include <ddraw.h>

IDirectDrawSurface7* DDLoadBitmap(IDirectDraw7* dd, LPCSTR name, int dx, int dy);
HRESULT DDReloadBitmap(IDirectDrawSurface7* surface, LPCSTR name);
HRESULT DDCopyBitmap(IDirectDrawSurface7* surface, HBITMAP bitmap, int x, int y, int dx, int dy);
IDirectDrawPalette* DDLoadPalette(IDirectDraw7* dd, LPCSTR name);
DWORD DDMatchColor(IDirectDrawSurface7* surface, COLORREF color);
HRESULT DDSetSourceColorKey(IDirectDrawSurface7* surface, COLORREF color);
