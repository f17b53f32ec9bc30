// The model: every copy reads its whole source first, then writes pixel by
// pixel; nothing is remembered between operations but the pixels.
#include "ddraw_model.h"

namespace ddmodel {
namespace {

using ddops::Op;

uint8_t& At(Surface& s, int x, int y) {
    return s.pixels[static_cast<size_t>(y) * s.width + x];
}

bool Inside(const RECT& r, const Surface& s) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= s.width && r.bottom <= s.height;
}

// The source rectangle's pixels, row after row.
std::vector<uint8_t> Take(Surface& s, const RECT& r) {
    std::vector<uint8_t> taken;
    taken.reserve(static_cast<size_t>(r.right - r.left) * (r.bottom - r.top));
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            taken.push_back(At(s, x, y));
        }
    }
    return taken;
}

void Present(Model& m) {
    if (!m.surface[ddops::kFront].lost) {
        m.screen = m.surface[ddops::kFront].pixels;
        ++m.frames;
    }
}

HRESULT Copy(Model& m, const Op& op) {
    Surface& to = m.surface[op.dest];
    Surface& from = m.surface[op.source];
    // Blt refuses a source key that is not there; BltFast copies whole.
    if (op.kind == ddops::kBltCopy && op.keyed && !from.hasKey) {
        return DDERR_INVALIDPARAMS;
    }
    if (to.lost || from.lost) {
        return DDERR_SURFACELOST;
    }
    int w = op.from.right - op.from.left, h = op.from.bottom - op.from.top;
    RECT area = {op.x, op.y, op.x + w, op.y + h};
    if (!Inside(op.from, from) || !Inside(area, to)) {
        return DDERR_INVALIDRECT;
    }
    std::vector<uint8_t> taken = Take(from, op.from);
    bool keyed = op.keyed && from.hasKey;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t pixel = taken[static_cast<size_t>(y) * w + x];
            if (!keyed || pixel != from.key) {
                At(to, op.x + x, op.y + y) = pixel;
            }
        }
    }
    return DD_OK;
}

HRESULT Fill(Model& m, const Op& op) {
    Surface& to = m.surface[op.dest];
    if (to.lost) {
        return DDERR_SURFACELOST;
    }
    for (LONG y = op.from.top; y < op.from.bottom; ++y) {
        for (LONG x = op.from.left; x < op.from.right; ++x) {
            At(to, x, y) = op.kind == ddops::kFill ? op.value : ddops::PatternByte(op, x, y);
        }
    }
    // What is written into the visible surface through a lock shows at once.
    if (op.kind == ddops::kLockWrite && op.dest == ddops::kFront) {
        Present(m);
    }
    return DD_OK;
}

// GDI's colour for an 8-bit surface: the nearest entry of its colour table.
uint8_t Nearest(const PALETTEENTRY* palette, COLORREF color) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        long dr = palette[i].peRed - GetRValue(color);
        long dg = palette[i].peGreen - GetGValue(color);
        long db = palette[i].peBlue - GetBValue(color);
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

HRESULT SetPixels(Model& m, const Op& op) {
    Surface& to = m.surface[op.dest];
    if (to.lost) {
        return DDERR_SURFACELOST;
    }
    ddops::Layout layout = {};
    layout.width[op.dest] = to.width;
    layout.height[op.dest] = to.height;
    for (int i = 0; i < op.pixels; ++i) {
        At(to, ddops::PixelX(op, i, layout), ddops::PixelY(op, i, layout)) =
            Nearest(m.palette, ddops::PixelColor(op, i));
    }
    if (op.dest == ddops::kFront) {
        Present(m);  // released device context of the visible surface
    }
    return DD_OK;
}

// StretchBlt at one size between two device contexts: the palettes are the
// same, so indices go over unchanged; what falls outside the destination is
// left out rather than refused.
HRESULT Stretch(Model& m, const Op& op) {
    Surface& to = m.surface[op.dest];
    Surface& from = m.surface[op.source];
    if (to.lost) {
        return DDERR_SURFACELOST;
    }
    if (from.lost) {
        if (op.dest == ddops::kFront) {
            Present(m);  // its device context was out, and is given back
        }
        return DDERR_SURFACELOST;
    }
    int w = op.from.right - op.from.left, h = op.from.bottom - op.from.top;
    std::vector<uint8_t> taken = Take(from, op.from);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (op.x + x < to.width && op.y + y < to.height) {
                At(to, op.x + x, op.y + y) = taken[static_cast<size_t>(y) * w + x];
            }
        }
    }
    // Each device context of the visible surface shows it when released.
    if (op.source == ddops::kFront && op.dest != ddops::kFront) {
        Present(m);
    }
    if (op.dest == ddops::kFront) {
        Present(m);
    }
    return DD_OK;
}

HRESULT Flip(Model& m) {
    Surface& front = m.surface[ddops::kFront];
    Surface& back = m.surface[ddops::kBack];
    if (front.lost || back.lost) {
        return DDERR_SURFACELOST;
    }
    front.pixels.swap(back.pixels);
    Present(m);
    return DD_OK;
}

void RestoreOne(Surface& s) {
    if (s.lost) {
        s.lost = false;
        s.restored = true;
    }
}

HRESULT Restore(Model& m, int id) {
    if (id == ddops::kBack) {
        return DDERR_IMPLICITLYCREATED;
    }
    RestoreOne(m.surface[id]);
    if (id == ddops::kFront) {
        RestoreOne(m.surface[ddops::kBack]);
    }
    return DD_OK;
}

HRESULT Lose(Model& m) {
    for (Surface& s : m.surface) {
        s.lost = s.lost || s.canBeLost;
    }
    return DD_OK;
}

}  // namespace

void Open(Model* model, const ddops::Layout& layout) {
    for (int id = 0; id < ddops::kSurfaces; ++id) {
        Surface& s = model->surface[id];
        s = Surface();
        s.width = layout.width[id];
        s.height = layout.height[id];
        s.pixels.assign(static_cast<size_t>(s.width) * s.height, 0);
        s.canBeLost = id != ddops::kSystem;
    }
    ddops::PaletteEntries(model->palette);
    model->screen.clear();
    model->frames = 0;
}

HRESULT Apply(Model& m, const Op& op) {
    switch (op.kind) {
        case ddops::kBltFast:
        case ddops::kBltCopy:
            return Copy(m, op);
        case ddops::kFill:
        case ddops::kLockWrite:
            return Fill(m, op);
        case ddops::kSetPixels:
            return SetPixels(m, op);
        case ddops::kStretch:
            return Stretch(m, op);
        case ddops::kFlip:
            return Flip(m);
        case ddops::kSetKey:
            m.surface[op.dest].hasKey = op.hasKey;
            m.surface[op.dest].key = op.value;
            return DD_OK;
        case ddops::kRestore:
            return Restore(m, op.dest);
        case ddops::kLose:
            return Lose(m);
        default:
            return DD_OK;
    }
}

}  // namespace ddmodel
