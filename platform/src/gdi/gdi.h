// What the GDI services share, and what LoadImageA (user) needs of them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vplat::gdi {

struct Rgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// Pixels that a device context reads and writes: a DIB section's or a
// surface's memory. Row y starts at top + y * pitch (pitch is negative for
// bottom-up storage).
struct PixelView {
    uint8_t* top = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t pitch = 0;
    int bitCount = 0;
    // 16 and 32 bits per pixel: where each colour lies in a pixel.
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    // 1, 4 and 8 bits per pixel: what the indices stand for.
    Rgb colors[256] = {};
    int colorCount = 0;
};

// A device-independent bitmap with its own memory.
struct Dib {
    PixelView view;
    std::vector<uint8_t> bits;  // stored as the file had them; bmBits points here
    int stride = 0;             // bytes per stored row
};

// ---- BMP parsing (bmp.cpp). Input is untrusted: anything malformed gives null.
std::unique_ptr<Dib> ParseBmpFile(const uint8_t* data, size_t size);
std::unique_ptr<Dib> ParsePackedDib(const uint8_t* data, size_t size);
// A new bottom-up DIB of the same format, scaled to width x height.
std::unique_ptr<Dib> ScaleDib(const Dib& source, int width, int height);
// Bytes per row of a DIB: whole 32-bit words.
int64_t DibStride(int64_t width, int bitCount);

// ---- Objects (objects.cpp)
// Takes ownership of a DIB and returns its DIB-section handle.
HBITMAP AddDibSection(std::unique_ptr<Dib> dib);
Dib* FindDib(HGDIOBJ object);
// The 1 x 1 monochrome bitmap a new memory DC starts with.
HBITMAP DefaultBitmap();
// Marks a bitmap as selected into a DC; false when it is already selected
// into another one.
bool MarkSelected(HGDIOBJ bitmap, HDC dc);
// Undoes MarkSelected; a bitmap deleted while selected goes now.
void MarkDeselected(HGDIOBJ bitmap);
// Which kind of stock object (brush, pen, font, palette), or -1.
enum StockKind { kNotStock = -1, kBrush, kPen, kFont, kPalette };
StockKind StockObjectKind(HGDIOBJ object);
// GetStockObject without a journal record; null for an unknown index.
HGDIOBJ StockObject(int index);
void ResetObjects();

// ---- Device contexts (dc.cpp)
// The pixels a DC draws into, or null (an invalid DC, or a memory DC with
// only its default bitmap).
PixelView* DcPixels(HDC dc);
void ResetDcs();

// ---- Colours (color.cpp)
uint32_t ReadRaw(const PixelView& view, int x, int y);
void WriteRaw(const PixelView& view, int x, int y, uint32_t raw);
COLORREF DecodeRaw(const PixelView& view, uint32_t raw);
// The value the view stores for a colour: the nearest table entry (exact
// match first, ties to the lowest index) for indexed views.
uint32_t EncodeColor(const PixelView& view, COLORREF color);
int NearestIndex(const Rgb* table, int count, COLORREF color);
bool IsIndexed(const PixelView& view);

// ---- Stretching (stretch.cpp)
// Copies src's rectangle onto dst's rectangle, nearest neighbour, mapping
// colours onto dst's format. Negative sizes mirror. Pixels outside either
// view are left out.
void StretchPixels(const PixelView& dst, int dstX, int dstY, int dstWidth, int dstHeight,
                   const PixelView& src, int srcX, int srcY, int srcWidth, int srcHeight);
// For each of `dstLength` destination pixels, the source offset (0 based)
// that the real platform's stretcher picks.
std::vector<int> AxisMap(int srcLength, int dstLength);

}  // namespace vplat::gdi
