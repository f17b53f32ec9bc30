// The surface path: each frame compared with the one the window shows, and
// only what changed converted through the palette, scaled, and sent to the
// window (on X11 by present_x11.cpp, without waiting for the server; on
// Wayland by present_wayland.cpp; elsewhere through SDL's window surface).
// A frame that changed nothing sends nothing.
#include <cstring>

#include "backend/sdl/direct_put.h"
#include "backend/sdl/state.h"
#include "present/viewport.h"

namespace vplat::sdl {
namespace {

// The window's surface as the kept frame was drawn on it; anything else
// (first frame, new size, contents lost) starts again from black.
bool SurfaceChanged(Screen& screen, SDL_Surface* surface) {
    bool changed = screen.repaintAll || surface != screen.surface ||
                   surface->w != screen.surfaceWidth || surface->h != screen.surfaceHeight;
    screen.surface = surface;
    screen.surfaceWidth = surface->w;
    screen.surfaceHeight = surface->h;
    screen.repaintAll = false;
    return changed;
}

// The table maps palette indices to the surface's own pixel values, whatever
// order its channels are in.
void UpdateSurfaceTable(Screen& screen, const SDL_PixelFormat* format,
                        const PALETTEENTRY* palette) {
    for (int i = 0; i < 256; ++i) {
        screen.surfaceTable[i] =
            SDL_MapRGB(format, palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
    }
}

void DrawChanges(Screen& screen, SDL_Surface* surface, const uint8_t* pixels, int pitch) {
    screen.sent.clear();
    auto* dest = static_cast<uint32_t*>(surface->pixels);
    for (const present::ChangedRect& area : screen.changed) {
        present::OutputRect drawn = present::ConvertScaled(
            pixels, pitch, area, screen.scale, screen.surfaceTable, dest, surface->pitch);
        if (drawn.right > drawn.left && drawn.bottom > drawn.top) {
            screen.sent.push_back(SDL_Rect{drawn.left, drawn.top, drawn.right - drawn.left,
                                           drawn.bottom - drawn.top});
        }
    }
}

// Our own X11 path given up (present_x11.cpp): said once, among the
// set-up lines.
void SayIfGivenUp() {
    if (const char* reason = X11GivenUpUnsaid()) {
        internal::DebugNote(
            internal::Format("velmora: %s; presenting through SDL's window surface\n", reason)
                .c_str());
    }
}

}  // namespace

bool PresentToSurface(Screen& screen, const uint8_t* pixels, int width, int height, int pitch,
                      const PALETTEENTRY* palette) {
    bool fresh = false;
    SDL_Surface* surface = X11Canvas(screen.window, &fresh);
    bool direct = surface != nullptr;
    SayIfGivenUp();
    if (!direct) {
        surface = WaylandCanvas(screen.window, &fresh);
    }
    bool wayland = !direct && surface != nullptr;
    if (!direct && !wayland) {
        SDL_ClearError();  // so that a reason given is this call's
        surface = SDL_GetWindowSurface(screen.window);
    }
    if (surface == nullptr || surface->format->BytesPerPixel != 4) {
        return false;
    }
    screen.repaintAll = screen.repaintAll || fresh;
    bool whole = SurfaceChanged(screen, surface);
    if (whole || NoticeChangedOnSurface()) {
        // A notice came or went: the frame under it is sent again.
        present::ForgetKeptFrame(screen.kept);
    }
    // Rebuilt only when the output or the frame's size changed: a map for
    // another frame size would read outside this one's rows.
    present::PrepareScaleMap(screen.scale, present::FitFrame(surface->w, surface->h), width,
                             height);
    present::TakeChanges(screen.kept, pixels, width, height, pitch, palette, &screen.changed,
                         internal::PresentedRowTags());
    if (screen.changed.empty()) {
        return true;
    }
    if (screen.changed.front().right - screen.changed.front().left == width &&
        screen.changed.front().bottom - screen.changed.front().top == height) {
        UpdateSurfaceTable(screen, surface->format, palette);  // a new palette, or the first frame
    }
    if (direct && !X11BeforeWrite()) {
        // Its memory may still be read: this frame goes whole to SDL's.
        screen.repaintAll = true;
        return PresentToSurface(screen, pixels, width, height, pitch, palette);
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        screen.repaintAll = true;  // this frame never reached the window
        return true;
    }
    if (whole) {
        // The bars are drawn once, when the output changes, not every frame.
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    }
    DrawChanges(screen, surface, pixels, pitch);
    if (whole) {
        screen.sent.assign(1, SDL_Rect{0, 0, surface->w, surface->h});
    }
    DrawNoticeOnSurface(screen, surface);
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    if (screen.sent.empty()) {
        return true;
    }
    int count = static_cast<int>(screen.sent.size());
    if (direct) {
        X11Send(screen.sent.data(), count);
    } else if (wayland) {
        WaylandSend(screen.sent.data(), count);
    } else {
        SDL_UpdateWindowSurfaceRects(screen.window, screen.sent.data(), count);
    }
    return true;
}

}  // namespace vplat::sdl
