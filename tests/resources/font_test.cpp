// The bitmap font: cells of 8 x 16 for codes 32..106 in five colour bands.
#include <gtest/gtest.h>

#include <set>

#include "bitmap_file.h"

namespace {

constexpr int kBands = 5;

class FontImage : public testing::Test {
protected:
    void SetUp() override {
        img = LoadImage(Committed("STRINGS"));
        ASSERT_GT(img.width, 0);
    }
    Box Cell(int band, int code) const {
        int left = (code - 32) * 8;
        return InkBox(img, left, band * 16, left + 8, band * 16 + 16);
    }
    std::vector<uint8_t> Shape(int band, int code) const {
        std::vector<uint8_t> shape;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 8; ++x) {
                shape.push_back(img.At((code - 32) * 8 + x, band * 16 + y) != kKeyIndex);
            }
        }
        return shape;
    }
    IndexedImage img;
};

TEST_F(FontImage, EveryPrintableCodeHasAGlyphBelowAnEmptyTopRow) {
    for (int band = 0; band < kBands; ++band) {
        for (int code = 33; code <= 94; ++code) {
            Box ink = Cell(band, code);
            EXPECT_GT(ink.count, 0) << "band " << band << ", code " << code;
            EXPECT_GE(ink.top, band * 16 + 1) << "band " << band << ", code " << code;
        }
    }
}

TEST_F(FontImage, SpaceAndCodesAbove94AreEmptyInEveryBand) {
    for (int band = 0; band < 6; ++band) {
        EXPECT_EQ(Cell(band, 32).count, 0) << "band " << band;
        EXPECT_EQ(InkBox(img, 504, band * 16, 600, band * 16 + 16).count, 0) << "band " << band;
    }
}

TEST_F(FontImage, GlyphsAreTheSameInEveryBandAndAllDifferent) {
    std::set<std::vector<uint8_t>> shapes;
    for (int code = 33; code <= 94; ++code) {
        shapes.insert(Shape(0, code));
        for (int band = 1; band < kBands; ++band) {
            EXPECT_EQ(Shape(band, code), Shape(0, code)) << "band " << band << ", code " << code;
        }
    }
    EXPECT_EQ(shapes.size(), 62u) << "no two codes share a glyph";
}

TEST_F(FontImage, EachBandIsLightestInItsMiddleRow) {
    for (int band = 0; band < kBands; ++band) {
        int light = 0;
        int edge = 765;
        for (int x = 8; x < 504; ++x) {
            for (int row = 1; row < 16; ++row) {
                int index = img.At(x, band * 16 + row);
                if (index == kKeyIndex)
                    continue;
                const Rgb& c = img.table[index];
                int value = c.r + c.g + c.b;
                if (row == 8)
                    light = std::max(light, value);
                if (row <= 3 || row >= 13)
                    edge = std::min(edge, value);
            }
        }
        EXPECT_GT(light, 560) << "near white in band " << band;
        EXPECT_GT(light, edge + 150) << "band " << band;
    }
}

TEST_F(FontImage, YellowBandUsesThePromptYellow) {
    int n = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 0; x < 600; ++x)
            n += img.At(x, y) == 240;
    }
    EXPECT_GT(n, 0);
}

TEST_F(FontImage, LastBandHoldsOnlyCyanMarksInTheCellsOf33To37) {
    Box marks = InkBox(img, 0, 80, 600, 96);
    ASSERT_GT(marks.count, 0);
    EXPECT_GE(marks.left, 8);
    EXPECT_LE(marks.right, 47);
    for (int y = 80; y < 96; ++y) {
        for (int x = 0; x < 600; ++x) {
            int index = img.At(x, y);
            if (index != kKeyIndex) {
                EXPECT_EQ(img.table[index], (Rgb{40, 247, 237}));
            }
        }
    }
}

}  // namespace
