// Display set-up: the eleven steps, their progress lines, and what a failing
// step leaves behind.
#include <algorithm>

#include "game_test_support.h"

namespace {

const std::vector<std::string> kProgress = {
    "DirectDrawCreateEx OK\n", "SetCooperativeLevel OK\n",    "SetDisplayMode OK\n",
    "CreateSurface OK\n",      "GetAttachedSurface OK\n",     "DDLoadPalette OK\n",
    "SetPalette OK\n",         "DDLoadBitmap BackImage OK\n", "DDLoadBitmap Strings OK\n",
    "DDLoadBitmap Title OK\n", "DDLoadBitmap Chara OK\n",
};

DWORD SourceKeyLow(IDirectDrawSurface7* surface) {
    DDCOLORKEY key = {0xDEADBEEF, 0xDEADBEEF};
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue);
    return key.dwColorSpaceLowValue;
}

using DisplaySetupTest = GameTest;

TEST_F(DisplaySetupTest, AllStepsWriteTheirProgressInOrderAndKeyThreeSurfaces) {
    HWND window = MakeWindow();
    ASSERT_EQ(InitDisplay(window), DD_OK);

    EXPECT_EQ(DebugLines(), kProgress);
    EXPECT_TRUE(vplat::MessageBoxes().empty());
    EXPECT_TRUE(IsWindow(window));
    for (IDirectDrawSurface7* surface : {g_stringsSurface, g_titleSurface, g_charaSurface}) {
        EXPECT_EQ(SourceKeyLow(surface), 145u);
    }
    DDCOLORKEY key;
    EXPECT_NE(g_backgroundSurface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_NE(g_backBuffer, nullptr);
    EXPECT_NE(g_palette, nullptr);
}

TEST_F(DisplaySetupTest, ImageSurfacesHaveTheImagesSizes) {
    SetUpDisplay();
    struct Expected {
        IDirectDrawSurface7* surface;
        DWORD width, height;
    };
    for (const Expected& e :
         {Expected{g_backgroundSurface, 640, 640}, Expected{g_stringsSurface, 600, 96},
          Expected{g_titleSurface, 640, 480}, Expected{g_charaSurface, 192, 112}}) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(e.surface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ(desc.dwWidth, e.width);
        EXPECT_EQ(desc.dwHeight, e.height);
    }
}

TEST_F(DisplaySetupTest, AFailingColourKeyDoesNotFailSetUp) {
    vplat::InjectFault("SetColorKey", DDERR_GENERIC);
    HWND window = MakeWindow();
    EXPECT_EQ(InitDisplay(window), DD_OK);
    EXPECT_EQ(DebugLines(), kProgress);
    EXPECT_TRUE(vplat::MessageBoxes().empty());
}

TEST_F(DisplaySetupTest, MissingBackgroundImageStillGivesAPaletteButFailsItsLoad) {
    vplat::HideResource("BACKIMG");
    HWND window = MakeWindow();
    EXPECT_NE(InitDisplay(window), DD_OK);
    std::vector<std::string> expected(kProgress.begin(), kProgress.begin() + 7);
    EXPECT_EQ(DebugLines(), expected);
    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, "DDLoadBitmap BackImage FAILED");
}

// One way to make each step fail, the text it reports and the code handed on.
struct StepFailure {
    int step;  // 1-based
    const char* fault;
    HRESULT injected;
    const char* hiddenResource;
    const char* text;
};

// How a failing case shows itself in GoogleTest's messages.
void PrintTo(const StepFailure& failure, std::ostream* out) {
    *out << "step " << failure.step << " (" << failure.text << ")";
}

const StepFailure kFailures[] = {
    {1, "DirectDrawCreateEx", DDERR_UNSUPPORTED, nullptr, "DirectDrawCreateEx FAILED"},
    {2, "SetCooperativeLevel", DDERR_HWNDALREADYSET, nullptr, "SetCooperativeLevel FAILED"},
    {3, "SetDisplayMode", DDERR_INVALIDMODE, nullptr, "SetDisplayMode FAILED"},
    {4, "CreateSurface", DDERR_OUTOFMEMORY, nullptr, "CreateSurface FAILED"},
    {5, "GetAttachedSurface", DDERR_NOTFOUND, nullptr, "GetAttachedSurface FAILED"},
    {6, "CreatePalette", DDERR_GENERIC, nullptr, "DDLoadPalette FAILED"},
    {7, "SetPalette", DDERR_NOTPALETTIZED, nullptr, "SetPalette FAILED"},
    {8, "CreateSurface", DDERR_OUTOFMEMORY, nullptr, "DDLoadBitmap BackImage FAILED"},
    {9, nullptr, 0, "STRINGS", "DDLoadBitmap Strings FAILED"},
    {10, nullptr, 0, "TITLE", "DDLoadBitmap Title FAILED"},
    {11, nullptr, 0, "CHARA", "DDLoadBitmap Chara FAILED"},
};

class DisplaySetupFailureTest : public GameTest, public ::testing::WithParamInterface<StepFailure> {
protected:
    // Arranges for the step to fail, then runs set-up with a fresh journal.
    static HRESULT FailSetUpAt(const StepFailure& failure, HWND window) {
        if (failure.fault != nullptr) {
            // Step 8's CreateSurface is the second one: the primary came first.
            int skip = failure.step == 8 ? 1 : 0;
            vplat::InjectFault(failure.fault, failure.injected, 1, nullptr, skip);
        }
        if (failure.hiddenResource != nullptr) {
            vplat::HideResource(failure.hiddenResource);
        }
        vplat::ClearJournal();
        return InitDisplay(window);
    }
};

TEST_P(DisplaySetupFailureTest, ReportsReleasesAndDestroysTheWindow) {
    const StepFailure& failure = GetParam();
    HWND window = MakeWindow();
    HRESULT hr = FailSetUpAt(failure, window);

    EXPECT_NE(hr, DD_OK);
    if (failure.fault != nullptr && failure.step != 6 && failure.step != 8) {
        EXPECT_EQ(hr, failure.injected);
    }
    std::vector<std::string> expected(kProgress.begin(), kProgress.begin() + failure.step - 1);
    EXPECT_EQ(DebugLines(), expected);

    ASSERT_EQ(vplat::MessageBoxes().size(), 1u);
    EXPECT_EQ(vplat::MessageBoxes()[0].text, failure.text);
    EXPECT_EQ(vplat::MessageBoxes()[0].caption, "2D Game Velmora");
    EXPECT_EQ(vplat::MessageBoxes()[0].type, static_cast<unsigned>(MB_OK));

    // Everything is released before the box is shown, and the window goes after.
    std::vector<std::string> order =
        vplat::JournalNames({"Release", "MessageBoxA", "DestroyWindow"});
    auto box = std::find(order.begin(), order.end(), "MessageBoxA");
    ASSERT_NE(box, order.end());
    EXPECT_EQ(std::count(box, order.end(), "Release"), 0);
    EXPECT_EQ(order.back(), "DestroyWindow");

    EXPECT_FALSE(IsWindow(window));
    for (void* object : {(void*)g_directDraw, (void*)g_primarySurface, (void*)g_palette,
                         (void*)g_backgroundSurface, (void*)g_stringsSurface, (void*)g_titleSurface,
                         (void*)g_charaSurface}) {
        EXPECT_EQ(object, nullptr);
    }
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_P(DisplaySetupFailureTest, ReleasesWhatTheEarlierStepsMadeInTeardownOrder) {
    const StepFailure& failure = GetParam();
    FailSetUpAt(failure, MakeWindow());

    // Who is who, from the calls set-up made on each object: the primary
    // hands out the back buffer, each image is restored once by its copy,
    // the DirectDraw object takes the cooperative level.
    int loadedImages = std::max(0, failure.step - 8);
    bool hasPrimary = failure.step > 4;
    bool hasPalette = failure.step > 6;
    bool hasDirectDraw = failure.step > 1;
    std::vector<const void*> released = ReleasedObjects();
    ASSERT_EQ(released.size(),
              static_cast<size_t>(hasPrimary + loadedImages + hasPalette + hasDirectDraw));
    size_t next = 0;
    if (hasPrimary) {
        EXPECT_EQ(released[next++], ObjectsOf("GetAttachedSurface").at(0));
    }
    std::vector<const void*> restored = ObjectsOf("Restore");
    for (int i = 0; i < loadedImages; i++) {
        EXPECT_EQ(released[next++], restored.at(i));
    }
    if (hasPalette) {
        // The palette: released once, and none of the surfaces.
        EXPECT_EQ(std::count(released.begin(), released.end(), released[next]), 1);
        next++;
    }
    if (hasDirectDraw) {
        EXPECT_EQ(released[next], ObjectsOf("SetCooperativeLevel").at(0));
    }
}

INSTANTIATE_TEST_SUITE_P(EachStep, DisplaySetupFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<StepFailure>& info) {
                             return "Step" + std::to_string(info.param.step);
                         });

}  // namespace
