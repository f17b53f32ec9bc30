// Palette conversion for a screen: 8-bit indices to 32-bit pixels through a
// 256-entry table, in the order the screen holds its channels.
#pragma once

#include <cstdint>

#include "internal.h"

namespace vplat::present {

// Where each 8-bit channel sits in a screen's 32-bit pixel; `rest`: bits set
// in every pixel (an opaque alpha).
struct ChannelMasks {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
    uint32_t rest;
};
// XRGB8888, the format SDL's renderer and most window systems show as is.
constexpr ChannelMasks kXrgb = {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u};
// Red, green, blue, alpha in memory order, as a canvas's image data holds
// them (on a little-endian machine such as WebAssembly).
constexpr ChannelMasks kRgbaBytes = {0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u};

// False where a channel is not 8 bits wide: no table of this kind holds it.
bool EightBitChannels(const ChannelMasks& format);
uint32_t PixelOf(const PALETTEENTRY& colour, const ChannelMasks& format);
void BuildTable(const PALETTEENTRY* palette, const ChannelMasks& format, uint32_t* table);

// A table kept with what it was built from, rebuilt only when the frame's
// palette or the format is another.
struct PaletteTable {
    bool valid = false;
    ChannelMasks format = kXrgb;
    uint64_t paletteVersion = 0;
    uint32_t pixels[256] = {};
};
void UpdatePaletteTable(PaletteTable& table, const ChannelMasks& format,
                        const internal::IndexedFrame& frame);

// dest rows are destPitch bytes apart.
void ConvertThroughTable(const uint8_t* source, int sourcePitch, int width, int height,
                         const uint32_t* table, uint32_t* dest, int destPitch);

}  // namespace vplat::present
