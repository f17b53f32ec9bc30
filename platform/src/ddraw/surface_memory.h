// A surface's pixels, and what each of its rows is known to hold.
//
// The one idea: a row remembers the whole-row copy or fill it holds, as a
// tag (internal.h). A copy or fill that would give a row the tag it has is
// skipped, since the row holds those very pixels; any other write to a row
// is drawn at once and leaves the row's tag unknown. The presenter takes
// rows with the same known tag as the frame it showed last as unchanged.
//
// The bytes are private and every way to write them sets the tags of the
// rows it writes, so no row can keep a tag it does not hold.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "internal.h"

namespace vplat::ddraw {

class SurfaceMemory {
public:
    SurfaceMemory() = default;
    SurfaceMemory(const SurfaceMemory&) = delete;
    SurfaceMemory& operator=(const SurfaceMemory&) = delete;

    // `rows` rows of `pitch` bytes, all zero, `width` pixels of
    // `bytesPerPixel` bytes a row; false when there is no memory.
    bool Allocate(int width, int rows, int pitch, int bytesPerPixel);

    const uint8_t* Read() const { return bytes_.get(); }
    // One tag a row, from the top.
    const internal::RowTag* Tags() const { return tags_.data(); }

    // Source rectangle `from` of `source` (of the same pixel size, and may
    // be this memory) to (x, y); with a key, the source's pixels equal to it
    // are left out.
    void Copy(int x, int y, const SurfaceMemory& source, const RECT& from, const uint32_t* key);
    // Every pixel of `area` set to `value`.
    void Fill(const RECT& area, uint32_t value);
    // The memory for writes nothing here sees (Lock, a DC, junk after a
    // loss): every row counts as written when it is handed out and again
    // when it comes back.
    uint8_t* HandOut();
    void TakeBack() { HandOut(); }
    // Flip: two buffers trade their memory, each with its rows' tags.
    void Trade(SurfaceMemory& other);

private:
    uint8_t* Row(int y) { return bytes_.get() + static_cast<size_t>(y) * pitch_; }
    const uint8_t* Row(int y) const { return bytes_.get() + static_cast<size_t>(y) * pitch_; }
    // A row that did not hold it takes the copy `tag` names.
    [[gnu::noinline]] void CopyWholeRow(int row, const SurfaceMemory& source,
                                        const internal::RowTag& tag);
    // Rows top to bottom (one past the last) were written some other way.
    void Forget(int top, int bottom);

    std::unique_ptr<uint8_t[]> bytes_;
    std::vector<internal::RowTag> tags_;
    int width_ = 0;
    int pitch_ = 0;
    int rows_ = 0;
    int bytesPerPixel_ = 1;
    // Changes with every write; no two memories ever have the same number,
    // so a copy's tag names its source as it was.
    uint64_t version_ = 0;
};

}  // namespace vplat::ddraw
