// Copying into the back buffer and flipping, with retries on busy answers and
// recovery of lost surfaces.
#include "display.h"
#include "ddutil.h"

// Brings the primary surface (and its back buffer) back. A primary made in
// the game's mode cannot come back in another one: where the platform has
// put the desktop's mode in force when another program took the front and
// does not set the game's mode again when the game returns (Wine does
// this), Restore answers DDERR_WRONGMODE for ever. Then the game sets its
// own mode again, restores once more, and attaches its palette again, so
// that the screen shows the game's colours whatever the mode change did to
// the hardware palette (Wine keeps them; a display adapter need not).
// Only while the game's window is the active one: frames go on running
// while another program is in front, and setting the mode then would take
// the screen from under that program. A platform that sets the mode back
// itself never answers DDERR_WRONGMODE here, and nothing changes for it.
static HRESULT RestorePrimary() {
    HRESULT hr = g_primarySurface->Restore();
    if (hr != DDERR_WRONGMODE || GetActiveWindow() == NULL) {
        return hr;
    }
    if (g_directDraw->SetDisplayMode(DISPLAY_WIDTH, DISPLAY_HEIGHT, DISPLAY_BITS_PER_PIXEL, 0, 0) !=
        DD_OK) {
        return hr;
    }
    hr = g_primarySurface->Restore();
    if (hr == DD_OK) {
        g_primarySurface->SetPalette(g_palette);
    }
    return hr;
}

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
            hr = RestorePrimary();
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
    HRESULT hr = RestorePrimary();
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
