// Recovery when the display comes back in another mode: another program took
// the front, and the platform (as Wine does) leaves the desktop's mode in
// force after the game's window is back, so the primary surface answers
// DDERR_WRONGMODE to Restore until the game sets its mode again.
#include <cstring>

#include "ddutil.h"
#include "game.h"
#include "game_test_support.h"

namespace {

// How the game tells that its window is in front is its own business; that
// it leaves the mode alone while another program is, is tested below.
const std::vector<std::string> kRecoveryCalls = {"Flip", "Restore", "SetDisplayMode", "SetPalette",
                                                 "LoadImageA"};

class ModeRecoveryTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        window_ = SetUpDisplay();
        SetRect(&logo_, 0, 0, 640, 100);
        // The clock stands still, so the FPS text never shows and whole
        // frames can be compared.
        vplat::SetVirtualTime(5000);
        g_currentTick = g_lastFpsTick = 5000;
        RunFrame(window_);
        RunFrame(window_);
        before_ = vplat::PresentedFrame();
        vplat::ClearJournal();
    }

    HRESULT BlitLogo() {
        return BltFastRetry(g_backBuffer, 0, 100, g_titleSurface, &logo_, DDBLTFAST_SRCCOLORKEY);
    }

    // Away to another program and back: the game's window is active again,
    // the desktop's mode is still in force.
    static void AwayAndBack() {
        vplat::SwitchAway();
        vplat::RestoreWindow();
        vplat::ClearJournal();
    }

    static std::string ArgsOf(const std::string& name) {
        for (const vplat::CallRecord& call : vplat::Journal()) {
            if (call.name == name) {
                return call.args;
            }
        }
        return "(no " + name + " call)";
    }

    HWND window_ = nullptr;
    RECT logo_;
    vplat::Frame before_;
};

TEST_F(ModeRecoveryTest, FlipSetsTheGamesModeRestoresAgainAndGivesThePaletteBack) {
    AwayAndBack();
    PresentFrame();
    std::vector<std::string> expected = {"Flip", "Restore", "SetDisplayMode", "Restore",
                                         "SetPalette"};
    EXPECT_EQ(vplat::JournalNames(kRecoveryCalls), expected);
    EXPECT_EQ(ArgsOf("SetDisplayMode"), "width=640 height=480 bpp=8 refresh=0 flags=0x0");
    EXPECT_EQ(ObjectsOf("SetPalette"), std::vector<const void*>{g_primarySurface});
    char palette[32];
    snprintf(palette, sizeof palette, "palette=%p", static_cast<void*>(g_palette));
    EXPECT_EQ(ArgsOf("SetPalette"), palette);
    // As after any repaired loss of the primary, this frame is not shown.
    EXPECT_EQ(vplat::PresentedFrame().number, before_.number);
}

TEST_F(ModeRecoveryTest, TheNextFramesShowThePictureAsBeforeTheLoss) {
    AwayAndBack();
    for (int i = 0; i < 3; i++) {
        RunFrame(window_);
    }
    vplat::Frame after = vplat::PresentedFrame();
    ASSERT_GT(after.number, before_.number) << "no frame was shown after the game came back";
    EXPECT_EQ(CountCalls("SetDisplayMode"), 1);
    ASSERT_EQ(after.indices.size(), before_.indices.size());
    size_t differing = 0;
    size_t first = after.indices.size();
    for (size_t i = 0; i < after.indices.size(); i++) {
        if (after.indices[i] != before_.indices[i]) {
            differing++;
            first = std::min(first, i);
        }
    }
    EXPECT_EQ(differing, 0u) << "first difference at x " << first % after.width << ", y "
                             << first / after.width << ": index " << int(after.indices[first])
                             << ", expected " << int(before_.indices[first]);
    EXPECT_EQ(memcmp(after.palette, before_.palette, sizeof after.palette), 0)
        << "the frame is shown through other colours than before the loss";
}

TEST_F(ModeRecoveryTest, TheFirstLostBlitSetsTheModeAndReloadsEveryImage) {
    std::vector<BYTE> title = SurfaceBytes(g_titleSurface);
    AwayAndBack();
    EXPECT_EQ(BlitLogo(), DD_OK);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 1);
    EXPECT_EQ(CountCalls("LoadImageA"), 4);
    EXPECT_EQ(CountCalls("BltFast"), 1);
    EXPECT_EQ(SurfaceBytes(g_titleSurface), title);
    // The next blit is done at once.
    EXPECT_EQ(BlitLogo(), DD_OK);
    EXPECT_EQ(CountCalls("BltFast"), 2);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 1);
}

TEST_F(ModeRecoveryTest, WhileAnotherProgramIsInFrontTheModeIsLeftToIt) {
    vplat::SwitchAway();
    // Wine says inactive, not minimised: frames go on running.
    EXPECT_EQ(g_appActive, 1);
    vplat::ClearJournal();
    RunFrame(window_);
    RunFrame(window_);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 0);
    EXPECT_EQ(CountCalls("LoadImageA"), 0);
    for (const vplat::CallRecord& call : vplat::Journal()) {
        if (call.name == "Restore") {
            EXPECT_EQ(call.result, static_cast<int64_t>(DDERR_WRONGMODE));
        }
    }
    EXPECT_GE(CountCalls("Restore"), 2);
    EXPECT_EQ(vplat::PresentedFrame().number, before_.number);
}

TEST_F(ModeRecoveryTest, AFailedModeChangeIsTriedAgainOnTheNextLoss) {
    AwayAndBack();
    vplat::InjectFault("SetDisplayMode", DDERR_INVALIDMODE, 1);
    EXPECT_EQ(BlitLogo(), DDERR_WRONGMODE);
    EXPECT_EQ(CountCalls("Restore"), 1);
    EXPECT_EQ(CountCalls("SetPalette"), 0);
    EXPECT_EQ(CountCalls("LoadImageA"), 0);

    EXPECT_EQ(BlitLogo(), DD_OK);
    EXPECT_EQ(CountCalls("SetDisplayMode"), 2);
    EXPECT_EQ(CountCalls("LoadImageA"), 4);
}

TEST_F(ModeRecoveryTest, AWrongModeThatStaysWrongEndsAfterOneModeChange) {
    vplat::InjectFault("Flip", DDERR_SURFACELOST, 1);
    vplat::InjectFault("Restore", DDERR_WRONGMODE, -1, g_primarySurface);
    PresentFrame();
    std::vector<std::string> expected = {"Flip", "Restore", "SetDisplayMode", "Restore"};
    EXPECT_EQ(vplat::JournalNames(kRecoveryCalls), expected);
}

TEST_F(ModeRecoveryTest, AnOrdinaryLossSetsNoMode) {
    vplat::LoseAllSurfaces();
    vplat::ClearJournal();
    EXPECT_EQ(BlitLogo(), DD_OK);
    PresentFrame();
    EXPECT_EQ(CountCalls("SetDisplayMode"), 0);
    EXPECT_EQ(CountCalls("SetPalette"), 0);
}

}  // namespace
