// Copying into the back buffer and flipping, with retries on busy answers and
// recovery of lost surfaces.
#include "display.h"
#include "ddutil.h"

HRESULT BltFastRetry(IDirectDrawSurface7* dest, DWORD x, DWORD y, IDirectDrawSurface7* source,
                     LPRECT sourceRect, DWORD trans) {
    for (;;) {
        HRESULT hr = dest->BltFast(x, y, source, sourceRect, trans);
        if (hr == DD_OK) {
            return DD_OK;
        }
        // After a repaired loss this blit is dropped for the frame: the
        // surfaces hold freshly reloaded images, and the next frame redraws.
        if (hr == DDERR_SURFACELOST) {
            hr = RestoreSurfaces();
            if (hr != DD_OK) {
                return hr;
            }
        }
        if (hr != DDERR_WASSTILLDRAWING) {
            return hr;
        }
    }
}

void PresentFrame() {
    for (;;) {
        HRESULT hr = g_primarySurface->Flip(NULL, 0);
        if (hr == DD_OK) {
            return;
        }
        // The image surfaces are left to the next blit that finds them lost.
        if (hr == DDERR_SURFACELOST) {
            hr = g_primarySurface->Restore();
            if (hr != DD_OK) {
                return;
            }
        }
        if (hr != DDERR_WASSTILLDRAWING) {
            return;
        }
    }
}

HRESULT RestoreSurfaces() {
    HRESULT hr = g_primarySurface->Restore();
    if (hr != DD_OK) {
        return hr;
    }
    struct Image {
        IDirectDrawSurface7* surface;
        const char* name;
    };
    const Image images[] = {
        {g_backgroundSurface, BACKIMG_NAME},
        {g_stringsSurface, STRINGS_NAME},
        {g_titleSurface, TITLE_NAME},
        {g_charaSurface, CHARA_NAME},
    };
    for (const Image& image : images) {
        hr = image.surface->Restore();
        if (hr == DD_OK) {
            DDReloadBitmap(image.surface, image.name);
        }
    }
    return hr;
}
