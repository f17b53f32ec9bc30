// GetDC on a surface: a real device context of gdi32 over a DIB section
// that holds the surface's pixels while the DC is out, with the surface's
// colours as its colour table, so text, StretchBlt and colour matching are
// the system's own to the pixel. ReleaseDC writes the pixels back.
#include <windows.h>

#include <cstring>
#include <map>

#include "internal.h"

namespace vplat::internal {
namespace {

struct SurfaceDC {
    uint8_t* pixels;  // the surface's memory
    int pitch;
    int height;
    int rowBytes;  // what a row of the surface holds
    int dibPitch;  // a DIB row: whole 32-bit words
    uint8_t* dibBits;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

std::map<HDC, SurfaceDC>& Open() {
    static std::map<HDC, SurfaceDC> open;
    return open;
}

struct Header {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

Header Describe(int width, int height, int bitsPerPixel, const PALETTEENTRY* palette) {
    Header info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down, as surface memory is
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (palette != nullptr) {
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            info.colours[i] = RGBQUAD{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
        }
    }
    return info;
}

void CopyRows(uint8_t* to, int toPitch, const uint8_t* from, int fromPitch, int rows, int bytes) {
    for (int y = 0; y < rows; ++y) {
        memcpy(to + static_cast<size_t>(y) * toPitch, from + static_cast<size_t>(y) * fromPitch,
               bytes);
    }
}

}  // namespace

HDC CreateSurfaceDC(uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel,
                    const PALETTEENTRY* palette) {
    // 16-bit DIBs would be 5-5-5, not the surfaces' 5-6-5: not offered.
    if (bitsPerPixel != 8 && bitsPerPixel != 32) {
        return nullptr;
    }
    Header info = Describe(width, height, bitsPerPixel, palette);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = bitmap != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
    if (dc == nullptr) {
        DeleteObject(bitmap);
        return nullptr;
    }
    int rowBytes = width * bitsPerPixel / 8;
    SurfaceDC open = {pixels,
                      pitch,
                      height,
                      rowBytes,
                      (rowBytes + 3) & ~3,
                      static_cast<uint8_t*>(bits),
                      bitmap,
                      SelectObject(dc, bitmap)};
    CopyRows(open.dibBits, open.dibPitch, pixels, pitch, height, rowBytes);
    Open()[dc] = open;
    return dc;
}

void DestroySurfaceDC(HDC dc) {
    auto found = Open().find(dc);
    if (found == Open().end()) {
        return;
    }
    const SurfaceDC& open = found->second;
    GdiFlush();
    CopyRows(open.pixels, open.pitch, open.dibBits, open.dibPitch, open.height, open.rowBytes);
    SelectObject(dc, open.previous);
    DeleteDC(dc);
    DeleteObject(open.bitmap);
    Open().erase(found);
}

}  // namespace vplat::internal
