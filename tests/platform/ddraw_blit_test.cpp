// BltFast and Blt: rectangles are checked, not clipped; colour keys take out
// exactly the key value; colour fill takes the low bits of the fill colour.
#include <tuple>

#include "ddraw_fixture.h"

namespace {

TEST_F(DisplayTest, BltFastOutsideEitherSurfaceIsRefusedAndChangesNothing) {
    IDirectDrawSurface7* source = Plain(32, 16);
    Write(source, Pattern(32 * 16, 1));
    Write(back, Pattern(640 * 480, 2));
    const std::vector<uint8_t> before = Read(back);
    RECT cases[] = {{0, 0, 33, 16}, {-1, 0, 8, 8}, {0, 0, 32, 17},
                    {8, 8, 8, 16},  {8, 8, 4, 16}, {0, 0, 0, 0}};
    for (RECT& rect : cases) {
        EXPECT_EQ(DDERR_INVALIDRECT, back->BltFast(0, 0, source, &rect, DDBLTFAST_NOCOLORKEY))
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
    // Whole source, landing partly off the back buffer's right and bottom edges.
    EXPECT_EQ(DDERR_INVALIDRECT, back->BltFast(609, 0, source, nullptr, 0));
    EXPECT_EQ(DDERR_INVALIDRECT, back->BltFast(0, 465, source, nullptr, 0));
    EXPECT_EQ(DDERR_INVALIDRECT, back->BltFast(0xFFFFFFFFu, 0, source, nullptr, 0));
    EXPECT_EQ(before, Read(back));
    // The last place that fits is accepted.
    EXPECT_EQ(DD_OK, back->BltFast(608, 464, source, nullptr, 0));
}

TEST_F(DisplayTest, BltFastCopiesTheSourceRectangleToThePoint) {
    IDirectDrawSurface7* source = Plain(40, 30);
    const std::vector<uint8_t> picture = Pattern(40 * 30, 3);
    Write(source, picture);
    RECT rect = {5, 7, 25, 19};
    ASSERT_EQ(DD_OK, back->BltFast(100, 200, source, &rect, DDBLTFAST_NOCOLORKEY));
    const std::vector<uint8_t> screen = Read(back);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            bool inside = x >= 100 && x < 120 && y >= 200 && y < 212;
            uint8_t expected = inside ? picture[(y - 200 + 7) * 40 + (x - 100 + 5)] : 0;
            ASSERT_EQ(expected, screen[y * 640 + x]) << x << "," << y;
        }
    }
}

TEST_F(DisplayTest, ColourFillTakesTheLowByteAndTheWholeSurfaceForNull) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0x12345680;
    ASSERT_EQ(DD_OK, back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
    EXPECT_EQ(std::vector<uint8_t>(640 * 480, 0x80), Read(back));
    RECT rect = {10, 20, 13, 22};
    fx.dwFillColor = 7;
    ASSERT_EQ(DD_OK, back->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    std::vector<uint8_t> screen = Read(back);
    int sevens = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            bool inside = x >= 10 && x < 13 && y >= 20 && y < 22;
            ASSERT_EQ(inside ? 7 : 0x80, screen[y * 640 + x]);
            sevens += inside;
        }
    }
    EXPECT_EQ(6, sevens);
    RECT outside = {600, 400, 641, 480};
    EXPECT_EQ(DDERR_INVALIDRECT, back->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    EXPECT_EQ(DDERR_INVALIDPARAMS, back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr));
}

TEST_F(DisplayTest, OverlappingBltFastOnOneSurfaceReadsTheSourceBeforeWriting) {
    IDirectDrawSurface7* surface = Plain(64, 8);
    const std::vector<uint8_t> picture = Pattern(64 * 8, 4);
    Write(surface, picture);
    RECT rect = {0, 0, 48, 8};
    ASSERT_EQ(DD_OK, surface->BltFast(3, 0, surface, &rect, 0));
    const std::vector<uint8_t> after = Read(surface);
    for (int y = 0; y < 8; ++y) {
        for (int x = 3; x < 51; ++x) {
            ASSERT_EQ(picture[y * 64 + x - 3], after[y * 64 + x]);
        }
    }
}

// Colour keys against a plain per-pixel reference, at every start alignment
// and every width from 1 to 40, for each pixel size, with the key in runs,
// alone, and absent.
class KeyedBlitTest : public DisplayTest, public ::testing::WithParamInterface<int> {};

TEST_P(KeyedBlitTest, MatchesPerPixelReference) {
    int bits = GetParam();
    ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, bits, 0, 0));
    int bytes = bits / 8;
    IDirectDrawSurface7* source = Plain(96, 4);
    IDirectDrawSurface7* dest = Plain(96, 4);
    // Key pixels: a long run, single ones, and none in the last row.
    std::vector<uint8_t> picture = Pattern(96 * 4 * bytes, 5);
    const uint32_t key = bits == 8 ? 0x91 : bits == 16 ? 0x8D91 : 0x00158D91;
    auto setPixel = [&](int x, int y) { memcpy(&picture[(y * 96 + x) * bytes], &key, bytes); };
    for (int x = 10; x < 60; ++x)
        setPixel(x, 0);
    for (int x = 0; x < 96; x += 3)
        setPixel(x, 1);
    for (int x = 0; x < 96; x += 17)
        setPixel(x, 2);
    // Near misses: the key's own bytes in other pixels must still be drawn.
    for (int x = 60; x < 96; x += 2) {
        uint32_t near = key ^ (1u << ((x / 2) % bits));
        memcpy(&picture[(0 * 96 + x) * bytes], &near, bytes);
    }
    Write(source, picture);
    DDCOLORKEY colourKey = {key | (bits < 32 ? 0xFF000000u : 0), 0};
    ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, &colourKey));
    const std::vector<uint8_t> under = Pattern(96 * 4 * bytes, 6);
    for (int start = 0; start < 40; ++start) {
        for (int width = 1; width <= 40; ++width) {
            Write(dest, under);
            RECT rect = {start, 0, start + width, 4};
            int at = (start * 5 + width) % 50;
            ASSERT_EQ(DD_OK, dest->BltFast(at, 0, source, &rect, DDBLTFAST_SRCCOLORKEY));
            std::vector<uint8_t> expected = under;
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint8_t* pixel = &picture[(y * 96 + start + x) * bytes];
                    if (memcmp(pixel, &key, bytes) != 0) {
                        memcpy(&expected[(y * 96 + at + x) * bytes], pixel, bytes);
                    }
                }
            }
            ASSERT_EQ(expected, Read(dest)) << "start " << start << " width " << width;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PixelSizes, KeyedBlitTest, ::testing::Values(8, 16, 32),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

TEST_F(DisplayTest, KeyedBltFastWithoutAKeyCopiesEverything) {
    IDirectDrawSurface7* source = Plain(16, 2);
    const std::vector<uint8_t> picture = Pattern(32, 7);
    Write(source, picture);
    DDCOLORKEY none = {};
    EXPECT_EQ(DDERR_NOCOLORKEY, source->GetColorKey(DDCKEY_SRCBLT, &none));
    ASSERT_EQ(DD_OK, back->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY));
    std::vector<uint8_t> screen = Read(back);
    EXPECT_TRUE(std::equal(picture.begin(), picture.begin() + 16, screen.begin()));
}

// Unlike BltFast, Blt refuses a source key the source does not have (Wine's
// answer, checked by the Wine suite's DirectDraw sequences).
TEST_F(DisplayTest, KeyedBltWithoutASourceKeyIsRefusedAndDrawsNothing) {
    IDirectDrawSurface7* source = Plain(16, 2);
    Write(source, Pattern(32, 7));
    const std::vector<uint8_t> before = Read(back);
    RECT to = {0, 0, 16, 2};
    EXPECT_EQ(DDERR_INVALIDPARAMS, back->Blt(&to, source, nullptr, DDBLT_KEYSRC, nullptr));
    EXPECT_TRUE(Read(back) == before) << "the refused Blt drew into the back buffer";
}

TEST_F(DisplayTest, ColourKeyIsStoredAsOneValue) {
    IDirectDrawSurface7* source = Plain(4, 4);
    DDCOLORKEY key = {145, 200};
    ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, &key));
    DDCOLORKEY read = {};
    ASSERT_EQ(DD_OK, source->GetColorKey(DDCKEY_SRCBLT, &read));
    EXPECT_EQ(145u, read.dwColorSpaceLowValue);
    EXPECT_EQ(145u, read.dwColorSpaceHighValue);
    EXPECT_EQ(DDERR_UNSUPPORTED, source->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key));
}

}  // namespace
