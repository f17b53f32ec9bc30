// StretchBlt, GetPixel and SetPixel on memory and surface DCs.
#include "core/entry.h"
#include "internal.h"
#include "gdi/gdi.h"

namespace entry = vplat::entry;
using vplat::internal::Format;

BOOL WINAPI StretchBlt(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                       int srcX, int srcY, int srcWidth, int srcHeight, DWORD rop) {
    auto args = [&] {
        return Format("dest=%p %d,%d %dx%d source=%p %d,%d %dx%d rop=0x%08x",
                      static_cast<void*>(dest), destX, destY, destWidth, destHeight,
                      static_cast<void*>(source), srcX, srcY, srcWidth, srcHeight, rop);
    };
    return entry::Run(entry::Name::StretchBlt, args, [&]() -> BOOL {
        vplat::gdi::PixelView* to = vplat::gdi::DcPixels(dest);
        vplat::gdi::PixelView* from = vplat::gdi::DcPixels(source);
        // Only plain copies are needed; other raster operations are refused
        // rather than drawn wrongly.
        if (to == nullptr || from == nullptr || rop != SRCCOPY || srcWidth == 0 || srcHeight == 0) {
            return FALSE;
        }
        vplat::gdi::StretchPixels(*to, destX, destY, destWidth, destHeight, *from, srcX, srcY,
                                  srcWidth, srcHeight);
        return TRUE;
    });
}

namespace {

bool Inside(const vplat::gdi::PixelView& view, int x, int y) {
    return x >= 0 && y >= 0 && x < view.width && y < view.height;
}

}  // namespace

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    auto args = [&] { return Format("dc=%p x=%d y=%d", static_cast<void*>(dc), x, y); };
    return entry::Run(entry::Name::GetPixel, args, [&]() -> COLORREF {
        const vplat::gdi::PixelView* view = vplat::gdi::DcPixels(dc);
        if (view == nullptr || !Inside(*view, x, y)) {
            return CLR_INVALID;
        }
        return vplat::gdi::DecodeRaw(*view, vplat::gdi::ReadRaw(*view, x, y));
    });
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
    auto args = [&] {
        return Format("dc=%p x=%d y=%d color=0x%08x", static_cast<void*>(dc), x, y, color);
    };
    return entry::Run(entry::Name::SetPixel, args, [&]() -> COLORREF {
        const vplat::gdi::PixelView* view = vplat::gdi::DcPixels(dc);
        if (view == nullptr || !Inside(*view, x, y)) {
            return CLR_INVALID;
        }
        uint32_t raw = vplat::gdi::EncodeColor(*view, color);
        vplat::gdi::WriteRaw(*view, x, y, raw);
        return vplat::gdi::DecodeRaw(*view, raw);  // the colour actually set
    });
}
