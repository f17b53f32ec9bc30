// Presenting a frame: the palette conversion straight into a streaming
// texture, then one copy scaled to the screen.
#include <cstring>
#include <string>

#include "backend/backends.h"
#include "backend/convert.h"
#include "backend/sdl/state.h"

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

void UpdateTable(Screen& screen, const PALETTEENTRY* palette) {
    if (screen.tableValid &&
        memcmp(screen.tablePalette, palette, sizeof screen.tablePalette) == 0) {
        return;
    }
    memcpy(screen.tablePalette, palette, sizeof screen.tablePalette);
    backend::BuildXrgbTable(palette, screen.table);
    screen.tableValid = true;
}

// llvmpipe and its kin draw OpenGL on the processor, far slower than
// SDL's own software renderer for this one full-screen copy.
bool SoftwareRasteriser(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || strncmp(info.name, "opengl", 6) != 0) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int kGlRenderer = 0x1F01;
    const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
    if (name == nullptr) {
        return false;
    }
    std::string text(reinterpret_cast<const char*>(name));
    return text.find("llvmpipe") != std::string::npos ||
           text.find("softpipe") != std::string::npos ||
           text.find("Software") != std::string::npos || text.find("SWR") != std::string::npos;
}

// The picture as large as the output allows with its shape kept, centred
// between black bars. Asked anew each frame: full-screen windows change size
// after they open.
SDL_Rect Letterbox(SDL_Renderer* renderer, int width, int height) {
    int outWidth = width;
    int outHeight = height;
    SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight);
    SDL_Rect shown;
    if (static_cast<int64_t>(outWidth) * height <= static_cast<int64_t>(outHeight) * width) {
        shown.w = outWidth;
        shown.h = static_cast<int>(static_cast<int64_t>(outWidth) * height / width);
    } else {
        shown.h = outHeight;
        shown.w = static_cast<int>(static_cast<int64_t>(outHeight) * width / height);
    }
    shown.x = (outWidth - shown.w) / 2;
    shown.y = (outHeight - shown.h) / 2;
    return shown;
}

}  // namespace

SDL_Renderer* OpenRenderer(SDL_Window* window) {
    const Uint32 vsync = SDL_RENDERER_PRESENTVSYNC;
    // SDL_RENDER_DRIVER, when set, names the renderer to use and is obeyed.
    bool chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, vsync);
    if (renderer != nullptr && !chosen && SoftwareRasteriser(renderer)) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    return renderer;
}

void Present(const uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette) {
    Screen& screen = TheScreen();
    if (screen.renderer == nullptr || !EnsureTexture(screen, width, height)) {
        return;
    }
    UpdateTable(screen, palette);
    void* texturePixels = nullptr;
    int texturePitch = 0;
    if (SDL_LockTexture(screen.texture, nullptr, &texturePixels, &texturePitch) != 0) {
        return;
    }
    backend::ConvertToXrgb(pixels, pitch, width, height, screen.table,
                           static_cast<uint32_t*>(texturePixels), texturePitch);
    SDL_UnlockTexture(screen.texture);
    SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(screen.renderer);
    SDL_Rect shown = Letterbox(screen.renderer, width, height);
    SDL_RenderCopy(screen.renderer, screen.texture, nullptr, &shown);
    SDL_RenderPresent(screen.renderer);
    PaceAfterPresent(screen);
}

}  // namespace vplat::sdl
