// What differs between the frame presented now and the one before it, so
// that a back end sends its screen only that. A question about 8-bit frames
// and their palettes: any back end (a window surface, a canvas) can use it.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

#include "internal.h"

namespace vplat::present {

// Frame pixels; right and bottom are one past the last.
struct ChangedRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The last frame a back end put on its screen.
struct KeptFrame {
    bool valid = false;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;        // width bytes a row
    std::vector<internal::RowTag> tags;  // what each kept row is known to hold
    PALETTEENTRY palette[256] = {};
};

// Copies a frame's rows, pitch left out, into *indices (width bytes a row).
void PackRows(const uint8_t* pixels, int width, int height, int pitch,
              std::vector<uint8_t>* indices);

// The screen no longer shows the kept frame (it was resized, exposed or
// restored): the next frame is all new.
void ForgetKeptFrame(KeptFrame& kept);

// Compares a frame with the kept one and keeps it. *changed receives the
// rectangles that differ, in rows from the top; the whole frame when nothing
// is kept or the size or palette differs; nothing when they are equal.
// `tags` (one a row, or null) say what rows are known to hold: a row whose
// tag matches the kept row's is equal to it without being compared.
void TakeChanges(KeptFrame& kept, const uint8_t* pixels, int width, int height, int pitch,
                 const PALETTEENTRY* palette, std::vector<ChangedRect>* changed,
                 const internal::RowTag* tags = nullptr);

}  // namespace vplat::present
