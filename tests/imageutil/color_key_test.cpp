// Matching RGB colours to surface pixel values, and source colour keys.
#include <cstring>

#include "ddutil.h"
#include "game_test_support.h"

namespace {

class ColorKeyTest : public GameTest {
protected:
    // A DirectDraw object in the given mode, with the game's palette on a
    // primary surface, and one offscreen surface to match colours on.
    IDirectDrawSurface7* Surface(DWORD bitsPerPixel) {
        HWND window = MakeWindow();
        EXPECT_EQ(DirectDrawCreateEx(NULL, (LPVOID*)&g_directDraw, IID_IDirectDraw7, NULL), DD_OK);
        EXPECT_EQ(g_directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                  DD_OK);
        EXPECT_EQ(g_directDraw->SetDisplayMode(640, 480, bitsPerPixel, 0, 0), DD_OK);
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        EXPECT_EQ(g_directDraw->CreateSurface(&desc, &g_primarySurface, NULL), DD_OK);
        if (bitsPerPixel == 8) {
            g_palette = DDLoadPalette(g_directDraw, "BACKIMG");
            EXPECT_EQ(g_primarySurface->SetPalette(g_palette), DD_OK);
        }
        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        desc.dwWidth = 16;
        desc.dwHeight = 4;
        EXPECT_EQ(g_directDraw->CreateSurface(&desc, &g_charaSurface, NULL), DD_OK);
        vplat::ClearJournal();
        return g_charaSurface;
    }

    // Writes the first bytes of the top row through a lock.
    static void PokeTopLeft(IDirectDrawSurface7* surface, const std::vector<BYTE>& bytes) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(NULL, &desc, 0, NULL), DD_OK);
        memcpy(desc.lpSurface, bytes.data(), bytes.size());
        surface->Unlock(NULL);
    }

    static std::vector<BYTE> TopLeftBytes(IDirectDrawSurface7* surface, size_t count) {
        std::vector<BYTE> all = SurfaceBytes(surface);
        return std::vector<BYTE>(all.begin(), all.begin() + count);
    }
};

TEST_F(ColorKeyTest, TheTransparentColourIsEntry145OnTheGamesPalette) {
    IDirectDrawSurface7* surface = Surface(8);
    PokeTopLeft(surface, {7, 9, 9, 9});
    EXPECT_EQ(DDMatchColor(surface, TRANSPARENT_COLOR), 145u);
    EXPECT_EQ(TopLeftBytes(surface, 4), (std::vector<BYTE>{7, 9, 9, 9}));
    EXPECT_EQ(DDSetSourceColorKey(surface, TRANSPARENT_COLOR), DD_OK);
    DDCOLORKEY key = {};
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 145u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 145u);
}

TEST_F(ColorKeyTest, ANearColourMatchesTheNearestEntry) {
    IDirectDrawSurface7* surface = Surface(8);
    EXPECT_EQ(DDMatchColor(surface, RGB(22, 140, 92)), 145u);
    EXPECT_EQ(DDMatchColor(surface, RGB(7, 4, 48)), 128u);
}

TEST_F(ColorKeyTest, NoColourReadsTheCurrentValueWithoutGdi) {
    IDirectDrawSurface7* surface = Surface(8);
    PokeTopLeft(surface, {42, 1, 2, 3});
    EXPECT_EQ(DDMatchColor(surface, CLR_INVALID), 42u);
    EXPECT_EQ(CountCalls("GetDC"), 0);
    EXPECT_EQ(CountCalls("SetPixel"), 0);
    EXPECT_EQ(TopLeftBytes(surface, 4), (std::vector<BYTE>{42, 1, 2, 3}));
}

TEST_F(ColorKeyTest, SixteenBitSurfacesGiveTheLowSixteenBits) {
    IDirectDrawSurface7* surface = Surface(16);
    PokeTopLeft(surface, {0x00, 0x00, 0x34, 0x12});
    EXPECT_EQ(DDMatchColor(surface, RGB(255, 0, 0)), 0xF800u);
    EXPECT_EQ(DDMatchColor(surface, RGB(0, 0, 255)), 0x001Fu);
    EXPECT_EQ(TopLeftBytes(surface, 4), (std::vector<BYTE>{0x00, 0x00, 0x34, 0x12}));
}

TEST_F(ColorKeyTest, ThirtyTwoBitSurfacesAreNotMasked) {
    IDirectDrawSurface7* surface = Surface(32);
    EXPECT_EQ(DDMatchColor(surface, RGB(1, 2, 3)), 0x00010203u);
    EXPECT_EQ(DDMatchColor(surface, TRANSPARENT_COLOR), 0x00158D5Bu);
}

TEST_F(ColorKeyTest, ABusyLockIsRepeatedUntilItAnswers) {
    IDirectDrawSurface7* surface = Surface(8);
    vplat::InjectFault("Lock", DDERR_WASSTILLDRAWING, 3);
    EXPECT_EQ(DDMatchColor(surface, TRANSPARENT_COLOR), 145u);
    EXPECT_EQ(CountCalls("Lock"), 4);
}

TEST_F(ColorKeyTest, AFailedLockGivesNoValueButPutsThePixelBack) {
    IDirectDrawSurface7* surface = Surface(8);
    PokeTopLeft(surface, {42});
    vplat::InjectFault("Lock", DDERR_SURFACEBUSY, 1);
    EXPECT_EQ(DDMatchColor(surface, TRANSPARENT_COLOR), CLR_INVALID);
    EXPECT_EQ(TopLeftBytes(surface, 1), (std::vector<BYTE>{42}));
}

TEST_F(ColorKeyTest, ALostSurfaceGetsAKeyOfNoColour) {
    IDirectDrawSurface7* surface = Surface(8);
    vplat::LoseAllSurfaces();
    HRESULT hr = DDSetSourceColorKey(surface, TRANSPARENT_COLOR);
    EXPECT_EQ(CountCalls("SetPixel"), 0);
    std::vector<vplat::CallRecord> calls = vplat::Journal();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().name, "SetColorKey");
    EXPECT_EQ(hr, calls.back().result);
    EXPECT_EQ(hr, DD_OK);
    DDCOLORKEY key = {};
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, CLR_INVALID);
    EXPECT_EQ(key.dwColorSpaceHighValue, CLR_INVALID);
}

}  // namespace
