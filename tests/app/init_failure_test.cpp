// The start-up failure report.
#include <algorithm>

#include "game_test_support.h"

namespace {

using InitFailureTest = GameTest;

TEST_F(InitFailureTest, ReleasesShowsDestroysAndHandsTheCodeBack) {
    HWND window = SetUpDisplay();
    vplat::ClearJournal();

    HRESULT hr = ReportInitFailure(window, (HRESULT)0x12345678, "SetPalette FAILED");

    EXPECT_EQ(hr, (HRESULT)0x12345678);
    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, "SetPalette FAILED");
    EXPECT_EQ(vplat::MessageBoxes()[0].caption, "2D Game Velmora");
    EXPECT_EQ(vplat::MessageBoxes()[0].type, static_cast<unsigned>(MB_OK));
    std::vector<std::string> order =
        vplat::JournalNames({"Release", "MessageBoxA", "DestroyWindow"});
    ASSERT_EQ(order.size(), 9u);
    EXPECT_EQ(std::count(order.begin(), order.begin() + 7, "Release"), 7);
    EXPECT_EQ(order[7], "MessageBoxA");
    EXPECT_EQ(order[8], "DestroyWindow");
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(g_directDraw, nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(InitFailureTest, FormatsItsArguments) {
    HWND window = MakeWindow();
    ReportInitFailure(window, DDERR_GENERIC, "step %d: %s", 7, "SetPalette");
    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, "step 7: SetPalette");
}

TEST_F(InitFailureTest, ALongTextIsCutToTheBufferNotWrittenPastIt) {
    HWND window = MakeWindow();
    std::string longText(300, 'x');
    HRESULT hr = ReportInitFailure(window, DD_OK, "%s", longText.c_str());
    EXPECT_EQ(hr, DD_OK);
    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, std::string(127, 'x'));
}

}  // namespace
