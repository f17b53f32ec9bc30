// The regions of the images that the game draws from, and what they hold.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "bitmap_file.h"

namespace {

int Count(const IndexedImage& img, int index, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            n += img.At(x, y) == index;
    }
    return n;
}

int Brightness(const Rgb& c) {
    return c.r + c.g + c.b;
}

void ExpectInside(const Box& box, int left, int top, int right, int bottom) {
    EXPECT_GE(box.left, left);
    EXPECT_GE(box.top, top);
    EXPECT_LE(box.right, right);
    EXPECT_LE(box.bottom, bottom);
}

class TitleImage : public testing::Test {
protected:
    void SetUp() override {
        img = LoadImage(Committed("TITLE"));
        ASSERT_GT(img.width, 0);
    }
    IndexedImage img;
};

TEST_F(TitleImage, LetteringFillsItsBoxAndStaysOutOfRowsTheGameDrawsElsewhere) {
    Box ink = InkBox(img, 0, 0, 640, 100);
    ASSERT_GT(ink.count, 0);
    ExpectInside(ink, 23, 9, 605, 86);
    // Large lettering: it spans nearly all of its box.
    EXPECT_LE(ink.left, 30);
    EXPECT_GE(ink.right, 598);
    EXPECT_LE(ink.top, 14);
    EXPECT_GE(ink.bottom, 81);
    EXPECT_EQ(InkBox(img, 0, 99, 640, 100).count, 0);
    EXPECT_GT(Count(img, 25, 0, 0, 640, 100), ink.count / 2) << "mostly light grey";
}

TEST_F(TitleImage, YellowPromptFillsItsStripAndNothingReachesRow135) {
    Box ink = InkBox(img, 0, 100, 640, 135);
    ASSERT_GT(ink.count, 0);
    ExpectInside(ink, 138, 103, 487, 127);
    EXPECT_GE(ink.bottom - ink.top + 1, 22) << "about 25 pixels high";
    EXPECT_LE(ink.left, 142);
    EXPECT_GE(ink.right, 483);
    EXPECT_GT(Count(img, 240, 0, 100, 640, 135), ink.count / 2) << "mostly yellow";
    EXPECT_EQ(InkBox(img, 0, 128, 640, 137).count, 0);
}

TEST_F(TitleImage, GreenPromptAndMenuLabelsKeepToTheirBoxes) {
    Box green = InkBox(img, 0, 137, 640, 162);
    ASSERT_GT(green.count, 0);
    ExpectInside(green, 138, 137, 487, 161);
    EXPECT_GT(Count(img, 42, 0, 137, 640, 162), green.count / 2) << "mostly green";

    EXPECT_EQ(InkBox(img, 0, 162, 640, 178).count, 0);
    Box menu = InkBox(img, 0, 178, 640, 319);
    ASSERT_GT(menu.count, 0);
    ExpectInside(menu, 10, 178, 273, 318);
    EXPECT_GT(Count(img, 240, 0, 178, 140, 319), 0) << "yellow labels at the left";
    EXPECT_GT(Count(img, 42, 140, 178, 274, 319), 0) << "green labels at the right";
    EXPECT_EQ(InkBox(img, 0, 319, 640, 480).count, 0);
}

class BackgroundImage : public testing::Test {
protected:
    void SetUp() override {
        img = LoadImage(Committed("BACKIMG"));
        ASSERT_GT(img.width, 0);
    }
    IndexedImage img;
};

TEST_F(BackgroundImage, SidePanelsArePlainBlueGreyOverTheFullHeight) {
    EXPECT_EQ(Count(img, 140, 0, 0, 150, 640), 150 * 640);
    EXPECT_EQ(Count(img, 140, 630, 0, 640, 640), 10 * 640);
}

TEST_F(BackgroundImage, PictureIsADarkSkyWithABrightStarNear440And194) {
    long long sum = 0;
    std::set<int> used;
    for (int y = 0; y < 640; ++y) {
        for (int x = 150; x < 630; ++x) {
            sum += Brightness(img.table[img.At(x, y)]);
            used.insert(img.At(x, y));
        }
    }
    EXPECT_LT(sum / (480 * 640), 150) << "mostly dark sky";
    EXPECT_GT(used.size(), 40u) << "a picture, not a fill";
    int brightest = 0;
    for (int y = 191; y <= 197; ++y) {
        for (int x = 437; x <= 443; ++x) {
            brightest = std::max(brightest, Brightness(img.table[img.At(x, y)]));
        }
    }
    EXPECT_GT(brightest, 600);
}

TEST(CharaImage, FirstBallIsRedWithThreeKeyPixelsInEachCorner) {
    IndexedImage img = LoadImage(Committed("CHARA"));
    ASSERT_GT(img.width, 0);
    const int spans[8][2] = {{2, 5}, {1, 6}, {0, 7}, {0, 7}, {0, 7}, {0, 7}, {1, 6}, {2, 5}};
    std::map<int, int> counts;
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 8; ++col) {
            int index = img.At(col, 104 + row);
            bool inside = col >= spans[row][0] && col <= spans[row][1];
            EXPECT_EQ(index != kKeyIndex, inside) << "column " << col << ", row " << row;
            if (inside)
                ++counts[index];
        }
    }
    int main_index = 0;
    for (const auto& [index, n] : counts) {
        if (n > counts[main_index])
            main_index = index;
    }
    const Rgb& c = img.table[main_index];
    EXPECT_GT(c.r, 2 * c.g);
    EXPECT_GT(c.r, 2 * c.b);
}

TEST(CharaImage, EverySheetRowHoldsSprites) {
    IndexedImage img = LoadImage(Committed("CHARA"));
    ASSERT_GT(img.width, 0);
    const int bands[][2] = {{0, 16},  {16, 32}, {32, 48},  {48, 64},
                            {64, 80}, {80, 88}, {88, 104}, {104, 112}};
    for (const auto& band : bands) {
        EXPECT_GT(InkBox(img, 0, band[0], 96, band[1]).count, 0) << "rows from " << band[0];
        EXPECT_GT(InkBox(img, 96, band[0], 192, band[1]).count, 0) << "rows from " << band[0];
    }
    EXPECT_EQ(InkBox(img, 0, 0, 192, 16).count, 192 * 16) << "whole bricks are solid";
}

}  // namespace
