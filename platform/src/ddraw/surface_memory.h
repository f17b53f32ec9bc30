// A surface's pixels: a plain buffer, private to its type, and every write to
// it is drawn at once. What a presenter sends is found by comparing frames
// (present/changes.h), never by remembering here what was written.
#pragma once

#include <cstdint>
#include <memory>

#include <windows.h>

namespace vplat::ddraw {

class SurfaceMemory {
public:
    SurfaceMemory() = default;
    SurfaceMemory(const SurfaceMemory&) = delete;
    SurfaceMemory& operator=(const SurfaceMemory&) = delete;

    // `rows` rows of `pitch` bytes, all zero, of pixels `bytesPerPixel`
    // bytes each; false when there is no memory.
    bool Allocate(int rows, int pitch, int bytesPerPixel);

    const uint8_t* Read() const { return bytes_.get(); }
    // The memory for writes made outside this type: a Lock, a DC, junk after
    // a loss.
    uint8_t* Writable() { return bytes_.get(); }

    // Source rectangle `from` of `source` (of the same pixel size, and may
    // be this memory) to (x, y); with a key, the source's pixels equal to it
    // are left out.
    void Copy(int x, int y, const SurfaceMemory& source, const RECT& from, const uint32_t* key);
    // Every pixel of `area` set to `value`.
    void Fill(const RECT& area, uint32_t value);
    // Flip: two buffers trade their memory.
    void Trade(SurfaceMemory& other);

private:
    uint8_t* Row(int y) { return bytes_.get() + static_cast<size_t>(y) * pitch_; }
    const uint8_t* Row(int y) const { return bytes_.get() + static_cast<size_t>(y) * pitch_; }

    std::unique_ptr<uint8_t[]> bytes_;
    int pitch_ = 0;
    int bytesPerPixel_ = 1;
};

}  // namespace vplat::ddraw
