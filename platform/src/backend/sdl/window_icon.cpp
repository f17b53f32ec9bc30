// The window's icon, for the window list and the task switcher: the same
// picture as the installed icon, decoded once when the window opens.
#include <png.h>

#include <cstddef>
#include <vector>

#include "backend/sdl/state.h"

namespace vplat::sdl {

extern const unsigned char kWindowIconPng[];
extern const size_t kWindowIconPngSize;

void SetWindowIcon(SDL_Window* window) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, kWindowIconPng, kWindowIconPngSize) == 0) {
        return;
    }
    // B, G, R, A bytes: SDL's BGRA32 whatever the machine's byte order.
    image.format = PNG_FORMAT_BGRA;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return;
    }
    int width = static_cast<int>(image.width);
    int height = static_cast<int>(image.height);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_BGRA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

}  // namespace vplat::sdl
