// Copies that remember what they copied: the rows of a surface that already
// hold a plain copy of the very same source rows are not copied again. A
// game that draws its whole background every frame then costs, after the
// first frames, only the rows its sprites and text drew over.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "ddraw/surface_memory.h"

namespace vplat::ddraw {

uint64_t NextWriteNumber() {
    static uint64_t last = 0;
    return ++last;
}

bool SurfaceMemory::Allocate(int pitch, int rows) {
    size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(rows);
    bytes_.reset(new (std::nothrow) uint8_t[bytes]());
    pitch_ = pitch;
    rows_ = rows;
    origins_.clear();
    lastWrite_ = NextWriteNumber();
    return bytes_ != nullptr;
}

uint8_t* SurfaceMemory::Write(int top, int bottom) {
    lastWrite_ = NextWriteNumber();
    top = std::max(top, 0);
    bottom = std::min(bottom, static_cast<int>(origins_.size()));
    for (int row = top; row < bottom; ++row) {
        origins_[static_cast<size_t>(row)] = RowOrigin{};
    }
    return bytes_.get();
}

void SurfaceMemory::CopyTracked(int x, int y, const SurfaceMemory& source, const RECT& from,
                                int bytesPerPixel) {
    if (origins_.size() != static_cast<size_t>(rows_)) {
        origins_.assign(static_cast<size_t>(rows_), RowOrigin{});
    }
    int width = from.right - from.left;
    size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    for (int row = 0; row < from.bottom - from.top; ++row) {
        RowOrigin wanted{{source.lastWrite_, from.left, from.top + row}, x, width};
        RowOrigin& held = origins_[static_cast<size_t>(y + row)];
        if (held == wanted) {
            continue;
        }
        memcpy(bytes_.get() + static_cast<size_t>(y + row) * pitch_ +
                   static_cast<size_t>(x) * bytesPerPixel,
               source.bytes_.get() + static_cast<size_t>(from.top + row) * source.pitch_ +
                   static_cast<size_t>(from.left) * bytesPerPixel,
               rowBytes);
        held = wanted;
    }
    lastWrite_ = NextWriteNumber();
}

void SurfaceMemory::Trade(SurfaceMemory& other) {
    std::swap(bytes_, other.bytes_);
    std::swap(pitch_, other.pitch_);
    std::swap(rows_, other.rows_);
    std::swap(origins_, other.origins_);
    lastWrite_ = NextWriteNumber();
    other.lastWrite_ = NextWriteNumber();
}

}  // namespace vplat::ddraw
