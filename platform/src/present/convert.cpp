#include "present/convert.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace vplat::present {

namespace {

uint32_t Place(BYTE channel, uint32_t mask) {
    return (uint32_t{channel} << __builtin_ctz(mask)) & mask;
}

}  // namespace

bool EightBitChannels(const ChannelMasks& format) {
    for (uint32_t mask : {format.red, format.green, format.blue}) {
        if (mask == 0 || (mask >> __builtin_ctz(mask)) != 0xFFu) {
            return false;
        }
    }
    return true;
}

uint32_t PixelOf(const PALETTEENTRY& colour, const ChannelMasks& format) {
    return format.rest | Place(colour.peRed, format.red) | Place(colour.peGreen, format.green) |
           Place(colour.peBlue, format.blue);
}

void BuildTable(const PALETTEENTRY* palette, const ChannelMasks& format, uint32_t* table) {
    for (int i = 0; i < 256; ++i) {
        table[i] = PixelOf(palette[i], format);
    }
}

void UpdatePaletteTable(PaletteTable& table, const ChannelMasks& format,
                        const internal::IndexedFrame& frame) {
    if (table.valid && table.paletteVersion == frame.paletteVersion &&
        memcmp(&table.format, &format, sizeof format) == 0) {
        return;
    }
    BuildTable(frame.palette, format, table.pixels);
    table.format = format;
    table.paletteVersion = frame.paletteVersion;
    table.valid = true;
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
