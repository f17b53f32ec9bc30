#include "present/convert.h"

#include <cstddef>
#include <cstring>

namespace vplat::present {

void BuildXrgbTable(const PALETTEENTRY* palette, uint32_t* table) {
    for (int i = 0; i < 256; ++i) {
        table[i] = 0xFF000000u | (uint32_t{palette[i].peRed} << 16) |
                   (uint32_t{palette[i].peGreen} << 8) | palette[i].peBlue;
    }
}

void BuildRgbaTable(const PALETTEENTRY* palette, uint32_t* table) {
    for (int i = 0; i < 256; ++i) {
        table[i] = 0xFF000000u | (uint32_t{palette[i].peBlue} << 16) |
                   (uint32_t{palette[i].peGreen} << 8) | palette[i].peRed;
    }
}

bool UpdatePaletteTable(PaletteTable& table, const PALETTEENTRY* palette) {
    if (table.valid && memcmp(table.palette, palette, sizeof table.palette) == 0) {
        return false;
    }
    memcpy(table.palette, palette, sizeof table.palette);
    table.build(palette, table.pixels);
    table.valid = true;
    return true;
}

void ConvertThroughTable(const uint8_t* source, int sourcePitch, int width, int height,
                         const uint32_t* table, uint32_t* dest, int destPitch) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<ptrdiff_t>(y) * sourcePitch;
        uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dest) +
                                                    static_cast<ptrdiff_t>(y) * destPitch);
        int x = 0;
        // Eight at a time: the lookups are independent, so the loads overlap.
        for (; x + 8 <= width; x += 8) {
            out[x] = table[in[x]];
            out[x + 1] = table[in[x + 1]];
            out[x + 2] = table[in[x + 2]];
            out[x + 3] = table[in[x + 3]];
            out[x + 4] = table[in[x + 4]];
            out[x + 5] = table[in[x + 5]];
            out[x + 6] = table[in[x + 6]];
            out[x + 7] = table[in[x + 7]];
        }
        for (; x < width; ++x) {
            out[x] = table[in[x]];
        }
    }
}

}  // namespace vplat::present
