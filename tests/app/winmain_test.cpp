// Program entry: start-up results and the main loop's first decisions.
#include "game_test_support.h"
#include "game.h"

namespace {

using WinMainTest = GameTest;

int RunWinMain() {
    return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWDEFAULT);
}

TEST_F(WinMainTest, FailedRegistrationEndsWithStatusOneAndNoMessageBox) {
    vplat::InjectFault("RegisterClassA", 0);
    EXPECT_EQ(RunWinMain(), 1);
    EXPECT_TRUE(vplat::MessageBoxes().empty());
    EXPECT_EQ(CountCalls("DirectDrawCreateEx"), 0);
}

TEST_F(WinMainTest, FailedDisplaySetUpEndsWithStatusOneWithoutAFrame) {
    vplat::InjectFault("SetDisplayMode", DDERR_INVALIDMODE);
    EXPECT_EQ(RunWinMain(), 1);
    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, "SetDisplayMode FAILED");
    EXPECT_EQ(CountCalls("PeekMessageA"), 0);
    EXPECT_EQ(CountCalls("GetTickCount"), 0);
    EXPECT_EQ(g_directDraw, nullptr);
}

TEST_F(WinMainTest, AQuitAlreadyWaitingEndsTheLoopBeforeAnyFrame) {
    PostQuitMessage(0);
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_EQ(CountCalls("Flip"), 0);
    EXPECT_EQ(CountCalls("Sleep"), 0);
}

TEST_F(WinMainTest, SeedsBothTicksFromOneReading) {
    vplat::SetVirtualTime(123456);
    PostQuitMessage(0);
    RunWinMain();
    EXPECT_EQ(g_currentTick, 123456u);
    EXPECT_EQ(g_lastFpsTick, 123456u);
    EXPECT_EQ(CountCalls("GetTickCount"), 1);
}

}  // namespace
