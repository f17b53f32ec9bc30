// The storage format of the four bitmap files: what LoadImageA and the
// palette loader rely on when they read them as resources or as files.
#include <gtest/gtest.h>

#include "bitmap_file.h"

namespace {

class ImageFormat : public testing::TestWithParam<CommittedImage> {};

TEST_P(ImageFormat, HeadersDescribeAnUncompressedBottomUp8BitImage) {
    const CommittedImage& image = GetParam();
    std::vector<uint8_t> b = ReadFileBytes(ImagePath(image.name));
    size_t pixels = size_t(image.width) * size_t(image.height);
    ASSERT_EQ(b.size(), kPixelOffset + pixels);

    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), b.size());       // bfSize
    EXPECT_EQ(Le32(b, 6), 0u);             // reserved
    EXPECT_EQ(Le32(b, 10), kPixelOffset);  // bfOffBits

    EXPECT_EQ(Le32(b, 14), 40u);                   // biSize
    EXPECT_EQ(int32_t(Le32(b, 18)), image.width);  // biWidth
    EXPECT_EQ(int32_t(Le32(b, 22)), image.height) << "positive height: rows stored bottom-up";
    EXPECT_EQ(Le16(b, 26), 1);       // biPlanes
    EXPECT_EQ(Le16(b, 28), 8);       // biBitCount
    EXPECT_EQ(Le32(b, 30), 0u);      // biCompression BI_RGB
    EXPECT_EQ(Le32(b, 34), pixels);  // biSizeImage
    EXPECT_EQ(Le32(b, 38), 0u);      // biXPelsPerMeter
    EXPECT_EQ(Le32(b, 42), 0u);      // biYPelsPerMeter
    EXPECT_EQ(Le32(b, 46), 0u);      // biClrUsed: all 256 entries
    EXPECT_EQ(Le32(b, 50), 0u);      // biClrImportant
    EXPECT_EQ(image.width % 4, 0) << "rows need no padding";
}

TEST_P(ImageFormat, ColourTableIsTheBackgroundImagesTableWithZeroReservedBytes) {
    IndexedImage img = LoadImage(GetParam());
    IndexedImage back = LoadImage(Committed("BACKIMG"));
    ASSERT_GT(img.width, 0);
    ASSERT_GT(back.width, 0);
    EXPECT_EQ(img.table, back.table);
    for (size_t i = 0; i < 256; ++i) {
        EXPECT_EQ(img.bytes[kFileHeaderSize + kInfoHeaderSize + i * 4 + 3], 0) << "entry " << i;
    }
}

TEST_P(ImageFormat, BackgroundIsOpaqueAndTheOthersShowTheKeyColour) {
    const CommittedImage& image = GetParam();
    IndexedImage img = LoadImage(image);
    ASSERT_GT(img.width, 0);
    Box ink = InkBox(img, 0, 0, img.width, img.height);
    int total = img.width * img.height;
    if (std::string(image.name) == "BACKIMG") {
        EXPECT_EQ(ink.count, total) << "the background is drawn opaque: no key colour in it";
    } else {
        EXPECT_GT(ink.count, 0);
        EXPECT_LT(ink.count, total);
    }
}

INSTANTIATE_TEST_SUITE_P(AllImages, ImageFormat, testing::ValuesIn(kImages),
                         [](const testing::TestParamInfo<CommittedImage>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
