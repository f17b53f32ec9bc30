// Writes to a surface's memory, each of which keeps the rows' tags true.
#include "ddraw/surface_memory.h"

#include <cstring>
#include <new>
#include <utility>

#include "ddraw/pixels.h"

namespace vplat::ddraw {
namespace {

uint64_t NextVersion() {
    static uint64_t last = 0;
    return ++last;
}

}  // namespace

bool SurfaceMemory::Allocate(int width, int rows, int pitch, int bytesPerPixel) {
    size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(rows);
    bytes_.reset(new (std::nothrow) uint8_t[bytes]());
    width_ = width;
    pitch_ = pitch;
    rows_ = rows;
    bytesPerPixel_ = bytesPerPixel;
    tags_.assign(static_cast<size_t>(rows), internal::RowTag{});
    version_ = NextVersion();
    return bytes_ != nullptr;
}

void SurfaceMemory::CopyWholeRow(int row, const SurfaceMemory& source,
                                 const internal::RowTag& tag) {
    tags_[static_cast<size_t>(row)] = tag;
    version_ = NextVersion();
    memcpy(Row(row),
           source.Row(static_cast<int>(tag.y)) + static_cast<size_t>(tag.x) * bytesPerPixel_,
           static_cast<size_t>(width_) * bytesPerPixel_);
}

void SurfaceMemory::Forget(int top, int bottom) {
    for (int row = top; row < bottom; ++row) {
        tags_[static_cast<size_t>(row)] = internal::RowTag{};
    }
    version_ = NextVersion();
}

void SurfaceMemory::Copy(int x, int y, const SurfaceMemory& source, const RECT& from,
                         const uint32_t* key) {
    int width = from.right - from.left;
    int rows = from.bottom - from.top;
    size_t left = static_cast<size_t>(from.left) * bytesPerPixel_;
    if (key == nullptr && x == 0 && width == width_ && &source != this) {
        // A whole picture looks at every row's tag and draws few rows: the
        // look is kept to a compare, the drawing out of the way.
        const internal::RowTag* held = &tags_[static_cast<size_t>(y)];
        internal::RowTag tag = internal::RowTag::Copy(source.version_, from.left, from.top);
        for (int i = 0; i < rows; ++i, ++tag.y) {
            if (!held[i].Matches(tag)) {
                CopyWholeRow(y + i, source, tag);
            }
        }
        return;
    }
    const uint8_t* in = source.Row(from.top) + left;
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
    Forget(y, y + rows);
}

void SurfaceMemory::Fill(const RECT& area, uint32_t value) {
    int width = area.right - area.left;
    uint8_t* out = Row(area.top) + static_cast<size_t>(area.left) * bytesPerPixel_;
    if (width != width_) {
        FillRows(out, pitch_, width, area.bottom - area.top, bytesPerPixel_, value);
        Forget(area.top, area.bottom);
        return;
    }
    internal::RowTag tag = internal::RowTag::Fill(value);
    for (int row = area.top; row < area.bottom; ++row) {
        if (!tags_[static_cast<size_t>(row)].Matches(tag)) {
            tags_[static_cast<size_t>(row)] = tag;
            version_ = NextVersion();
            FillRows(Row(row), pitch_, width, 1, bytesPerPixel_, value);
        }
    }
}

uint8_t* SurfaceMemory::HandOut() {
    Forget(0, rows_);
    return bytes_.get();
}

void SurfaceMemory::Trade(SurfaceMemory& other) {
    std::swap(bytes_, other.bytes_);
    std::swap(tags_, other.tags_);
    std::swap(width_, other.width_);
    std::swap(pitch_, other.pitch_);
    std::swap(rows_, other.rows_);
    std::swap(bytesPerPixel_, other.bytesPerPixel_);
    // Each now holds what the other's number named.
    version_ = NextVersion();
    other.version_ = NextVersion();
}

}  // namespace vplat::ddraw
