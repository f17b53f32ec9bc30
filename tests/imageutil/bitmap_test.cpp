// Loading bitmaps into surfaces, reloading them, copying with GDI.
#include "bmp_files.h"
#include "ddutil.h"
#include "game_test_support.h"

namespace {

class BitmapTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        SetUpDisplay();
        vplat::ClearJournal();
        MarkDebugOutput();
    }

    // An 8-bit file with the game's own colour table, so its indices survive.
    std::string GameColouredFile(const std::string& name, int width, int height,
                                 std::vector<uint8_t> pixels) {
        HRSRC resource = FindResourceA(NULL, "BACKIMG", RT_BITMAP);
        const BYTE* dib = static_cast<const BYTE*>(LockResource(LoadResource(NULL, resource)));
        bmpfiles::Image layout;
        layout.width = width;
        layout.height = height;
        layout.table.assign(dib + 40, dib + 40 + 1024);
        layout.pixels = pixels;
        return bmpfiles::Write(name, bmpfiles::File(layout));
    }

    static DWORD Width(IDirectDrawSurface7* surface) { return Desc(surface).dwWidth; }
    static DWORD Height(IDirectDrawSurface7* surface) { return Desc(surface).dwHeight; }
    static DDSURFACEDESC2 Desc(IDirectDrawSurface7* surface) {
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
        return desc;
    }
};

// 8 x 2 picture, bottom-up rows: top row 10..17, bottom row 20..27.
std::vector<uint8_t> SmallPicture() {
    return {20, 21, 22, 23, 24, 25, 26, 27, 10, 11, 12, 13, 14, 15, 16, 17};
}

TEST_F(BitmapTest, ResourcesAreFoundWithoutTheFileSystem) {
    IDirectDrawSurface7* surface = DDLoadBitmap(g_directDraw, "CHARA", 0, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(Width(surface), 192u);
    EXPECT_EQ(Height(surface), 112u);
    std::vector<std::string> loads = vplat::JournalNames({"LoadImageA"});
    EXPECT_EQ(loads.size(), 1u);
    surface->Release();
}

TEST_F(BitmapTest, ANameThatIsNoResourceIsLoadedFromItsFile) {
    std::string path = GameColouredFile("picture.bmp", 8, 2, SmallPicture());
    IDirectDrawSurface7* surface = DDLoadBitmap(g_directDraw, path.c_str(), 0, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(Width(surface), 8u);
    EXPECT_EQ(Height(surface), 2u);
    EXPECT_EQ(SurfaceBytes(surface),
              (std::vector<BYTE>{10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 27}));
    surface->Release();
}

TEST_F(BitmapTest, ADesiredSizeScalesTheImage) {
    std::string path = GameColouredFile("picture.bmp", 8, 2, SmallPicture());
    IDirectDrawSurface7* surface = DDLoadBitmap(g_directDraw, path.c_str(), 16, 4);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(Width(surface), 16u);
    EXPECT_EQ(Height(surface), 4u);
    EXPECT_EQ(PixelAt(surface, 0, 0), 10);
    EXPECT_EQ(PixelAt(surface, 15, 1), 17);
    EXPECT_EQ(PixelAt(surface, 2, 3), 21);
    surface->Release();
}

TEST_F(BitmapTest, AnUnknownNameGivesNullAndSaysNothing) {
    EXPECT_EQ(DDLoadBitmap(g_directDraw, "NOSUCHIMAGE", 0, 0), nullptr);
    EXPECT_EQ(NewDebugOutput(), "");
    EXPECT_EQ(CountCalls("CreateSurface"), 0);
}

TEST_F(BitmapTest, AFailedSurfaceCreationDeletesTheBitmap) {
    vplat::InjectFault("CreateSurface", DDERR_OUTOFMEMORY);
    EXPECT_EQ(DDLoadBitmap(g_directDraw, "CHARA", 0, 0), nullptr);
    EXPECT_EQ(CountCalls("DeleteObject"), 1);
}

TEST_F(BitmapTest, ReloadingAnUnknownNameSaysSoAndLeavesTheSurface) {
    std::vector<BYTE> before = SurfaceBytes(g_charaSurface);
    EXPECT_EQ(DDReloadBitmap(g_charaSurface, "NOSUCHIMAGE"), E_FAIL);
    EXPECT_EQ(NewDebugOutput(), "handle is null\n");
    EXPECT_EQ(SurfaceBytes(g_charaSurface), before);
}

TEST_F(BitmapTest, ReloadingOntoALostSurfaceRestoresAndRefillsIt) {
    std::vector<BYTE> before = SurfaceBytes(g_charaSurface);
    vplat::LoseAllSurfaces();
    EXPECT_EQ(DDReloadBitmap(g_charaSurface, "CHARA"), DD_OK);
    EXPECT_EQ(SurfaceBytes(g_charaSurface), before);
    EXPECT_EQ(NewDebugOutput(), "");
}

TEST_F(BitmapTest, AFailedCopyIsReported) {
    vplat::InjectFault("GetDC", DDERR_SURFACELOST);
    EXPECT_EQ(DDReloadBitmap(g_charaSurface, "CHARA"), DDERR_SURFACELOST);
    EXPECT_EQ(NewDebugOutput(), "ddcopybitmap failed\n");
    EXPECT_EQ(CountCalls("StretchBlt"), 0);
    EXPECT_EQ(CountCalls("DeleteObject"), 1);
}

TEST_F(BitmapTest, CopyWithANullArgumentCallsNothing) {
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), "CHARA", IMAGE_BITMAP, 0, 0,
                                         LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    vplat::ClearJournal();
    EXPECT_EQ(DDCopyBitmap(NULL, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(DDCopyBitmap(g_charaSurface, NULL, 0, 0, 0, 0), E_FAIL);
    EXPECT_TRUE(vplat::Journal().empty());
    DeleteObject(bitmap);
}

TEST_F(BitmapTest, CopyStretchesTheSourceRectangleOverTheWholeSurface) {
    std::string path = GameColouredFile("picture.bmp", 8, 2, SmallPicture());
    HBITMAP bitmap = (HBITMAP)LoadImageA(NULL, path.c_str(), IMAGE_BITMAP, 0, 0,
                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = 4;
    desc.dwHeight = 2;
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(g_directDraw->CreateSurface(&desc, &surface, NULL), DD_OK);

    // Columns 2 and 3 of the top row, doubled across four columns and two rows.
    EXPECT_EQ(DDCopyBitmap(surface, bitmap, 2, 0, 2, 1), DD_OK);
    EXPECT_EQ(SurfaceBytes(surface), (std::vector<BYTE>{12, 12, 13, 13, 12, 12, 13, 13}));

    surface->Release();
    DeleteObject(bitmap);
}

TEST_F(BitmapTest, WithoutAMemoryDCTheCopySaysSoAndStillAnswersOk) {
    HBITMAP bitmap = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), "CHARA", IMAGE_BITMAP, 0, 0,
                                         LR_CREATEDIBSECTION);
    vplat::ClearJournal();
    vplat::InjectFault("CreateCompatibleDC", 0);
    EXPECT_EQ(DDCopyBitmap(g_charaSurface, bitmap, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(NewDebugOutput(), "createcompatible dc failed\n");
    EXPECT_EQ(CountCalls("GetDC"), 1);
    EXPECT_EQ(CountCalls("ReleaseDC"), 1);
    DeleteObject(bitmap);
}

}  // namespace
