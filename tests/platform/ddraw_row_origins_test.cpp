// A plain copy into a row that already holds the very same copy is skipped.
// What the screen shows must never depend on it: each frame here is built as
// the game builds one (a whole background, a keyed sprite over it, a flip)
// and compared with the same frame worked out pixel by pixel. The frames are
// read from what Flip presents, not through Lock, since a lock is itself a
// write that makes every row be copied again.
#include <string>

#include "ddraw_fixture.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
constexpr uint8_t kKey = 145;

class RowOriginTest : public DisplayTest {
protected:
    IDirectDrawSurface7* background = nullptr;
    IDirectDrawSurface7* sprite = nullptr;
    std::vector<uint8_t> picture;
    std::vector<uint8_t> ball;

    void SetUp() override {
        DisplayTest::SetUp();
        background = Plain(kW, kH);
        picture = Pattern(kW * kH, 5);
        for (uint8_t& pixel : picture) {
            pixel = pixel == kKey ? 0 : pixel;
        }
        Write(background, picture);
        sprite = Plain(8, 8);
        ball = Pattern(64, 9);
        for (int i = 0; i < 64; i += 3) {
            ball[i] = kKey;  // every third pixel shows the background through
        }
        Write(sprite, ball);
        DDCOLORKEY key = {kKey, kKey};
        ASSERT_EQ(DD_OK, sprite->SetColorKey(DDCKEY_SRCBLT, &key));
    }

    // One frame as the game draws it; the presented frame comes back.
    std::vector<uint8_t> Frame(int spriteX, int spriteY) {
        EXPECT_EQ(DD_OK, back->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY));
        EXPECT_EQ(DD_OK, back->BltFast(spriteX, spriteY, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
        EXPECT_EQ(DD_OK, primary->Flip(nullptr, 0));
        return vplat::PresentedFrame().indices;
    }

    std::vector<uint8_t> Expected(int spriteX, int spriteY) const {
        std::vector<uint8_t> frame = picture;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                uint8_t pixel = ball[y * 8 + x];
                if (pixel != kKey) {
                    frame[(spriteY + y) * kW + spriteX + x] = pixel;
                }
            }
        }
        return frame;
    }

    // A frame as the title draws one: a fill, then keyed sprites over it.
    std::vector<uint8_t> FilledFrame(uint8_t colour, const std::vector<POINT>& sprites) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = colour;
        EXPECT_EQ(DD_OK, back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
        for (const POINT& at : sprites) {
            EXPECT_EQ(DD_OK, back->BltFast(at.x, at.y, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
        }
        EXPECT_EQ(DD_OK, primary->Flip(nullptr, 0));
        return vplat::PresentedFrame().indices;
    }

    std::vector<uint8_t> ExpectedFilled(uint8_t colour, const std::vector<POINT>& sprites) const {
        std::vector<uint8_t> frame(kW * kH, colour);
        for (const POINT& at : sprites) {
            for (int i = 0; i < 64; ++i) {
                if (ball[i] != kKey) {
                    frame[(at.y + i / 8) * kW + at.x + i % 8] = ball[i];
                }
            }
        }
        return frame;
    }

    // The first pixel that differs, said as a person would read it.
    static std::string FirstDifference(const std::vector<uint8_t>& found,
                                       const std::vector<uint8_t>& expected) {
        if (found.size() != expected.size()) {
            return "a frame of " + std::to_string(found.size()) + " pixels, expected " +
                   std::to_string(expected.size());
        }
        for (size_t i = 0; i < found.size(); ++i) {
            if (found[i] != expected[i]) {
                return "pixel " + std::to_string(i % kW) + "," + std::to_string(i / kW) + " is " +
                       std::to_string(found[i]) + ", expected " + std::to_string(expected[i]);
            }
        }
        return "";
    }
};

TEST_F(RowOriginTest, ASpriteMovedEveryFrameLeavesNoTrailInEitherBuffer) {
    const int places[][2] = {{10, 10}, {11, 10}, {12, 11}, {300, 200}, {12, 11}, {632, 472}};
    for (const auto& at : places) {
        EXPECT_EQ(FirstDifference(Frame(at[0], at[1]), Expected(at[0], at[1])), "")
            << "sprite at " << at[0] << "," << at[1];
    }
}

TEST_F(RowOriginTest, ANewBackgroundPictureIsCopiedWhole) {
    Frame(10, 10);
    Frame(20, 10);
    picture = Pattern(kW * kH, 77);
    for (uint8_t& pixel : picture) {
        pixel = pixel == kKey ? 1 : pixel;
    }
    Write(background, picture);
    EXPECT_EQ(FirstDifference(Frame(30, 10), Expected(30, 10)), "") << "after the picture changed";
    EXPECT_EQ(FirstDifference(Frame(40, 10), Expected(40, 10)), "") << "and the frame after";
}

TEST_F(RowOriginTest, AFillOrALockBetweenFramesIsDrawnOver) {
    Frame(10, 10);
    Frame(10, 10);
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 7;
    RECT band = {0, 100, kW, 140};
    ASSERT_EQ(DD_OK, back->Blt(&band, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    EXPECT_EQ(FirstDifference(Frame(10, 10), Expected(10, 10)), "") << "after a colour fill";
    Write(back, std::vector<uint8_t>(kW * kH, 3));
    EXPECT_EQ(FirstDifference(Frame(10, 10), Expected(10, 10)), "") << "after a write by lock";
}

TEST_F(RowOriginTest, ARestoredChainIsDrawnWholeAgain) {
    Frame(10, 10);
    Frame(10, 10);
    ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 16, 0, 0));  // every surface lost
    ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 8, 0, 0));
    ASSERT_EQ(DD_OK, primary->Restore());
    ASSERT_EQ(DD_OK, background->Restore());
    ASSERT_EQ(DD_OK, sprite->Restore());
    Write(background, picture);
    Write(sprite, ball);
    EXPECT_EQ(FirstDifference(Frame(10, 10), Expected(10, 10)), "") << "first frame after";
    EXPECT_EQ(FirstDifference(Frame(11, 10), Expected(11, 10)), "") << "second frame after";
}

TEST_F(RowOriginTest, TwoSourcesSideBySideInTheSameRowsBothStay) {
    IDirectDrawSurface7* left = Plain(320, 480);
    IDirectDrawSurface7* right = Plain(320, 480);
    std::vector<uint8_t> leftPixels = Pattern(320 * 480, 1);
    std::vector<uint8_t> rightPixels = Pattern(320 * 480, 2);
    Write(left, leftPixels);
    Write(right, rightPixels);
    std::vector<uint8_t> expected(kW * kH);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < 320; ++x) {
            expected[y * kW + x] = leftPixels[y * 320 + x];
            expected[y * kW + 320 + x] = rightPixels[y * 320 + x];
        }
    }
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(DD_OK, back->BltFast(0, 0, left, nullptr, DDBLTFAST_NOCOLORKEY));
        ASSERT_EQ(DD_OK, back->BltFast(320, 0, right, nullptr, DDBLTFAST_NOCOLORKEY));
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, 0));
        EXPECT_EQ(FirstDifference(vplat::PresentedFrame().indices, expected), "")
            << "frame " << frame;
    }
}

}  // namespace

// Each list is drawn for three frames running, so that each buffer repeats
// it at least once before the next list starts.
TEST_F(RowOriginTest, FillsAndKeyedCopiesRepeatedOrChangedShowWhatWasDrawn) {
    const struct {
        const char* what;
        uint8_t colour;
        std::vector<POINT> sprites;
    } lists[] = {
        {"a fill and a keyed copy", 128, {{100, 100}}},
        {"a different fill of the same rows", 7, {{100, 100}}},
        {"the same keyed copy twice", 7, {{100, 100}, {100, 100}}},
        {"a second keyed copy over the first's rows", 7, {{100, 100}, {104, 102}}},
        {"the second copy moved: the first stays", 7, {{100, 100}, {90, 103}}},
        {"the second copy gone", 7, {{100, 100}}},
        {"no copy at all", 7, {}},
    };
    for (const auto& list : lists) {
        for (int frame = 0; frame < 3; ++frame) {
            EXPECT_EQ(FirstDifference(FilledFrame(list.colour, list.sprites),
                                      ExpectedFilled(list.colour, list.sprites)),
                      "")
                << list.what << ", frame " << frame;
        }
    }
}

TEST_F(RowOriginTest, ASourceChangedWhileAFrameRepeatsKeepsWhatWasCopiedBefore) {
    const std::vector<POINT> sprites = {{100, 100}, {104, 102}};
    FilledFrame(7, sprites);
    FilledFrame(7, sprites);
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 7;
    // The fill and the first copy repeat the last frame's; the sprite then
    // changes before its second copy, which must show the new sprite over
    // the old one.
    ASSERT_EQ(DD_OK, back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    ASSERT_EQ(DD_OK, back->BltFast(100, 100, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
    std::vector<uint8_t> expected = ExpectedFilled(7, {sprites[0]});
    ball = Pattern(64, 33);
    for (int i = 1; i < 64; i += 3) {
        ball[i] = kKey;
    }
    Write(sprite, ball);
    ASSERT_EQ(DD_OK, back->BltFast(104, 102, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
    for (int i = 0; i < 64; ++i) {
        if (ball[i] != kKey) {
            expected[(102 + i / 8) * kW + 104 + i % 8] = ball[i];
        }
    }
    EXPECT_EQ(DD_OK, primary->Flip(nullptr, 0));
    EXPECT_EQ(FirstDifference(vplat::PresentedFrame().indices, expected), "");
}

// The last frame's sprites drawn again after one that moved, or after one
// that came in between, over the rows the moved one left or came to: each
// shows where it is. The first sprite jumps between two bands of rows, so
// each buffer finds it gone from where the others cross it.
TEST_F(RowOriginTest, SpritesDrawnAgainAfterOneThatMovedOrCameInBetweenShowWhereTheyAre) {
    for (int frame = 0; frame < 9; ++frame) {
        std::vector<POINT> sprites = {
            {20 + frame, frame % 4 < 2 ? 100 : 120}, {24, 104}, {26, 122}, {300, 300}};
        if (frame >= 5) {
            sprites.insert(sprites.begin() + 1, POINT{200, 98});
        }
        EXPECT_EQ(FirstDifference(FilledFrame(7, sprites), ExpectedFilled(7, sprites)), "")
            << "frame " << frame;
    }
}
