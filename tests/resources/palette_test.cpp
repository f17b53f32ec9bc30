// The shared colour table. The display palette shows entry 0 as black and
// entry 255 as white, and GDI maps every image colour onto the displayed
// palette by nearest colour; these tests pin that every entry still lands on
// its own index under that mapping.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "bitmap_file.h"

namespace {

class ColourTable : public testing::Test {
protected:
    void SetUp() override {
        IndexedImage back = LoadImage(Committed("BACKIMG"));
        ASSERT_EQ(back.table.size(), 256u);
        table = back.table;
    }
    std::vector<Rgb> table;
};

int Dist2(const Rgb& a, const Rgb& b) {
    return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
}

// Exact match first, then the smallest squared distance, ties to the lower
// index: how a colour is matched against the displayed palette.
int NearestIndex(const std::vector<Rgb>& palette, const Rgb& c) {
    for (size_t i = 0; i < palette.size(); ++i) {
        if (palette[i] == c)
            return int(i);
    }
    int best = 0;
    for (size_t i = 1; i < palette.size(); ++i) {
        if (Dist2(palette[i], c) < Dist2(palette[best], c))
            best = int(i);
    }
    return best;
}

TEST_F(ColourTable, HoldsTheTellingEntries) {
    EXPECT_EQ(table[0], (Rgb{8, 5, 7}));
    EXPECT_EQ(table[25], (Rgb{185, 196, 188}));
    EXPECT_EQ(table[42], (Rgb{8, 218, 152}));
    EXPECT_EQ(table[128], (Rgb{7, 4, 48}));
    EXPECT_EQ(table[140], (Rgb{121, 134, 150}));
    EXPECT_EQ(table[145], (Rgb{21, 141, 91}));
    EXPECT_EQ(table[240], (Rgb{251, 254, 16}));
    EXPECT_EQ(table[255], (Rgb{236, 217, 219}));
}

TEST_F(ColourTable, Holds256DistinctColoursWithTheKeyColourOnlyAt145) {
    std::set<std::tuple<int, int, int>> seen;
    for (const Rgb& c : table)
        seen.insert({c.r, c.g, c.b});
    EXPECT_EQ(seen.size(), 256u);
    for (size_t i = 0; i < table.size(); ++i) {
        if (i != size_t(kKeyIndex)) {
            EXPECT_FALSE(table[i] == (Rgb{21, 141, 91})) << "entry " << i;
        }
    }
}

TEST_F(ColourTable, EveryEntryMapsToItselfOnTheDisplayedPalette) {
    std::vector<Rgb> displayed = table;
    displayed[0] = {0, 0, 0};
    displayed[255] = {255, 255, 255};
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(NearestIndex(displayed, table[i]), int(i))
            << "entry " << i << " (" << table[i].r << "," << table[i].g << "," << table[i].b << ")";
    }
}

TEST_F(ColourTable, KeepsClearOfTheTwoEntriesTheDisplayReplaces) {
    for (size_t i = 1; i < 255; ++i) {
        EXPECT_FALSE(table[i] == (Rgb{0, 0, 0})) << "entry " << i;
        EXPECT_GT(Dist2(table[i], table[0]), Dist2(table[0], {0, 0, 0})) << "entry " << i;
        EXPECT_GT(Dist2(table[i], table[255]), Dist2(table[255], {255, 255, 255})) << "entry " << i;
    }
    EXPECT_GT(Dist2(table[255], table[0]), Dist2(table[0], {0, 0, 0}));
}

}  // namespace
