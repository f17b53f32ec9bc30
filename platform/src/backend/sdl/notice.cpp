// The notice over the window's picture ("Screenshot saved: ..."), for about
// two seconds of the real clock. Drawn after the frame on each present path,
// on the window's output only: the game's frame, screenshots and captures
// never hold it.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "backend/sdl/state.h"
#include "present/notice.h"

namespace vplat::sdl {
namespace {

constexpr Uint64 kNoticeMilliseconds = 2000;

struct Notice {
    std::string text;
    Uint64 until = 0;
    std::string onSurface;  // what the surface path's window shows now ("" nothing)
};

Notice& TheNotice() {
    static Notice notice;
    return notice;
}

// The text to show now, "" when none.
const std::string& NoticeNow() {
    static const std::string none;
    Notice& notice = TheNotice();
    return SDL_GetTicks64() < notice.until ? notice.text : none;
}

const Uint8 kBox[3] = {24, 24, 40};
const Uint8 kInk[3] = {255, 255, 255};

SDL_Rect Clip(SDL_Rect rect, int width, int height) {
    SDL_Rect whole{0, 0, width, height};
    SDL_Rect shown{0, 0, 0, 0};
    SDL_IntersectRect(&rect, &whole, &shown);
    return shown;
}

// Writes the part `from` of the notice (in its own pixels) to dest at x, y.
void Paint(const present::NoticeImage& image, SDL_Rect from, SDL_Surface* dest, int x, int y) {
    Uint32 ink = SDL_MapRGB(dest->format, kInk[0], kInk[1], kInk[2]);
    Uint32 box = SDL_MapRGB(dest->format, kBox[0], kBox[1], kBox[2]);
    for (int row = 0; row < from.h; ++row) {
        auto* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(dest->pixels) +
                                              static_cast<size_t>(y + row) * dest->pitch) +
                    x;
        const uint8_t* in = &image.ink[static_cast<size_t>(from.y + row) * image.width + from.x];
        for (int column = 0; column < from.w; ++column) {
            out[column] = in[column] != 0 ? ink : box;
        }
    }
}

}  // namespace

void ShowNotice(const std::string& text) {
    TheNotice().text = text;
    TheNotice().until = SDL_GetTicks64() + kNoticeMilliseconds;
}

bool NoticeChangedOnSurface() {
    return NoticeNow() != TheNotice().onSurface;
}

void DrawNoticeOnSurface(Screen& screen, SDL_Surface* surface) {
    const std::string& text = NoticeNow();
    TheNotice().onSurface = text;
    if (text.empty()) {
        return;
    }
    present::NoticeImage image =
        present::DrawNotice(text, present::NoticeScale(screen.scale.viewport));
    present::NoticePlace place = present::PlaceNotice(screen.scale.viewport, image.height);
    SDL_Rect area =
        Clip(SDL_Rect{place.x, place.y, image.width, image.height}, surface->w, surface->h);
    // Drawn again only where this frame's changes went over it.
    bool drawnOver = std::any_of(screen.sent.begin(), screen.sent.end(),
                                 [&](const SDL_Rect& r) { return SDL_HasIntersection(&r, &area); });
    if (!drawnOver) {
        return;
    }
    Paint(image, SDL_Rect{area.x - place.x, area.y - place.y, area.w, area.h}, surface, area.x,
          area.y);
    screen.sent.push_back(area);
}

void DrawNoticeThroughRenderer(Screen& screen, const SDL_Rect& picture) {
    const std::string& text = NoticeNow();
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
    Paint(image, SDL_Rect{0, 0, image.width, image.height}, pixels, 0, 0);
    SDL_Texture* texture = SDL_CreateTextureFromSurface(screen.renderer, pixels);
    SDL_FreeSurface(pixels);
    if (texture == nullptr) {
        return;
    }
    SDL_Rect area{place.x, place.y, image.width, image.height};
    SDL_RenderCopy(screen.renderer, texture, nullptr, &area);
    SDL_DestroyTexture(texture);
}

}  // namespace vplat::sdl
