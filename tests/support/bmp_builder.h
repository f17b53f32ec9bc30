// Builds bitmap files byte by byte, for tests that feed the loaders.
#pragma once

#include "temp_dir.h"
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct BmpLayout {
    int width = 4;
    int height = 4;
    int bitCount = 8;
    uint32_t headerSize = 40;
    uint32_t colorsUsed = 0;
    uint32_t tableEntries = 256;  // entries actually written
    std::vector<uint8_t> table;   // 4 bytes per entry, blue first; generated if empty
    std::vector<uint8_t> pixels;  // rows bottom-up, padded; generated if empty
};

inline void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

inline std::vector<uint8_t> BuildBmp(const BmpLayout& layout) {
    int stride = ((layout.width * layout.bitCount + 31) / 32) * 4;
    std::vector<uint8_t> table = layout.table;
    if (table.empty()) {
        for (uint32_t i = 0; i < layout.tableEntries; i++) {
            PutLE(table, (i * 3u) | ((255u - i) << 8) | ((i * 7u & 255u) << 16) | ((i & 3u) << 24),
                  4);
        }
    }
    std::vector<uint8_t> pixels = layout.pixels;
    if (pixels.empty()) {
        for (int i = 0; i < stride * layout.height; i++) {
            pixels.push_back(static_cast<uint8_t>(i * 37 + 11));
        }
    }
    uint32_t offBits = 14 + layout.headerSize + static_cast<uint32_t>(table.size());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLE(out, offBits + static_cast<uint32_t>(pixels.size()), 4);
    PutLE(out, 0, 4);
    PutLE(out, offBits, 4);
    PutLE(out, layout.headerSize, 4);
    PutLE(out, static_cast<uint32_t>(layout.width), 4);
    PutLE(out, static_cast<uint32_t>(layout.height), 4);
    PutLE(out, 1, 2);
    PutLE(out, static_cast<uint32_t>(layout.bitCount), 2);
    PutLE(out, 0, 4);  // BI_RGB
    PutLE(out, static_cast<uint32_t>(pixels.size()), 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    PutLE(out, layout.colorsUsed, 4);
    PutLE(out, 0, 4);
    while (out.size() < 14 + layout.headerSize) {
        out.push_back(0);
    }
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

using velmora_test::WriteTempFile;
