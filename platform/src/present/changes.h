// What differs between the frame presented now and the one an output shows,
// so that a back end sends its screen only that. A question about 8-bit
// frames and their palettes: any output (a window, a canvas) can use it.
#pragma once

#include <cstdint>
#include <vector>

#include "internal.h"

namespace vplat::present {

// Pixels; right and bottom are one past the last.
struct Rect {
    int left;
    int top;
    int right;
    int bottom;
};
// Rectangles of a frame's pixels.
using ChangedRect = Rect;

// Past this many rectangles a list is taken as the one that holds them all,
// which costs less to send than the calls would.
constexpr size_t kMostRects = 32;
void BoundIfMany(std::vector<Rect>* rects);

// The frame an output shows: what the next frame is compared with.
struct ShownFrame {
    bool valid = false;
    int width = 0;
    int height = 0;
    uint64_t paletteVersion = 0;
    std::vector<uint8_t> indices;  // width bytes a row
};

// The output no longer shows it (resized, exposed, restored): the next frame
// is all new.
void ForgetShownFrame(ShownFrame& shown);

// Compares a frame with the shown one and takes it as shown. *changed
// receives the rectangles that differ, from the top; the whole frame when
// nothing is shown or the size or palette differs; nothing when they are
// equal.
void TakeChanges(ShownFrame& shown, const internal::IndexedFrame& frame,
                 std::vector<ChangedRect>* changed);

}  // namespace vplat::present
