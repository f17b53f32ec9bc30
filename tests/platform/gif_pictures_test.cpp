// The GIF of a run, read back with giflib: what the game's own pictures never
// do (a new palette, a pause longer than one GIF picture can hold) must still
// come out as shown.
#include <gif_lib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ddraw_fixture.h"
#include "player/gif.h"
#include "temp_dir.h"

namespace {

struct Picture {
    int width;
    int height;
    int delay;
    std::vector<GifColorType> colours;  // its own table; empty: the file's
};

std::vector<GifColorType> ColoursOf(const ColorMapObject* map) {
    return map == nullptr ? std::vector<GifColorType>{}
                          : std::vector<GifColorType>(map->Colors, map->Colors + map->ColorCount);
}

std::vector<Picture> ReadPictures(const std::string& path, std::vector<GifColorType>* global) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    EXPECT_NE(nullptr, gif) << path << ": " << GifErrorString(error);
    std::vector<Picture> pictures;
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << path << " does not decode";
        return pictures;
    }
    *global = ColoursOf(gif->SColorMap);
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        const GifImageDesc& desc = gif->SavedImages[i].ImageDesc;
        pictures.push_back({desc.Width, desc.Height, control.DelayTime, ColoursOf(desc.ColorMap)});
    }
    DGifCloseFile(gif, &error);
    return pictures;
}

bool Same(const std::vector<GifColorType>& colours, const PALETTEENTRY* palette) {
    if (colours.size() != 256) {
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        if (colours[i].Red != palette[i].peRed || colours[i].Green != palette[i].peGreen ||
            colours[i].Blue != palette[i].peBlue) {
            return false;
        }
    }
    return true;
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
    // The same picture again after more than 655.35 s, the longest one
    // GIF picture is held.
    FlipAt(1020 + 700000);
    vplat::player::FinishGif();

    std::vector<GifColorType> global;
    std::vector<Picture> pictures = ReadPictures(path, &global);
    ASSERT_EQ(3u, pictures.size()) << "pictures: the first, the new palette's, its continuation";
    EXPECT_TRUE(Same(global, first)) << "the file's colour table is the first frame's palette";
    EXPECT_TRUE(pictures[0].colours.empty()) << "the first picture has a table of its own";
    EXPECT_EQ(1280, pictures[1].width) << "a new palette redraws the whole (doubled) picture";
    for (size_t i = 1; i < pictures.size(); ++i) {
        EXPECT_TRUE(Same(pictures[i].colours, second))
            << "picture " << i << " is not shown with the new palette";
    }
    // 20 ms for the first, the rest until the last frame's 20 ms end.
    std::vector<int> delays = {pictures[0].delay, pictures[1].delay, pictures[2].delay};
    EXPECT_EQ((std::vector<int>{2, 65535, 70002 - 65535}), delays);
}

}  // namespace
