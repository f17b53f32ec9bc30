// Flip, Lock, surface loss and Restore, GetDC, descriptions and the journal.
#include "ddraw_fixture.h"

namespace {

IDirectDrawPalette* GamePalette(IDirectDraw7* dd, DWORD flags = DDPCAPS_8BIT) {
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                  static_cast<BYTE>(i / 2), 0};
    }
    IDirectDrawPalette* palette = nullptr;
    EXPECT_EQ(DD_OK, dd->CreatePalette(flags, entries, &palette, nullptr));
    return palette;
}

// Without DDPCAPS_ALLOW256 entries 0 and 255 are the system's black and
// white whatever the table says (checked under Wine: GetEntries answers so
// and the screen shows them so).
TEST_F(DisplayTest, PaletteKeepsFirstAndLastEntriesForBlackAndWhite) {
    IDirectDrawPalette* palette = GamePalette(dd);
    PALETTEENTRY read[256];
    ASSERT_EQ(DD_OK, palette->GetEntries(0, 0, 256, read));
    EXPECT_EQ(0, read[0].peRed + read[0].peGreen + read[0].peBlue);
    EXPECT_EQ(255 * 3, read[255].peRed + read[255].peGreen + read[255].peBlue);
    EXPECT_EQ(145, read[145].peRed);
    EXPECT_EQ(110, read[145].peGreen);
    PALETTEENTRY red = {200, 0, 0, 0};
    ASSERT_EQ(DD_OK, palette->SetEntries(0, 0, 1, &red));
    ASSERT_EQ(DD_OK, palette->GetEntries(0, 0, 1, read));
    EXPECT_EQ(0, read[0].peRed);
    EXPECT_EQ(DDERR_INVALIDPARAMS, palette->GetEntries(0, 200, 57, read));

    IDirectDrawPalette* all = GamePalette(dd, DDPCAPS_8BIT | DDPCAPS_ALLOW256);
    ASSERT_EQ(DD_OK, all->GetEntries(0, 0, 256, read));
    EXPECT_EQ(255, read[0].peGreen);
    EXPECT_EQ(255, read[255].peRed);
    EXPECT_EQ(0, read[255].peGreen);
}

TEST_F(DisplayTest, FlipSwapsFrontAndBackAndPresentsThroughThePalette) {
    IDirectDrawPalette* palette = GamePalette(dd);
    ASSERT_EQ(DD_OK, primary->SetPalette(palette));
    std::vector<uint8_t> drawn = Pattern(640 * 480, 8);
    Write(back, drawn);
    Write(primary, std::vector<uint8_t>(640 * 480, 3));
    uint64_t before = vplat::PresentedFrame().number;
    ASSERT_EQ(DD_OK, primary->Flip(nullptr, 0));
    vplat::Frame frame = vplat::PresentedFrame();
    EXPECT_EQ(drawn, Read(primary));
    EXPECT_EQ(std::vector<uint8_t>(640 * 480, 3), Read(back));
    EXPECT_EQ(before + 1, frame.number);
    EXPECT_EQ(640, frame.width);
    EXPECT_EQ(480, frame.height);
    EXPECT_EQ(drawn, frame.indices);
    EXPECT_EQ(0, frame.palette[0].peGreen);  // shown black, not the table's green
    EXPECT_EQ(255, frame.palette[255].peGreen);
    EXPECT_EQ(100, frame.palette[100].peRed);
    EXPECT_EQ(DDERR_NOTFLIPPABLE, back->Flip(nullptr, 0));
}

TEST_F(DisplayTest, LockFillsTheWholeDescriptionWithTheRealPitch) {
    IDirectDrawSurface7* odd = Plain(600, 96);
    DDSURFACEDESC2 desc = Desc();
    ASSERT_EQ(DD_OK, odd->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    EXPECT_EQ(600u, desc.dwWidth);
    EXPECT_EQ(96u, desc.dwHeight);
    EXPECT_GE(desc.lPitch, 600);
    EXPECT_EQ(0, desc.lPitch % 4);
    EXPECT_EQ(8u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_TRUE(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
    EXPECT_EQ(DDSD_LPSURFACE | DDSD_PITCH | DDSD_PIXELFORMAT,
              desc.dwFlags & (DDSD_LPSURFACE | DDSD_PITCH | DDSD_PIXELFORMAT));
    ASSERT_NE(nullptr, desc.lpSurface);
    uint8_t* start = static_cast<uint8_t*>(desc.lpSurface);
    start[desc.lPitch * 95 + 599] = 42;  // the last pixel is inside the memory
    EXPECT_EQ(DDERR_SURFACEBUSY, odd->Lock(nullptr, &desc, 0, nullptr));
    EXPECT_EQ(DDERR_SURFACEBUSY, back->BltFast(0, 0, odd, nullptr, 0));
    ASSERT_EQ(DD_OK, odd->Unlock(nullptr));
    EXPECT_EQ(DDERR_NOTLOCKED, odd->Unlock(nullptr));
    RECT rect = {10, 2, 20, 4};
    ASSERT_EQ(DD_OK, odd->Lock(&rect, &desc, 0, nullptr));
    EXPECT_EQ(start + 2 * desc.lPitch + 10, desc.lpSurface);
    ASSERT_EQ(DD_OK, odd->Unlock(&rect));
    desc.dwSize = 12;
    EXPECT_EQ(DDERR_INVALIDPARAMS, odd->Lock(nullptr, &desc, 0, nullptr));
}

TEST_F(DisplayTest, SixteenAndThirtyTwoBitModesGiveRgbSurfaces) {
    ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 16, 0, 0));
    DDSURFACEDESC2 desc = Desc();
    IDirectDrawSurface7* s16 = Plain(10, 10);
    ASSERT_EQ(DD_OK, s16->GetSurfaceDesc(&desc));
    EXPECT_EQ(16u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(0xF800u, desc.ddpfPixelFormat.dwRBitMask);
    ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 32, 0, 0));
    IDirectDrawSurface7* s32 = Plain(10, 10);
    ASSERT_EQ(DD_OK, s32->GetSurfaceDesc(&desc));
    EXPECT_EQ(32u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(0xFF0000u, desc.ddpfPixelFormat.dwRBitMask);
    EXPECT_EQ(DDERR_INVALIDMODE, dd->SetDisplayMode(641, 480, 8, 0, 0));
    EXPECT_EQ(DDERR_INVALIDMODE, dd->SetDisplayMode(640, 480, 24, 0, 0));
}

TEST_F(DisplayTest, BadAndAbsurdDescriptionsAreRefused) {
    DDSURFACEDESC2 desc = Desc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    desc.dwWidth = 0x7FFFFFFF;
    desc.dwHeight = 0x7FFFFFFF;
    EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&desc, &surface, nullptr));
    desc.dwWidth = 16384;
    desc.dwHeight = 16384;
    EXPECT_EQ(DDERR_OUTOFMEMORY, dd->CreateSurface(&desc, &surface, nullptr));
    desc.dwWidth = 0;
    desc.dwHeight = 4;
    EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&desc, &surface, nullptr));
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH;
    desc.dwWidth = 4;
    EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&desc, &surface, nullptr));
    EXPECT_EQ(nullptr, surface);
    DDSURFACEDESC2 again = Desc();
    again.dwFlags = DDSD_CAPS;
    again.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(DDERR_PRIMARYSURFACEALREADYEXISTS, dd->CreateSurface(&again, &surface, nullptr));
    again.dwSize = 0;
    EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&again, &surface, nullptr));
}

TEST(DirectDrawLevels, FlippingChainNeedsExclusiveModeAndPrimaryNeedsALevel) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DD_OK, DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7,
                                        nullptr));
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(DDERR_NOCOOPERATIVELEVELSET, dd->CreateSurface(&desc, &surface, nullptr));
    ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
    EXPECT_EQ(DDERR_NOEXCLUSIVEMODE, dd->CreateSurface(&desc, &surface, nullptr));
    EXPECT_EQ(DDERR_INVALIDPARAMS, dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE));
    EXPECT_EQ(0u, dd->Release());
}

TEST_F(DisplayTest, LostSurfacesRefuseEveryUseUntilRestored) {
    IDirectDrawSurface7* image = Plain(32, 32);
    DDCOLORKEY key = {1, 1};
    ASSERT_EQ(DD_OK, image->SetColorKey(DDCKEY_SRCBLT, &key));
    vplat::LoseAllSurfaces();
    DDSURFACEDESC2 desc = Desc();
    HDC dc = nullptr;
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    for (IDirectDrawSurface7* surface : {primary, back, image}) {
        EXPECT_EQ(DDERR_SURFACELOST, surface->IsLost());
        EXPECT_EQ(DDERR_SURFACELOST, surface->Lock(nullptr, &desc, 0, nullptr));
        EXPECT_EQ(DDERR_SURFACELOST, surface->GetDC(&dc));
        EXPECT_EQ(DDERR_SURFACELOST, surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    }
    EXPECT_EQ(DDERR_SURFACELOST, primary->Flip(nullptr, 0));
    EXPECT_EQ(DDERR_SURFACELOST, back->BltFast(0, 0, image, nullptr, DDBLTFAST_SRCCOLORKEY));
    EXPECT_EQ(DD_OK, image->GetSurfaceDesc(&desc));  // descriptions still answer
    // Only the chain comes back with the primary; the back buffer is not
    // restored on its own.
    EXPECT_EQ(DDERR_IMPLICITLYCREATED, back->Restore());
    ASSERT_EQ(DD_OK, primary->Restore());
    EXPECT_EQ(DD_OK, primary->IsLost());
    EXPECT_EQ(DD_OK, back->IsLost());
    EXPECT_EQ(DDERR_SURFACELOST, image->IsLost());
    EXPECT_EQ(DDERR_SURFACELOST, back->BltFast(0, 0, image, nullptr, 0));  // source still lost
    ASSERT_EQ(DD_OK, image->Restore());
    EXPECT_EQ(DD_OK, back->BltFast(0, 0, image, nullptr, DDBLTFAST_SRCCOLORKEY));
    DDCOLORKEY kept = {};
    EXPECT_EQ(DD_OK, image->GetColorKey(DDCKEY_SRCBLT, &kept));  // the key outlives the loss
}

TEST_F(DisplayTest, RestoredSurfaceHoldsJunkUntilRedrawn) {
    IDirectDrawSurface7* image = Plain(64, 16);
    std::vector<uint8_t> picture(64 * 16, 145);
    Write(image, picture);
    vplat::LoseAllSurfaces();
    ASSERT_EQ(DD_OK, image->Restore());
    std::vector<uint8_t> after = Read(image);
    EXPECT_NE(picture, after);
    EXPECT_GT(std::count_if(after.begin(), after.end(), [&](uint8_t v) { return v != after[0]; }),
              100);
    ASSERT_EQ(DD_OK, image->Restore());  // not lost: left as it is
    EXPECT_EQ(after, Read(image));
}

TEST_F(DisplayTest, SystemMemorySurfacesAreNeverLost) {
    DDSURFACEDESC2 desc = Desc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 8;
    desc.dwHeight = 8;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &surface, nullptr));
    vplat::LoseAllSurfaces();
    EXPECT_EQ(DD_OK, surface->IsLost());
}

TEST_F(DisplayTest, EveryCallIsJournaledAndAnswersAnInjectedFault) {
    vplat::ClearJournal();
    vplat::InjectFault("Flip", DDERR_WASSTILLDRAWING, 2, primary);
    std::vector<uint8_t> drawn = Pattern(640 * 480, 9);
    Write(back, drawn);
    EXPECT_EQ(DDERR_WASSTILLDRAWING, primary->Flip(nullptr, 0));
    EXPECT_EQ(DDERR_WASSTILLDRAWING, primary->Flip(nullptr, 0));
    EXPECT_EQ(drawn, Read(back));  // a faulted flip does nothing
    EXPECT_EQ(DD_OK, primary->Flip(nullptr, 0));
    std::vector<vplat::CallRecord> calls = vplat::Journal();
    std::vector<std::string> flips = vplat::JournalNames({"Flip"});
    ASSERT_EQ(3u, flips.size());
    int64_t results[3];
    int n = 0;
    for (const vplat::CallRecord& call : calls) {
        if (call.name == "Flip") {
            EXPECT_EQ(primary, call.object);
            results[n++] = call.result;
        }
    }
    EXPECT_EQ(DDERR_WASSTILLDRAWING, results[0]);
    EXPECT_EQ(DD_OK, results[2]);
    vplat::ClearJournal();
    RECT rect = {1, 2, 3, 4};
    back->BltFast(5, 6, primary, &rect, DDBLTFAST_SRCCOLORKEY);
    ASSERT_EQ(1u, vplat::Journal().size());
    EXPECT_NE(std::string::npos, vplat::Journal()[0].args.find("x=5 y=6"));
    EXPECT_NE(std::string::npos, vplat::Journal()[0].args.find("1,2,3,4"));
}

}  // namespace

namespace {

// GDI writes into an offscreen 8-bit surface through the primary surface's
// palette, with entries 0 and 255 as the screen shows them (black, white).
TEST_F(DisplayTest, GetDcMapsColoursThroughThePrimarysPaletteAsShown) {
    IDirectDrawPalette* palette = GamePalette(dd);  // entry i = (i, 255 - i, i / 2)
    ASSERT_EQ(DD_OK, primary->SetPalette(palette));
    IDirectDrawSurface7* image = Plain(8, 1);
    HDC dc = nullptr;
    ASSERT_EQ(DD_OK, image->GetDC(&dc));
    EXPECT_EQ(DDERR_DCALREADYCREATED, image->GetDC(&dc));
    DDSURFACEDESC2 desc = Desc();
    EXPECT_EQ(DDERR_SURFACEBUSY, image->Lock(nullptr, &desc, 0, nullptr));
    SetPixel(dc, 0, 0, RGB(145, 110, 72));
    SetPixel(dc, 1, 0, RGB(0, 0, 0));
    SetPixel(dc, 2, 0, RGB(255, 255, 255));
    SetPixel(dc, 3, 0, RGB(0, 255, 0));  // the table's entry 0, which shows black
    ASSERT_EQ(DD_OK, image->ReleaseDC(dc));
    EXPECT_EQ(DDERR_NODC, image->ReleaseDC(dc));
    std::vector<uint8_t> pixels = Read(image);
    EXPECT_EQ(145, pixels[0]);
    EXPECT_EQ(0, pixels[1]);
    EXPECT_EQ(255, pixels[2]);
    EXPECT_EQ(1, pixels[3]);  // nearest shown colour: entry 1, (1, 254, 0)
}

}  // namespace
