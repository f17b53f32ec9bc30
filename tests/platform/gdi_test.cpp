// GDI: nearest-colour mapping and its ties, StretchBlt's choice of source
// pixels and colour mapping, GetPixel/SetPixel on DIB sections and surface
// DCs, GetObjectA, selection and deletion of objects, journal and faults.
#include <velmora_platform.h>

#include "bmp_files.h"

namespace vplat::internal {
// The DC that DirectDraw surfaces hand out; declared here as the platform
// defines it, so GDI can be tested over plain memory.
HDC CreateSurfaceDC(uint8_t* pixels, int width, int height, int pitch, int bitsPerPixel,
                    const PALETTEENTRY* palette);
void DestroySurfaceDC(HDC dc);
}  // namespace vplat::internal

namespace {

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { vplat::ResetPlatform(); }
    void TearDown() override { vplat::ResetPlatform(); }

    // An 8-bit DIB section with the given colours as its table, selected
    // into a new memory DC.
    HDC IndexedDc(const std::vector<COLORREF>& colors, int width, int height,
                  std::vector<uint8_t> topDownRows) {
        bmpfiles::Image image;
        image.width = width;
        image.height = -height;
        image.colorsUsed = static_cast<uint32_t>(colors.size());
        for (COLORREF c : colors) {
            image.table.insert(image.table.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
        }
        int stride = bmpfiles::Stride(width, 8);
        image.pixels.assign(static_cast<size_t>(stride * height), 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.pixels[y * stride + x] = topDownRows[y * width + x];
            }
        }
        HBITMAP bitmap = bmpfiles::LoadBytes(bmpfiles::File(image), "dib" + std::to_string(n_++));
        EXPECT_NE(bitmap, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        bitmaps_[dc] = bitmap;
        return dc;
    }

    // The stored index at x, y of a DC made by IndexedDc (rows are top-down).
    int IndexAt(HDC dc, int x, int y) {
        BITMAP info{};
        GetObjectA(bitmaps_[dc], sizeof info, &info);
        return static_cast<const uint8_t*>(info.bmBits)[y * info.bmWidthBytes + x];
    }

    std::vector<int> Row(HDC dc, int width, int y) {
        std::vector<int> row;
        for (int x = 0; x < width; ++x) {
            row.push_back(IndexAt(dc, x, y));
        }
        return row;
    }

    std::map<HDC, HBITMAP> bitmaps_;
    int n_ = 0;
};

const std::vector<COLORREF> kGreys = {RGB(0, 0, 0),       RGB(10, 0, 0), RGB(30, 0, 0),
                                      RGB(200, 200, 200), RGB(30, 0, 0), RGB(255, 255, 255)};

TEST_F(GdiTest, SetPixelTakesTheNearestEntryAndSaysWhichColourItSet) {
    HDC dc = IndexedDc(kGreys, 2, 1, {0, 0});
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(190, 210, 200)), RGB(200, 200, 200));
    EXPECT_EQ(IndexAt(dc, 0, 0), 3);
    EXPECT_EQ(SetPixel(dc, 1, 0, RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(IndexAt(dc, 1, 0), 5);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(200, 200, 200));
}

TEST_F(GdiTest, TiesGoToTheLowestIndex) {
    HDC dc = IndexedDc(kGreys, 1, 1, {0});
    // 20 is as far from 10 (entry 1) as from 30 (entries 2 and 4).
    SetPixel(dc, 0, 0, RGB(20, 0, 0));
    EXPECT_EQ(IndexAt(dc, 0, 0), 1);
    // An exact colour that appears twice: the first of them.
    SetPixel(dc, 0, 0, RGB(30, 0, 0));
    EXPECT_EQ(IndexAt(dc, 0, 0), 2);
}

TEST_F(GdiTest, PixelsOutsideTheBitmapAreInvalid) {
    HDC dc = IndexedDc(kGreys, 2, 2, {1, 1, 1, 1});
    EXPECT_EQ(GetPixel(dc, 2, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, 0, -1), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc, -1, 0, RGB(0, 0, 0)), CLR_INVALID);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST_F(GdiTest, SameTableKeepsEveryIndexEvenRepeatedColours) {
    std::vector<uint8_t> indices = {4, 2, 5, 0};
    HDC source = IndexedDc(kGreys, 4, 1, indices);
    HDC dest = IndexedDc(kGreys, 4, 1, {0, 0, 0, 0});
    ASSERT_TRUE(StretchBlt(dest, 0, 0, 4, 1, source, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(Row(dest, 4, 0), (std::vector<int>{4, 2, 5, 0}));
}

TEST_F(GdiTest, OtherTablesAreMappedColourByColour) {
    HDC source = IndexedDc({RGB(0, 0, 0), RGB(199, 201, 200), RGB(30, 0, 0)}, 3, 1, {1, 2, 0});
    HDC dest = IndexedDc(kGreys, 3, 1, {5, 5, 5});
    ASSERT_TRUE(StretchBlt(dest, 0, 0, 3, 1, source, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(Row(dest, 3, 0), (std::vector<int>{3, 2, 0}));
}

std::vector<uint8_t> Counting(int n) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) {
        v.push_back(static_cast<uint8_t>(i));
    }
    return v;
}

std::vector<COLORREF> Ramp() {
    std::vector<COLORREF> colors;
    for (int i = 0; i < 16; ++i) {
        colors.push_back(RGB(i * 16, 0, 0));
    }
    return colors;
}

// Which source pixel each destination pixel takes, as Wine's stretcher
// picks it (a midpoint Bresenham walk, first pixel of a run when shrinking).
TEST_F(GdiTest, StretchingPicksSourcePixelsLikeTheRealPlatform) {
    struct Case {
        int from, to;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {2, 4, {0, 0, 1, 1}}, {3, 4, {0, 1, 1, 2}}, {3, 7, {0, 0, 1, 1, 1, 2, 2}}, {4, 2, {0, 2}},
        {3, 2, {0, 2}},       {5, 3, {0, 2, 3}},    {4, 4, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        HDC source = IndexedDc(Ramp(), c.from, 1, Counting(c.from));
        HDC dest = IndexedDc(Ramp(), c.to, 1, std::vector<uint8_t>(c.to, 15));
        ASSERT_TRUE(StretchBlt(dest, 0, 0, c.to, 1, source, 0, 0, c.from, 1, SRCCOPY));
        EXPECT_EQ(Row(dest, c.to, 0), c.expected) << c.from << " -> " << c.to;
    }
}

TEST_F(GdiTest, StretchingWorksOnBothAxesAndMirrorsOnNegativeWidths) {
    HDC source = IndexedDc(Ramp(), 2, 2, {1, 2, 3, 4});
    HDC dest = IndexedDc(Ramp(), 4, 4, std::vector<uint8_t>(16, 0));
    ASSERT_TRUE(StretchBlt(dest, 0, 0, 4, 4, source, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(Row(dest, 4, 0), (std::vector<int>{1, 1, 2, 2}));
    EXPECT_EQ(Row(dest, 4, 3), (std::vector<int>{3, 3, 4, 4}));
    // A negative width starts at x = 3 and runs left.
    ASSERT_TRUE(StretchBlt(dest, 3, 0, -4, 1, source, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(Row(dest, 4, 0), (std::vector<int>{2, 2, 1, 1}));
}

TEST_F(GdiTest, DrawingPastTheEdgesIsClipped) {
    HDC source = IndexedDc(Ramp(), 4, 4, Counting(16));
    HDC dest = IndexedDc(Ramp(), 3, 3, std::vector<uint8_t>(9, 15));
    // Destination hangs over every edge; source rectangle reaches past its bitmap.
    ASSERT_TRUE(StretchBlt(dest, -1, -1, 5, 5, source, 1, 1, 5, 5, SRCCOPY));
    // Destination pixel (0, 0) is the second of the rectangle: source (2, 2).
    EXPECT_EQ(Row(dest, 3, 0), (std::vector<int>{10, 11, 15}));
    EXPECT_EQ(Row(dest, 3, 1), (std::vector<int>{14, 15, 15}));
    EXPECT_EQ(Row(dest, 3, 2), (std::vector<int>{15, 15, 15}));
}

TEST_F(GdiTest, ACopyWithinOneBitmapReadsTheSourceAsItWasBefore) {
    HDC dc = IndexedDc(Ramp(), 3, 3, Counting(9));
    // One row down and one right, overlapping: row by row in place would
    // copy the rows it had just written.
    ASSERT_TRUE(StretchBlt(dc, 1, 1, 2, 2, dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(Row(dc, 3, 1), (std::vector<int>{3, 0, 1}));
    EXPECT_EQ(Row(dc, 3, 2), (std::vector<int>{6, 3, 4}));
}

TEST_F(GdiTest, OnlyPlainCopiesAreDrawn) {
    HDC source = IndexedDc(Ramp(), 1, 1, {3});
    HDC dest = IndexedDc(Ramp(), 1, 1, {0});
    EXPECT_FALSE(StretchBlt(dest, 0, 0, 1, 1, source, 0, 0, 1, 1, 0x00EE0086));  // SRCPAINT
    EXPECT_FALSE(StretchBlt(dest, 0, 0, 1, 1, nullptr, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(IndexAt(dest, 0, 0), 0);
}

TEST_F(GdiTest, EightBitSurfaceDcMapsOntoItsPalette) {
    PALETTEENTRY palette[256] = {};
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    }
    palette[145] = PALETTEENTRY{21, 141, 91, 0};
    uint8_t pixels[4 * 2] = {};
    HDC dc = vplat::internal::CreateSurfaceDC(pixels, 3, 2, 4, 8, palette);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(SetPixel(dc, 0, 0, RGB(21, 141, 91)), RGB(21, 141, 91));
    EXPECT_EQ(pixels[0], 145);
    EXPECT_EQ(SetPixel(dc, 2, 1, RGB(100, 155, 9)), RGB(100, 155, 7));
    EXPECT_EQ(pixels[4 + 2], 100);  // the pitch, not the width, steps rows
    EXPECT_FALSE(DeleteDC(dc)) << "a surface's DC is given back by the surface";
    vplat::internal::DestroySurfaceDC(dc);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

TEST_F(GdiTest, DirectColourSurfacesStoreRgb565AndXrgb8888) {
    uint16_t pixels16[2] = {};
    HDC dc16 = vplat::internal::CreateSurfaceDC(reinterpret_cast<uint8_t*>(pixels16), 2, 1, 4, 16,
                                                nullptr);
    ASSERT_NE(dc16, nullptr);
    EXPECT_EQ(SetPixel(dc16, 0, 0, RGB(255, 0, 0)), RGB(255, 0, 0));
    EXPECT_EQ(pixels16[0], 0xF800);
    // 20, 40, 60 keep their top 5, 6 and 5 bits and read back widened.
    EXPECT_EQ(SetPixel(dc16, 1, 0, RGB(20, 40, 60)), RGB(16, 40, 57));
    EXPECT_EQ(pixels16[1], (2 << 11) | (10 << 5) | 7);
    vplat::internal::DestroySurfaceDC(dc16);

    uint32_t pixels32[1] = {};
    HDC dc32 = vplat::internal::CreateSurfaceDC(reinterpret_cast<uint8_t*>(pixels32), 1, 1, 4, 32,
                                                nullptr);
    EXPECT_EQ(SetPixel(dc32, 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(pixels32[0], 0x010203u);
    vplat::internal::DestroySurfaceDC(dc32);
}

TEST_F(GdiTest, ImagesAreStretchedOntoSurfaces) {
    HDC source = IndexedDc(Ramp(), 2, 1, {3, 9});
    uint32_t pixels[4] = {};
    HDC surface =
        vplat::internal::CreateSurfaceDC(reinterpret_cast<uint8_t*>(pixels), 4, 1, 16, 32, nullptr);
    ASSERT_TRUE(StretchBlt(surface, 0, 0, 4, 1, source, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(pixels[1], 0x300000u);
    EXPECT_EQ(pixels[2], 0x900000u);
    vplat::internal::DestroySurfaceDC(surface);
}

TEST_F(GdiTest, GetObjectFillsABitmapRecordOnlyWhenItFits) {
    HDC dc = IndexedDc(kGreys, 5, 2, std::vector<uint8_t>(10, 1));
    HBITMAP bitmap = bitmaps_[dc];
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    BITMAP info;
    memset(&info, 0xAB, sizeof info);
    // Like Windows NT (Wine's tests pin it): too small a buffer gets nothing.
    EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP) - 8, &info), 0);
    EXPECT_EQ(info.bmWidth, static_cast<LONG>(0xABABABAB));
    EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP) + 64, &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmWidthBytes, 8);
    EXPECT_EQ(info.bmBitsPixel, 8);
    EXPECT_EQ(GetObjectA(nullptr, sizeof info, &info), 0);
}

TEST_F(GdiTest, SelectObjectHandsBackWhatWasSelected) {
    HBITMAP first = bmpfiles::LoadBytes(bmpfiles::File(bmpfiles::Image{}), "a.bmp");
    HBITMAP second = bmpfiles::LoadBytes(bmpfiles::File(bmpfiles::Image{}), "b.bmp");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(dc, first);
    ASSERT_NE(original, nullptr) << "a new memory DC holds a default bitmap";
    EXPECT_EQ(SelectObject(dc, second), first);
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, second), nullptr) << "already selected into dc";
    EXPECT_EQ(SelectObject(dc, original), second);
    EXPECT_EQ(SelectObject(other, second), original);
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
}

TEST_F(GdiTest, ABitmapDeletedWhileSelectedGoesWithItsDc) {
    HBITMAP bitmap = bmpfiles::LoadBytes(bmpfiles::File(bmpfiles::Image{}));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
    BITMAP info{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), 0);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST_F(GdiTest, StockObjectsAreStableAndNeverDeleted) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    ASSERT_NE(white, nullptr);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), white);
    EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST_F(GdiTest, CallsAreJournaledAndFaultsAnswerThem) {
    HDC source = IndexedDc(Ramp(), 1, 1, {3});
    HDC dest = IndexedDc(Ramp(), 1, 1, {0});
    vplat::ClearJournal();
    vplat::EnableJournal(true);
    vplat::InjectFault("StretchBlt", FALSE, 1);
    EXPECT_FALSE(StretchBlt(dest, 0, 0, 1, 1, source, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(IndexAt(dest, 0, 0), 0) << "a faulted call does nothing";
    EXPECT_TRUE(StretchBlt(dest, 0, 0, 1, 1, source, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(IndexAt(dest, 0, 0), 3);
    vplat::InjectFault("CreateCompatibleDC", 0, 1);
    EXPECT_EQ(CreateCompatibleDC(nullptr), nullptr);
    std::vector<vplat::CallRecord> calls;
    for (const vplat::CallRecord& call : vplat::Journal()) {
        if (call.name == "StretchBlt" || call.name == "CreateCompatibleDC") {
            calls.push_back(call);
        }
    }
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].name, "CreateCompatibleDC");
    EXPECT_EQ(calls[2].result, 0);
    EXPECT_EQ(calls[0].name, "StretchBlt");
    EXPECT_EQ(calls[0].result, FALSE);
    EXPECT_EQ(calls[1].name, "StretchBlt");
    EXPECT_EQ(calls[1].result, TRUE);
    EXPECT_EQ(calls[1].object, nullptr);
    EXPECT_NE(calls[1].args.find("rop=0x00cc0020"), std::string::npos) << calls[1].args;
}

}  // namespace
