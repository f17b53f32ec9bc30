// Blits and flips that retry on busy answers and recover lost surfaces.
#include "ddutil.h"
#include "game_test_support.h"

namespace {

class PresentationTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        SetUpDisplay();
        SetRect(&logo_, 0, 0, 640, 100);
        vplat::ClearJournal();
    }

    HRESULT BlitLogo() {
        return BltFastRetry(g_backBuffer, 0, 100, g_titleSurface, &logo_, DDBLTFAST_SRCCOLORKEY);
    }

    RECT logo_;
};

TEST_F(PresentationTest, FlipBusyThreeTimesIsIssuedFourTimesWithoutRestore) {
    vplat::InjectFault("Flip", DDERR_WASSTILLDRAWING, 3);
    PresentFrame();
    EXPECT_EQ(CountCalls("Flip"), 4);
    EXPECT_EQ(CountCalls("Restore"), 0);
    EXPECT_EQ(vplat::PresentedFrame().number, 1u);
}

TEST_F(PresentationTest, LostFlipRestoresThePrimaryOnlyAndDoesNotFlipAgain) {
    vplat::InjectFault("Flip", DDERR_SURFACELOST, 1);
    PresentFrame();
    EXPECT_EQ(CountCalls("Flip"), 1);
    EXPECT_EQ(ObjectsOf("Restore"), std::vector<const void*>{g_primarySurface});
    EXPECT_EQ(vplat::PresentedFrame().number, 0u);
}

// A failing Restore other than the wrong-mode answer, which has a path of its
// own (mode_recovery_test.cpp).
TEST_F(PresentationTest, LostFlipWhoseRestoreFailsEndsAfterOneOfEach) {
    vplat::InjectFault("Flip", DDERR_SURFACELOST);
    vplat::InjectFault("Restore", DDERR_NOEXCLUSIVEMODE);
    PresentFrame();
    EXPECT_EQ(CountCalls("Flip"), 1);
    EXPECT_EQ(CountCalls("Restore"), 1);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 0);
}

TEST_F(PresentationTest, BusyBlitIsReissuedUntilItIsDone) {
    vplat::InjectFault("BltFast", DDERR_WASSTILLDRAWING, 2);
    EXPECT_EQ(BlitLogo(), DD_OK);
    EXPECT_EQ(CountCalls("BltFast"), 3);
}

TEST_F(PresentationTest, OtherBlitErrorsAreReturnedAfterOneTry) {
    vplat::InjectFault("BltFast", DDERR_INVALIDRECT, 1);
    EXPECT_EQ(BlitLogo(), DDERR_INVALIDRECT);
    EXPECT_EQ(CountCalls("BltFast"), 1);
    EXPECT_EQ(CountCalls("Restore"), 0);
}

TEST_F(PresentationTest, RealLossRestoresEverySurfaceReloadsTheImagesAndDropsTheBlit) {
    std::vector<BYTE> title = SurfaceBytes(g_titleSurface);
    std::vector<BYTE> chara = SurfaceBytes(g_charaSurface);
    vplat::LoseAllSurfaces();
    vplat::ClearJournal();

    EXPECT_EQ(BlitLogo(), DD_OK);

    EXPECT_EQ(CountCalls("BltFast"), 1);
    // RestoreSurfaces restores each, and each reload restores its surface once more.
    std::vector<const void*> restored = ObjectsOf("Restore");
    ASSERT_EQ(restored.size(), 9u);
    EXPECT_EQ(restored[0], g_primarySurface);
    EXPECT_EQ(restored[1], g_backgroundSurface);
    EXPECT_EQ(restored[3], g_stringsSurface);
    EXPECT_EQ(restored[5], g_titleSurface);
    EXPECT_EQ(restored[7], g_charaSurface);
    EXPECT_EQ(SurfaceBytes(g_titleSurface), title);
    EXPECT_EQ(SurfaceBytes(g_charaSurface), chara);
    // Colour keys survive the loss: nothing sets them again.
    EXPECT_EQ(CountCalls("SetColorKey"), 0);
    EXPECT_EQ(CountCalls("SetPalette"), 0);
}

TEST_F(PresentationTest, FailedPrimaryRestoreTouchesNoImageAndIsReturned) {
    vplat::InjectFault("BltFast", DDERR_SURFACELOST, 1);
    vplat::InjectFault("Restore", DDERR_NOEXCLUSIVEMODE, 1, g_primarySurface);
    EXPECT_EQ(BlitLogo(), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(ObjectsOf("Restore"), std::vector<const void*>{g_primarySurface});
    EXPECT_EQ(CountCalls("LoadImageA"), 0);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 0);
}

TEST_F(PresentationTest, FailedTitleRestoreSkipsOnlyItsReloadAndTheLastResultCounts) {
    vplat::InjectFault("Restore", DDERR_SURFACELOST, 1, g_titleSurface);
    EXPECT_EQ(RestoreSurfaces(), DD_OK);
    // Three images reloaded, each through one LoadImageA of its resource.
    EXPECT_EQ(CountCalls("LoadImageA"), 3);
    EXPECT_EQ(CountCalls("GetDC", g_titleSurface), 0);
    EXPECT_EQ(CountCalls("GetDC", g_charaSurface), 1);
}

TEST_F(PresentationTest, ATitleLeftLostIsRecoveredByTheNextBlitFromIt) {
    std::vector<BYTE> title = SurfaceBytes(g_titleSurface);
    vplat::LoseAllSurfaces();
    vplat::InjectFault("Restore", DDERR_SURFACELOST, 1, g_titleSurface);

    EXPECT_EQ(BlitLogo(), DD_OK);  // recovery ran; the title stayed lost
    EXPECT_EQ(CountCalls("BltFast"), 1);
    EXPECT_EQ(BlitLogo(), DD_OK);  // finds the title lost: recovery again
    EXPECT_EQ(CountCalls("BltFast"), 2);
    EXPECT_EQ(SurfaceBytes(g_titleSurface), title);
    EXPECT_EQ(BlitLogo(), DD_OK);  // now the blit itself is done
    EXPECT_EQ(CountCalls("BltFast"), 3);
    EXPECT_EQ(CountCalls("Restore", g_primarySurface), 2);
}

TEST_F(PresentationTest, FailedCharaRestoreIsWhatRecoveryReturns) {
    vplat::InjectFault("Restore", DDERR_SURFACELOST, 1, g_charaSurface);
    EXPECT_EQ(RestoreSurfaces(), DDERR_SURFACELOST);
    EXPECT_EQ(CountCalls("LoadImageA"), 3);
}

}  // namespace
