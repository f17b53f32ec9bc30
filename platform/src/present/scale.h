// Palette conversion and nearest scaling in one pass, from an 8-bit frame
// straight into a 32-bit screen buffer, for any part of the frame.
#pragma once

#include <cstdint>
#include <vector>

#include "present/changes.h"
#include "present/viewport.h"

namespace vplat::present {

// Which frame column each output column of the viewport shows, and which
// frame row each output row: the frame pixel under the output pixel's centre.
struct ScaleMap {
    Viewport viewport = {0, 0, 0, 0};
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<int> columns;  // one per output column of the viewport
    std::vector<int> rows;     // one per output row of the viewport
};

// Builds the map unless it already is the one for this viewport and frame size.
void PrepareScaleMap(ScaleMap& map, Viewport viewport, int frameWidth, int frameHeight);

// Rectangles of an output's pixels.
using OutputRect = Rect;

// Draws the output pixels that show frame pixels of `area` into dest (rows
// destPitch bytes apart, the output's own coordinates) and returns them; an
// empty rectangle when the area is not shown at all.
OutputRect ConvertScaled(const uint8_t* frame, int framePitch, ChangedRect area,
                         const ScaleMap& map, const uint32_t* table, uint32_t* dest, int destPitch);

}  // namespace vplat::present
