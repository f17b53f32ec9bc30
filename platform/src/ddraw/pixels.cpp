// Pixel loops written for speed: whole rows with memcpy, and colour-key tests
// on vectors of pixels.
#include "ddraw/pixels.h"

#include <cstddef>
#include <cstring>

namespace vplat::ddraw {
namespace {

// Whole vectors of `Bytes` from x on, each pixel that is the key keeping what
// was under it; returns where they stopped.
template <int Bytes, typename Pixel>
int KeyedVectors(Pixel* dest, const Pixel* source, int x, int width, Pixel key) {
    typedef Pixel Vector __attribute__((vector_size(Bytes)));
    constexpr int kLanes = Bytes / sizeof(Pixel);
    const Vector keys = Vector{} + key;
    for (; x + kLanes <= width; x += kLanes) {
        Vector pixels;
        Vector under;
        memcpy(&pixels, source + x, sizeof pixels);
        memcpy(&under, dest + x, sizeof under);
        Vector isKey = (Vector)(pixels == keys);
        pixels = (under & isKey) | (pixels & ~isKey);
        memcpy(dest + x, &pixels, sizeof pixels);
    }
    return x;
}

template <typename Pixel>
void KeyedRow(Pixel* dest, const Pixel* source, int width, Pixel key) {
    // Sixteen bytes at a time, then one by one.
    int x = KeyedVectors<16>(dest, source, 0, width, key);
    for (; x < width; ++x) {
        if (source[x] != key) {
            dest[x] = source[x];
        }
    }
}

template <typename Pixel>
void KeyedRows(uint8_t* dest, int destPitch, const uint8_t* source, int sourcePitch, int width,
               int rows, Pixel key) {
    for (int y = 0; y < rows; ++y) {
        KeyedRow(reinterpret_cast<Pixel*>(dest + static_cast<ptrdiff_t>(y) * destPitch),
                 reinterpret_cast<const Pixel*>(source + static_cast<ptrdiff_t>(y) * sourcePitch),
                 width, key);
    }
}

template <typename Pixel>
void FillFirstRow(uint8_t* dest, int width, Pixel value) {
    Pixel* row = reinterpret_cast<Pixel*>(dest);
    for (int x = 0; x < width; ++x) {
        row[x] = value;
    }
}

}  // namespace

void CopyRows(uint8_t* dest, int destPitch, const uint8_t* source, int sourcePitch, int width,
              int rows, int bytesPerPixel) {
    size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    for (int y = 0; y < rows; ++y) {
        memcpy(dest + static_cast<ptrdiff_t>(y) * destPitch,
               source + static_cast<ptrdiff_t>(y) * sourcePitch, rowBytes);
    }
}

void CopyRowsKeyed(uint8_t* dest, int destPitch, const uint8_t* source, int sourcePitch, int width,
                   int rows, int bytesPerPixel, uint32_t key) {
    if (bytesPerPixel == 1) {
        KeyedRows<uint8_t>(dest, destPitch, source, sourcePitch, width, rows,
                           static_cast<uint8_t>(key));
    } else if (bytesPerPixel == 2) {
        KeyedRows<uint16_t>(dest, destPitch, source, sourcePitch, width, rows,
                            static_cast<uint16_t>(key));
    } else {
        KeyedRows<uint32_t>(dest, destPitch, source, sourcePitch, width, rows, key);
    }
}

void FillRows(uint8_t* dest, int destPitch, int width, int rows, int bytesPerPixel,
              uint32_t value) {
    if (rows <= 0 || width <= 0) {
        return;
    }
    size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    if (bytesPerPixel == 1) {
        memset(dest, static_cast<uint8_t>(value), rowBytes);
    } else if (bytesPerPixel == 2) {
        FillFirstRow<uint16_t>(dest, width, static_cast<uint16_t>(value));
    } else {
        FillFirstRow<uint32_t>(dest, width, value);
    }
    for (int y = 1; y < rows; ++y) {
        memcpy(dest + static_cast<ptrdiff_t>(y) * destPitch, dest, rowBytes);
    }
}

}  // namespace vplat::ddraw
