// Where the frame goes on outputs of many sizes, with and without whole
// multiples.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "present/viewport.h"

namespace {

using vplat::present::FitFrame;
using vplat::present::SetIntegerScale;
using vplat::present::Viewport;

struct FitCase {
    const char* name;
    int outputWidth;
    int outputHeight;
    bool integerScale;
    Viewport expected;
};

// Test names and failure reports show the case by its name, not its bytes.
void PrintTo(const FitCase& c, std::ostream* out) {
    *out << c.name;
}

std::string Describe(const Viewport& v) {
    return std::to_string(v.width) + "x" + std::to_string(v.height) + " at " + std::to_string(v.x) +
           "," + std::to_string(v.y);
}

class FitFrameAt : public testing::TestWithParam<FitCase> {
protected:
    void TearDown() override { SetIntegerScale(true); }
};

TEST_P(FitFrameAt, PlacesTheFrame) {
    const FitCase& c = GetParam();
    SetIntegerScale(c.integerScale);
    Viewport found = FitFrame(c.outputWidth, c.outputHeight);
    EXPECT_EQ(Describe(c.expected), Describe(found))
        << "output " << c.outputWidth << "x" << c.outputHeight
        << (c.integerScale ? " with" : " without") << " integer scaling";
}

const FitCase kCases[] = {
    // Whole multiples, centred, black around.
    {"Exact640x480", 640, 480, true, {0, 0, 640, 480}},
    {"Full1920x1080TwiceNotTwoAndAQuarter", 1920, 1080, true, {320, 60, 1280, 960}},
    {"Window1280x960Twice", 1280, 960, true, {0, 0, 1280, 960}},
    {"Desktop1024x768Once", 1024, 768, true, {192, 144, 640, 480}},
    {"Desktop2560x1440Thrice", 2560, 1440, true, {320, 0, 1920, 1440}},
    {"Desktop3840x2160FourTimes", 3840, 2160, true, {640, 120, 2560, 1920}},
    {"Tall700x2000Once", 700, 2000, true, {30, 760, 640, 480}},
    // Smaller than the frame: no whole multiple, shape kept.
    {"Small320x200ShapeKept", 320, 200, true, {27, 0, 266, 200}},
    {"Small400x300ShapeKept", 400, 300, true, {0, 0, 400, 300}},
    // Without integer scaling the shape-kept fill, as before.
    {"Fill1920x1080", 1920, 1080, false, {240, 0, 1440, 1080}},
    {"Fill1024x768", 1024, 768, false, {0, 0, 1024, 768}},
    {"Fill800x700WideBarsTopAndBottom", 800, 700, false, {0, 50, 800, 600}},
    {"Fill1x1", 1, 1, false, {0, 0, 1, 0}},
    // Nothing to draw on.
    {"Empty0x480", 0, 480, true, {0, 0, 0, 0}},
    {"NegativeHeight", 640, -5, false, {0, 0, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Outputs, FitFrameAt, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FitCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FitFrame, IntegerScaleIsOnByDefault) {
    Viewport found = FitFrame(1920, 1080);
    EXPECT_EQ(1280, found.width) << "a fresh process should scale by whole multiples";
}

TEST(FitFrame, NeverLeavesTheOutput) {
    for (bool integer : {true, false}) {
        SetIntegerScale(integer);
        for (int w = 1; w < 2000; w += 37) {
            for (int h = 1; h < 1500; h += 41) {
                Viewport v = FitFrame(w, h);
                ASSERT_TRUE(v.x >= 0 && v.y >= 0 && v.x + v.width <= w && v.y + v.height <= h)
                    << Describe(v) << " leaves the output " << w << "x" << h;
                ASSERT_LE(std::abs(v.width * 3 - v.height * 4), 4)
                    << Describe(v) << " in " << w << "x" << h << " is not 4:3";
            }
        }
    }
    SetIntegerScale(true);
}

}  // namespace
