#include "present/changes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vplat::present {
namespace {

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

void KeepWhole(ShownFrame& shown, const internal::IndexedFrame& frame) {
    shown.width = frame.width;
    shown.height = frame.height;
    shown.paletteVersion = frame.paletteVersion;
    shown.indices.resize(static_cast<size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y) {
        memcpy(shown.indices.data() + static_cast<size_t>(y) * frame.width,
               frame.pixels + static_cast<ptrdiff_t>(y) * frame.pitch, frame.width);
    }
    shown.valid = true;
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

void BoundIfMany(std::vector<Rect>* rects) {
    if (rects->size() <= kMostRects) {
        return;
    }
    Rect all = rects->front();
    for (const Rect& r : *rects) {
        all.left = std::min(all.left, r.left);
        all.top = std::min(all.top, r.top);
        all.right = std::max(all.right, r.right);
        all.bottom = std::max(all.bottom, r.bottom);
    }
    rects->assign(1, all);
}

void ForgetShownFrame(ShownFrame& shown) {
    shown.valid = false;
}

void TakeChanges(ShownFrame& shown, const internal::IndexedFrame& frame,
                 std::vector<ChangedRect>* changed) {
    changed->clear();
    int width = frame.width;
    int height = frame.height;
    if (width <= 0 || height <= 0) {
        return;
    }
    if (!shown.valid || shown.width != width || shown.height != height ||
        shown.paletteVersion != frame.paletteVersion) {
        KeepWhole(shown, frame);
        changed->push_back(ChangedRect{0, 0, width, height});
        return;
    }
    bool open = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = frame.pixels + static_cast<ptrdiff_t>(y) * frame.pitch;
        uint8_t* shownRow = shown.indices.data() + static_cast<size_t>(y) * width;
        int first = 0;
        int last = 0;
        bool differs = Differs(row, shownRow, width, &first, &last);
        if (differs) {
            memcpy(shownRow + first, row + first, last - first);
            AddRow(changed, open, y, first, last);
        }
        open = differs;
    }
    BoundIfMany(changed);
}

}  // namespace vplat::present
