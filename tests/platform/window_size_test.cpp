// The first window on desktops of many sizes: a whole multiple of 640 x 480
// that fits, or the largest 4:3 size on a smaller one.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "player/window_size.h"

namespace {

struct SizeCase {
    const char* name;
    int areaWidth;
    int areaHeight;
    int width;
    int height;
};

// Test names and failure reports show the case by its name, not its bytes.
void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class FirstWindowOn : public testing::TestWithParam<SizeCase> {};

TEST_P(FirstWindowOn, Desktop) {
    const SizeCase& c = GetParam();
    vplat::player::WindowSize size = vplat::player::FirstWindowSize(c.areaWidth, c.areaHeight);
    EXPECT_EQ(std::to_string(c.width) + "x" + std::to_string(c.height),
              std::to_string(size.width) + "x" + std::to_string(size.height))
        << "usable area " << c.areaWidth << "x" << c.areaHeight;
}

const SizeCase kSizes[] = {
    {"Usable800x600", 800, 600, 640, 480},
    {"Usable1024x740UnderAPanel", 1024, 740, 640, 480},
    {"Usable1920x1050", 1920, 1050, 1280, 960},
    {"Usable1280x960Exactly", 1280, 960, 1280, 960},
    {"Usable1280x959", 1280, 959, 640, 480},
    {"Usable3840x2100", 3840, 2100, 2560, 1920},
    {"Usable600x400Below", 600, 400, 532, 399},
    {"Usable320x240Below", 320, 240, 320, 240},
    {"Usable639x2000Narrow", 639, 2000, 636, 477},
    {"Nothing", 0, 0, 4, 3},
};

INSTANTIATE_TEST_SUITE_P(Sizes, FirstWindowOn, testing::ValuesIn(kSizes),
                         [](const testing::TestParamInfo<SizeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(MinimumWindowSize, IsThePictureAt1xWhereTheDesktopHasRoom) {
    vplat::player::WindowSize room = vplat::player::MinimumWindowSize(1366, 768);
    vplat::player::WindowSize small = vplat::player::MinimumWindowSize(600, 400);
    EXPECT_EQ("640x480", std::to_string(room.width) + "x" + std::to_string(room.height));
    EXPECT_EQ("532x399", std::to_string(small.width) + "x" + std::to_string(small.height))
        << "on a 600x400 desktop the first window size is the least";
}

TEST(FittingScale, IsTheAskedScaleOrTheLargestThatFits) {
    EXPECT_EQ(2, vplat::player::FittingScale(2, 1920, 1050));
    EXPECT_EQ(2, vplat::player::FittingScale(8, 1920, 1050));
    EXPECT_EQ(1, vplat::player::FittingScale(3, 1366, 768));
    EXPECT_EQ(1, vplat::player::FittingScale(3, 600, 400)) << "1 even where nothing fits";
}

}  // namespace
