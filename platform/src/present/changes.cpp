#include "present/changes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vplat::present {
namespace {

// Beyond this many rectangles, one that holds them all costs less to send
// than the calls would.
constexpr size_t kMostRects = 32;

// The first column at which two rows differ; width when they are equal.
int FirstDifference(const uint8_t* a, const uint8_t* b, int width) {
    // Most rows are equal: the library's vectorised compare says so fastest.
    if (memcmp(a, b, width) == 0) {
        return width;
    }
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        uint64_t wa;
        uint64_t wb;
        memcpy(&wa, a + x, 8);
        memcpy(&wb, b + x, 8);
        if (wa != wb) {
            break;
        }
    }
    while (x < width && a[x] == b[x]) {
        ++x;
    }
    return x;
}

// One past the last column at which two rows differ, searching no lower
// than `first` (a column known to differ).
int LastDifference(const uint8_t* a, const uint8_t* b, int first, int width) {
    int end = width;
    for (; end - 8 >= first; end -= 8) {
        uint64_t wa;
        uint64_t wb;
        memcpy(&wa, a + end - 8, 8);
        memcpy(&wb, b + end - 8, 8);
        if (wa != wb) {
            break;
        }
    }
    while (end > first && a[end - 1] == b[end - 1]) {
        --end;
    }
    return end;
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

namespace {

void KeepTags(KeptFrame& kept, const PALETTEENTRY* palette, const internal::FrameTags* tags) {
    if (tags != nullptr) {
        kept.tags = *tags;  // assigned, not built anew: the runs keep their memory
    } else {
        kept.tags = internal::FrameTags();
    }
    kept.paletteFrom = palette;
}

// The palette is the kept one: known by its stamp, or else compared.
bool SamePalette(const KeptFrame& kept, const PALETTEENTRY* palette,
                 const internal::FrameTags* tags) {
    if (tags != nullptr && tags->paletteStamp != 0 &&
        tags->paletteStamp == kept.tags.paletteStamp && palette == kept.paletteFrom) {
        return true;
    }
    return memcmp(kept.palette, palette, sizeof kept.palette) == 0;
}

void KeepWhole(KeptFrame& kept, const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette, const internal::FrameTags* tags) {
    kept.width = width;
    kept.height = height;
    PackRows(pixels, width, height, pitch, &kept.indices);
    KeepTags(kept, palette, tags);
    memcpy(kept.palette, palette, sizeof kept.palette);
    kept.valid = true;
}

// How many rows from y on both frames are known to hold alike, so that the
// kept ones are the new ones without a compare: 0 when row y must be
// compared. *now and *kept walk down their runs as y does.
int KnownAlike(const std::vector<internal::TagRun>& nowRuns, size_t* now,
               const std::vector<internal::TagRun>& keptRuns, size_t* kept, int y) {
    while (*now < nowRuns.size() && nowRuns[*now].top + nowRuns[*now].count <= y) {
        ++*now;
    }
    while (*kept < keptRuns.size() && keptRuns[*kept].top + keptRuns[*kept].count <= y) {
        ++*kept;
    }
    if (*now == nowRuns.size() || *kept == keptRuns.size()) {
        return 0;
    }
    const internal::TagRun& a = nowRuns[*now];
    const internal::TagRun& b = keptRuns[*kept];
    if (a.top > y || b.top > y || a.step != b.step || !(a.At(y) == b.At(y))) {
        return 0;
    }
    return std::min(a.top + a.count, b.top + b.count) - y;
}

// The columns of row y that may differ between the frames: all of them,
// unless both rows start with the same paint over the whole row, when only
// the columns their other paints touch (none: the rows are equal).
void ColumnsToCompare(const std::vector<internal::TagRun>& nowRuns, size_t now,
                      const std::vector<internal::TagRun>& keptRuns, size_t kept, int y, int* left,
                      int* right) {
    if (now == nowRuns.size() || kept == keptRuns.size() || nowRuns[now].top > y ||
        keptRuns[kept].top > y) {
        return;
    }
    const internal::TagRun& a = nowRuns[now];
    const internal::TagRun& b = keptRuns[kept];
    internal::RowTag base = a.BaseAt(y);
    if (base.write == 0 || !(base == b.BaseAt(y))) {
        return;
    }
    int from = 0;
    int to = 0;
    for (const internal::TagRun* run : {&a, &b}) {
        if (run->left < run->right) {
            from = from < to ? std::min(from, run->left) : run->left;
            to = std::max(to, run->right);
        }
    }
    *left = from;
    *right = to;
}

void Collapse(std::vector<ChangedRect>* changed, size_t from) {
    ChangedRect all = (*changed)[from];
    for (size_t i = from + 1; i < changed->size(); ++i) {
        const ChangedRect& r = (*changed)[i];
        all.left = std::min(all.left, r.left);
        all.right = std::max(all.right, r.right);
        all.bottom = std::max(all.bottom, r.bottom);
    }
    changed->resize(from);
    changed->push_back(all);
}

}  // namespace

void ForgetKeptFrame(KeptFrame& kept) {
    kept.valid = false;
}

void TakeChanges(KeptFrame& kept, const uint8_t* pixels, int width, int height, int pitch,
                 const PALETTEENTRY* palette, std::vector<ChangedRect>* changed,
                 const internal::FrameTags* tags) {
    changed->clear();
    if (width <= 0 || height <= 0) {
        return;
    }
    if (!kept.valid || kept.width != width || kept.height != height ||
        !SamePalette(kept, palette, tags)) {
        KeepWhole(kept, pixels, width, height, pitch, palette, tags);
        changed->push_back(ChangedRect{0, 0, width, height});
        return;
    }
    // Rows that differ next to each other make one rectangle, as wide as
    // the widest of them.
    static const std::vector<internal::TagRun> kNone;
    const std::vector<internal::TagRun>& runs = tags != nullptr ? tags->runs : kNone;
    size_t now = 0;
    size_t before = 0;
    bool open = false;
    for (int y = 0; y < height; ++y) {
        int alike = KnownAlike(runs, &now, kept.tags.runs, &before, y);
        if (alike > 0) {
            y += alike - 1;  // the same copies of the same source rows
            open = false;
            continue;
        }
        int left = 0;
        int right = width;
        ColumnsToCompare(runs, now, kept.tags.runs, before, y, &left, &right);
        right = std::min(right, width);
        const uint8_t* row = pixels + static_cast<ptrdiff_t>(y) * pitch;
        uint8_t* keptRow = kept.indices.data() + static_cast<size_t>(y) * width;
        int first =
            left < right ? left + FirstDifference(row + left, keptRow + left, right - left) : right;
        if (first >= right) {
            open = false;
            continue;
        }
        int last = LastDifference(row, keptRow, first, right);
        memcpy(keptRow + first, row + first, last - first);
        if (open) {
            ChangedRect& band = changed->back();
            band.left = std::min(band.left, first);
            band.right = std::max(band.right, last);
            band.bottom = y + 1;
        } else {
            changed->push_back(ChangedRect{first, y, last, y + 1});
            open = true;
        }
    }
    KeepTags(kept, palette, tags);  // true of the kept rows now that they are brought up to date
    if (changed->size() > kMostRects) {
        Collapse(changed, 0);
    }
}

}  // namespace vplat::present
