// Device contexts: memory DCs that a bitmap is selected into, and DCs over
// DirectDraw surface memory.
#include <map>

#include "gdi/gdi.h"
#include "core/entry.h"
#include "internal.h"

namespace vplat::gdi {
namespace {

struct DeviceContext {
    bool overSurface = false;
    PixelView surface;         // overSurface: the surface's memory
    HGDIOBJ bitmap = nullptr;  // memory DC: the selected bitmap
    HGDIOBJ stock[4] = {};     // selected brush, pen, font, palette
};

std::map<HDC, std::unique_ptr<DeviceContext>> g_dcs;

DeviceContext* FindDc(HDC dc) {
    auto found = g_dcs.find(dc);
    return found == g_dcs.end() ? nullptr : found->second.get();
}

HDC AddDc(std::unique_ptr<DeviceContext> context) {
    context->stock[kBrush] = StockObject(WHITE_BRUSH);
    context->stock[kPen] = StockObject(7);       // BLACK_PEN
    context->stock[kFont] = StockObject(13);     // SYSTEM_FONT
    context->stock[kPalette] = StockObject(15);  // DEFAULT_PALETTE
    HDC handle = reinterpret_cast<HDC>(context.get());
    g_dcs[handle] = std::move(context);
    return handle;
}

void Forget(HDC dc) {
    DeviceContext* context = FindDc(dc);
    if (context != nullptr && context->bitmap != nullptr) {
        MarkDeselected(context->bitmap);
    }
    g_dcs.erase(dc);
}

HGDIOBJ SelectBitmap(HDC dc, DeviceContext& context, HGDIOBJ bitmap) {
    if (context.overSurface || FindDib(bitmap) == nullptr || !MarkSelected(bitmap, dc)) {
        return nullptr;
    }
    HGDIOBJ previous = context.bitmap;
    context.bitmap = bitmap;
    if (previous != bitmap) {
        MarkDeselected(previous);
    }
    return previous;
}

// The 256 colours an 8-bit surface without a palette shows: 3 bits of red,
// 3 of green and 2 of blue.
void FillDefaultColors(PixelView* view) {
    for (int i = 0; i < 256; ++i) {
        view->colors[i] = Rgb{static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7),
                              static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                              static_cast<uint8_t>((i & 3) * 255 / 3)};
    }
}

PixelView SurfaceView(uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel,
                      const PALETTEENTRY* palette) {
    PixelView view;
    view.top = pixels;
    view.width = width;
    view.height = height;
    view.pitch = pitch;
    view.bitCount = bitsPerPixel;
    if (bitsPerPixel == 16) {
        view.redMask = 0xF800, view.greenMask = 0x07E0, view.blueMask = 0x001F;
    } else {
        view.redMask = 0xFF0000, view.greenMask = 0x00FF00, view.blueMask = 0x0000FF;
    }
    if (bitsPerPixel <= 8) {
        view.colorCount = 1 << bitsPerPixel;
        if (palette == nullptr) {
            FillDefaultColors(&view);
        }
        for (int i = 0; palette != nullptr && i < view.colorCount; ++i) {
            view.colors[i] = Rgb{palette[i].peRed, palette[i].peGreen, palette[i].peBlue};
        }
    }
    return view;
}

bool ValidSurface(const uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel) {
    bool knownDepth =
        bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    return pixels != nullptr && width > 0 && height > 0 && knownDepth &&
           static_cast<int64_t>(pitch) * 8 >= static_cast<int64_t>(width) * bitsPerPixel;
}

}  // namespace

PixelView* DcPixels(HDC dc) {
    DeviceContext* context = FindDc(dc);
    if (context == nullptr) {
        return nullptr;
    }
    if (context->overSurface) {
        return &context->surface;
    }
    Dib* dib = FindDib(context->bitmap);
    return dib ? &dib->view : nullptr;
}

void ResetDcs() {
    g_dcs.clear();
}

}  // namespace vplat::gdi

namespace vplat::internal {

HDC CreateSurfaceDC(uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel,
                    const PALETTEENTRY* palette) {
    if (!gdi::ValidSurface(pixels, width, height, pitch, bitsPerPixel)) {
        return nullptr;
    }
    auto context = std::make_unique<gdi::DeviceContext>();
    context->overSurface = true;
    context->surface = gdi::SurfaceView(pixels, width, height, pitch, bitsPerPixel, palette);
    return gdi::AddDc(std::move(context));
}

void DestroySurfaceDC(HDC dc) {
    gdi::DeviceContext* context = gdi::FindDc(dc);
    if (context != nullptr && context->overSurface) {
        gdi::g_dcs.erase(dc);
    }
}

}  // namespace vplat::internal

namespace entry = vplat::entry;
using vplat::internal::Format;

HDC WINAPI CreateCompatibleDC(HDC dc) {
    auto args = [&] { return Format("dc=%p", static_cast<void*>(dc)); };
    return entry::Run(entry::Name::CreateCompatibleDC, args, [&]() -> HDC {
        if (dc != nullptr && vplat::gdi::FindDc(dc) == nullptr) {
            return nullptr;
        }
        auto context = std::make_unique<vplat::gdi::DeviceContext>();
        context->bitmap = vplat::gdi::DefaultBitmap();
        return vplat::gdi::AddDc(std::move(context));
    });
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    auto args = [&] { return Format("dc=%p object=%p", static_cast<void*>(dc), object); };
    return entry::Run(entry::Name::SelectObject, args, [&]() -> HGDIOBJ {
        vplat::gdi::DeviceContext* context = vplat::gdi::FindDc(dc);
        if (context == nullptr) {
            return nullptr;
        }
        vplat::gdi::StockKind kind = vplat::gdi::StockObjectKind(object);
        if (kind != vplat::gdi::kNotStock && kind != vplat::gdi::kPalette) {
            HGDIOBJ previous = context->stock[kind];
            context->stock[kind] = object;
            return previous;
        }
        return vplat::gdi::SelectBitmap(dc, *context, object);
    });
}

BOOL WINAPI DeleteDC(HDC dc) {
    auto args = [&] { return Format("dc=%p", static_cast<void*>(dc)); };
    return entry::Run(entry::Name::DeleteDC, args, [&]() -> BOOL {
        vplat::gdi::DeviceContext* context = vplat::gdi::FindDc(dc);
        // A surface's DC belongs to the surface, which gives it back itself.
        if (context == nullptr || context->overSurface) {
            return FALSE;
        }
        vplat::gdi::Forget(dc);
        return TRUE;
    });
}
