// Direct access to a surface's memory: Lock/Unlock and the GDI device
// context of GetDC/ReleaseDC.
#include "ddraw/objects.h"

namespace vplat::ddraw {
namespace {

bool RectInside(const RECT& rect, const Surface& surface) {
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= surface.width && rect.bottom <= surface.height;
}

void PresentIfVisible(const Surface& surface);

}  // namespace

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) {
    auto args = [&] {
        return internal::Format("rect=%s flags=0x%x event=%p", RectText(rect).c_str(), flags,
                                event);
    };
    return entry::RunOn(entry::Name::Lock, this, args, [&]() -> HRESULT {
        if (desc == nullptr || !DescriptionSizeOk(desc->dwSize) ||
            (rect != nullptr && !RectInside(*rect, *this))) {
            return DDERR_INVALIDPARAMS;
        }
        if (lost) {
            return DDERR_SURFACELOST;
        }
        if (Busy()) {
            return DDERR_SURFACEBUSY;
        }
        DescribeSurface(*this, desc);
        desc->dwFlags |= DDSD_LPSURFACE;
        size_t offset = 0;
        if (rect != nullptr) {
            offset = static_cast<size_t>(rect->top) * pitch +
                     static_cast<size_t>(rect->left) * BytesPerPixel();
        }
        desc->lpSurface = memory.Writable() + offset;
        locked = true;
        return DD_OK;
    });
}

HRESULT Surface::Unlock(LPRECT rect) {
    auto args = [&] { return internal::Format("rect=%s", RectText(rect).c_str()); };
    return entry::RunOn(entry::Name::Unlock, this, args, [&]() -> HRESULT {
        if (!locked) {
            return DDERR_NOTLOCKED;
        }
        locked = false;
        PresentIfVisible(*this);
        return DD_OK;
    });
}

HRESULT Surface::GetDC(HDC* out) {
    return entry::RunOn(entry::Name::GetDC, this, entry::NoArgs, [&]() -> HRESULT {
        if (out == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        if (lost) {
            return DDERR_SURFACELOST;
        }
        if (dc != nullptr) {
            return DDERR_DCALREADYCREATED;
        }
        if (locked) {
            return DDERR_SURFACEBUSY;
        }
        const PALETTEENTRY* colours = bitsPerPixel == 8 ? ColoursFor(*this) : nullptr;
        dc = internal::CreateSurfaceDC(memory.Writable(), width, height, pitch, bitsPerPixel,
                                       colours);
        if (dc == nullptr) {
            return DDERR_CANTCREATEDC;
        }
        *out = dc;
        return DD_OK;
    });
}

HRESULT Surface::ReleaseDC(HDC given) {
    auto args = [&] { return internal::Format("dc=%p", static_cast<void*>(given)); };
    return entry::RunOn(entry::Name::ReleaseDC, this, args, [&]() -> HRESULT {
        if (dc == nullptr) {
            return DDERR_NODC;
        }
        if (given != dc) {
            return DDERR_INVALIDPARAMS;
        }
        internal::DestroySurfaceDC(dc);
        dc = nullptr;
        PresentIfVisible(*this);
        return DD_OK;
    });
}

namespace {

// What is written straight into the visible surface shows at once.
void PresentIfVisible(const Surface& surface) {
    if ((surface.caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        PresentSurface(surface);
    }
}

}  // namespace
}  // namespace vplat::ddraw
