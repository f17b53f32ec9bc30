// A surface's pixels, writable only through calls that record the write.
// Fills and copies skip rows already known to hold what they would draw
// (row_origins.cpp); that is sound only while every write that may change a
// row forgets what the row was known to hold and takes a new write number,
// so no code can get at the memory for writing without doing so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "internal.h"

namespace vplat::ddraw {

class SurfaceMemory;

// One drawing on one row that sets every pixel it touches to a value that
// does not depend on what the pixel held: a fill, a plain copy or a keyed
// copy. Drawing the same list of such paints twice over a row leaves it as
// drawing it once did, which is what lets a repeated frame be skipped.
struct RowPaint {
    enum class Kind : uint8_t { Fill, Copy, KeyedCopy };
    // Copies: the source row as its surface was after a given write (write
    // numbers are never reused, so the number names the source too).
    internal::RowTag source;
    int x = 0;
    int width = 0;
    uint32_t value = 0;  // the fill's colour or the copy's key
    Kind kind = Kind::Fill;
    uint8_t bytesPerPixel = 1;
    uint16_t unused = 0;  // no padding above: the fields compare as bytes
    // Where the source row is read when a skipped paint must be drawn after
    // all; not compared, the write number says which memory it is.
    const SurfaceMemory* from = nullptr;
    // As four words: compared for every row of every copy, and a call to
    // memcmp costs more than the compare.
    bool operator==(const RowPaint& other) const {
        uint64_t mine[4];
        uint64_t theirs[4];
        memcpy(mine, this, sizeof mine);
        memcpy(theirs, &other, sizeof theirs);
        return ((mine[0] ^ theirs[0]) | (mine[1] ^ theirs[1]) | (mine[2] ^ theirs[2]) |
                (mine[3] ^ theirs[3])) == 0;
    }
};
static_assert(offsetof(RowPaint, from) == 4 * sizeof(uint64_t),
              "RowPaint's compared fields have no padding");
static_assert(sizeof(RowPaint) + 2 * sizeof(uint32_t) <= 64, "a row's first paint and counts");

// What a row holds: `size` paints drawn in order over something unknown
// (known wholly when the first paint covers the row). While a frame repeats
// them, `matched` counts those repeated so far, not yet drawn (see
// row_origins.cpp). The first paint is kept in place: most rows hold one.
// What a repeating frame looks at (the first paint and the counts) fills
// the first cache line alone; the rest is read when a row changes or is
// shown.
struct alignas(64) RowRecipe {
    RowPaint first;
    uint32_t size = 0;
    uint32_t matched = 0;
    std::vector<RowPaint> more;    // the paints after the first
    mutable internal::RowTag tag;  // worked out when first asked; write 0: not yet
    // With the tag: the first paint's alone, and the columns the others
    // touch (none for one paint).
    mutable internal::RowTag base;
    mutable int left = 0;
    mutable int right = 0;

    const RowPaint& operator[](uint32_t i) const { return i == 0 ? first : more[i - 1]; }
    RowPaint& operator[](uint32_t i) { return i == 0 ? first : more[i - 1]; }
    void Push(const RowPaint& paint) {
        if (size++ == 0) {
            first = paint;
        } else {
            more.push_back(paint);
        }
    }
    void Keep(uint32_t count) {  // the first `count` paints
        size = count;
        more.resize(count > 0 ? count - 1 : 0);
    }
};

// A number for a write that no write of any surface had before.
uint64_t NextWriteNumber();

class SurfaceMemory {
public:
    SurfaceMemory() = default;
    SurfaceMemory(const SurfaceMemory&) = delete;
    SurfaceMemory& operator=(const SurfaceMemory&) = delete;
    ~SurfaceMemory();

    // `rows` rows of `pitch` bytes, all zero, `width` pixels of
    // `bytesPerPixel` bytes a row; false when there is no memory.
    bool Allocate(int width, int rows, int pitch, int bytesPerPixel);

    const uint8_t* Read() const;
    // The pixels as Read would find them, in a copy: the paints a repeating
    // frame has not drawn yet are drawn there, not here, so that looking
    // changes nothing the frame goes on to repeat (for checks).
    void Peek(std::vector<uint8_t>* pixels) const;
    // Changes with every write that may change the pixels; numbers are never
    // reused, by this surface or any other.
    uint64_t LastWrite() const { return lastWrite_; }
    // What a row is known to hold, as a tag that only a row holding the very
    // same pixels has; write 0 when nothing is known of the whole row.
    internal::RowTag TagOf(int row) const;

    // The memory, for a write that may change rows top to bottom (one past
    // the last): what they held is forgotten before it is handed out.
    uint8_t* Write(int top, int bottom);
    uint8_t* WriteAll() { return Write(0, rows_); }
    // Memory handed to the game (Lock, GetDC) may be written at any time
    // until it comes back: all of it counts as written when it is handed out
    // and again when it comes back.
    uint8_t* HandOut() { return WriteAll(); }
    void TakeBack() { WriteAll(); }

    // What the rows are known to hold (TagOf), as runs from the top.
    void TagRuns(std::vector<internal::TagRun>* runs) const;

    // A plain copy of source rectangle `from` (of the same pixel size) to
    // (x, y); with a key, the source's pixels equal to it are left out.
    // `source` must be other memory than this.
    void CopyTracked(int x, int y, const SurfaceMemory& source, const RECT& from,
                     const uint32_t* key);
    // Every pixel of `area` set to `value`.
    void FillTracked(const RECT& area, uint32_t value);
    // Flip: two buffers trade their memory, each with what its rows are
    // known to hold; both count as written.
    void Trade(SurfaceMemory& other);

private:
    void PaintRows(int top, int count, RowPaint paint, int sourceTop);
    // Frames drawn again as the last one on this memory (row_replay.cpp).
    void LogFrom(bool repeat);
    bool Replayed(int top, int count, const RowPaint& paint);
    bool Astray(int top, int bottom) const;
    void GoAstray(int top, int bottom);
    void Log(int top, int count, const RowPaint& paint);
    // `paint` over `row` of rows from `top`: its source row is that of `top`.
    void PaintOver(int row, int top, RowPaint paint);
    void PaintRow(int row, const RowPaint& paint);
    bool RepaintBlock(int top, int count, const RowPaint& paint);
    // True when the paint starts a new block.
    bool NoteBlock(int top, int count, const RowPaint& paint);
    void AddOddRows(int from, int to);
    void Draw(int row, const RowPaint& paint);
    void DrawInto(uint8_t* bytes, int row, const RowPaint& paint) const;
    void DrawAgain(uint8_t* bytes, int row, const RowRecipe& recipe, uint32_t count) const;
    bool Covers(const RowPaint& paint) const { return paint.x == 0 && paint.width == width_; }
    void DrawPending();
    friend void DrawPendingPaints();
    std::vector<int> pendingRows_;  // rows a repeating frame has matched in part

    std::unique_ptr<uint8_t[]> bytes_;
    int width_ = 0;
    int pitch_ = 0;
    int rows_ = 0;
    int bytesPerPixel_ = 1;
    std::vector<RowRecipe> recipes_;
    uint64_t lastWrite_ = 0;

    // The last paint of a whole row over many rows, all of which hold just
    // it but the odd ones (row_blocks.cpp); count 0: none.
    struct Block {
        RowPaint paint;  // the source row of the first row
        int top = 0;
        int count = 0;
        std::vector<int> odd;  // from the top down
    };
    void AddRowTags(std::vector<internal::TagRun>* runs, int from, int to) const;
    Block block_;

    // The paints drawn since the block's paint, in order, and those the last
    // frame on this memory drew after it: while a frame draws them again,
    // each row holds, next in its list, just what the next one draws there,
    // so it is counted with no compare (row_replay.cpp).
    struct Logged {
        RowPaint paint;  // the source row of the first row
        int top = 0;
        int count = 0;
        bool operator==(const Logged& other) const {
            return paint == other.paint && paint.from == other.paint.from && top == other.top &&
                   count == other.count;
        }
    };
    struct Replay {
        std::vector<Logged> log;
        std::vector<Logged> last;
        size_t next = 0;  // how many of `last` this frame has come past
        // Rows, top and bottom, whose lists this frame no longer follow
        // `last`: drawn by other paints, or not by one of `last`'s.
        std::vector<std::pair<int, int>> astray;
        bool logging = false;    // every row's list holds just what `log` says
        bool repeating = false;  // this frame may yet draw `last` again
    };
    Replay replay_;
    // Set when a paint starts a row's list again or finds it drawn already
    // (the list is not the row's paints since the block, one by one).
    bool restarted_ = false;
};

// Draws the paints a repeating frame has so far left undrawn. Called before
// anything reads or writes any surface's memory other than by the next paint
// of that frame, so that what they would read is still there.
void DrawPendingPaints();

}  // namespace vplat::ddraw
