// Copies that remember what they copied: the rows of a surface that already
// hold a plain copy of the very same source rows are not copied again. A
// game that draws its whole background every frame then costs, after the
// first frames, only the rows its sprites and text drew over.
#include <algorithm>
#include <cstring>

#include "ddraw/objects.h"
#include "ddraw/pixels.h"

namespace vplat::ddraw {

uint64_t NextWriteNumber() {
    static uint64_t last = 0;
    return ++last;
}

void Surface::Written(int top, int bottom) {
    lastWrite = NextWriteNumber();
    if (origins.empty()) {
        return;
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, static_cast<int>(origins.size()));
    for (int row = top; row < bottom; ++row) {
        origins[static_cast<size_t>(row)] = RowOrigin{};
    }
}

void CopyRowsTracked(Surface* dest, int x, int y, const Surface& source, const RECT& from) {
    if (dest->origins.size() != static_cast<size_t>(dest->height)) {
        dest->origins.assign(static_cast<size_t>(dest->height), RowOrigin{});
    }
    int bpp = dest->BytesPerPixel();
    int width = from.right - from.left;
    size_t rowBytes = static_cast<size_t>(width) * bpp;
    for (int row = 0; row < from.bottom - from.top; ++row) {
        RowOrigin wanted{{source.lastWrite, from.left, from.top + row}, x, width};
        RowOrigin& held = dest->origins[static_cast<size_t>(y + row)];
        if (held == wanted) {
            continue;
        }
        memcpy(dest->pixels + static_cast<size_t>(y + row) * dest->pitch +
                   static_cast<size_t>(x) * bpp,
               source.pixels + static_cast<size_t>(from.top + row) * source.pitch +
                   static_cast<size_t>(from.left) * bpp,
               rowBytes);
        held = wanted;
    }
    dest->lastWrite = NextWriteNumber();
}

}  // namespace vplat::ddraw
