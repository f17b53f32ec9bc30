// Kept apart from the tests: Xlib's macros (None, Bool, Status) clash with
// GoogleTest's names.
#include "window_readback.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <SDL_syswm.h>

namespace velmora_test {

// What the window shows, as 0xRRGGBB per pixel, read from the X server.
std::vector<uint32_t> ReadWindow(SDL_Window* window, int width, int height, std::string* error) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        *error = "not an X11 window";
        return {};
    }
    Display* display = info.info.x11.display;
    XSync(display, False);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, info.info.x11.window, &attributes);
    if (attributes.width != width || attributes.height != height) {
        *error = "the window is " + std::to_string(attributes.width) + "x" +
                 std::to_string(attributes.height) + ", not " + std::to_string(width) + "x" +
                 std::to_string(height);
        return {};
    }
    XImage* image =
        XGetImage(display, info.info.x11.window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        *error = "XGetImage failed";
        return {};
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        }
    }
    XDestroyImage(image);
    return pixels;
}

}  // namespace velmora_test
