// Blt and BltFast: rectangle checks, then the pixel loops of pixels.cpp.
// Nothing is clipped: a rectangle that does not lie wholly inside its
// surface is refused and nothing is drawn.
#include "ddraw/objects.h"
#include "ddraw/pixels.h"

namespace vplat::ddraw {
namespace {

constexpr DWORD kBltFastFlags = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT;
constexpr DWORD kBltFlags = DDBLT_COLORFILL | DDBLT_KEYSRC | DDBLT_WAIT;

bool Inside(int64_t left, int64_t top, int64_t right, int64_t bottom, const Surface& surface) {
    return left >= 0 && top >= 0 && left < right && top < bottom && right <= surface.width &&
           bottom <= surface.height;
}

bool Inside(const RECT& rect, const Surface& surface) {
    return Inside(rect.left, rect.top, rect.right, rect.bottom, surface);
}

RECT Whole(const Surface& surface) {
    return RECT{0, 0, surface.width, surface.height};
}

uint32_t MaskToPixel(uint32_t value, int bitsPerPixel) {
    return bitsPerPixel >= 32 ? value : value & ((1u << bitsPerPixel) - 1);
}

HRESULT CheckUsable(const Surface& dest, const Surface* source) {
    if (dest.lost || (source != nullptr && source->lost)) {
        return DDERR_SURFACELOST;
    }
    if (dest.Busy() || (source != nullptr && source->Busy())) {
        return DDERR_SURFACEBUSY;
    }
    if (source != nullptr && source->bitsPerPixel != dest.bitsPerPixel) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    return DD_OK;
}

// The copy both blits share: source rectangle `from` to (x, y).
void CopyRect(Surface* dest, int x, int y, const Surface& source, const RECT& from, bool keyed) {
    uint32_t key = MaskToPixel(source.sourceKey.dwColorSpaceLowValue, source.bitsPerPixel);
    dest->memory.Copy(x, y, source.memory, from, keyed ? &key : nullptr);
}

bool FxSizeOk(const DDBLTFX* fx) {
    // 100 is the structure's size in 32-bit programs.
    return fx->dwSize == sizeof(DDBLTFX) || fx->dwSize == 100;
}

HRESULT ColorFill(Surface* dest, const RECT* destRect, const DDBLTFX* fx) {
    if (fx == nullptr || !FxSizeOk(fx)) {
        return DDERR_INVALIDPARAMS;
    }
    HRESULT hr = CheckUsable(*dest, nullptr);
    RECT area = destRect != nullptr ? *destRect : Whole(*dest);
    if (SUCCEEDED(hr) && !Inside(area, *dest)) {
        hr = DDERR_INVALIDRECT;
    }
    if (FAILED(hr)) {
        return hr;
    }
    dest->memory.Fill(area, MaskToPixel(fx->dwFillColor, dest->bitsPerPixel));
    return DD_OK;
}

HRESULT CopyBlt(Surface* dest, const RECT* destRect, Surface* source, const RECT* sourceRect,
                DWORD flags) {
    // Blt's source key has to exist (BltFast is more lenient); Wine, which
    // follows the real platform here, refuses the blit before looking further.
    if (source == nullptr || ((flags & DDBLT_KEYSRC) != 0 && !source->hasSourceKey)) {
        return DDERR_INVALIDPARAMS;
    }
    HRESULT hr = CheckUsable(*dest, source);
    if (FAILED(hr)) {
        return hr;
    }
    RECT from = sourceRect != nullptr ? *sourceRect : Whole(*source);
    RECT to = destRect != nullptr ? *destRect : Whole(*dest);
    if (!Inside(from, *source) || !Inside(to, *dest)) {
        return DDERR_INVALIDRECT;
    }
    if (to.right - to.left != from.right - from.left ||
        to.bottom - to.top != from.bottom - from.top) {
        return DDERR_UNSUPPORTED;  // no stretching in software
    }
    CopyRect(dest, to.left, to.top, *source, from, (flags & DDBLT_KEYSRC) != 0);
    return DD_OK;
}

}  // namespace

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT sourceRect,
                         DWORD trans) {
    auto args = [&] {
        return internal::Format("x=%u y=%u source=%p rect=%s trans=0x%x", x, y,
                                static_cast<void*>(source), RectText(sourceRect).c_str(), trans);
    };
    return entry::RunOn(entry::Name::BltFast, this, args, [&]() -> HRESULT {
        auto* from = static_cast<Surface*>(source);
        if (from == nullptr || (trans & ~kBltFastFlags) != 0) {
            return DDERR_INVALIDPARAMS;
        }
        if ((trans & DDBLTFAST_DESTCOLORKEY) != 0) {
            return DDERR_UNSUPPORTED;
        }
        HRESULT hr = CheckUsable(*this, from);
        if (FAILED(hr)) {
            return hr;
        }
        RECT area = sourceRect != nullptr ? *sourceRect : Whole(*from);
        int64_t right = int64_t{x} + (int64_t{area.right} - area.left);
        int64_t bottom = int64_t{y} + (int64_t{area.bottom} - area.top);
        if (!Inside(area, *from) || !Inside(x, y, right, bottom, *this)) {
            return DDERR_INVALIDRECT;
        }
        // A source without a key is copied whole, as if no key were asked for.
        bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) != 0 && from->hasSourceKey;
        CopyRect(this, static_cast<int>(x), static_cast<int>(y), *from, area, keyed);
        return DD_OK;
    });
}

HRESULT Surface::Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect, DWORD flags,
                     LPDDBLTFX fx) {
    auto args = [&] {
        return internal::Format("dest=%s source=%p rect=%s flags=0x%x fill=0x%x",
                                RectText(destRect).c_str(), static_cast<void*>(source),
                                RectText(sourceRect).c_str(), flags,
                                fx != nullptr ? fx->dwFillColor : 0u);
    };
    return entry::RunOn(entry::Name::Blt, this, args, [&]() -> HRESULT {
        if ((flags & ~kBltFlags) != 0) {
            return DDERR_UNSUPPORTED;
        }
        if ((flags & DDBLT_COLORFILL) != 0) {
            return ColorFill(this, destRect, fx);
        }
        return CopyBlt(this, destRect, static_cast<Surface*>(source), sourceRect, flags);
    });
}

}  // namespace vplat::ddraw
