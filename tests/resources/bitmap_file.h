// Reads the committed bitmap files of the game for the resource tests.
#pragma once

#include "bmp_files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using bmpfiles::Le16;
using bmpfiles::Le32;
using bmpfiles::ReadFileBytes;

// The name and size of one of the game's committed images.
struct CommittedImage {
    const char* name;
    int width;
    int height;
};

inline void PrintTo(const CommittedImage& image, std::ostream* out) {
    *out << image.name;
}

inline const CommittedImage kImages[] = {
    {"BACKIMG", 640, 640}, {"CHARA", 192, 112}, {"STRINGS", 600, 96}, {"TITLE", 640, 480}};

constexpr int kKeyIndex = 145;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kTableSize = 256 * 4;
constexpr size_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kTableSize;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::string ImagePath(const std::string& name) {
    return std::string(VELMORA_SOURCE_DIR) + "/resources/" + name + ".bmp";
}

// A loaded 8-bit image: colour table and pixels addressed top-down, as the
// game addresses them.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> table;
    std::vector<uint8_t> bytes;  // the whole file

    int At(int x, int y) const {
        size_t stored_row = size_t(height - 1 - y);  // rows are stored bottom-up
        return bytes[kPixelOffset + stored_row * size_t(width) + size_t(x)];
    }
};

// Loads a committed image whose size is already checked to match its listed size; an
// image that is too short comes back with width 0 so callers can fail.
inline IndexedImage LoadImage(const CommittedImage& image) {
    IndexedImage img;
    img.bytes = ReadFileBytes(ImagePath(image.name));
    if (img.bytes.size() != kPixelOffset + size_t(image.width) * size_t(image.height)) {
        return img;
    }
    img.width = image.width;
    img.height = image.height;
    for (size_t i = 0; i < 256; ++i) {
        size_t at = kFileHeaderSize + kInfoHeaderSize + i * 4;
        img.table.push_back({img.bytes[at + 2], img.bytes[at + 1], img.bytes[at]});
    }
    return img;
}

inline const CommittedImage& Committed(const char* name) {
    for (const CommittedImage& s : kImages) {
        if (std::string(s.name) == name)
            return s;
    }
    return kImages[0];
}

// Bounding box of the pixels that are not the key colour, within a region.
struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // inclusive
    int count = 0;
};

inline Box InkBox(const IndexedImage& img, int x0, int y0, int x1, int y1) {
    Box box;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (img.At(x, y) == kKeyIndex)
                continue;
            ++box.count;
            if (x < box.left)
                box.left = x;
            if (x > box.right)
                box.right = x;
            if (y < box.top)
                box.top = y;
            if (y > box.bottom)
                box.bottom = y;
        }
    }
    return box;
}
