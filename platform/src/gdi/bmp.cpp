// BMP files and packed DIBs into DIBs. The input may be anything a user
// named, so every size and offset is checked against the data before use:
// a malformed image gives null, never a read past the data or a huge
// allocation.
#include <algorithm>
#include <cstring>

#include "gdi/gdi.h"

namespace vplat::gdi {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kMaxDimension = 65535;
// Far above any image this game loads; keeps a forged header from asking
// for gigabytes even when a file that large exists.
constexpr int64_t kMaxPixelBytes = int64_t{256} << 20;

uint16_t Read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Header {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t colorsUsed;
    uint32_t masks[3];
};

bool ValidBitCount(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads and checks the info header at `dib` (`available` bytes from there to
// the end of the data).
bool ReadHeader(const uint8_t* dib, size_t available, Header* h) {
    if (available < kInfoHeaderSize) {
        return false;
    }
    h->size = Read32(dib);
    h->width = static_cast<int32_t>(Read32(dib + 4));
    h->height = static_cast<int32_t>(Read32(dib + 8));
    h->bitCount = Read16(dib + 14);
    h->compression = Read32(dib + 16);
    h->colorsUsed = Read32(dib + 32);
    if (h->size < kInfoHeaderSize || h->size > available) {
        return false;
    }
    if (h->width <= 0 || h->width > kMaxDimension || h->height == 0 || h->height < -kMaxDimension ||
        h->height > kMaxDimension) {
        return false;
    }
    if (!ValidBitCount(h->bitCount) || h->colorsUsed > 256) {
        return false;
    }
    bool bitfields = h->compression == BI_BITFIELDS;
    if (h->compression != BI_RGB && !(bitfields && (h->bitCount == 16 || h->bitCount == 32))) {
        return false;
    }
    return true;
}

// Bytes between the header and the colour table: BI_BITFIELDS masks follow
// a 40-byte header; longer headers hold them inside.
uint32_t MaskBytesAfterHeader(const Header& h) {
    return (h.compression == BI_BITFIELDS && h.size == kInfoHeaderSize) ? 12 : 0;
}

bool ReadMasks(const uint8_t* dib, size_t available, Header* h) {
    if (h->compression != BI_BITFIELDS) {
        bool sixteen = h->bitCount == 16;
        h->masks[0] = sixteen ? 0x7C00 : 0xFF0000;
        h->masks[1] = sixteen ? 0x03E0 : 0x00FF00;
        h->masks[2] = sixteen ? 0x001F : 0x0000FF;
        return true;
    }
    if (static_cast<size_t>(kInfoHeaderSize) + 12 > available) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        h->masks[i] = Read32(dib + kInfoHeaderSize + 4 * i);
    }
    return h->masks[0] != 0 || h->masks[1] != 0 || h->masks[2] != 0;
}

uint32_t TableEntries(const Header& h) {
    if (h.colorsUsed != 0) {
        return h.colorsUsed;
    }
    return h.bitCount <= 8 ? 1u << h.bitCount : 0;
}

std::unique_ptr<Dib> Build(const Header& h, const uint8_t* table, const uint8_t* pixels,
                           size_t pixelBytesAvailable) {
    int64_t rows = h.height < 0 ? -int64_t{h.height} : h.height;
    int64_t stride = DibStride(h.width, h.bitCount);
    int64_t bytes = stride * rows;
    if (bytes > kMaxPixelBytes || static_cast<uint64_t>(bytes) > pixelBytesAvailable) {
        return nullptr;
    }
    auto dib = std::make_unique<Dib>();
    dib->bits.assign(pixels, pixels + bytes);
    dib->stride = static_cast<int>(stride);
    PixelView& v = dib->view;
    v.width = h.width;
    v.height = static_cast<int>(rows);
    v.bitCount = h.bitCount;
    bool topDown = h.height < 0;
    v.pitch = topDown ? stride : -stride;
    v.top = dib->bits.data() + (topDown ? 0 : (rows - 1) * stride);
    v.redMask = h.masks[0];
    v.greenMask = h.masks[1];
    v.blueMask = h.masks[2];
    if (h.bitCount <= 8) {
        int count = static_cast<int>(std::min<uint32_t>(TableEntries(h), 1u << h.bitCount));
        v.colorCount = count;
        for (int i = 0; i < count; ++i) {
            v.colors[i] = Rgb{table[4 * i + 2], table[4 * i + 1], table[4 * i]};
        }
    }
    return dib;
}

// The header, masks and colour table at `dib`; *tableEnd receives the
// offset (from dib) where the colour table ends.
bool ReadInfo(const uint8_t* dib, size_t available, Header* h, size_t* tableEnd) {
    if (!ReadHeader(dib, available, h) || !ReadMasks(dib, available, h)) {
        return false;
    }
    uint64_t end = uint64_t{h->size} + MaskBytesAfterHeader(*h) + uint64_t{TableEntries(*h)} * 4;
    if (end > available) {
        return false;
    }
    *tableEnd = static_cast<size_t>(end);
    return true;
}

}  // namespace

int64_t DibStride(int64_t width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

std::unique_ptr<Dib> ParsePackedDib(const uint8_t* data, size_t size) {
    Header h{};
    size_t tableEnd = 0;
    if (data == nullptr || !ReadInfo(data, size, &h, &tableEnd)) {
        return nullptr;
    }
    const uint8_t* table = data + h.size + MaskBytesAfterHeader(h);
    return Build(h, table, data + tableEnd, size - tableEnd);
}

std::unique_ptr<Dib> ParseBmpFile(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') {
        return nullptr;
    }
    const uint8_t* dib = data + kFileHeaderSize;
    size_t available = size - kFileHeaderSize;
    Header h{};
    size_t tableEnd = 0;
    if (!ReadInfo(dib, available, &h, &tableEnd)) {
        return nullptr;
    }
    // A zero offset means the pixels follow the colour table, as Windows
    // reads it; any other offset must lie past the headers and in the file.
    uint32_t offset = Read32(data + 10);
    uint64_t pixelStart = offset == 0 ? kFileHeaderSize + tableEnd : offset;
    if (pixelStart < kFileHeaderSize + h.size || pixelStart >= size) {
        return nullptr;
    }
    const uint8_t* table = dib + h.size + MaskBytesAfterHeader(h);
    return Build(h, table, data + pixelStart, size - pixelStart);
}

std::unique_ptr<Dib> ScaleDib(const Dib& source, int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) {
        return nullptr;
    }
    int64_t stride = DibStride(width, source.view.bitCount);
    if (stride * height > kMaxPixelBytes) {
        return nullptr;
    }
    auto dib = std::make_unique<Dib>();
    dib->view = source.view;
    dib->stride = static_cast<int>(stride);
    dib->bits.assign(static_cast<size_t>(stride * height), 0);
    dib->view.width = width;
    dib->view.height = height;
    dib->view.pitch = -stride;
    dib->view.top = dib->bits.data() + (height - 1) * stride;
    StretchPixels(dib->view, 0, 0, width, height, source.view, 0, 0, source.view.width,
                  source.view.height);
    return dib;
}

}  // namespace vplat::gdi
