// A game that draws its whole picture every frame starts each frame with
// the same copy (or fill) of whole rows over the same rows. Each memory
// keeps the last such paint over many rows, and the few rows that have held
// anything else since: the odd rows. Every other row of the block holds
// just that paint, so drawing it again looks at the odd rows only, and the
// rows' tags come from the paint, without going through hundreds of rows
// that would all be found as they were.
#include <algorithm>

#include "ddraw/surface_memory.h"

namespace vplat::ddraw {
namespace {

// Fewer rows than this are looked at one by one anyway.
constexpr int kLeastRows = 16;

}  // namespace

bool SurfaceMemory::RepaintBlock(int top, int count, const RowPaint& paint) {
    Block& block = block_;
    if (block.count == 0 || block.top != top || block.count != count || !(block.paint == paint)) {
        return false;
    }
    // A row the paint covers whole holds just it after, unless the frame
    // repeats more that row held: then it stays odd.
    size_t kept = 0;
    for (int row : block.odd) {
        PaintOver(row, top, paint);
        if (recipes_[static_cast<size_t>(row)].size != 1) {
            block.odd[kept++] = row;
        }
    }
    block.odd.resize(kept);
    return true;
}

bool SurfaceMemory::NoteBlock(int top, int count, const RowPaint& paint) {
    Block& block = block_;
    if (count >= kLeastRows && paint.x == 0 && paint.width == width_ &&
        paint.kind != RowPaint::Kind::KeyedCopy) {
        block.paint = paint;
        block.top = top;
        block.count = count;
        block.odd.clear();
        for (int row = top; row < top + count && block.count != 0; ++row) {
            if (recipes_[static_cast<size_t>(row)].size != 1) {
                AddOddRows(row, row + 1);
            }
        }
        return true;
    }
    AddOddRows(std::max(top, block.top), std::min(top + count, block.top + block.count));
    return false;
}

void SurfaceMemory::AddOddRows(int from, int to) {
    // A frame draws over the same rows frame after frame: most are odd
    // already, and the search is done once for them all.
    std::vector<int>& odd = block_.odd;
    auto at = std::lower_bound(odd.begin(), odd.end(), from);
    for (int row = from; row < to; ++row, ++at) {
        if (at != odd.end() && *at == row) {
            continue;
        }
        if (odd.size() * 2 >= static_cast<size_t>(block_.count)) {
            block_.count = 0;  // as many odd rows as not: no cheaper than row by row
            return;
        }
        at = odd.insert(at, row);
    }
}

// Rows from `from` to `to`, each as TagOf knows it. Copies of a whole row
// are known by their source row, the rest by a number (column -1).
void SurfaceMemory::AddRowTags(std::vector<internal::TagRun>* runs, int from, int to) const {
    for (int row = from; row < to; ++row) {
        internal::RowTag tag = TagOf(row);
        if (tag.write == 0) {
            continue;
        }
        internal::TagRun run = internal::PlainRun(row, 1, tag, tag.sourceX >= 0);
        const RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
        run.base = recipe.base;
        run.left = recipe.left;
        run.right = recipe.right;
        internal::AddTagRun(runs, run);
    }
}

void SurfaceMemory::TagRuns(std::vector<internal::TagRun>* runs) const {
    DrawPendingPaints();
    runs->clear();
    const Block& block = block_;
    if (block.count == 0) {
        AddRowTags(runs, 0, rows_);
        return;
    }
    int top = block.top;
    int end = top + block.count;
    AddRowTags(runs, 0, top);
    // The block's rows that hold just its paint: a whole copy is known by
    // its source rows, and a fill is the same list on every row.
    bool fill = block.paint.kind == RowPaint::Kind::Fill;
    internal::TagRun plain = internal::PlainRun(top, block.count, block.paint.source, !fill);
    auto addPlain = [&](int from, int to) {
        if (to > from) {
            if (fill && plain.first.write == 0) {
                plain.first = TagOf(from);
                plain.base = plain.first;
            }
            internal::AddTagRun(runs,
                                internal::PlainRun(from, to - from, plain.At(from), plain.step));
        }
    };
    int row = top;
    for (int odd : block.odd) {
        addPlain(row, odd);
        AddRowTags(runs, odd, odd + 1);
        row = odd + 1;
    }
    addPlain(row, end);
    AddRowTags(runs, end, rows_);
}

}  // namespace vplat::ddraw
