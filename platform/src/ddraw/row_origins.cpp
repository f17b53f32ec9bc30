// Drawing that remembers what it drew. Each row keeps the list of fills and
// copies drawn over it; a frame that draws a row exactly as the last frame
// that drew it did leaves it as it is. A game that draws its whole picture
// every frame then costs, after the first frames, only the rows that change.
//
// Every paint sets the pixels it touches without looking at them, so a list
// of paints drawn over its own result changes nothing. While a frame repeats
// a row's list, the repeated paints are not drawn but counted; if the frame
// then draws something else on the row, or anything at all happens to any
// surface's memory first, the counted paints are drawn after all, exactly
// as they would have been. Nothing but these paints can have happened in
// between, so the sources they read still hold what they held.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "ddraw/pixels.h"
#include "ddraw/surface_memory.h"

namespace vplat::ddraw {
namespace {

// The memory with counted paints not yet drawn, if any.
SurfaceMemory* g_pending = nullptr;

// A row drawn over by more paints than this starts its list again, from
// nothing known, so that a list cannot grow without end.
constexpr size_t kLongestRecipe = 24;

bool Whole(const RowPaint& paint, int width) {
    return paint.x == 0 && paint.width == width && paint.kind != RowPaint::Kind::KeyedCopy;
}

}  // namespace

uint64_t NextWriteNumber() {
    static uint64_t last = 0;
    return ++last;
}

void DrawPendingPaints() {
    SurfaceMemory* pending = g_pending;
    g_pending = nullptr;
    if (pending != nullptr) {
        pending->DrawPending();
    }
}

SurfaceMemory::~SurfaceMemory() {
    if (g_pending == this) {
        g_pending = nullptr;  // nothing will read these pixels again
    }
    DrawPendingPaints();  // they may read this memory
}

bool SurfaceMemory::Allocate(int width, int rows, int pitch, int bytesPerPixel) {
    DrawPendingPaints();
    size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(rows);
    bytes_.reset(new (std::nothrow) uint8_t[bytes]());
    width_ = width;
    pitch_ = pitch;
    rows_ = rows;
    bytesPerPixel_ = bytesPerPixel;
    recipes_.assign(static_cast<size_t>(rows), RowRecipe{});
    pendingRows_.clear();
    block_ = Block{};
    replay_ = Replay{};
    lastWrite_ = NextWriteNumber();
    return bytes_ != nullptr;
}

const uint8_t* SurfaceMemory::Read() const {
    DrawPendingPaints();
    return bytes_.get();
}

uint8_t* SurfaceMemory::Write(int top, int bottom) {
    DrawPendingPaints();
    lastWrite_ = NextWriteNumber();
    top = std::max(top, 0);
    bottom = std::min(bottom, rows_);
    for (int row = top; row < bottom; ++row) {
        recipes_[static_cast<size_t>(row)] = RowRecipe{};
    }
    block_.count = 0;
    replay_.logging = false;
    replay_.repeating = false;
    return bytes_.get();
}

void SurfaceMemory::CopyTracked(int x, int y, const SurfaceMemory& source, const RECT& from,
                                const uint32_t* key) {
    RowPaint paint;
    paint.kind = key != nullptr ? RowPaint::Kind::KeyedCopy : RowPaint::Kind::Copy;
    paint.source.write = source.lastWrite_;
    paint.source.sourceX = from.left;
    paint.x = x;
    paint.width = from.right - from.left;
    paint.value = key != nullptr ? *key : 0;
    paint.from = &source;
    PaintRows(y, from.bottom - from.top, paint, from.top);
}

void SurfaceMemory::FillTracked(const RECT& area, uint32_t value) {
    RowPaint paint;
    paint.x = area.left;
    paint.width = area.right - area.left;
    paint.value = value;
    PaintRows(area.top, area.bottom - area.top, paint, 0);
}

void SurfaceMemory::PaintRows(int top, int count, RowPaint paint, int sourceTop) {
    if (g_pending != this) {
        DrawPendingPaints();
    }
    paint.bytesPerPixel = static_cast<uint8_t>(bytesPerPixel_);
    paint.source.sourceY = paint.kind != RowPaint::Kind::Fill ? sourceTop : 0;
    if (RepaintBlock(top, count, paint)) {
        LogFrom(true);
    } else if (Replayed(top, count, paint)) {
        Log(top, count, paint);
    } else {
        restarted_ = false;
        for (int row = top; row < top + count; ++row) {
            PaintOver(row, top, paint);
        }
        if (NoteBlock(top, count, paint)) {
            LogFrom(false);
        } else {
            Log(top, count, paint);
        }
    }
    lastWrite_ = NextWriteNumber();
}

void SurfaceMemory::PaintOver(int row, int top, RowPaint paint) {
    if (paint.kind != RowPaint::Kind::Fill) {
        paint.source.sourceY += row - top;
    }
    RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
    if (recipe.size == 1 && recipe.matched == 1 && recipe.first == paint) {
        recipe.first.from = paint.from;  // the row holds just this: the commonest case
        restarted_ = true;
        return;
    }
    PaintRow(row, paint);
}

void SurfaceMemory::PaintRow(int row, const RowPaint& paint) {
    RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
    if (recipe.matched < recipe.size) {
        if (recipe[recipe.matched] == paint) {
            recipe[recipe.matched++].from = paint.from;
            return;
        }
        // The frame draws something else here: what it repeated so far is
        // drawn after all, unless this paint covers it anyway.
        if (!Whole(paint, width_)) {
            DrawAgain(bytes_.get(), row, recipe, recipe.matched);
        }
        recipe.Keep(recipe.matched);
    } else if (recipe.size > 0 && recipe.first == paint) {
        recipe.first.from = paint.from;
        recipe.matched = 1;
        restarted_ = true;
        if (recipe.size > 1) {
            g_pending = this;
            pendingRows_.push_back(row);
        }
        return;
    }
    Draw(row, paint);
    if (Whole(paint, width_) || recipe.size >= kLongestRecipe) {
        recipe.Keep(0);
        restarted_ = true;
    }
    recipe.Push(paint);
    recipe.matched = recipe.size;
    recipe.tag = internal::RowTag{};
}

void SurfaceMemory::Draw(int row, const RowPaint& paint) {
    DrawInto(bytes_.get(), row, paint);
}

void SurfaceMemory::DrawInto(uint8_t* bytes, int row, const RowPaint& paint) const {
    int bpp = paint.bytesPerPixel;
    uint8_t* out = bytes + static_cast<size_t>(row) * pitch_ + static_cast<size_t>(paint.x) * bpp;
    if (paint.kind == RowPaint::Kind::Fill) {
        FillRows(out, pitch_, paint.width, 1, bpp, paint.value);
        return;
    }
    const SurfaceMemory& source = *paint.from;
    const uint8_t* in = source.bytes_.get() +
                        static_cast<size_t>(paint.source.sourceY) * source.pitch_ +
                        static_cast<size_t>(paint.source.sourceX) * bpp;
    if (paint.kind == RowPaint::Kind::Copy) {
        memcpy(out, in, static_cast<size_t>(paint.width) * bpp);
    } else {
        CopyRowsKeyed(out, pitch_, in, source.pitch_, paint.width, 1, bpp, paint.value);
    }
}

// The row holds its whole list, and is to hold only the first `count`
// paints of it: where the paints after them drew, what the first ones drew
// is put back. Elsewhere the row holds that still.
void SurfaceMemory::DrawAgain(uint8_t* bytes, int row, const RowRecipe& recipe,
                              uint32_t count) const {
    int left = width_;
    int right = 0;
    for (uint32_t i = count; i < recipe.size; ++i) {
        left = std::min(left, recipe[i].x);
        right = std::max(right, recipe[i].x + recipe[i].width);
    }
    for (uint32_t i = 0; i < count; ++i) {
        RowPaint part = recipe[i];
        int from = std::max(part.x, left);
        int to = std::min(part.x + part.width, right);
        if (from < to) {
            part.source.sourceX += from - part.x;  // a copy reads from as far in
            part.x = from;
            part.width = to - from;
            DrawInto(bytes, row, part);
        }
    }
}

void SurfaceMemory::DrawPending() {
    for (int row : pendingRows_) {
        RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
        if (recipe.matched == recipe.size) {
            continue;  // repeated whole, or drawn since
        }
        // The row holds the whole list; the frame so far drew only its start.
        DrawAgain(bytes_.get(), row, recipe, recipe.matched);
        recipe.Keep(recipe.matched);
        recipe.tag = internal::RowTag{};
    }
    pendingRows_.clear();
    replay_.repeating = false;
}

void SurfaceMemory::Peek(std::vector<uint8_t>* pixels) const {
    if (bytes_ == nullptr) {
        pixels->clear();
        return;
    }
    pixels->assign(bytes_.get(), bytes_.get() + static_cast<size_t>(pitch_) * rows_);
    if (g_pending != this) {
        return;
    }
    for (int row : pendingRows_) {
        const RowRecipe& recipe = recipes_[static_cast<size_t>(row)];
        if (recipe.matched < recipe.size) {
            DrawAgain(pixels->data(), row, recipe, recipe.matched);
        }
    }
}

void SurfaceMemory::Trade(SurfaceMemory& other) {
    DrawPendingPaints();
    std::swap(bytes_, other.bytes_);
    std::swap(width_, other.width_);
    std::swap(pitch_, other.pitch_);
    std::swap(rows_, other.rows_);
    std::swap(bytesPerPixel_, other.bytesPerPixel_);
    std::swap(recipes_, other.recipes_);
    std::swap(pendingRows_, other.pendingRows_);
    std::swap(block_, other.block_);
    std::swap(replay_, other.replay_);
    lastWrite_ = NextWriteNumber();
    other.lastWrite_ = NextWriteNumber();
}

}  // namespace vplat::ddraw
