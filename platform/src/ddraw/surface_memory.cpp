// Writes to a surface's memory.
#include "ddraw/surface_memory.h"

#include <new>
#include <utility>
#include <vector>

#include "ddraw/pixels.h"

namespace vplat::ddraw {

bool SurfaceMemory::Allocate(int rows, int pitch, int bytesPerPixel) {
    size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(rows);
    bytes_.reset(new (std::nothrow) uint8_t[bytes]());
    pitch_ = pitch;
    bytesPerPixel_ = bytesPerPixel;
    return bytes_ != nullptr;
}

void SurfaceMemory::Copy(int x, int y, const SurfaceMemory& source, const RECT& from,
                         const uint32_t* key) {
    int width = from.right - from.left;
    int rows = from.bottom - from.top;
    const uint8_t* in = source.Row(from.top) + static_cast<size_t>(from.left) * bytesPerPixel_;
    int inPitch = source.pitch_;
    std::vector<uint8_t> staged;
    if (&source == this) {  // the rectangles may overlap: read all before writing
        int rowBytes = width * bytesPerPixel_;
        staged.resize(static_cast<size_t>(rowBytes) * rows);
        CopyRows(staged.data(), rowBytes, in, inPitch, width, rows, bytesPerPixel_);
        in = staged.data();
        inPitch = rowBytes;
    }
    uint8_t* out = Row(y) + static_cast<size_t>(x) * bytesPerPixel_;
    if (key != nullptr) {
        CopyRowsKeyed(out, pitch_, in, inPitch, width, rows, bytesPerPixel_, *key);
    } else {
        CopyRows(out, pitch_, in, inPitch, width, rows, bytesPerPixel_);
    }
}

void SurfaceMemory::Fill(const RECT& area, uint32_t value) {
    uint8_t* out = Row(area.top) + static_cast<size_t>(area.left) * bytesPerPixel_;
    FillRows(out, pitch_, area.right - area.left, area.bottom - area.top, bytesPerPixel_, value);
}

void SurfaceMemory::Trade(SurfaceMemory& other) {
    std::swap(bytes_, other.bytes_);
    std::swap(pitch_, other.pitch_);
    std::swap(bytesPerPixel_, other.bytesPerPixel_);
}

}  // namespace vplat::ddraw
