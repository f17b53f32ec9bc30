// Frames onto the page's canvas: only the rows that changed since the frame
// the canvas shows are converted through the palette into RGBA bytes and put
// on the canvas, as the window's surface path does natively.
#include <emscripten.h>

#include <vector>

#include "backend/web/web.h"
#include "present/changes.h"
#include "present/convert.h"

EM_JS(void, velmora_page_draw,
      (const uint8_t* rgba, int width, int height, int left, int top, int right, int bottom),
      { VelmoraPage.draw(HEAPU8, rgba, width, height, left, top, right, bottom); });
EM_JS(void, velmora_page_presented, (), { VelmoraPage.presented(); });
EM_ASYNC_JS(void, velmora_page_wait_for_frame, (), { await VelmoraPage.waitForFrame(); });

namespace vplat::web {
namespace {

struct Screen {
    std::vector<uint32_t> rgba;  // the canvas's image, the frame's size
    present::PaletteTable table;
    present::ShownFrame shown;
    std::vector<present::ChangedRect> changed;
    bool presentedSinceSleep = false;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

void Draw(Screen& screen, const internal::IndexedFrame& frame, const present::ChangedRect& area) {
    const uint8_t* source =
        frame.pixels + static_cast<ptrdiff_t>(area.top) * frame.pitch + area.left;
    uint32_t* dest = screen.rgba.data() + static_cast<size_t>(area.top) * frame.width + area.left;
    present::ConvertThroughTable(source, frame.pitch, area.right - area.left,
                                 area.bottom - area.top, screen.table.pixels, dest,
                                 frame.width * 4);
    velmora_page_draw(reinterpret_cast<const uint8_t*>(screen.rgba.data()), frame.width,
                      frame.height, area.left, area.top, area.right, area.bottom);
}

}  // namespace

void Present(const internal::IndexedFrame& frame) {
    Screen& screen = TheScreen();
    screen.rgba.resize(static_cast<size_t>(frame.width) * frame.height);
    present::UpdatePaletteTable(screen.table, present::kRgbaBytes, frame);
    present::TakeChanges(screen.shown, frame, &screen.changed);
    for (const present::ChangedRect& area : screen.changed) {
        Draw(screen, frame, area);
    }
    velmora_page_presented();
    screen.presentedSinceSleep = true;
}

// The canvas was made anew (cleared): the next frame is drawn whole.
void ForgetCanvas() {
    present::ForgetShownFrame(TheScreen().shown);
}

// The game sleeps after each frame; the next frame waits for the browser's
// next animation frame, so the game runs at the display's rate and the page
// draws and takes input in between.
void PaceAfterSleep(DWORD) {
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
