// WritePng read back byte by byte with zlib, and the palette conversion the
// SDL back end shows frames with.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>
#include <zlib.h>

#include <fstream>
#include <iterator>

#include "../../platform/src/backend/convert.h"
#include "../../platform/src/internal.h"

namespace {

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

struct Png {
    uint32_t width = 0, height = 0;
    uint8_t depth = 0, colourType = 0;
    std::vector<uint8_t> data;  // the IDAT bytes, inflated
    bool crcOk = true;
    bool ended = false;
};

Png ReadPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    Png png;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(file.size(), 8u);
    EXPECT_EQ(0, memcmp(file.data(), signature, 8));
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length = BigEndian(&file[at]);
        std::string type(reinterpret_cast<char*>(&file[at + 4]), 4);
        const uint8_t* body = &file[at + 8];
        uLong crc = crc32(0, &file[at + 4], length + 4);
        png.crcOk = png.crcOk && crc == BigEndian(body + length);
        if (type == "IHDR") {
            png.width = BigEndian(body);
            png.height = BigEndian(body + 4);
            png.depth = body[8];
            png.colourType = body[9];
        } else if (type == "IDAT") {
            packed.insert(packed.end(), body, body + length);
        } else if (type == "IEND") {
            png.ended = true;
        }
        at += 12 + length;
    }
    uLongf size = png.width * png.height * 3 + png.height;
    png.data.resize(size);
    EXPECT_EQ(Z_OK, uncompress(png.data.data(), &size, packed.data(), packed.size()));
    png.data.resize(size);
    return png;
}

TEST(WritePng, WritesRgbRowsThroughThePalette) {
    vplat::Frame frame;
    frame.width = 5;
    frame.height = 3;
    for (int i = 0; i < 15; ++i) {
        frame.indices.push_back(static_cast<uint8_t>(i * 17));
    }
    for (int i = 0; i < 256; ++i) {
        frame.palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i ^ 0x55),
                                        static_cast<BYTE>(255 - i), 0};
    }
    std::string path = velmora_test::TempDir() + "/frame.png";
    ASSERT_TRUE(vplat::WritePng(frame, path));
    Png png = ReadPng(path);
    EXPECT_TRUE(png.crcOk);
    EXPECT_TRUE(png.ended);
    EXPECT_EQ(5u, png.width);
    EXPECT_EQ(3u, png.height);
    EXPECT_EQ(8, png.depth);
    EXPECT_EQ(2, png.colourType);
    ASSERT_EQ(3u * (1 + 5 * 3), png.data.size());
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(0, png.data[y * 16]);  // no filter
        for (int x = 0; x < 5; ++x) {
            const PALETTEENTRY& colour = frame.palette[frame.indices[y * 5 + x]];
            const uint8_t* rgb = &png.data[y * 16 + 1 + x * 3];
            EXPECT_EQ(colour.peRed, rgb[0]);
            EXPECT_EQ(colour.peGreen, rgb[1]);
            EXPECT_EQ(colour.peBlue, rgb[2]);
        }
    }
}

TEST(WritePng, RefusesEmptyFramesAndUnwritablePaths) {
    vplat::Frame empty;
    EXPECT_FALSE(vplat::WritePng(empty, velmora_test::TempDir() + "/empty.png"));
    vplat::Frame frame;
    frame.width = 2;
    frame.height = 2;
    frame.indices.assign(3, 0);  // fewer indices than pixels
    EXPECT_FALSE(vplat::WritePng(frame, velmora_test::TempDir() + "/short.png"));
    frame.indices.assign(4, 0);
    EXPECT_FALSE(vplat::WritePng(frame, "/nonexistent/dir/frame.png"));
}

TEST(PaletteConversion, MatchesPerPixelLookupForEveryWidthAndPitch) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i * 3), static_cast<BYTE>(i * 5),
                                  static_cast<BYTE>(i * 7), 0xEE};
    }
    uint32_t table[256];
    vplat::backend::BuildXrgbTable(palette, table);
    EXPECT_EQ(0xFF000000u | (uint32_t{palette[10].peRed} << 16) |
                  (uint32_t{palette[10].peGreen} << 8) | palette[10].peBlue,
              table[10]);
    for (int width = 1; width <= 20; ++width) {
        const int height = 3, sourcePitch = width + 5, destPitch = width * 4 + 12;
        std::vector<uint8_t> source(sourcePitch * height);
        for (size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<uint8_t>(i * 31 + width);
        }
        std::vector<uint32_t> dest(destPitch / 4 * height, 0xDEADBEEF);
        vplat::backend::ConvertToXrgb(source.data(), sourcePitch, width, height, table, dest.data(),
                                      destPitch);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < destPitch / 4; ++x) {
                uint32_t expected =
                    x < width ? table[source[y * sourcePitch + x]] : 0xDEADBEEF;  // padding kept
                ASSERT_EQ(expected, dest[y * destPitch / 4 + x]) << width << " " << x << "," << y;
            }
        }
    }
}

TEST(PresentedFrame, KeepsEachPresentWithoutItsPitchPadding) {
    uint8_t pixels[2 * 8] = {1, 2, 3, 99, 99, 99, 99, 99, 4, 5, 6, 99, 99, 99, 99, 99};
    PALETTEENTRY palette[256] = {};
    palette[5].peGreen = 77;
    vplat::internal::PresentIndexed(pixels, 3, 2, 8, palette);
    vplat::internal::PresentIndexed(pixels, 3, 2, 8, palette);
    vplat::Frame frame = vplat::PresentedFrame();
    EXPECT_EQ(2u, frame.number);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 6}), frame.indices);
    EXPECT_EQ(77, frame.palette[5].peGreen);
}

}  // namespace
