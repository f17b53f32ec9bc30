// A surface's pixels, writable only through calls that record the write.
// Copies skip rows already known to hold the very same copy (row_origins.cpp);
// that is sound only while every write that may change a row forgets what
// the row was known to hold and takes a new write number, so no code can get
// at the memory for writing without doing so.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "internal.h"

namespace vplat::ddraw {

// A row of a surface's memory that is, from x for width pixels, a plain copy
// of a row of another surface as that surface was after a given write. Write
// numbers belong to one surface and are never reused, so the number names
// the source too; 0: the row is no such copy.
struct RowOrigin {
    internal::RowTag copied;
    int x = 0;
    int width = 0;
    bool operator==(const RowOrigin& other) const {
        return copied == other.copied && x == other.x && width == other.width;
    }
};

// A number for a write that no write of any surface had before.
uint64_t NextWriteNumber();

class SurfaceMemory {
public:
    SurfaceMemory() = default;
    SurfaceMemory(const SurfaceMemory&) = delete;
    SurfaceMemory& operator=(const SurfaceMemory&) = delete;

    // `rows` rows of `pitch` bytes, all zero; false when there is no memory.
    bool Allocate(int pitch, int rows);

    const uint8_t* Read() const { return bytes_.get(); }
    // Changes with every write that may change the pixels; numbers are never
    // reused, by this surface or any other.
    uint64_t LastWrite() const { return lastWrite_; }
    // What each row is known to hold (empty: nothing is known of any row).
    const std::vector<RowOrigin>& Origins() const { return origins_; }

    // The memory, for a write that may change rows top to bottom (one past
    // the last): what they held is forgotten before it is handed out.
    uint8_t* Write(int top, int bottom);
    uint8_t* WriteAll() { return Write(0, rows_); }
    // Memory handed to the game (Lock, GetDC) may be written at any time
    // until it comes back: all of it counts as written when it is handed out
    // and again when it comes back.
    uint8_t* HandOut() { return WriteAll(); }
    void TakeBack() { WriteAll(); }

    // A plain copy of source rectangle `from` (of the same pixel size) to
    // (x, y), skipping the rows that already hold it.
    void CopyTracked(int x, int y, const SurfaceMemory& source, const RECT& from,
                     int bytesPerPixel);
    // Flip: two buffers trade their memory, each with what its rows are
    // known to hold; both count as written.
    void Trade(SurfaceMemory& other);

private:
    std::unique_ptr<uint8_t[]> bytes_;
    int pitch_ = 0;
    int rows_ = 0;
    std::vector<RowOrigin> origins_;
    uint64_t lastWrite_ = 0;
};

}  // namespace vplat::ddraw
