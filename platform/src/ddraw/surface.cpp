// Surface object: references, attachment, description, loss and restoring,
// palette and colour key.
#include "ddraw/objects.h"

namespace vplat::ddraw {
namespace {

bool MatchesMode(const Surface& surface) {
    const DirectDraw& owner = *surface.owner;
    return surface.width == owner.modeWidth && surface.height == owner.modeHeight &&
           surface.bitsPerPixel == owner.modeBitsPerPixel;
}

void RestoreOne(Surface* surface) {
    if (surface->lost) {
        FillWithJunk(surface);
        surface->lost = false;
    }
}

}  // namespace

ULONG Surface::DropRef() {
    if (refs == 0) {
        return 0;
    }
    if (--refs > 0) {
        return refs;
    }
    // A back buffer lives as long as its front buffer, whatever its count.
    if (IsImplicit()) {
        return 0;
    }
    DirectDraw* parent = owner;
    DestroySurface(this);
    parent->DropRef();
    return 0;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 wanted, IDirectDrawSurface7** surface) {
    auto args = [&] {
        return wanted == nullptr ? std::string("caps=null")
                                 : internal::Format("caps=0x%x", wanted->dwCaps);
    };
    return entry::RunOn(entry::Name::GetAttachedSurface, this, args, [&]() -> HRESULT {
        if (wanted == nullptr || surface == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *surface = nullptr;
        // A flipping chain is a ring: each member has the next one attached.
        for (size_t i = 0; i < chain.size(); ++i) {
            if (chain[i] != this || chain.size() < 2) {
                continue;
            }
            Surface* next = chain[(i + 1) % chain.size()];
            if ((next->caps & wanted->dwCaps) != wanted->dwCaps) {
                break;
            }
            ++next->refs;
            *surface = next;
            return DD_OK;
        }
        return DDERR_NOTFOUND;
    });
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
    return entry::RunOn(entry::Name::GetSurfaceDesc, this, entry::NoArgs, [&]() -> HRESULT {
        if (desc == nullptr || !DescriptionSizeOk(desc->dwSize)) {
            return DDERR_INVALIDPARAMS;
        }
        DescribeSurface(*this, desc);
        return DD_OK;
    });
}

HRESULT Surface::IsLost() {
    return entry::RunOn(entry::Name::IsLost, this, entry::NoArgs,
                        [&]() -> HRESULT { return lost ? DDERR_SURFACELOST : DD_OK; });
}

HRESULT Surface::Restore() {
    return entry::RunOn(entry::Name::Restore, this, entry::NoArgs, [&]() -> HRESULT {
        if (IsImplicit()) {
            return DDERR_IMPLICITLYCREATED;
        }
        if ((caps & DDSCAPS_PRIMARYSURFACE) != 0 && !MatchesMode(*this)) {
            return DDERR_WRONGMODE;
        }
        if (chain.empty()) {
            RestoreOne(this);
        }
        for (Surface* member : chain) {
            RestoreOne(member);
        }
        return DD_OK;
    });
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE given) {
    auto args = [&] { return internal::Format("palette=%p", static_cast<void*>(given)); };
    return entry::RunOn(entry::Name::SetPalette, this, args, [&]() -> HRESULT {
        if (bitsPerPixel != 8) {
            return DDERR_INVALIDPIXELFORMAT;
        }
        auto* next = static_cast<Palette*>(given);
        if (next != nullptr) {
            ++next->refs;
        }
        if (palette != nullptr) {
            palette->DropRef();
        }
        palette = next;
        return DD_OK;
    });
}

HRESULT Surface::GetPalette(LPDIRECTDRAWPALETTE* out) {
    return entry::RunOn(entry::Name::GetPalette, this, entry::NoArgs, [&]() -> HRESULT {
        if (out == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *out = palette;
        if (palette == nullptr) {
            return DDERR_NOPALETTEATTACHED;
        }
        ++palette->refs;
        return DD_OK;
    });
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    auto args = [&] {
        return key == nullptr
                   ? internal::Format("flags=0x%x key=null", flags)
                   : internal::Format("flags=0x%x low=0x%x high=0x%x", flags,
                                      key->dwColorSpaceLowValue, key->dwColorSpaceHighValue);
    };
    return entry::RunOn(entry::Name::SetColorKey, this, args, [&]() -> HRESULT {
        DWORD kind = flags & ~DDCKEY_COLORSPACE;
        if (kind == DDCKEY_DESTBLT) {
            return DDERR_UNSUPPORTED;
        }
        if (kind != DDCKEY_SRCBLT) {
            return DDERR_INVALIDPARAMS;
        }
        if (key == nullptr) {
            hasSourceKey = false;
            return DD_OK;
        }
        // Only single-value keys: a range would need hardware that compares
        // against both bounds.
        bool range = (flags & DDCKEY_COLORSPACE) != 0 &&
                     key->dwColorSpaceLowValue != key->dwColorSpaceHighValue;
        if (range) {
            return DDERR_UNSUPPORTED;
        }
        hasSourceKey = true;
        sourceKey.dwColorSpaceLowValue = key->dwColorSpaceLowValue;
        sourceKey.dwColorSpaceHighValue = key->dwColorSpaceLowValue;
        return DD_OK;
    });
}

HRESULT Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    auto args = [&] { return internal::Format("flags=0x%x", flags); };
    return entry::RunOn(entry::Name::GetColorKey, this, args, [&]() -> HRESULT {
        if (key == nullptr || (flags != DDCKEY_SRCBLT && flags != DDCKEY_DESTBLT)) {
            return DDERR_INVALIDPARAMS;
        }
        if (flags == DDCKEY_DESTBLT || !hasSourceKey) {
            return DDERR_NOCOLORKEY;
        }
        *key = sourceKey;
        return DD_OK;
    });
}

}  // namespace vplat::ddraw
