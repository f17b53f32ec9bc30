// Pixel values and colours: reading and writing raw pixels of every bit
// depth, and turning COLORREFs into what a view stores.
#include "gdi/gdi.h"

namespace vplat::gdi {
namespace {

int LowestSetBit(uint32_t mask) {
    return mask ? __builtin_ctz(mask) : 0;
}

int FieldWidth(uint32_t mask) {
    mask >>= LowestSetBit(mask);
    return mask ? 32 - __builtin_clz(mask) : 0;
}

// A field of `bits` bits widened to 8 by repeating its top bits, the way
// GDI shows 5- and 6-bit channels (31 -> 255, 16 -> 132).
uint8_t WidenField(uint32_t pixel, uint32_t mask) {
    int bits = FieldWidth(mask);
    if (bits == 0) {
        return 0;
    }
    uint32_t value = (pixel & mask) >> LowestSetBit(mask);
    if (bits >= 8) {
        return static_cast<uint8_t>(value >> (bits - 8));
    }
    uint32_t widened = 0;
    for (int filled = 0; filled < 8; filled += bits) {
        widened = (widened << bits) | value;
    }
    int total = ((8 + bits - 1) / bits) * bits;
    return static_cast<uint8_t>(widened >> (total - 8));
}

// The top bits of an 8-bit channel, placed in its field (truncating, as
// GDI does).
uint32_t NarrowField(uint8_t channel, uint32_t mask) {
    int bits = FieldWidth(mask);
    if (bits == 0) {
        return 0;
    }
    uint32_t value = bits >= 8 ? static_cast<uint32_t>(channel) << (bits - 8)
                               : static_cast<uint32_t>(channel) >> (8 - bits);
    return (value << LowestSetBit(mask)) & mask;
}

}  // namespace

bool IsIndexed(const PixelView& view) {
    return view.bitCount <= 8;
}

uint32_t ReadRaw(const PixelView& view, int x, int y) {
    const uint8_t* row = view.top + y * view.pitch;
    switch (view.bitCount) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        case 8:
            return row[x];
        case 16:
            return row[2 * x] | (row[2 * x + 1] << 8);
        case 24:
            return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
        default:
            return row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                   (static_cast<uint32_t>(row[4 * x + 3]) << 24);
    }
}

void WriteRaw(const PixelView& view, int x, int y, uint32_t raw) {
    uint8_t* row = view.top + y * view.pitch;
    switch (view.bitCount) {
        case 1: {
            uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~bit) | ((raw & 1) ? bit : 0));
            break;
        }
        case 4: {
            int shift = (x & 1) ? 0 : 4;
            row[x >> 1] =
                static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((raw & 0xF) << shift));
            break;
        }
        case 8:
            row[x] = static_cast<uint8_t>(raw);
            break;
        case 16:
            row[2 * x] = static_cast<uint8_t>(raw);
            row[2 * x + 1] = static_cast<uint8_t>(raw >> 8);
            break;
        case 24:
            for (int i = 0; i < 3; ++i) {
                row[3 * x + i] = static_cast<uint8_t>(raw >> (8 * i));
            }
            break;
        default:
            for (int i = 0; i < 4; ++i) {
                row[4 * x + i] = static_cast<uint8_t>(raw >> (8 * i));
            }
            break;
    }
}

COLORREF DecodeRaw(const PixelView& view, uint32_t raw) {
    if (IsIndexed(view)) {
        // An index past the table shows black rather than reading beyond it.
        if (raw >= static_cast<uint32_t>(view.colorCount)) {
            return RGB(0, 0, 0);
        }
        const Rgb& c = view.colors[raw];
        return RGB(c.red, c.green, c.blue);
    }
    if (view.bitCount == 24) {
        return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF);
    }
    return RGB(WidenField(raw, view.redMask), WidenField(raw, view.greenMask),
               WidenField(raw, view.blueMask));
}

int NearestIndex(const Rgb* table, int count, COLORREF color) {
    int red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        int dr = table[i].red - red, dg = table[i].green - green, db = table[i].blue - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {  // strict: ties keep the lowest index
            best = i;
            bestDistance = distance;
            if (distance == 0) {
                break;
            }
        }
    }
    return best;
}

uint32_t EncodeColor(const PixelView& view, COLORREF color) {
    if (IsIndexed(view)) {
        // PALETTEINDEX(i) names an entry directly.
        if ((color >> 24) == 1 && (color & 0xFFFF) < static_cast<uint32_t>(view.colorCount)) {
            return color & 0xFFFF;
        }
        return static_cast<uint32_t>(NearestIndex(view.colors, view.colorCount, color & 0xFFFFFF));
    }
    uint8_t red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    if (view.bitCount == 24) {
        return (static_cast<uint32_t>(red) << 16) | (green << 8) | blue;
    }
    return NarrowField(red, view.redMask) | NarrowField(green, view.greenMask) |
           NarrowField(blue, view.blueMask);
}

}  // namespace vplat::gdi
