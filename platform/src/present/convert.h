// Palette conversion for a screen: 8-bit indices to 32-bit pixels through a
// 256-entry table, in the order the screen holds its channels.
#pragma once

#include <cstdint>

#include <windows.h>

namespace vplat::present {

// XRGB8888, the format SDL shows without converting again.
void BuildXrgbTable(const PALETTEENTRY* palette, uint32_t* table);
// Red, green, blue, alpha in memory order, as a canvas's image data holds
// them (on a little-endian machine such as WebAssembly).
void BuildRgbaTable(const PALETTEENTRY* palette, uint32_t* table);

// A table kept with the palette it was built from, rebuilt only when the
// palette changes.
struct PaletteTable {
    void (*build)(const PALETTEENTRY* palette, uint32_t* table);
    bool valid = false;
    PALETTEENTRY palette[256] = {};
    uint32_t pixels[256] = {};
};
// True when the table had to be rebuilt.
bool UpdatePaletteTable(PaletteTable& table, const PALETTEENTRY* palette);

// dest rows are destPitch bytes apart.
void ConvertThroughTable(const uint8_t* source, int sourcePitch, int width, int height,
                         const uint32_t* table, uint32_t* dest, int destPitch);

}  // namespace vplat::present
