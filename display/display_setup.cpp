// Taking the screen over: exclusive full screen 640 x 480 x 8, a flipping
// chain, the game palette and the four image surfaces.
#include "app.h"
#include "ddutil.h"
#include "display.h"

static HRESULT CreateFlippingChain() {
    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    return g_directDraw->CreateSurface(&desc, &g_primarySurface, NULL);
}

static HRESULT FindBackBuffer() {
    DDSCAPS2 caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    return g_primarySurface->GetAttachedSurface(&caps, &g_backBuffer);
}

// Loads one image into a new surface; keyed images get the transparent colour.
static bool LoadImageSurface(IDirectDrawSurface7** surface, const char* name, bool keyed,
                             const char* progress) {
    *surface = DDLoadBitmap(g_directDraw, name, 0, 0);
    if (*surface == NULL) {
        return false;
    }
    OutputDebugStringA(progress);
    if (keyed) {
        DDSetSourceColorKey(*surface, TRANSPARENT_COLOR);
    }
    return true;
}

static HRESULT CreateDisplay(HWND window) {
    HRESULT hr = DirectDrawCreateEx(NULL, (LPVOID*)&g_directDraw, IID_IDirectDraw7, NULL);
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "DirectDrawCreateEx FAILED");
    }
    OutputDebugStringA("DirectDrawCreateEx OK\n");

    hr = g_directDraw->SetCooperativeLevel(window,
                                           DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT);
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "SetCooperativeLevel FAILED");
    }
    OutputDebugStringA("SetCooperativeLevel OK\n");

    hr = g_directDraw->SetDisplayMode(DISPLAY_WIDTH, DISPLAY_HEIGHT, DISPLAY_BITS_PER_PIXEL, 0, 0);
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "SetDisplayMode FAILED");
    }
    OutputDebugStringA("SetDisplayMode OK\n");

    hr = CreateFlippingChain();
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "CreateSurface FAILED");
    }
    OutputDebugStringA("CreateSurface OK\n");

    hr = FindBackBuffer();
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "GetAttachedSurface FAILED");
    }
    OutputDebugStringA("GetAttachedSurface OK\n");
    return DD_OK;
}

static HRESULT CreatePaletteAndImages(HWND window) {
    g_palette = DDLoadPalette(g_directDraw, BACKIMG_NAME);
    if (g_palette == NULL) {
        return ReportInitFailure(window, DDERR_GENERIC, "DDLoadPalette FAILED");
    }
    OutputDebugStringA("DDLoadPalette OK\n");

    HRESULT hr = g_primarySurface->SetPalette(g_palette);
    if (hr != DD_OK) {
        return ReportInitFailure(window, hr, "SetPalette FAILED");
    }
    OutputDebugStringA("SetPalette OK\n");

    if (!LoadImageSurface(&g_backgroundSurface, BACKIMG_NAME, false,
                          "DDLoadBitmap BackImage OK\n")) {
        return ReportInitFailure(window, DDERR_GENERIC, "DDLoadBitmap BackImage FAILED");
    }
    if (!LoadImageSurface(&g_stringsSurface, STRINGS_NAME, true, "DDLoadBitmap Strings OK\n")) {
        return ReportInitFailure(window, DDERR_GENERIC, "DDLoadBitmap Strings FAILED");
    }
    if (!LoadImageSurface(&g_titleSurface, TITLE_NAME, true, "DDLoadBitmap Title OK\n")) {
        return ReportInitFailure(window, DDERR_GENERIC, "DDLoadBitmap Title FAILED");
    }
    if (!LoadImageSurface(&g_charaSurface, CHARA_NAME, true, "DDLoadBitmap Chara OK\n")) {
        return ReportInitFailure(window, DDERR_GENERIC, "DDLoadBitmap Chara FAILED");
    }
    return DD_OK;
}

HRESULT InitDisplay(HWND window) {
    HRESULT hr = CreateDisplay(window);
    if (hr != DD_OK) {
        return hr;
    }
    return CreatePaletteAndImages(window);
}
