// Frames onto the page's canvas: 8-bit indices through the palette into RGBA
// bytes, which the page puts on the canvas as they are.
#include <emscripten.h>

#include <cstring>
#include <vector>

#include "backend/web/web.h"

EM_JS(void, velmora_page_present, (const uint8_t* rgba, int width, int height),
      { VelmoraPage.present(HEAPU8, rgba, width, height); });
EM_ASYNC_JS(void, velmora_page_wait_for_frame, (), { await VelmoraPage.waitForFrame(); });

namespace vplat::web {
namespace {

struct Screen {
    std::vector<uint32_t> rgba;
    // The palette the table was built from; rebuilt only when it changes.
    PALETTEENTRY tablePalette[256] = {};
    bool tableValid = false;
    uint32_t table[256] = {};
    bool presentedSinceSleep = false;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

}  // namespace

void BuildRgbaTable(const PALETTEENTRY* palette, uint32_t* table) {
    // Canvas bytes are red, green, blue, alpha in memory order: on a
    // little-endian machine (WebAssembly is one) red is the low byte.
    for (int i = 0; i < 256; ++i) {
        table[i] = 0xFF000000u | (uint32_t{palette[i].peBlue} << 16) |
                   (uint32_t{palette[i].peGreen} << 8) | palette[i].peRed;
    }
}

void Present(const uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette) {
    Screen& screen = TheScreen();
    if (!screen.tableValid || memcmp(screen.tablePalette, palette, sizeof screen.tablePalette)) {
        BuildRgbaTable(palette, screen.table);
        memcpy(screen.tablePalette, palette, sizeof screen.tablePalette);
        screen.tableValid = true;
    }
    screen.rgba.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = pixels + static_cast<ptrdiff_t>(y) * pitch;
        uint32_t* out = screen.rgba.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[x] = screen.table[in[x]];
        }
    }
    velmora_page_present(reinterpret_cast<const uint8_t*>(screen.rgba.data()), width, height);
    screen.presentedSinceSleep = true;
}

// The game sleeps after each frame; the next frame waits for the browser's
// next animation frame, so the game runs at the display's rate and the page
// draws and takes input in between.
void PaceAfterSleep() {
    Screen& screen = TheScreen();
    if (screen.presentedSinceSleep) {
        screen.presentedSinceSleep = false;
        velmora_page_wait_for_frame();
    }
}

void ResetScreen() {
    TheScreen() = Screen();
}

}  // namespace vplat::web
