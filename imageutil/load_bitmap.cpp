// Bringing bitmap images into DirectDraw surfaces through GDI.
#include "ddutil.h"

// An image name is a bitmap resource of the executable or, failing that, the
// path of a bitmap file.
static HBITMAP FindImage(LPCSTR name, int cx, int cy) {
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), name, IMAGE_BITMAP, cx, cy,
                                         LR_CREATEDIBSECTION);
    if (bitmap == NULL) {
        bitmap = (HBITMAP)LoadImageA(NULL, name, IMAGE_BITMAP, cx, cy,
                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    }
    return bitmap;
}

IDirectDrawSurface7* DDLoadBitmap(IDirectDraw7* dd, LPCSTR name, int dx, int dy) {
    HBITMAP bitmap = FindImage(name, dx, dy);
    if (bitmap == NULL) {
        return NULL;
    }
    BITMAP info;
    ZeroMemory(&info, sizeof(info));
    GetObjectA(bitmap, sizeof(info), &info);

    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = info.bmWidth;
    desc.dwHeight = info.bmHeight;

    IDirectDrawSurface7* surface = NULL;
    if (dd->CreateSurface(&desc, &surface, NULL) != DD_OK) {
        DeleteObject(bitmap);
        return NULL;
    }
    DDCopyBitmap(surface, bitmap, 0, 0, 0, 0);
    DeleteObject(bitmap);
    return surface;
}

HRESULT DDReloadBitmap(IDirectDrawSurface7* surface, LPCSTR name) {
    HBITMAP bitmap = FindImage(name, 0, 0);
    if (bitmap == NULL) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }
    HRESULT hr = DDCopyBitmap(surface, bitmap, 0, 0, 0, 0);
    if (hr != DD_OK) {
        OutputDebugStringA("ddcopybitmap failed\n");
    }
    DeleteObject(bitmap);
    return hr;
}

HRESULT DDCopyBitmap(IDirectDrawSurface7* surface, HBITMAP bitmap, int x, int y, int dx, int dy) {
    if (bitmap == NULL || surface == NULL) {
        return E_FAIL;
    }
    surface->Restore();

    HDC imageDC = CreateCompatibleDC(NULL);
    if (imageDC == NULL) {
        OutputDebugStringA("createcompatible dc failed\n");
    }
    SelectObject(imageDC, bitmap);

    BITMAP info;
    ZeroMemory(&info, sizeof(info));
    GetObjectA(bitmap, sizeof(info), &info);
    if (dx == 0) {
        dx = info.bmWidth;
    }
    if (dy == 0) {
        dy = info.bmHeight;
    }

    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    if (surface->GetSurfaceDesc(&desc) != DD_OK) {
        // Without the surface's size, copy one to one; the surface DC clips.
        desc.dwWidth = dx;
        desc.dwHeight = dy;
    }

    HDC surfaceDC = NULL;
    HRESULT hr = surface->GetDC(&surfaceDC);
    if (hr == DD_OK) {
        StretchBlt(surfaceDC, 0, 0, desc.dwWidth, desc.dwHeight, imageDC, x, y, dx, dy, SRCCOPY);
        surface->ReleaseDC(surfaceDC);
    }
    DeleteDC(imageDC);
    return hr;
}
