// DirectDraw palettes: CreatePalette and the palette object.
#include <algorithm>

#include "ddraw/objects.h"

namespace vplat::ddraw {
namespace {

bool RangeOk(DWORD flags, DWORD base, DWORD count, const PALETTEENTRY* entries) {
    return flags == 0 && entries != nullptr && base <= 256 && count <= 256 - base;
}

// What an 8-bit surface shows when no palette is attached anywhere: a plain
// 3-3-2 colour cube, black at 0 and white at 255.
const PALETTEENTRY* DefaultColours() {
    static PALETTEENTRY colours[256];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 256; ++i) {
            colours[i].peRed = static_cast<BYTE>(((i >> 5) & 7) * 255 / 7);
            colours[i].peGreen = static_cast<BYTE>(((i >> 2) & 7) * 255 / 7);
            colours[i].peBlue = static_cast<BYTE>((i & 3) * 255 / 3);
        }
        made = true;
    }
    return colours;
}

}  // namespace

void ApplyReservedEntries(Palette* palette) {
    // Without DDPCAPS_ALLOW256 the platform keeps the first and last entries
    // for the system's black and white, whatever the table asked for.
    if ((palette->caps & DDPCAPS_ALLOW256) != 0) {
        return;
    }
    palette->entries[0] = PALETTEENTRY{0, 0, 0, 0};
    palette->entries[255] = PALETTEENTRY{255, 255, 255, 0};
}

const PALETTEENTRY* ColoursFor(const Surface& surface) {
    if (surface.palette != nullptr) {
        return surface.palette->entries;
    }
    Surface* primary = surface.owner != nullptr ? surface.owner->primary : nullptr;
    if (primary != nullptr && primary->palette != nullptr) {
        return primary->palette->entries;
    }
    return DefaultColours();
}

HRESULT DirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                                  IUnknown* outer) {
    auto args = [&] {
        return internal::Format("flags=0x%x entries=%p out=%p outer=%p", flags,
                                static_cast<void*>(entries), static_cast<void*>(palette),
                                static_cast<void*>(outer));
    };
    return entry::RunOn(entry::Name::CreatePalette, this, args, [&]() -> HRESULT {
        if (outer != nullptr) {
            return kNoAggregation;
        }
        if (palette == nullptr || entries == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *palette = nullptr;
        if (cooperativeLevel == 0) {
            return DDERR_NOCOOPERATIVELEVELSET;
        }
        if ((flags & DDPCAPS_8BIT) == 0) {
            return DDERR_INVALIDPARAMS;
        }
        auto* made = new Palette();
        made->owner = this;
        made->caps = flags;
        std::copy(entries, entries + 256, made->entries);
        ApplyReservedEntries(made);
        palettes.push_back(made);
        ++refs;  // a palette keeps its DirectDraw object alive
        *palette = made;
        return DD_OK;
    });
}

ULONG Palette::DropRef() {
    if (--refs > 0) {
        return refs;
    }
    DirectDraw* parent = owner;
    auto& list = parent->palettes;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    delete this;
    parent->DropRef();
    return 0;
}

HRESULT Palette::GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY out) {
    auto args = [&] { return internal::Format("flags=0x%x base=%u count=%u", flags, base, count); };
    return entry::RunOn(entry::Name::GetEntries, this, args, [&]() -> HRESULT {
        if (!RangeOk(flags, base, count, out)) {
            return DDERR_INVALIDPARAMS;
        }
        std::copy(entries + base, entries + base + count, out);
        return DD_OK;
    });
}

HRESULT Palette::SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY in) {
    auto args = [&] {
        return internal::Format("flags=0x%x start=%u count=%u", flags, start, count);
    };
    return entry::RunOn(entry::Name::SetEntries, this, args, [&]() -> HRESULT {
        if (!RangeOk(flags, start, count, in)) {
            return DDERR_INVALIDPARAMS;
        }
        std::copy(in, in + count, entries + start);
        ApplyReservedEntries(this);
        return DD_OK;
    });
}

}  // namespace vplat::ddraw
