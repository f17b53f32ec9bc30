#include "present/scale.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vplat::present {
namespace {

// The frame pixel under the centre of output pixel `at` of `shown`: what a
// GPU samples with nearest filtering, so both present paths agree. (Where a
// centre falls exactly on the edge between two frame pixels, at scales such
// as 1066/640, a GPU's own rounding picks either.)
int SourceOf(int at, int shown, int frame) {
    return static_cast<int>((2 * static_cast<int64_t>(at) + 1) * frame / (2 * int64_t{shown}));
}

void BuildAxis(std::vector<int>& axis, int shown, int frame) {
    axis.resize(shown > 0 ? shown : 0);
    for (int i = 0; i < shown; ++i) {
        axis[i] = SourceOf(i, shown, frame);
    }
}

// The output span [*begin, *end) whose sources lie in [from, to); the map
// never decreases, so it is one span.
void OutputSpan(const std::vector<int>& axis, int from, int to, int* begin, int* end) {
    *begin = static_cast<int>(std::lower_bound(axis.begin(), axis.end(), from) - axis.begin());
    *end = static_cast<int>(std::lower_bound(axis.begin(), axis.end(), to) - axis.begin());
}

uint32_t* OutputRow(uint32_t* dest, int destPitch, int y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dest) +
                                       static_cast<ptrdiff_t>(y) * destPitch);
}

// A frame row into an output row `k` times as wide: each frame pixel
// converted once, then repeated.
void WidenRow(const uint8_t* in, int from, int to, int k, const uint32_t* table, uint32_t* out) {
    for (int x = from; x < to; ++x) {
        uint32_t value = table[in[x]];
        uint32_t* run = out + static_cast<ptrdiff_t>(x) * k;
        for (int i = 0; i < k; ++i) {
            run[i] = value;
        }
    }
}

// A whole number of output columns per frame column, 0 when it is not one.
int WholeScale(const ScaleMap& map) {
    int width = map.frameWidth;
    return width > 0 && map.viewport.width % width == 0 ? map.viewport.width / width : 0;
}

}  // namespace

void PrepareScaleMap(ScaleMap& map, Viewport viewport, int frameWidth, int frameHeight) {
    const Viewport& v = map.viewport;
    if (v.x == viewport.x && v.y == viewport.y && v.width == viewport.width &&
        v.height == viewport.height && map.frameWidth == frameWidth &&
        map.frameHeight == frameHeight) {
        return;
    }
    map.viewport = viewport;
    map.frameWidth = frameWidth;
    map.frameHeight = frameHeight;
    BuildAxis(map.columns, viewport.width, frameWidth);
    BuildAxis(map.rows, viewport.height, frameHeight);
}

OutputRect ConvertScaled(const uint8_t* frame, int framePitch, ChangedRect area,
                         const ScaleMap& map, const uint32_t* table, uint32_t* dest,
                         int destPitch) {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    OutputSpan(map.columns, area.left, area.right, &left, &right);
    OutputSpan(map.rows, area.top, area.bottom, &top, &bottom);
    if (left >= right || top >= bottom) {
        return OutputRect{0, 0, 0, 0};
    }
    const int* columns = map.columns.data();
    const int x0 = map.viewport.x;
    const int y0 = map.viewport.y;
    const int whole = WholeScale(map);
    int drawnRow = -1;
    for (int y = top; y < bottom; ++y) {
        uint32_t* out = OutputRow(dest, destPitch, y0 + y) + x0;
        // Rows scaled up repeat: the row above is copied, not converted again.
        if (map.rows[y] == drawnRow) {
            memcpy(out + left, OutputRow(dest, destPitch, y0 + y - 1) + x0 + left,
                   static_cast<size_t>(right - left) * sizeof(uint32_t));
            continue;
        }
        drawnRow = map.rows[y];
        const uint8_t* in = frame + static_cast<ptrdiff_t>(drawnRow) * framePitch;
        if (whole > 0) {
            WidenRow(in, area.left, area.right, whole, table, out);
            continue;
        }
        for (int x = left; x < right; ++x) {
            out[x] = table[in[columns[x]]];
        }
    }
    return OutputRect{x0 + left, y0 + top, x0 + right, y0 + bottom};
}

}  // namespace vplat::present
