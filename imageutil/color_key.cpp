// Turning RGB colours into surface pixel values, and source colour keys.
#include "ddutil.h"

// Reads the top-left pixel value through a lock, masked to the surface's depth.
static DWORD ReadTopLeftValue(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    HRESULT hr;
    while ((hr = surface->Lock(NULL, &desc, 0, NULL)) == DDERR_WASSTILLDRAWING) {
    }
    if (hr != DD_OK) {
        return CLR_INVALID;
    }
    DWORD value;
    memcpy(&value, desc.lpSurface, sizeof(value));
    if (desc.ddpfPixelFormat.dwRGBBitCount < 32) {
        value &= (1u << desc.ddpfPixelFormat.dwRGBBitCount) - 1;
    }
    surface->Unlock(NULL);
    return value;
}

// GDI converts the colour to the nearest one the surface can hold as it
// writes it; reading the stored value back gives the surface's encoding.
DWORD DDMatchColor(IDirectDrawSurface7* surface, COLORREF color) {
    COLORREF saved = CLR_INVALID;
    bool written = false;
    HDC dc;
    if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
        written = true;
    }
    DWORD result = ReadTopLeftValue(surface);
    if (written && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return result;
}

HRESULT DDSetSourceColorKey(IDirectDrawSurface7* surface, COLORREF color) {
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = DDMatchColor(surface, color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
