// Palette conversion for the screen: 8-bit indices to XRGB8888 through a
// 256-entry table, the format SDL shows without converting again.
#pragma once

#include <cstdint>

#include <windows.h>

namespace vplat::backend {

void BuildXrgbTable(const PALETTEENTRY* palette, uint32_t* table);
// dest rows are destPitch bytes apart.
void ConvertToXrgb(const uint8_t* source, int sourcePitch, int width, int height,
                   const uint32_t* table, uint32_t* dest, int destPitch);

}  // namespace vplat::backend
