// The frame count, the once-a-second FPS text, and drawing it from the font.
#include <cstring>

#include "game.h"
#include "game_test_support.h"

namespace {

class FrameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        window_ = SetUpDisplay();
        strings_ = SurfaceBytes(g_stringsSurface);
        vplat::SetVirtualTime(5000);
        g_currentTick = g_lastFpsTick = 5000;
        vplat::ClearJournal();
    }

    void FrameAt(DWORD now) {
        vplat::SetVirtualTime(now);
        RunFrame(window_);
    }

    int GlyphBlits() { return CountCalls("BltFast") - blitsPerTitleFrame_; }

    HWND window_ = nullptr;
    std::vector<BYTE> strings_;
    const int blitsPerTitleFrame_ = 2;
};

TEST_F(FrameTest, NoTextUntilTheFirstSecondHasPassed) {
    FrameAt(5000);
    FrameAt(5999);
    EXPECT_STREQ(g_fpsText, "");
    EXPECT_EQ(g_frameCount, 2);
    EXPECT_EQ(CountCalls("BltFast"), 2 * blitsPerTitleFrame_);
    EXPECT_EQ(CountCalls("Flip"), 2);
}

TEST_F(FrameTest, ExactlyOneSecondRefreshesAndCountsTheRefreshingFrame) {
    for (DWORD t = 5000; t < 6000; t += 17) {
        FrameAt(t);
    }
    EXPECT_EQ(g_frameCount, 59);
    FrameAt(6000);
    EXPECT_STREQ(g_fpsText, "0060 FPS");
    EXPECT_EQ(g_frameCount, 0);
    EXPECT_EQ(g_lastFpsTick, 6000u);
    FrameAt(6001);
    EXPECT_EQ(g_frameCount, 1);
    EXPECT_STREQ(g_fpsText, "0060 FPS");
}

TEST_F(FrameTest, RefreshesGoOnAcrossTheClocksWrap) {
    g_lastFpsTick = 0xFFFFFF00u;
    FrameAt(0xFFFFFFF0u);
    FrameAt(999 - 0x100);  // 999 ms after the last refresh
    EXPECT_STREQ(g_fpsText, "");
    FrameAt(1000 - 0x100);
    EXPECT_STREQ(g_fpsText, "0003 FPS");
}

TEST_F(FrameTest, AfterAPauseTheFirstFrameRefreshesAtOnceUnscaled) {
    FrameAt(5100);
    FrameAt(5200);
    FrameAt(65000);
    EXPECT_STREQ(g_fpsText, "0003 FPS");
}

TEST_F(FrameTest, TheTextIsDrawnFromTheFontOverTheScene) {
    g_frameCount = 41;
    FrameAt(6000);
    ASSERT_STREQ(g_fpsText, "0042 FPS");
    vplat::Frame frame = vplat::PresentedFrame();
    int mismatches = 0;
    for (int i = 0; i < 8; i++) {
        int cell = (g_fpsText[i] - 32) * 8;
        for (int y = 0; y < 16; y++) {
            for (int x = 0; x < 8; x++) {
                int glyph = strings_[y * 600 + cell + x];
                int expected = glyph == 145 ? 128 : glyph;  // the title's fill shows through
                mismatches += frame.indices[y * 640 + i * 8 + x] != expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(GlyphBlits(), 8);
}

TEST_F(FrameTest, ACountOfTenThousandIsDrawnAsNineGlyphs) {
    g_frameCount = 9999;
    FrameAt(6000);
    EXPECT_STREQ(g_fpsText, "10000 FPS");
    EXPECT_EQ(GlyphBlits(), 9);
    EXPECT_EQ(CountCalls("Flip"), 1);
}

TEST_F(FrameTest, AFailingGlyphStopsTheTextAndSkipsTheFlip) {
    FrameAt(6000);  // now there is a text
    vplat::ClearJournal();
    // The third glyph of the next frame fails.
    vplat::InjectFault("BltFast", DDERR_INVALIDRECT, 1, nullptr, blitsPerTitleFrame_ + 2);
    FrameAt(6010);
    EXPECT_EQ(GlyphBlits(), 3);
    EXPECT_EQ(CountCalls("Flip"), 0);
    EXPECT_EQ(g_frameCount, 1);
    FrameAt(6020);
    EXPECT_EQ(CountCalls("Flip"), 1);
}

TEST_F(FrameTest, AGlyphThatMetALossCountsAsDrawn) {
    FrameAt(6000);
    vplat::ClearJournal();
    vplat::InjectFault("BltFast", DDERR_SURFACELOST, 1, nullptr, blitsPerTitleFrame_);
    FrameAt(6010);
    EXPECT_EQ(GlyphBlits(), 8);
    EXPECT_EQ(CountCalls("Flip"), 1);
}

}  // namespace
