// A game that draws its whole picture every frame draws, after the block's
// paint, mostly what it drew the last time on the same memory: the same
// sprites and the same text at the same places. Each memory logs the paints
// drawn since the block's; while a frame draws the last frame's paints again,
// one by one, every row they touch holds next in its list just the row of
// that paint, so it is counted as repeated with no compare. A text of eight
// glyphs over sixteen rows is then eight compares, not 128.
//
// That holds only while each row's list is exactly the block's paint and
// then the logged paints that touch it, in order. Whatever else shapes a list
// ends the log: a paint that starts a list again (one that covers the row, or
// one beyond the longest list) or that finds the row holding just it, a paint
// outside the block's rows, any other write. The rows of a paint drawn again
// are odd rows of the block still: they held it the last time, and so more
// than the block's paint.
#include <utility>

#include "ddraw/surface_memory.h"

namespace vplat::ddraw {
namespace {

// A log this long is given up: a frame does not draw so many things.
constexpr size_t kLongestLog = 256;
// A frame that strays from the last one in more places is not followed.
constexpr size_t kMostAstray = 16;

}  // namespace

void SurfaceMemory::LogFrom(bool repeat) {
    Replay& replay = replay_;
    if (repeat && replay.logging) {
        std::swap(replay.last, replay.log);
    } else {
        replay.last.clear();
    }
    replay.log.clear();
    replay.astray.clear();
    replay.next = 0;
    replay.logging = true;
    replay.repeating = !replay.last.empty();
}

bool SurfaceMemory::Replayed(int top, int count, const RowPaint& paint) {
    Replay& replay = replay_;
    if (!replay.repeating) {
        return false;
    }
    bool same =
        replay.next < replay.last.size() && replay.last[replay.next] == Logged{paint, top, count};
    if (same && !Astray(top, top + count)) {
        // Every row has a next paint, as the log says; not looking would
        // count past the end of a list if the log were wrong.
        for (int row = top; row < top + count; ++row) {
            const RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
            if (recipe.matched >= recipe.size) {
                replay.repeating = false;
                replay.logging = false;
                return false;
            }
        }
        for (int row = top; row < top + count; ++row) {
            ++recipes_[static_cast<size_t>(row)].matched;
        }
        ++replay.next;
        return true;
    }
    // Drawn row by row instead, most likely in the place of the next one of
    // the last frame (a sprite moved): the rows of both go astray.
    GoAstray(top, top + count);
    if (replay.next < replay.last.size()) {
        const Logged& passed = replay.last[replay.next++];
        GoAstray(passed.top, passed.top + passed.count);
    }
    return false;
}

bool SurfaceMemory::Astray(int top, int bottom) const {
    for (const auto& rows : replay_.astray) {
        if (rows.first < bottom && top < rows.second) {
            return true;
        }
    }
    return false;
}

void SurfaceMemory::GoAstray(int top, int bottom) {
    Replay& replay = replay_;
    if (replay.astray.size() >= kMostAstray) {
        replay.repeating = false;  // a frame unlike the last
        return;
    }
    replay.astray.emplace_back(top, bottom);
}

void SurfaceMemory::Log(int top, int count, const RowPaint& paint) {
    Replay& replay = replay_;
    if (!replay.logging) {
        return;
    }
    const Block& block = block_;
    if (restarted_ || block.count == 0 || top < block.top ||
        top + count > block.top + block.count || replay.log.size() >= kLongestLog) {
        replay.logging = false;
        replay.repeating = false;
        return;
    }
    replay.log.push_back(Logged{paint, top, count});
}

}  // namespace vplat::ddraw
