// Presenting by change: what differs between two 8-bit frames, and the
// scaled conversion of only those parts. A screen updated with only the
// changed parts must always end up showing exactly the new frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "present/changes.h"
#include "present/scale.h"
#include "present/viewport.h"

namespace {

using vplat::present::ChangedRect;
using vplat::present::ShownFrame;

constexpr int kW = 640;
constexpr int kH = 480;

struct Picture {
    int width = kW;
    int height = kH;
    int pitch = kW;
    std::vector<uint8_t> pixels;
    PALETTEENTRY palette[256] = {};
    uint64_t paletteVersion = 1;

    explicit Picture(int padding = 0, uint32_t seed = 1) : pitch(kW + padding) {
        pixels.resize(static_cast<size_t>(pitch) * kH);
        std::mt19937 random(seed);
        for (uint8_t& p : pixels) {
            p = static_cast<uint8_t>(random());
        }
        for (int i = 0; i < 256; ++i) {
            palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i * 7),
                                      static_cast<BYTE>(255 - i), 0};
        }
    }
    uint8_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * pitch + x]; }
};

std::string Describe(const std::vector<ChangedRect>& rects) {
    std::string text;
    for (const ChangedRect& r : rects) {
        char one[64];
        snprintf(one, sizeof one, "[%d,%d - %d,%d) ", r.left, r.top, r.right, r.bottom);
        text += one;
    }
    return text.empty() ? "nothing" : text;
}

std::vector<ChangedRect> Take(ShownFrame& kept, const Picture& p) {
    vplat::internal::IndexedFrame frame;
    frame.pixels = p.pixels.data();
    frame.width = p.width;
    frame.height = p.height;
    frame.pitch = p.pitch;
    frame.palette = p.palette;
    frame.paletteVersion = p.paletteVersion;
    std::vector<ChangedRect> changed;
    vplat::present::TakeChanges(kept, frame, &changed);
    return changed;
}

bool IsWhole(const std::vector<ChangedRect>& r) {
    return r.size() == 1 && r[0].left == 0 && r[0].top == 0 && r[0].right == kW &&
           r[0].bottom == kH;
}

TEST(FrameChanges, FirstFrameNewPaletteNewSizeAndForgottenScreenAreWhole) {
    ShownFrame kept;
    Picture p;
    EXPECT_TRUE(IsWhole(Take(kept, p))) << "first frame gave " << Describe(Take(kept, p));
    EXPECT_TRUE(Take(kept, p).empty()) << "the same frame again gave " << Describe(Take(kept, p));
    p.palette[200].peGreen ^= 1;
    ++p.paletteVersion;
    std::vector<ChangedRect> r = Take(kept, p);
    EXPECT_TRUE(IsWhole(r)) << "one palette entry changed gave " << Describe(r);
    vplat::present::ForgetShownFrame(kept);
    r = Take(kept, p);
    EXPECT_TRUE(IsWhole(r)) << "after the screen was forgotten: " << Describe(r);
    Picture narrow;
    narrow.width = kW - 8;
    r = Take(kept, narrow);
    ASSERT_EQ(r.size(), 1u) << Describe(r);
    EXPECT_EQ(r[0].right, kW - 8) << "a narrower frame: " << Describe(r);
}

TEST(FrameChanges, SpriteAndTextGiveTwoTightRectangles) {
    ShownFrame kept;
    Picture p(/*padding=*/24);
    Take(kept, p);
    // The FPS digits at the top left and the ball lower down, as in play.
    for (int y = 0; y < 16; ++y) {
        for (int x = 8; x < 32; ++x) {
            p.at(x, y) ^= 0x55;
        }
    }
    for (int y = 400; y < 408; ++y) {
        for (int x = 387; x < 395; ++x) {
            p.at(x, y) ^= 0x0F;
        }
    }
    std::vector<ChangedRect> r = Take(kept, p);
    ASSERT_EQ(r.size(), 2u) << "found " << Describe(r) << ", expected two rectangles";
    EXPECT_EQ(Describe(r), "[8,0 - 32,16) [387,400 - 395,408) ");
}

TEST(FrameChanges, FirstAndLastColumnsAndRowsAreFound) {
    ShownFrame kept;
    Picture p;
    Take(kept, p);
    const int spots[][2] = {{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}, {333, 77}};
    for (const auto& spot : spots) {
        p.at(spot[0], spot[1]) ^= 0x80;
        std::vector<ChangedRect> r = Take(kept, p);
        ASSERT_EQ(r.size(), 1u) << "pixel " << spot[0] << "," << spot[1] << ": " << Describe(r);
        EXPECT_EQ(r[0].left, spot[0]) << Describe(r);
        EXPECT_EQ(r[0].top, spot[1]) << Describe(r);
        EXPECT_EQ(r[0].right, spot[0] + 1) << Describe(r);
        EXPECT_EQ(r[0].bottom, spot[1] + 1) << Describe(r);
    }
}

// A screen that copies only the changed rectangles of each new frame shows
// every frame exactly, whatever changes: scattered pixels, every other row
// (more rectangles than are sent one by one), whole rows.
TEST(FrameChanges, ScreenUpdatedOnlyWhereChangedEqualsEveryFrame) {
    ShownFrame kept;
    Picture frame(/*padding=*/8, 7);
    std::vector<uint8_t> screen(static_cast<size_t>(kW) * kH, 0);
    std::mt19937 random(99);
    for (int step = 0; step < 60; ++step) {
        int kind = step % 3;
        int count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            int x = static_cast<int>(random() % kW);
            int y = kind == 1 ? static_cast<int>(random() % (kH / 2)) * 2
                              : static_cast<int>(random() % kH);
            int run = kind == 2 ? kW - x : 1;
            for (int k = 0; k < run; ++k) {
                frame.at(x + k, y) = static_cast<uint8_t>(frame.at(x + k, y) + 1);
            }
        }
        for (const ChangedRect& r : Take(kept, frame)) {
            for (int y = r.top; y < r.bottom; ++y) {
                for (int x = r.left; x < r.right; ++x) {
                    screen[static_cast<size_t>(y) * kW + x] = frame.at(x, y);
                }
            }
        }
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                ASSERT_EQ(screen[static_cast<size_t>(y) * kW + x], frame.at(x, y))
                    << "step " << step << ": the screen at " << x << "," << y << " was not updated";
            }
        }
    }
}

// ---- Scaled conversion ----

// The frame pixel under the centre of output pixel `at` of `shown`.
int Under(int at, int shown, int frame) {
    return static_cast<int>(std::floor((at + 0.5) * frame / shown));
}

struct Output {
    int width;
    int height;
};

// How CTest names the case: the size, not the bytes.
void PrintTo(const Output& out, std::ostream* os) {
    *os << out.width << "x" << out.height;
}

std::string OutputName(const testing::TestParamInfo<Output>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

class ScaledConversion : public testing::TestWithParam<Output> {
protected:
    static constexpr uint32_t kUntouched = 0xDEADBEEF;

    void SetUp() override {
        out = GetParam();
        view = vplat::present::FitFrame(out.width, out.height);
        vplat::present::PrepareScaleMap(map, view, kW, kH);
        for (int i = 0; i < 256; ++i) {
            table[i] = 0x01000000u * static_cast<uint32_t>(i) + 0x10101u;
        }
    }

    std::vector<uint32_t> Blank() const {
        return std::vector<uint32_t>(static_cast<size_t>(out.width) * out.height, kUntouched);
    }

    void Convert(const Picture& p, ChangedRect area, std::vector<uint32_t>& dest) const {
        vplat::present::ConvertScaled(p.pixels.data(), p.pitch, area, map, table, dest.data(),
                                      out.width * 4);
    }

    Output out{};
    vplat::present::Viewport view{};
    vplat::present::ScaleMap map;
    uint32_t table[256];
};

// Each output pixel shows the frame pixel under its centre; outside the
// picture nothing is written.
TEST_P(ScaledConversion, WholeFrameSamplesPixelCentres) {
    Picture p(/*padding=*/16, 3);
    std::vector<uint32_t> dest = Blank();
    Convert(p, ChangedRect{0, 0, kW, kH}, dest);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            uint32_t found = dest[static_cast<size_t>(y) * out.width + x];
            bool inside =
                x >= view.x && x < view.x + view.width && y >= view.y && y < view.y + view.height;
            uint32_t expected = kUntouched;
            if (inside) {
                int sx = Under(x - view.x, view.width, kW);
                int sy = Under(y - view.y, view.height, kH);
                expected = table[p.at(sx, sy)];
            }
            ASSERT_EQ(found, expected) << "output pixel " << x << "," << y << " of a " << out.width
                                       << "x" << out.height << " output";
        }
    }
}

// Converting a frame and then only the parts of the next one that changed
// gives the same output as converting the next one whole.
TEST_P(ScaledConversion, ChangedPartsGiveTheWholeNextFrame) {
    ShownFrame kept;
    Picture first(0, 5);
    Picture next = first;
    std::vector<uint32_t> byParts = Blank();
    for (const ChangedRect& r : Take(kept, first)) {
        Convert(first, r, byParts);
    }
    for (int y = 100; y < 108; ++y) {
        for (int x = 601; x < 609; ++x) {
            next.at(x, y) ^= 0x3C;
        }
    }
    next.at(0, 0) ^= 1;
    next.at(kW - 1, kH - 1) ^= 1;
    std::vector<ChangedRect> changed = Take(kept, next);
    ASSERT_EQ(changed.size(), 3u) << Describe(changed);
    for (const ChangedRect& r : changed) {
        Convert(next, r, byParts);
    }
    std::vector<uint32_t> whole = Blank();
    Convert(next, ChangedRect{0, 0, kW, kH}, whole);
    for (size_t i = 0; i < whole.size(); ++i) {
        ASSERT_EQ(byParts[i], whole[i]) << "output pixel " << i % out.width << "," << i / out.width
                                        << " differs after a partial update";
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, ScaledConversion,
                         testing::Values(Output{640, 480}, Output{1280, 960}, Output{1024, 768},
                                         Output{1920, 1080}, Output{1366, 768}, Output{800, 600},
                                         Output{700, 900}, Output{3840, 2160}),
                         OutputName);

// ---- Where the frame goes ----

TEST(FitFrame, PictureInsideTheOutputCentredWithItsShape) {
    const Output outputs[] = {{640, 480},  {1280, 960}, {1024, 768}, {1920, 1080},
                              {1366, 768}, {800, 1280}, {641, 481},  {3840, 2160}};
    for (const Output& o : outputs) {
        vplat::present::Viewport v = vplat::present::FitFrame(o.width, o.height);
        std::string where = std::to_string(o.width) + "x" + std::to_string(o.height) + " gave " +
                            std::to_string(v.width) + "x" + std::to_string(v.height) + " at " +
                            std::to_string(v.x) + "," + std::to_string(v.y);
        EXPECT_GE(v.width, 640) << where;
        EXPECT_GE(v.x, 0) << where;
        EXPECT_GE(v.y, 0) << where;
        EXPECT_LE(v.x + v.width, o.width) << where;
        EXPECT_LE(v.y + v.height, o.height) << where;
        EXPECT_LE(std::abs((o.width - v.width - v.x) - v.x), 1) << "not centred: " << where;
        EXPECT_LE(std::abs((o.height - v.height - v.y) - v.y), 1) << "not centred: " << where;
        EXPECT_LE(std::abs(v.width * 3 - v.height * 4), 4) << "shape not kept: " << where;
    }
    vplat::present::Viewport none = vplat::present::FitFrame(0, 0);
    EXPECT_EQ(none.width * none.height, 0) << "an output of no size shows a picture";
}

}  // namespace
