// WritePng read back with libpng, and the palette conversion the
// SDL back end shows frames with.
#include "temp_dir.h"
#include <gtest/gtest.h>
#include <velmora_platform.h>
#include <png.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "present/convert.h"
#include "internal.h"

namespace {

struct Png {
    uint32_t width = 0, height = 0;
    uint32_t format = 0;
    std::vector<uint8_t> rgb;  // red, green, blue per pixel, rows top first
};

// Read back with libpng, as any viewer would.
Png ReadPng(const std::string& path) {
    Png png;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    png.width = image.width;
    png.height = image.height;
    png.format = image.format;
    image.format = PNG_FORMAT_RGB;
    png.rgb.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr), 0)
        << image.message;
    return png;
}

TEST(WritePng, WritesThePaletteAndIndicesThatReadAsTheFramesColours) {
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
    EXPECT_EQ(5u, png.width);
    EXPECT_EQ(3u, png.height);
    EXPECT_NE(0u, png.format & PNG_FORMAT_FLAG_COLORMAP) << "not a palette PNG: " << png.format;
    ASSERT_EQ(3u * 5 * 3, png.rgb.size());
    for (int i = 0; i < 15; ++i) {
        const PALETTEENTRY& colour = frame.palette[frame.indices[i]];
        EXPECT_EQ(colour.peRed, png.rgb[i * 3]) << "pixel " << i;
        EXPECT_EQ(colour.peGreen, png.rgb[i * 3 + 1]) << "pixel " << i;
        EXPECT_EQ(colour.peBlue, png.rgb[i * 3 + 2]) << "pixel " << i;
    }
}

// A capture made again replaces the last run's; a screenshot's name taken
// by another file leaves that file as it was.
TEST(WritePng, ReplacesAFileUnlessToldToKeepIt) {
    vplat::Frame frame;
    frame.width = 2;
    frame.height = 1;
    frame.indices = {1, 2};
    std::string path = velmora_test::TempDir() + "/taken.png";
    std::ofstream(path) << "not ours";
    errno = 0;
    EXPECT_FALSE(vplat::WritePng(frame, path, vplat::Existing::Keep));
    EXPECT_EQ(EEXIST, errno) << strerror(errno);
    std::ifstream kept(path);
    EXPECT_EQ("not ours", std::string(std::istreambuf_iterator<char>(kept), {}));
    ASSERT_TRUE(vplat::WritePng(frame, path, vplat::Existing::Replace));
    EXPECT_EQ(2u, ReadPng(path).width);
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
    errno = 0;
    EXPECT_FALSE(vplat::WritePng(frame, "/nonexistent/dir/frame.png"));
    EXPECT_EQ(ENOENT, errno) << strerror(errno);
}

TEST(PaletteConversion, MatchesPerPixelLookupForEveryWidthAndPitch) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i * 3), static_cast<BYTE>(i * 5),
                                  static_cast<BYTE>(i * 7), 0xEE};
    }
    uint32_t table[256];
    vplat::present::BuildTable(palette, vplat::present::kXrgb, table);
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
        vplat::present::ConvertThroughTable(source.data(), sourcePitch, width, height, table,
                                            dest.data(), destPitch);
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
    vplat::internal::PresentIndexed({pixels, 3, 2, 8, palette, 1});
    EXPECT_TRUE(vplat::PresentedFrame().indices.empty()) << "a frame nothing reads was copied";
    vplat::KeepPresentedFrames(true);
    vplat::internal::PresentIndexed({pixels, 3, 2, 8, palette, 1});
    vplat::Frame frame = vplat::PresentedFrame();
    EXPECT_EQ(2u, frame.number);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 5, 6}), frame.indices);
    EXPECT_EQ(77, frame.palette[5].peGreen);
}

}  // namespace
