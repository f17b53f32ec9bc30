// Reference counts, the flipping chain's release and the end of exclusive
// mode, as the real platform counts them (the back buffer's count rises
// with GetAttachedSurface, and the chain goes with its front buffer).
#include "ddraw_fixture.h"

namespace {

TEST_F(DisplayTest, BackBufferCountRisesWithGetAttachedSurface) {
    EXPECT_EQ(3u, back->AddRef());
    EXPECT_EQ(2u, back->Release());
    IDirectDrawSurface7* again = nullptr;
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &again));
    EXPECT_EQ(back, again);
    EXPECT_EQ(4u, back->AddRef());
}

TEST_F(DisplayTest, ChainGoesWithItsFrontBufferAndTheObjectEndsLast) {
    IDirectDrawSurface7* image = Plain(16, 16);
    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(DD_OK, dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr));
    ASSERT_EQ(DD_OK, primary->SetPalette(palette));
    vplat::ClearJournal();
    // The game's order: primary, image, palette, DirectDraw; the back buffer
    // is never released on its own.
    EXPECT_EQ(0u, primary->Release());
    EXPECT_EQ(0u, image->Release());
    EXPECT_EQ(0u, palette->Release());
    EXPECT_EQ(0u, dd->Release());
    EXPECT_EQ(std::vector<std::string>(4, "Release"), vplat::JournalNames());
}

TEST_F(DisplayTest, ImplicitBackBufferSurvivesItsOwnRelease) {
    EXPECT_EQ(1u, back->Release());
    EXPECT_EQ(0u, back->Release());
    // Still usable: it lives as long as the front buffer.
    DDBLTFX fx = {};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 9;
    EXPECT_EQ(DD_OK, back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    EXPECT_EQ(0u, back->Release());  // no wrap-around below zero
}

TEST_F(DisplayTest, SurfacesAndPalettesKeepTheObjectAlive) {
    IDirectDrawSurface7* image = Plain(8, 8);
    EXPECT_EQ(2u, dd->Release() + 0);  // the primary and the image hold it
    EXPECT_EQ(0u, primary->Release());
    EXPECT_EQ(0u, image->Release());  // the last holder: the object ends with it
}

// Each object answers for IUnknown (and the DirectDraw object for its own
// interface) with itself and one more reference; anything else is refused
// with a null answer.
TEST_F(DisplayTest, QueryInterfaceAnswersForIUnknownWithItself) {
    const GUID unknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    GUID other = IID_IDirectDraw7;
    other.Data1 ^= 1;
    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(DD_OK, dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr));
    IUnknown* objects[] = {dd, primary, palette};
    for (IUnknown* object : objects) {
        ULONG oneMore = object->AddRef();
        object->Release();
        void* out = nullptr;
        EXPECT_EQ(DD_OK, object->QueryInterface(unknown, &out));
        EXPECT_EQ(static_cast<void*>(object), out);
        EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(other, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(DDERR_INVALIDPARAMS, object->QueryInterface(unknown, nullptr));
        EXPECT_EQ(oneMore - 1, object->Release()) << "one reference more after the answer";
    }
    void* out = nullptr;
    EXPECT_EQ(DD_OK, dd->QueryInterface(IID_IDirectDraw7, &out));
    EXPECT_EQ(static_cast<void*>(dd), out);
    EXPECT_EQ(E_NOINTERFACE, primary->QueryInterface(IID_IDirectDraw7, &out));
    dd->Release();
    palette->Release();
}

TEST(DirectDrawCreate, RefusesOtherInterfacesAndNullOut) {
    GUID other = IID_IDirectDraw7;
    other.Data1 ^= 1;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DDERR_INVALIDPARAMS, DirectDrawCreateEx(nullptr, &out, other, nullptr));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(DDERR_INVALIDPARAMS, DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr));
}

TEST(DirectDrawCreate, IidHasThePublishedValue) {
    EXPECT_EQ(0x15E65EC0u, IID_IDirectDraw7.Data1);
    EXPECT_EQ(0x3B9C, IID_IDirectDraw7.Data2);
    EXPECT_EQ(0x11D2, IID_IDirectDraw7.Data3);
    const uint8_t tail[8] = {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B};
    EXPECT_EQ(0, memcmp(tail, IID_IDirectDraw7.Data4, 8));
}

}  // namespace
