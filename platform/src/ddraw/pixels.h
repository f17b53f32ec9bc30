// The pixel loops behind Blt, BltFast and colour fill. Rows are given by a
// start pointer and a pitch in bytes; widths are in pixels.
#pragma once

#include <cstdint>

namespace vplat::ddraw {

void CopyRows(uint8_t* dest, int destPitch, const uint8_t* source, int sourcePitch, int width,
              int rows, int bytesPerPixel);
// Copies every pixel that is not exactly `key` (compared at the pixel's size).
void CopyRowsKeyed(uint8_t* dest, int destPitch, const uint8_t* source, int sourcePitch, int width,
                   int rows, int bytesPerPixel, uint32_t key);
void FillRows(uint8_t* dest, int destPitch, int width, int rows, int bytesPerPixel, uint32_t value);

}  // namespace vplat::ddraw
