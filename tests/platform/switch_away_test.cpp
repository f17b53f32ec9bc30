// Another program taking the front from the exclusive window, as Wine does
// it (Wine 8, virtual desktop, `wine winver` started beside the game, traced
// with +message and +ddraw; the Wine suite's loss test runs the real thing):
// the game hears it is inactive, not that it is minimised; the desktop's
// mode comes back; the primary surface answers DDERR_WRONGMODE to Restore
// until the game sets its mode again, also after its window is back.
#include <velmora_platform.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <ddraw.h>

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({message, wParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

// The messages that say what happened to the window, in the order sent, as
// "NAME wParam" for a readable failure.
std::vector<std::string> Told() {
    static const struct {
        UINT message;
        const char* name;
    } kNames[] = {{WM_NCACTIVATE, "WM_NCACTIVATE"},
                  {WM_ACTIVATE, "WM_ACTIVATE"},
                  {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
                  {WM_DISPLAYCHANGE, "WM_DISPLAYCHANGE"},
                  {WM_SETFOCUS, "WM_SETFOCUS"},
                  {WM_KILLFOCUS, "WM_KILLFOCUS"},
                  {WM_SIZE, "WM_SIZE"}};
    std::vector<std::string> told;
    for (const Seen& seen : g_seen) {
        for (const auto& known : kNames) {
            if (known.message == seen.message) {
                told.push_back(std::string(known.name) + " " +
                               std::to_string(static_cast<unsigned long>(seen.wParam)));
            }
        }
    }
    return told;
}

class SwitchAwayTest : public ::testing::Test {
protected:
    void SetUp() override {
        vplat::ResetPlatform();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = "Probe";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        window_ = CreateWindowExA(WS_EX_TOPMOST, "Probe", "2D Game Velmora", WS_OVERLAPPEDWINDOW, 0,
                                  0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, SW_SHOWNORMAL);
        ASSERT_EQ(DD_OK, DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_),
                                            IID_IDirectDraw7, nullptr));
        ASSERT_EQ(DD_OK, dd_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
        ASSERT_EQ(DD_OK, dd_->SetDisplayMode(640, 480, 8, 0, 0));
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(DD_OK, dd_->CreateSurface(&desc, &primary_, nullptr));
        g_seen.clear();
    }

    void TearDown() override { vplat::ResetPlatform(); }

    HWND window_ = nullptr;
    IDirectDraw7* dd_ = nullptr;
    IDirectDrawSurface7* primary_ = nullptr;
};

TEST_F(SwitchAwayTest, TheWindowHearsInactiveThenTheModeChangeThenIsMinimised) {
    vplat::SwitchAway();
    // wParam 0 for WM_ACTIVATE: WA_INACTIVE with the minimised flag clear.
    std::vector<std::string> expected = {"WM_NCACTIVATE 0",  "WM_ACTIVATE 0",
                                         "WM_ACTIVATEAPP 0", "WM_DISPLAYCHANGE 32",
                                         "WM_KILLFOCUS 0",   "WM_SIZE 1"};
    EXPECT_EQ(Told(), expected);
    EXPECT_EQ(GetActiveWindow(), nullptr) << "another program is in front";
}

TEST_F(SwitchAwayTest, RestoreAnswersWrongModeUntilTheGameSetsItsModeAgain) {
    vplat::SwitchAway();
    EXPECT_EQ(primary_->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(primary_->Restore(), DDERR_WRONGMODE);
    // Coming back to the front does not bring the mode back.
    vplat::RestoreWindow();
    EXPECT_EQ(primary_->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(primary_->Flip(nullptr, 0), DDERR_SURFACELOST);

    // Another mode than the one the surface was made in does not do either.
    ASSERT_EQ(dd_->SetDisplayMode(800, 600, 8, 0, 0), DD_OK);
    EXPECT_EQ(primary_->Restore(), DDERR_WRONGMODE);

    ASSERT_EQ(dd_->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
    EXPECT_EQ(primary_->Restore(), DD_OK);
    EXPECT_EQ(primary_->Flip(nullptr, 0), DD_OK);
}

TEST_F(SwitchAwayTest, OffscreenSurfacesAreLostButRestoreInAnyMode) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 64;
    desc.dwHeight = 32;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* image = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&desc, &image, nullptr), DD_OK);
    vplat::SwitchAway();
    EXPECT_EQ(image->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(image->Restore(), DD_OK);
}

TEST_F(SwitchAwayTest, BackFromAwayTheWindowIsActiveWhileMinimisedThenRestored) {
    vplat::SwitchAway();
    g_seen.clear();
    vplat::RestoreWindow();
    // 0x10001: WA_ACTIVE with the minimised flag, as Wine sends it before the
    // window is restored; then WA_ACTIVE alone.
    std::vector<std::string> expected = {"WM_ACTIVATEAPP 1", "WM_NCACTIVATE 1", "WM_ACTIVATE 65537",
                                         "WM_SIZE 0",        "WM_ACTIVATE 1",   "WM_SETFOCUS 0"};
    EXPECT_EQ(Told(), expected);
    EXPECT_EQ(GetActiveWindow(), window_);
}

TEST_F(SwitchAwayTest, TheJournalShowsTheWrongModeAnswer) {
    vplat::SwitchAway();
    vplat::EnableJournal(true);
    primary_->Restore();
    std::vector<vplat::CallRecord> calls = vplat::Journal();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "Restore");
    EXPECT_EQ(calls[0].object, primary_);
    EXPECT_EQ(calls[0].result, static_cast<int64_t>(DDERR_WRONGMODE));
}

}  // namespace
