// StretchBlt, GetPixel and SetPixel on memory and surface DCs.
#include "gdi/gdi.h"
#include "kernel/call_record.h"

using vplat::internal::Format;

BOOL WINAPI StretchBlt(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                       int srcX, int srcY, int srcWidth, int srcHeight, DWORD rop) {
    std::string args = Format("dest=%p %d,%d %dx%d source=%p %d,%d %dx%d rop=0x%08x",
                              static_cast<void*>(dest), destX, destY, destWidth, destHeight,
                              static_cast<void*>(source), srcX, srcY, srcWidth, srcHeight, rop);
    BOOL result = FALSE;
    if (vplat::calls::Faulted("StretchBlt", args, &result)) {
        return result;
    }
    vplat::gdi::PixelView* to = vplat::gdi::DcPixels(dest);
    vplat::gdi::PixelView* from = vplat::gdi::DcPixels(source);
    // Only plain copies are needed; other raster operations are refused
    // rather than drawn wrongly.
    if (to != nullptr && from != nullptr && rop == SRCCOPY && srcWidth != 0 && srcHeight != 0) {
        vplat::gdi::StretchPixels(*to, destX, destY, destWidth, destHeight, *from, srcX, srcY,
                                  srcWidth, srcHeight);
        result = TRUE;
    }
    return vplat::calls::Done("StretchBlt", args, result);
}

namespace {

bool Inside(const vplat::gdi::PixelView& view, int x, int y) {
    return x >= 0 && y >= 0 && x < view.width && y < view.height;
}

}  // namespace

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    std::string args = Format("dc=%p x=%d y=%d", static_cast<void*>(dc), x, y);
    COLORREF result = CLR_INVALID;
    if (vplat::calls::Faulted("GetPixel", args, &result)) {
        return result;
    }
    const vplat::gdi::PixelView* view = vplat::gdi::DcPixels(dc);
    if (view != nullptr && Inside(*view, x, y)) {
        result = vplat::gdi::DecodeRaw(*view, vplat::gdi::ReadRaw(*view, x, y));
    }
    return vplat::calls::Done("GetPixel", args, result);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
    std::string args = Format("dc=%p x=%d y=%d color=0x%08x", static_cast<void*>(dc), x, y, color);
    COLORREF result = CLR_INVALID;
    if (vplat::calls::Faulted("SetPixel", args, &result)) {
        return result;
    }
    const vplat::gdi::PixelView* view = vplat::gdi::DcPixels(dc);
    if (view != nullptr && Inside(*view, x, y)) {
        uint32_t raw = vplat::gdi::EncodeColor(*view, color);
        vplat::gdi::WriteRaw(*view, x, y, raw);
        result = vplat::gdi::DecodeRaw(*view, raw);  // the colour actually set
    }
    return vplat::calls::Done("SetPixel", args, result);
}
