// Bitmap files built byte by byte for every test that feeds a loader (the
// platform's LoadImageA, the game's palette and bitmap loaders), with named
// offsets so that a test can break one field at a time, and the readers of
// little-endian fields for tests that look into the game's own files.
#pragma once

#include "temp_dir.h"
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace bmpfiles {

// Offsets in a file (14-byte file header first).
constexpr size_t kOffBits = 10;
constexpr size_t kHeaderSize = 14;
constexpr size_t kWidth = 18;
constexpr size_t kHeight = 22;
constexpr size_t kBitCount = 28;
constexpr size_t kCompression = 30;
constexpr size_t kColorsUsed = 46;

struct Image {
    int width = 4;
    int height = 3;  // negative: top-down
    int bitCount = 8;
    uint32_t headerSize = 40;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    int tableEntries = -1;        // entries generated; -1: as many as the header says
    std::vector<uint32_t> masks;  // BI_BITFIELDS: red, green, blue
    std::vector<uint8_t> table;   // RGBQUADs; default: entry i = (i, 255 - i, i / 2)
    std::vector<uint8_t> pixels;  // stored rows, padded; default: a counting pattern
};

inline void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

inline void Poke(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

inline int Stride(int width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

inline int TableEntries(const Image& image) {
    if (image.tableEntries >= 0) {
        return image.tableEntries;
    }
    if (image.colorsUsed != 0) {
        return static_cast<int>(image.colorsUsed);
    }
    return image.bitCount <= 8 ? 1 << image.bitCount : 0;
}

// The packed DIB: header, masks (after a 40-byte header), table, pixels.
inline std::vector<uint8_t> PackedDib(const Image& image) {
    int rows = image.height < 0 ? -image.height : image.height;
    std::vector<uint8_t> out;
    Put(out, image.headerSize, 4);
    Put(out, static_cast<uint32_t>(image.width), 4);
    Put(out, static_cast<uint32_t>(image.height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<uint32_t>(image.bitCount), 2);
    Put(out, image.compression, 4);
    Put(out, static_cast<uint32_t>(Stride(image.width, image.bitCount) * rows), 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, image.colorsUsed, 4);
    Put(out, 0, 4);
    for (uint32_t mask : image.masks) {
        Put(out, mask, 4);  // in the header (v4/v5) or right after a 40-byte one
    }
    while (out.size() < image.headerSize) {
        out.push_back(0);
    }
    std::vector<uint8_t> table = image.table;
    int generated = image.table.empty() ? TableEntries(image) : 0;
    for (int i = 0; i < generated; i++) {
        Put(table,
            static_cast<uint32_t>(i / 2) | ((255u - i) << 8) | (static_cast<uint32_t>(i) << 16), 4);
    }
    out.insert(out.end(), table.begin(), table.end());
    std::vector<uint8_t> pixels = image.pixels;
    int pattern = image.pixels.empty() ? Stride(image.width, image.bitCount) * rows : 0;
    for (int i = 0; i < pattern; i++) {
        pixels.push_back(static_cast<uint8_t>(i * 7 + 1));
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

inline std::vector<uint8_t> File(const Image& image) {
    std::vector<uint8_t> dib = PackedDib(image);
    int rows = image.height < 0 ? -image.height : image.height;
    uint32_t pixelBytes = static_cast<uint32_t>(Stride(image.width, image.bitCount) * rows);
    std::vector<uint8_t> out = {'B', 'M'};
    Put(out, static_cast<uint32_t>(14 + dib.size()), 4);
    Put(out, 0, 4);
    Put(out, static_cast<uint32_t>(14 + dib.size() - pixelBytes), 4);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

inline std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    return velmora_test::WriteTempFile(name, bytes);
}

inline HBITMAP LoadFile(const std::string& path, int cx = 0, int cy = 0) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

inline HBITMAP LoadBytes(const std::vector<uint8_t>& bytes, const std::string& name = "t.bmp") {
    return LoadFile(Write(name, bytes));
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}

}  // namespace bmpfiles
