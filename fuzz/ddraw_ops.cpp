// Decoding operations from bytes, and running them through DirectDraw and GDI.
#include "ddraw_ops.h"

#include <cstdint>
#include <cstring>

namespace ddops {
namespace {

int Side(uint8_t byte, int full, int most) {
    // A quarter of the time as large as the screen, so that whole rows of
    // one copy onto the other; otherwise anything small.
    return byte < 64 ? full : 1 + byte % most;
}

// A span that starts inside [0, length) and does not leave it.
void Span(uint8_t startByte, uint8_t lengthByte, int length, LONG* start, LONG* end) {
    *start = startByte % length;
    *end = *start + 1 + lengthByte % (length - *start);
}

// Where a span of `length` goes in [0, room): mostly where it fits, now and
// then past the end, which every call refuses.
int Place(uint8_t byte, int length, int room) {
    int free = room - length + 1;
    return free > 0 ? byte % free : byte % room;
}

void DecodeCopy(const uint8_t* b, const Layout& layout, Op* op) {
    int sw = layout.width[op->source], sh = layout.height[op->source];
    int dw = layout.width[op->dest], dh = layout.height[op->dest];
    op->keyed = (b[2] & 2) != 0;
    op->wholeSurface = (b[2] & 4) != 0;
    if (op->wholeSurface) {
        op->from = RECT{0, 0, sw, sh};
    } else if ((b[2] & 1) != 0) {
        op->from.left = 0;
        op->from.right = sw;
        Span(b[3], b[4], sh, &op->from.top, &op->from.bottom);
    } else {
        Span(b[3], b[5], sw, &op->from.left, &op->from.right);
        Span(b[4], b[6], sh, &op->from.top, &op->from.bottom);
    }
    op->x = (b[2] & 1) != 0 ? 0 : Place(b[7], op->from.right - op->from.left, dw);
    op->y =
        Place(static_cast<uint8_t>(b[2] >> 3) * 8 + (b[7] & 7), op->from.bottom - op->from.top, dh);
}

void DecodeArea(const uint8_t* b, const Layout& layout, Op* op) {
    int w = layout.width[op->dest], h = layout.height[op->dest];
    op->wholeSurface = (b[2] & 4) != 0;
    if (op->wholeSurface) {
        op->from = RECT{0, 0, w, h};
    } else {
        Span(b[3], b[5], w, &op->from.left, &op->from.right);
        Span(b[4], b[6], h, &op->from.top, &op->from.bottom);
    }
    op->value = b[7];
}

Op Decode(const uint8_t* b, const Layout& layout) {
    Op op;
    memcpy(op.bytes, b, kOpBytes);
    op.kind = static_cast<Kind>(b[0] % kKinds);
    op.dest = b[1] % kSurfaces;
    op.source = (b[1] / kSurfaces) % kSurfaces;
    switch (op.kind) {
        case kBltFast:
        case kBltCopy:
        case kStretch:
            DecodeCopy(b, layout, &op);
            break;
        case kFill:
        case kLockWrite:
            DecodeArea(b, layout, &op);
            break;
        case kSetPixels:
            op.pixels = 1 + b[2] % 8;
            break;
        case kSetKey:
            op.hasKey = (b[2] & 1) != 0;
            op.value = b[3];
            break;
        default:
            break;
    }
    return op;
}

DDSURFACEDESC2 EmptyDesc() {
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

HRESULT MakePlain(Display* display, int id, const Layout& layout, DWORD memory) {
    DDSURFACEDESC2 desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(layout.width[id]);
    desc.dwHeight = static_cast<DWORD>(layout.height[id]);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | memory;
    return display->dd->CreateSurface(&desc, &display->surface[id], nullptr);
}

HRESULT MakeChain(Display* display) {
    DDSURFACEDESC2 desc = EmptyDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    HRESULT hr = display->dd->CreateSurface(&desc, &display->surface[kFront], nullptr);
    if (hr != DD_OK) {
        return hr;
    }
    DDSCAPS2 caps;
    memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    return display->surface[kFront]->GetAttachedSurface(&caps, &display->surface[kBack]);
}

HRESULT MakePalette(Display* display) {
    PALETTEENTRY entries[256];
    PaletteEntries(entries);
    HRESULT hr = display->dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries,
                                            &display->palette, nullptr);
    return hr != DD_OK ? hr : display->surface[kFront]->SetPalette(display->palette);
}

HRESULT Fill(IDirectDrawSurface7* surface, RECT* area, uint8_t value) {
    DDBLTFX fx;
    memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = value;
    return surface->Blt(area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

HRESULT LockWrite(IDirectDrawSurface7* surface, const Op& op) {
    RECT area = op.from;
    DDSURFACEDESC2 desc = EmptyDesc();
    HRESULT hr = surface->Lock(op.wholeSurface ? nullptr : &area, &desc, DDLOCK_WAIT, nullptr);
    if (hr != DD_OK) {
        return hr;
    }
    auto* top = static_cast<uint8_t*>(desc.lpSurface);
    for (LONG y = op.from.top; y < op.from.bottom; ++y) {
        uint8_t* row = top + (y - op.from.top) * desc.lPitch;
        for (LONG x = op.from.left; x < op.from.right; ++x) {
            row[x - op.from.left] = PatternByte(op, x, y);
        }
    }
    return surface->Unlock(op.wholeSurface ? nullptr : &area);
}

HRESULT SetPixels(IDirectDrawSurface7* surface, const Op& op, const Layout& layout) {
    HDC dc;
    HRESULT hr = surface->GetDC(&dc);
    if (hr != DD_OK) {
        return hr;
    }
    for (int i = 0; i < op.pixels; ++i) {
        if (SetPixel(dc, PixelX(op, i, layout), PixelY(op, i, layout), PixelColor(op, i)) ==
            CLR_INVALID) {
            hr = S_FALSE;
        }
    }
    HRESULT released = surface->ReleaseDC(dc);
    return hr != DD_OK ? hr : released;
}

BOOL StretchSame(HDC to, const Op& op, HDC from) {
    int w = op.from.right - op.from.left, h = op.from.bottom - op.from.top;
    return StretchBlt(to, op.x, op.y, w, h, from, op.from.left, op.from.top, w, h, SRCCOPY);
}

HRESULT Stretch(Display& display, const Op& op) {
    IDirectDrawSurface7* to = display.surface[op.dest];
    IDirectDrawSurface7* from = display.surface[op.source];
    HDC toDc;
    HRESULT hr = to->GetDC(&toDc);
    if (hr != DD_OK) {
        return hr;
    }
    HDC fromDc = toDc;
    if (from != to && (hr = from->GetDC(&fromDc)) != DD_OK) {
        to->ReleaseDC(toDc);
        return hr;
    }
    hr = StretchSame(toDc, op, fromDc) ? DD_OK : S_FALSE;
    if (from != to) {
        from->ReleaseDC(fromDc);
    }
    HRESULT released = to->ReleaseDC(toDc);
    return hr != DD_OK ? hr : released;
}

HRESULT Copy(Display& display, const Op& op) {
    IDirectDrawSurface7* to = display.surface[op.dest];
    IDirectDrawSurface7* from = display.surface[op.source];
    RECT source = op.from;
    if (op.kind == kBltFast) {
        DWORD trans = op.keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY;
        return to->BltFast(static_cast<DWORD>(op.x), static_cast<DWORD>(op.y), from,
                           op.wholeSurface ? nullptr : &source, trans);
    }
    RECT dest = {op.x, op.y, op.x + (source.right - source.left),
                 op.y + (source.bottom - source.top)};
    DWORD flags = DDBLT_WAIT | (op.keyed ? DDBLT_KEYSRC : 0);
    // A null source rectangle stands for the whole source; the destination
    // is always given at the same size, as nothing here is stretched.
    return to->Blt(&dest, from, op.wholeSurface ? nullptr : &source, flags, nullptr);
}

HRESULT SetKey(IDirectDrawSurface7* surface, const Op& op) {
    DDCOLORKEY key = {op.value, op.value};
    return surface->SetColorKey(DDCKEY_SRCBLT, op.hasKey ? &key : nullptr);
}

}  // namespace

Layout DecodeLayout(const uint8_t* data, size_t size) {
    uint8_t header[kHeaderBytes] = {};
    memcpy(header, data, size < kHeaderBytes ? size : kHeaderBytes);
    Layout layout;
    for (int id : {kFront, kBack, kScreenSized}) {
        layout.width[id] = kModeWidth;
        layout.height[id] = kModeHeight;
    }
    layout.width[kOdd] = Side(header[0], kModeWidth, 100);
    layout.height[kOdd] = Side(header[1], kModeHeight, 60);
    layout.width[kSystem] = Side(header[2], kModeWidth, 100);
    layout.height[kSystem] = Side(header[3], kModeHeight, 60);
    return layout;
}

std::vector<Op> DecodeOps(const uint8_t* data, size_t size, const Layout& layout, bool real) {
    std::vector<Op> ops;
    size_t lastCopy = SIZE_MAX;
    bool keyed[kSurfaces] = {};
    for (size_t at = kHeaderBytes; at + kOpBytes <= size; at += kOpBytes) {
        Op op = Decode(data + at, layout);
        if (op.kind == kAgain) {
            if (lastCopy == SIZE_MAX) {
                continue;
            }
            op = ops[lastCopy];
        }
        if (op.kind == kLose && real) {
            op.kind = kRestore;
            op.dest = kFront;
        }
        if (op.kind == kSetKey && real && op.dest <= kBack) {
            op.dest = kScreenSized;
        }
        if (op.kind == kSetKey) {
            keyed[op.dest] = op.hasKey;
        }
        if (real && (op.source == op.dest || (op.kind == kBltFast && !keyed[op.source]))) {
            op.keyed = false;
        }
        if (op.kind == kBltFast || op.kind == kBltCopy) {
            lastCopy = ops.size();
        }
        ops.push_back(op);
    }
    return ops;
}

int PixelX(const Op& op, int i, const Layout& layout) {
    return (op.bytes[3] + i * (op.bytes[4] | 1)) % layout.width[op.dest];
}

int PixelY(const Op& op, int i, const Layout& layout) {
    return (op.bytes[5] + i * op.bytes[6]) % layout.height[op.dest];
}

COLORREF PixelColor(const Op& op, int i) {
    // Half the time a colour of the palette itself, half anything at all.
    if ((op.bytes[2] & 0x80) != 0) {
        PALETTEENTRY entries[256];
        PaletteEntries(entries);
        const PALETTEENTRY& e = entries[(op.bytes[7] + i * 11) & 0xFF];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return RGB(op.bytes[7] * (i + 1), op.bytes[6] ^ (i * 31), op.bytes[4] + i * 57);
}

uint8_t PatternByte(const Op& op, int x, int y) {
    return static_cast<uint8_t>(op.value + x * 3 + y * 7 + ((x ^ y) & op.bytes[6]));
}

void PaletteEntries(PALETTEENTRY* entries) {
    for (int i = 0; i < 256; ++i) {
        entries[i].peRed = static_cast<BYTE>(i);
        entries[i].peGreen = static_cast<BYTE>(i * 89);
        entries[i].peBlue = static_cast<BYTE>(i * 167);
        entries[i].peFlags = 0;
    }
}

bool OpenDisplay(HWND window, const Layout& layout, Display* display, HRESULT* failed) {
    HRESULT hr = DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&display->dd),
                                    IID_IDirectDraw7, nullptr);
    if (hr == DD_OK) {
        hr = display->dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    }
    if (hr == DD_OK) {
        hr = display->dd->SetDisplayMode(kModeWidth, kModeHeight, 8, 0, 0);
    }
    hr = hr == DD_OK ? MakeChain(display) : hr;
    hr = hr == DD_OK ? MakePalette(display) : hr;
    hr = hr == DD_OK ? MakePlain(display, kScreenSized, layout, 0) : hr;
    hr = hr == DD_OK ? MakePlain(display, kOdd, layout, 0) : hr;
    hr = hr == DD_OK ? MakePlain(display, kSystem, layout, DDSCAPS_SYSTEMMEMORY) : hr;
    // Display memory holds anything at first: every sequence starts from 0.
    for (int id = 0; id < kSurfaces && hr == DD_OK; ++id) {
        hr = Fill(display->surface[id], nullptr, 0);
    }
    *failed = hr;
    return hr == DD_OK;
}

void CloseDisplay(Display* display) {
    for (int id = kSurfaces; id-- > 0;) {
        if (display->surface[id] != nullptr && id != kBack) {
            display->surface[id]->Release();
        }
        display->surface[id] = nullptr;
    }
    if (display->palette != nullptr) {
        display->palette->Release();
        display->palette = nullptr;
    }
    if (display->dd != nullptr) {
        display->dd->Release();
        display->dd = nullptr;
    }
}

HRESULT Apply(Display& display, const Op& op) {
    IDirectDrawSurface7* dest = display.surface[op.dest];
    Layout layout = {};
    DDSURFACEDESC2 desc = EmptyDesc();
    RECT area = op.from;
    switch (op.kind) {
        case kBltFast:
        case kBltCopy:
            return Copy(display, op);
        case kFill:
            return Fill(dest, op.wholeSurface ? nullptr : &area, op.value);
        case kLockWrite:
            return LockWrite(dest, op);
        case kSetPixels:
            if (dest->GetSurfaceDesc(&desc) != DD_OK) {
                return S_FALSE;
            }
            layout.width[op.dest] = static_cast<int>(desc.dwWidth);
            layout.height[op.dest] = static_cast<int>(desc.dwHeight);
            return SetPixels(dest, op, layout);
        case kStretch:
            return Stretch(display, op);
        case kFlip:
            return display.surface[kFront]->Flip(nullptr, 0);
        case kSetKey:
            return SetKey(dest, op);
        case kRestore:
            return dest->Restore();
        case kLose:
            if (display.lose != nullptr) {
                display.lose();
            }
            return DD_OK;
        default:
            return DD_OK;
    }
}

std::vector<uint8_t> SeededInput(uint32_t seed, int ops) {
    std::vector<uint8_t> bytes(kHeaderBytes + kOpBytes * static_cast<size_t>(ops));
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace ddops
