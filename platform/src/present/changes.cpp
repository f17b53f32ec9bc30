#include "present/changes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vplat::present {
namespace {

// Beyond this many rectangles, one that holds them all costs less to send
// than the calls would.
constexpr size_t kMostRects = 32;
// Where two rows differ is looked for this many bytes at a time, then byte
// by byte.
constexpr int kStep = 32;

// The columns first to last (one past) where two rows differ; false when
// they are equal.
bool Differs(const uint8_t* a, const uint8_t* b, int width, int* first, int* last) {
    if (memcmp(a, b, width) == 0) {  // most rows: the library's vectorised compare
        return false;
    }
    int x = 0;
    int end = width;
    while (x + kStep <= width && memcmp(a + x, b + x, kStep) == 0) {
        x += kStep;
    }
    while (a[x] == b[x]) {
        ++x;
    }
    while (end - kStep > x && memcmp(a + end - kStep, b + end - kStep, kStep) == 0) {
        end -= kStep;
    }
    while (a[end - 1] == b[end - 1]) {
        --end;
    }
    *first = x;
    *last = end;
    return true;
}

// How many rows from y on are known to hold what the kept rows hold.
int KnownSame(const internal::RowTag* now, const internal::RowTag* kept, int y, int height) {
    int end = y;
    while (end < height && now[end].Matches(kept[end])) {
        ++end;
    }
    return end - y;
}

void KeepWhole(KeptFrame& kept, const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette) {
    kept.width = width;
    kept.height = height;
    PackRows(pixels, width, height, pitch, &kept.indices);
    memcpy(kept.palette, palette, sizeof kept.palette);
    kept.valid = true;
}

// Rows that differ next to each other make one rectangle, as wide as the
// widest of them.
void AddRow(std::vector<ChangedRect>* changed, bool open, int y, int first, int last) {
    if (!open) {
        changed->push_back(ChangedRect{first, y, last, y + 1});
        return;
    }
    ChangedRect& band = changed->back();
    band.left = std::min(band.left, first);
    band.right = std::max(band.right, last);
    band.bottom = y + 1;
}

}  // namespace

void PackRows(const uint8_t* pixels, int width, int height, int pitch,
              std::vector<uint8_t>* indices) {
    indices->resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        memcpy(indices->data() + static_cast<size_t>(y) * width,
               pixels + static_cast<ptrdiff_t>(y) * pitch, width);
    }
}

void ForgetKeptFrame(KeptFrame& kept) {
    kept.valid = false;
}

void TakeChanges(KeptFrame& kept, const uint8_t* pixels, int width, int height, int pitch,
                 const PALETTEENTRY* palette, std::vector<ChangedRect>* changed,
                 const internal::RowTag* tags) {
    changed->clear();
    if (width <= 0 || height <= 0) {
        return;
    }
    bool whole = !kept.valid || kept.width != width || kept.height != height ||
                 memcmp(kept.palette, palette, sizeof kept.palette) != 0;
    if (whole) {
        KeepWhole(kept, pixels, width, height, pitch, palette);
        changed->push_back(ChangedRect{0, 0, width, height});
    }
    bool open = false;
    for (int y = 0; y < height && !whole; ++y) {
        int same = tags != nullptr ? KnownSame(tags, kept.tags.data(), y, height) : 0;
        if (same > 0) {
            y += same - 1;
            open = false;
            continue;
        }
        const uint8_t* row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        uint8_t* keptRow = kept.indices.data() + static_cast<size_t>(y) * width;
        int first = 0;
        int last = 0;
        bool differs = Differs(row, keptRow, width, &first, &last);
        if (differs) {
            memcpy(keptRow + first, row + first, last - first);
            AddRow(changed, open, y, first, last);
        }
        open = differs;
    }
    // True of the kept rows now that they are brought up to date.
    if (tags != nullptr) {
        kept.tags.assign(tags, tags + height);
    } else {
        kept.tags.assign(static_cast<size_t>(height), internal::RowTag{});
    }
    if (changed->size() > kMostRects) {
        ChangedRect all = changed->front();
        for (const ChangedRect& r : *changed) {
            all.left = std::min(all.left, r.left);
            all.right = std::max(all.right, r.right);
        }
        all.bottom = changed->back().bottom;
        changed->assign(1, all);
    }
}

}  // namespace vplat::present
