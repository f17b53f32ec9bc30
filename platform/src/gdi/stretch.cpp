// StretchBlt's pixel work: which source pixel lands where (the real
// platform's stretcher, a Bresenham walk), and how its colour is carried
// into the destination's format.
#include <algorithm>
#include <cstring>

#include "gdi/gdi.h"

namespace vplat::gdi {
namespace {

// Source raw value -> destination raw value.
class ColorMapper {
public:
    ColorMapper(const PixelView& dst, const PixelView& src) : dst_(dst), src_(src) {
        sameFormat_ = SameFormat();
        if (IsIndexed(src) && !sameFormat_) {
            BuildIndexTable();
        }
    }

    bool SameFormat() const {
        if (dst_.bitCount != src_.bitCount) {
            return false;
        }
        if (IsIndexed(dst_)) {
            return SameTable();
        }
        return dst_.bitCount == 24 ||
               (dst_.redMask == src_.redMask && dst_.greenMask == src_.greenMask &&
                dst_.blueMask == src_.blueMask);
    }

    bool identity() const { return sameFormat_; }

    uint32_t Map(uint32_t raw) {
        if (sameFormat_) {
            return raw;
        }
        if (IsIndexed(src_)) {
            return table_[raw & 0xFF];
        }
        if (!haveLast_ || raw != lastIn_) {
            lastIn_ = raw;
            lastOut_ = EncodeColor(dst_, DecodeRaw(src_, raw));
            haveLast_ = true;
        }
        return lastOut_;
    }

private:
    // A source table that repeats the destination's entries keeps every
    // index, even where the table holds one colour twice.
    bool SameTable() const {
        if (src_.colorCount > dst_.colorCount) {
            return false;
        }
        for (int i = 0; i < src_.colorCount; ++i) {
            if (!(src_.colors[i] == dst_.colors[i])) {
                return false;
            }
        }
        return true;
    }

    void BuildIndexTable() {
        bool keepIndices = IsIndexed(dst_) && SameTable();
        for (uint32_t i = 0; i < 256; ++i) {
            table_[i] = keepIndices && i < static_cast<uint32_t>(src_.colorCount)
                            ? i
                            : EncodeColor(dst_, DecodeRaw(src_, i));
        }
    }

    const PixelView& dst_;
    const PixelView& src_;
    bool sameFormat_ = false;
    uint32_t table_[256] = {};
    bool haveLast_ = false;
    uint32_t lastIn_ = 0;
    uint32_t lastOut_ = 0;
};

// Positions (in view coordinates) along one axis: entry i is where the
// i-th destination pixel comes from, -1 when that lies outside the source.
// Entries run from the destination's left (or top) edge; a negative size on
// either side walks that side backwards, which mirrors the image.
std::vector<int> SourcePositions(int srcStart, int srcLength, int dstLength, int srcLimit) {
    int srcCount = srcLength < 0 ? -srcLength : srcLength;
    int dstCount = dstLength < 0 ? -dstLength : dstLength;
    // A negative length starts at srcStart and walks down from it.
    int srcFirst = srcLength < 0 ? srcStart + srcLength + 1 : srcStart;
    std::vector<int> offsets = AxisMap(srcCount, dstCount);
    std::vector<int> positions(offsets.size());
    for (int i = 0; i < dstCount; ++i) {
        int offset = offsets[dstLength < 0 ? dstCount - 1 - i : i];
        if (srcLength < 0) {
            offset = srcCount - 1 - offset;
        }
        int position = srcFirst + offset;
        positions[i] = (position < 0 || position >= srcLimit) ? -1 : position;
    }
    return positions;
}

bool Contiguous(const std::vector<int>& xs, int first, int last) {
    if (xs[first] < 0) {
        return false;
    }
    for (int i = first + 1; i < last; ++i) {
        if (xs[i] != xs[first] + (i - first)) {
            return false;
        }
    }
    return true;
}

void CopyRow(const PixelView& dst, int dstRow, int dstFirst, const std::vector<int>& xs, int first,
             int last, const PixelView& src, int srcRow, ColorMapper& mapper, bool rowCopy) {
    if (rowCopy) {
        // The common case: an 8-bit image onto a surface with its palette.
        memcpy(dst.top + dstRow * dst.pitch + dstFirst + first,
               src.top + srcRow * src.pitch + xs[first], static_cast<size_t>(last - first));
        return;
    }
    for (int i = first; i < last; ++i) {
        if (xs[i] >= 0) {
            WriteRaw(dst, dstFirst + i, dstRow, mapper.Map(ReadRaw(src, xs[i], srcRow)));
        }
    }
}

// A copy within one bitmap (both DCs over the same pixels) reads the source
// as it was before the copy began, as GDI does for overlapping rectangles:
// the source's rows are first copied aside, and `staged` views them there.
bool StageIfShared(const PixelView& dst, const PixelView& src, std::vector<uint8_t>* bytes,
                   PixelView* staged) {
    if (dst.top != src.top) {
        return false;
    }
    ptrdiff_t rowBytes = src.pitch < 0 ? -src.pitch : src.pitch;
    const uint8_t* lowest = src.pitch < 0 ? src.top + (src.height - 1) * src.pitch : src.top;
    bytes->assign(lowest, lowest + rowBytes * src.height);
    *staged = src;
    staged->top = bytes->data() + (src.top - lowest);
    return true;
}

}  // namespace

std::vector<int> AxisMap(int srcLength, int dstLength) {
    std::vector<int> map(dstLength > 0 ? dstLength : 0, 0);
    if (srcLength <= 0 || dstLength <= 0) {
        return map;
    }
    int64_t n = srcLength, m = dstLength;
    if (m >= n) {
        // Enlarging: one step per destination pixel; the source advances
        // when the midpoint test says the next source centre is nearer.
        int64_t error = 3 * n - 2 * m;
        int64_t s = 0;
        for (int64_t d = 0; d < m; ++d) {
            map[d] = static_cast<int>(s);
            if (error > 0) {
                ++s;
                error += 2 * n - 2 * m;
            } else {
                error += 2 * n;
            }
        }
        return map;
    }
    // Shrinking: one step per source pixel; each destination pixel takes the
    // first source pixel of its run and the rest are dropped.
    int64_t error = 3 * m - 2 * n;
    int64_t d = 0;
    bool runStart = true;
    for (int64_t s = 0; s < n && d < m; ++s) {
        if (runStart) {
            map[d] = static_cast<int>(s);
            runStart = false;
        }
        if (error > 0) {
            ++d;
            runStart = true;
            error += 2 * m - 2 * n;
        } else {
            error += 2 * m;
        }
    }
    return map;
}

void StretchPixels(const PixelView& dst, int dstX, int dstY, int dstWidth, int dstHeight,
                   const PixelView& src, int srcX, int srcY, int srcWidth, int srcHeight) {
    if (dstWidth == 0 || dstHeight == 0 || srcWidth == 0 || srcHeight == 0) {
        return;
    }
    std::vector<uint8_t> stagedBytes;
    PixelView staged;
    if (StageIfShared(dst, src, &stagedBytes, &staged)) {
        StretchPixels(dst, dstX, dstY, dstWidth, dstHeight, staged, srcX, srcY, srcWidth,
                      srcHeight);
        return;
    }
    std::vector<int> xs = SourcePositions(srcX, srcWidth, dstWidth, src.width);
    std::vector<int> ys = SourcePositions(srcY, srcHeight, dstHeight, src.height);
    int dstLeft = dstWidth < 0 ? dstX + dstWidth + 1 : dstX;
    int dstTop = dstHeight < 0 ? dstY + dstHeight + 1 : dstY;
    // Only the part of the destination inside its view is drawn.
    int first = std::max(0, -dstLeft);
    int last = std::min(static_cast<int>(xs.size()), dst.width - dstLeft);
    if (first >= last) {
        return;
    }
    ColorMapper mapper(dst, src);
    bool rowCopy = mapper.identity() && dst.bitCount == 8 && Contiguous(xs, first, last);
    for (size_t j = 0; j < ys.size(); ++j) {
        int row = dstTop + static_cast<int>(j);
        if (row < 0 || row >= dst.height || ys[j] < 0) {
            continue;
        }
        CopyRow(dst, row, dstLeft, xs, first, last, src, ys[j], mapper, rowCopy);
    }
}

}  // namespace vplat::gdi
