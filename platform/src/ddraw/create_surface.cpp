// CreateSurface: the primary flipping chain and offscreen plain surfaces, and
// the surface bookkeeping that creation and destruction share.
#include <algorithm>
#include <new>

#include "ddraw/objects.h"

namespace vplat::ddraw {
namespace {

// No display adapter offers larger surfaces; anything beyond is a corrupt
// description, not a request to honour.
constexpr int kMaxSide = 16384;
constexpr size_t kMaxBytes = size_t{1} << 26;  // 4096 x 4096 at 32 bits
constexpr DWORD kMaxBackBuffers = 8;
constexpr DWORD kVideoMemory = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;

int PitchFor(int width, int bitsPerPixel) {
    // Rows start on 16-byte boundaries, as display memory rows do, so the
    // pitch differs from the width for widths that are not multiples of 16.
    int rowBytes = width * (bitsPerPixel / 8);
    return (rowBytes + 15) & ~15;
}

bool PixelFormatBits(const DDPIXELFORMAT& format, int* bitsPerPixel) {
    DWORD bits = format.dwRGBBitCount;
    bool indexed = (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
    bool rgb = (format.dwFlags & DDPF_RGB) != 0;
    if ((bits == 8 && indexed) || ((bits == 16 || bits == 32) && rgb && !indexed)) {
        *bitsPerPixel = static_cast<int>(bits);
        return true;
    }
    return false;
}

HRESULT CheckPlainDescription(const DDSURFACEDESC2& desc, int* bitsPerPixel) {
    const DWORD chainCaps =
        DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    DWORD caps = desc.ddsCaps.dwCaps;
    if ((caps & chainCaps) != 0 || (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0 ||
        ((caps & DDSCAPS_SYSTEMMEMORY) != 0 && (caps & DDSCAPS_VIDEOMEMORY) != 0)) {
        return DDERR_INVALIDCAPS;
    }
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
        desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > kMaxSide ||
        desc.dwHeight > kMaxSide) {
        return DDERR_INVALIDPARAMS;
    }
    if ((desc.dwFlags & DDSD_PIXELFORMAT) != 0 &&
        !PixelFormatBits(desc.ddpfPixelFormat, bitsPerPixel)) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    size_t bytes = static_cast<size_t>(PitchFor(static_cast<int>(desc.dwWidth), *bitsPerPixel)) *
                   desc.dwHeight;
    return bytes > kMaxBytes ? DDERR_OUTOFMEMORY : DD_OK;
}

HRESULT CheckPrimaryDescription(const DirectDraw& owner, const DDSURFACEDESC2& desc) {
    DWORD caps = desc.ddsCaps.dwCaps;
    bool flip = (caps & DDSCAPS_FLIP) != 0;
    bool counted = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0;
    if (owner.primary != nullptr) {
        return DDERR_PRIMARYSURFACEALREADYEXISTS;
    }
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (flip != counted || (flip && (caps & DDSCAPS_COMPLEX) == 0)) {
        return DDERR_INVALIDCAPS;
    }
    if (flip && (desc.dwBackBufferCount == 0 || desc.dwBackBufferCount > kMaxBackBuffers)) {
        return DDERR_INVALIDPARAMS;
    }
    if (flip && !owner.Exclusive()) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    return DD_OK;
}

Surface* MakePrimary(DirectDraw* owner, const DDSURFACEDESC2& desc) {
    bool flip = (desc.ddsCaps.dwCaps & DDSCAPS_FLIP) != 0;
    DWORD chainCaps = flip ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0;
    DWORD frontCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | kVideoMemory | chainCaps |
                      (flip ? DDSCAPS_FRONTBUFFER : 0);
    int w = owner->modeWidth;
    int h = owner->modeHeight;
    int bits = owner->modeBitsPerPixel;
    Surface* front = NewSurface(owner, frontCaps, w, h, bits);
    if (front == nullptr) {
        return nullptr;
    }
    front->chain.push_back(front);
    for (DWORD i = 0; flip && i < desc.dwBackBufferCount; ++i) {
        DWORD backCaps = kVideoMemory | chainCaps | (i == 0 ? DDSCAPS_BACKBUFFER : 0);
        Surface* back = NewSurface(owner, backCaps, w, h, bits);
        if (back == nullptr) {
            DestroySurface(front);
            return nullptr;
        }
        front->chain.push_back(back);
    }
    for (Surface* member : front->chain) {
        member->chain = front->chain;
    }
    owner->primary = front;
    return front;
}

Surface* MakePlain(DirectDraw* owner, const DDSURFACEDESC2& desc, int bitsPerPixel) {
    DWORD caps = desc.ddsCaps.dwCaps;
    if ((caps & DDSCAPS_SYSTEMMEMORY) == 0) {
        caps |= kVideoMemory;
    }
    if ((caps & DDSCAPS_OFFSCREENPLAIN) == 0 &&
        (caps & ~(kVideoMemory | DDSCAPS_SYSTEMMEMORY)) == 0) {
        caps |= DDSCAPS_OFFSCREENPLAIN;
    }
    return NewSurface(owner, caps, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight),
                      bitsPerPixel);
}

HRESULT Create(DirectDraw* owner, const DDSURFACEDESC2& given, Surface** made) {
    DDSURFACEDESC2 desc = given;
    if ((desc.dwFlags & DDSD_CAPS) == 0) {
        desc.ddsCaps.dwCaps = 0;
    }
    if ((desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
        HRESULT hr = CheckPrimaryDescription(*owner, desc);
        if (FAILED(hr)) {
            return hr;
        }
        *made = MakePrimary(owner, desc);
    } else {
        int bits = owner->modeBitsPerPixel;
        HRESULT hr = CheckPlainDescription(desc, &bits);
        if (FAILED(hr)) {
            return hr;
        }
        *made = MakePlain(owner, desc, bits);
    }
    return *made != nullptr ? DD_OK : DDERR_OUTOFMEMORY;
}

}  // namespace

bool DescriptionSizeOk(DWORD size) {
    // 124 is the structure's size in 32-bit programs; callers written for it
    // pass that number even where the structure itself is larger.
    return size == sizeof(DDSURFACEDESC2) || size == 124;
}

Surface* NewSurface(DirectDraw* owner, DWORD caps, int width, int height, int bitsPerPixel) {
    int pitch = PitchFor(width, bitsPerPixel);
    auto* surface = new Surface();
    if (!surface->memory.Allocate(height, pitch, bitsPerPixel / 8)) {
        delete surface;
        return nullptr;
    }
    surface->owner = owner;
    surface->caps = caps;
    surface->width = width;
    surface->height = height;
    surface->bitsPerPixel = bitsPerPixel;
    surface->pitch = pitch;
    owner->surfaces.push_back(surface);
    return surface;
}

void DestroySurface(Surface* surface) {
    DirectDraw* owner = surface->owner;
    std::vector<Surface*> members = surface->chain;
    if (members.empty()) {
        members.push_back(surface);
    }
    for (Surface* member : members) {
        if (member->dc != nullptr) {
            internal::DestroySurfaceDC(member->dc);
        }
        if (member->palette != nullptr) {
            member->palette->DropRef();
        }
        if (owner->primary == member) {
            owner->primary = nullptr;
        }
        auto& list = owner->surfaces;
        list.erase(std::remove(list.begin(), list.end(), member), list.end());
        delete member;
    }
}

void FillPixelFormat(int bitsPerPixel, DDPIXELFORMAT* format) {
    *format = DDPIXELFORMAT{};
    format->dwSize = sizeof(DDPIXELFORMAT);
    format->dwFlags = DDPF_RGB;
    format->dwRGBBitCount = static_cast<DWORD>(bitsPerPixel);
    if (bitsPerPixel == 8) {
        format->dwFlags |= DDPF_PALETTEINDEXED8;
    } else if (bitsPerPixel == 16) {
        format->dwRBitMask = 0xF800;
        format->dwGBitMask = 0x07E0;
        format->dwBBitMask = 0x001F;
    } else {
        format->dwRBitMask = 0x00FF0000;
        format->dwGBitMask = 0x0000FF00;
        format->dwBBitMask = 0x000000FF;
    }
}

void DescribeSurface(const Surface& surface, DDSURFACEDESC2* desc) {
    DWORD size = desc->dwSize;
    *desc = DDSURFACEDESC2{};
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(surface.width);
    desc->dwHeight = static_cast<DWORD>(surface.height);
    desc->lPitch = surface.pitch;
    if (surface.IsFront() && surface.chain.size() > 1) {
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = static_cast<DWORD>(surface.chain.size() - 1);
    }
    if (surface.hasSourceKey) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = surface.sourceKey;
    }
    FillPixelFormat(surface.bitsPerPixel, &desc->ddpfPixelFormat);
    desc->ddsCaps.dwCaps = surface.caps;
}

void FillWithJunk(Surface* surface) {
    uint8_t* pixels = surface->memory.Writable();
    // A fixed, busy pattern: a picture that was not reloaded stands out in
    // every test that looks at the pixels.
    for (int y = 0; y < surface->height; ++y) {
        uint8_t* row = pixels + static_cast<size_t>(y) * surface->pitch;
        int rowBytes = surface->width * surface->BytesPerPixel();
        for (int x = 0; x < rowBytes; ++x) {
            row[x] = static_cast<uint8_t>((x * 37) ^ (y * 101) ^ 0xA5);
        }
    }
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) {
    auto args = [&] {
        return desc == nullptr
                   ? std::string("desc=null")
                   : internal::Format("flags=0x%x caps=0x%x width=%u height=%u back=%u",
                                      desc->dwFlags, desc->ddsCaps.dwCaps, desc->dwWidth,
                                      desc->dwHeight, desc->dwBackBufferCount);
    };
    return entry::RunOn(entry::Name::CreateSurface, this, args, [&]() -> HRESULT {
        if (outer != nullptr) {
            return kNoAggregation;
        }
        if (desc == nullptr || surface == nullptr || !DescriptionSizeOk(desc->dwSize)) {
            return DDERR_INVALIDPARAMS;
        }
        *surface = nullptr;
        if (cooperativeLevel == 0) {
            return DDERR_NOCOOPERATIVELEVELSET;
        }
        Surface* made = nullptr;
        HRESULT hr = Create(this, *desc, &made);
        if (SUCCEEDED(hr)) {
            ++refs;  // a surface keeps its DirectDraw object alive
            *surface = made;
        }
        return hr;
    });
}

}  // namespace vplat::ddraw
