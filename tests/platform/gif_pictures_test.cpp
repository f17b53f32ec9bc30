// The GIF of a run, read back with giflib, where the game's own frames never
// go: a new palette, and a pause longer than one GIF picture can hold.
#include <gif_lib.h>

#include <string>
#include <vector>

#include "ddraw_fixture.h"
#include "player/gif.h"
#include "temp_dir.h"

namespace {

// A colour table as "r,g,b r,g,b ..." (empty for none), to compare whole.
std::string Colours(const ColorMapObject* map) {
    std::string text;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        text += std::to_string(c.Red) + "," + std::to_string(c.Green) + "," +
                std::to_string(c.Blue) + " ";
    }
    return text;
}

std::string Colours(const PALETTEENTRY* palette) {
    std::vector<GifColorType> colours;
    for (int i = 0; i < 256; ++i) {
        colours.push_back({palette[i].peRed, palette[i].peGreen, palette[i].peBlue});
    }
    ColorMapObject map{256, 8, false, colours.data()};
    return Colours(&map);
}

class GifPictures : public DisplayTest {
protected:
    // Shows the back buffer at `ms` on the game's clock, then polls the
    // queue as the game's loop does.
    void FlipAt(uint32_t ms) {
        vplat::SetVirtualTime(ms);
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, 0));
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    }
};

TEST_F(GifPictures, NewPaletteAndLongPauseShowAsTheGameShowedThem) {
    PALETTEENTRY first[256];
    PALETTEENTRY second[256];
    for (int i = 0; i < 256; ++i) {
        first[i] = {static_cast<BYTE>(i), 0, 0, 0};
        second[i] = {0, static_cast<BYTE>(i), 7, 0};
    }
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(DD_OK, dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, first, &palette, nullptr));
    ASSERT_EQ(DD_OK, primary->SetPalette(palette));
    std::string path = velmora_test::TempDir() + "pictures.gif";
    std::string error;
    ASSERT_TRUE(vplat::player::StartGif(path, 2, &error)) << error;
    FlipAt(1000);
    ASSERT_EQ(DD_OK, palette->SetEntries(0, 0, 256, second));
    FlipAt(1020);
    // The same again after more than 655.35 s, the longest a picture holds.
    FlipAt(1020 + 700000);
    vplat::player::FinishGif();

    int status = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &status);
    ASSERT_NE(nullptr, gif) << GifErrorString(status);
    ASSERT_EQ(GIF_OK, DGifSlurp(gif)) << GifErrorString(gif->Error);
    // The first frame, the new palette's, and its continuation.
    ASSERT_EQ(3, gif->ImageCount);
    EXPECT_EQ(Colours(first), Colours(gif->SColorMap)) << "the file's colour table";
    EXPECT_EQ("", Colours(gif->SavedImages[0].ImageDesc.ColorMap)) << "the first picture's own";
    EXPECT_EQ(1280, gif->SavedImages[1].ImageDesc.Width) << "a new palette redraws it all";
    std::vector<int> delays;
    for (int i = 0; i < gif->ImageCount; ++i) {
        EXPECT_EQ(i == 0 ? "" : Colours(second), Colours(gif->SavedImages[i].ImageDesc.ColorMap))
            << "picture " << i << "'s own colour table";
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        delays.push_back(control.DelayTime);
    }
    // 20 ms for the first, the rest up to the last frame's 20 ms end.
    EXPECT_EQ((std::vector<int>{2, 65535, 70002 - 65535}), delays);
    DGifCloseFile(gif, &status);
}

}  // namespace
