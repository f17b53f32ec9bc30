// Presenting a frame: through the window's surface, or through a GPU
// renderer (the palette conversion straight into a streaming texture, then
// one copy scaled to the screen).
#include <cstring>
#include <string>

#include "backend/driver.h"
#include "backend/sdl/state.h"
#include "player/playback.h"
#include "present/notice.h"
#include "present/viewport.h"

namespace vplat::sdl {
namespace {

bool EnsureTexture(Screen& screen, int width, int height) {
    if (screen.texture != nullptr && screen.textureWidth == width &&
        screen.textureHeight == height) {
        return true;
    }
    if (screen.texture != nullptr) {
        SDL_DestroyTexture(screen.texture);
    }
    screen.texture = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_XRGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, width, height);
    if (screen.texture == nullptr) {
        return false;
    }
    // Sharp pixels: the sprite's one-pixel steps must stay one pixel wide.
    SDL_SetTextureScaleMode(screen.texture, SDL_ScaleModeNearest);
    screen.textureWidth = width;
    screen.textureHeight = height;
    return true;
}

// Asked anew each frame: full-screen windows change size after they open.
SDL_Rect Letterbox(SDL_Renderer* renderer) {
    int outWidth = 0;
    int outHeight = 0;
    SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight);
    present::Viewport shown = present::FitFrame(outWidth, outHeight);
    return SDL_Rect{shown.x, shown.y, shown.width, shown.height};
}

// The notice over the picture, after the frame's copy and before the
// renderer presents.
void DrawNoticeThroughRenderer(SDL_Renderer* renderer, const SDL_Rect& picture) {
    const std::string& text = present::NoticeNow();
    if (text.empty()) {
        return;
    }
    present::Viewport shown{picture.x, picture.y, picture.w, picture.h};
    present::NoticeImage image = present::DrawNotice(text, present::NoticeScale(shown));
    present::NoticePlace place = present::PlaceNotice(shown, image.height);
    SDL_Surface* pixels =
        SDL_CreateRGBSurfaceWithFormat(0, image.width, image.height, 32, SDL_PIXELFORMAT_XRGB8888);
    if (pixels == nullptr) {
        return;
    }
    present::Canvas canvas{static_cast<uint32_t*>(pixels->pixels), image.width, image.height,
                           pixels->pitch, present::kXrgb};
    present::PaintNotice(image, present::Rect{0, 0, image.width, image.height}, canvas, 0, 0);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, pixels);
    SDL_FreeSurface(pixels);
    if (texture == nullptr) {
        return;
    }
    SDL_Rect area{place.x, place.y, image.width, image.height};
    SDL_RenderCopy(renderer, texture, nullptr, &area);
    SDL_DestroyTexture(texture);
}

}  // namespace

SDL_Renderer* OpenRenderer(SDL_Window* window) {
    // A timed demo runs as fast as it can: vertical sync would pace it.
    Uint32 flags = player::Paced() ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    return renderer;
}

void PresentThroughRenderer(Screen& screen, const internal::IndexedFrame& frame) {
    if (screen.renderer == nullptr || !EnsureTexture(screen, frame.width, frame.height)) {
        return;
    }
    present::UpdatePaletteTable(screen.rendererTable, present::kXrgb, frame);
    void* texturePixels = nullptr;
    int texturePitch = 0;
    if (SDL_LockTexture(screen.texture, nullptr, &texturePixels, &texturePitch) != 0) {
        return;
    }
    present::ConvertThroughTable(frame.pixels, frame.pitch, frame.width, frame.height,
                                 screen.rendererTable.pixels, static_cast<uint32_t*>(texturePixels),
                                 texturePitch);
    SDL_UnlockTexture(screen.texture);
    SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(screen.renderer);
    SDL_Rect shown = Letterbox(screen.renderer);
    SDL_RenderCopy(screen.renderer, screen.texture, nullptr, &shown);
    DrawNoticeThroughRenderer(screen.renderer, shown);
    SDL_RenderPresent(screen.renderer);
}

void Present(const internal::IndexedFrame& frame) {
    Screen& screen = TheScreen();
    if (screen.window == nullptr) {
        return;
    }
    PaceBeforePresent();
    if (screen.path == PresentPath::Surface && !PresentToSurface(screen, frame)) {
        // A window surface this path cannot draw on: the renderer takes over,
        // said among the set-up lines, with SDL's reason where it gave one.
        std::string reason = SDL_GetError();
        if (!reason.empty()) {
            reason = " (" + reason + ")";
        }
        internal::DebugNote(
            ("velmora: the window surface cannot be drawn on" + reason + "; using a renderer\n")
                .c_str());
        screen.path = PresentPath::Gpu;
        screen.renderer = OpenRenderer(screen.window);
    }
    if (screen.path == PresentPath::Gpu) {
        PresentThroughRenderer(screen, frame);
    }
    PaceAfterPresent(screen);
    NotePresented();
}

}  // namespace vplat::sdl
