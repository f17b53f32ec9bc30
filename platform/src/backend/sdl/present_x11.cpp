// Small changes put straight on an X11 window. SDL sends the window surface
// as a shared-memory image and then waits for the X server to answer
// (XSync), a round trip every frame, so that the memory is not written
// again while the server may still read it. A change of a few sprites is
// cheaper sent inside the request itself: Xlib copies it out before the
// call returns, and nothing needs to wait. The image wraps the window
// surface's own memory; the pixels are not copied again.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <cstring>

#include "backend/sdl/direct_put.h"

namespace vplat::sdl {
namespace {

// libX11 as SDL loaded it; never loaded here.
struct XCalls {
    decltype(&XCreateGC) createGC = nullptr;
    decltype(&XFreeGC) freeGC = nullptr;
    decltype(&XGetWindowAttributes) windowAttributes = nullptr;
    decltype(&XInitImage) initImage = nullptr;
    decltype(&XPutImage) putImage = nullptr;
    decltype(&XFlush) flush = nullptr;
    bool loaded = false;
};

template <typename T>
void Find(void* library, const char* name, T* call) {
    *call = reinterpret_cast<T>(dlsym(library, name));
}

const XCalls& X() {
    static XCalls calls = [] {
        XCalls found;
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (library == nullptr) {
            return found;
        }
        Find(library, "XCreateGC", &found.createGC);
        Find(library, "XFreeGC", &found.freeGC);
        Find(library, "XGetWindowAttributes", &found.windowAttributes);
        Find(library, "XInitImage", &found.initImage);
        Find(library, "XPutImage", &found.putImage);
        Find(library, "XFlush", &found.flush);
        found.loaded = found.createGC && found.freeGC && found.windowAttributes &&
                       found.initImage && found.putImage && found.flush;
        return found;
    }();
    return calls;
}

struct Target {
    SDL_Window* window = nullptr;  // the window this was set up for
    bool usable = false;
    Display* display = nullptr;
    Window xwindow = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    XImage image{};
    const void* imagePixels = nullptr;  // the surface memory `image` wraps
};

Target& TheTarget() {
    static Target target;
    return target;
}

void SetUp(Target& target, SDL_Window* window) {
    target.window = window;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!X().loaded || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    XWindowAttributes attributes;
    if (X().windowAttributes(info.info.x11.display, info.info.x11.window, &attributes) == 0) {
        return;
    }
    target.display = info.info.x11.display;
    target.xwindow = info.info.x11.window;
    target.visual = attributes.visual;
    target.depth = attributes.depth;
    target.gc = X().createGC(target.display, target.xwindow, 0, nullptr);
    target.usable = target.gc != nullptr;
}

// The image over the surface's memory, in the window's own pixel format
// (SDL made the surface in it); false where the two do not agree.
bool Wrap(Target& target, SDL_Surface* surface) {
    if (target.imagePixels == surface->pixels && target.image.width == surface->w &&
        target.image.height == surface->h && target.image.bytes_per_line == surface->pitch) {
        return true;
    }
    const SDL_PixelFormat* format = surface->format;
    if (format->BitsPerPixel < 24 || format->Rmask != target.visual->red_mask ||
        format->Gmask != target.visual->green_mask || format->Bmask != target.visual->blue_mask) {
        return false;
    }
    XImage& image = target.image;
    memset(&image, 0, sizeof image);
    image.width = surface->w;
    image.height = surface->h;
    image.format = ZPixmap;
    image.data = static_cast<char*>(surface->pixels);
    image.byte_order = SDL_BYTEORDER == SDL_LIL_ENDIAN ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = target.depth;
    image.bytes_per_line = surface->pitch;
    image.bits_per_pixel = 32;
    image.red_mask = format->Rmask;
    image.green_mask = format->Gmask;
    image.blue_mask = format->Bmask;
    if (X().initImage(&image) == 0) {
        return false;
    }
    target.imagePixels = surface->pixels;
    return true;
}

}  // namespace

bool PutDirect(SDL_Window* window, SDL_Surface* surface, const SDL_Rect* rects, int count) {
    Target& target = TheTarget();
    if (target.window != window) {
        ForgetDirectPut();
        SetUp(target, window);
    }
    if (!target.usable || surface->format->BytesPerPixel != 4 || !Wrap(target, surface)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const SDL_Rect& r = rects[i];
        X().putImage(target.display, target.xwindow, target.gc, &target.image, r.x, r.y, r.x, r.y,
                     static_cast<unsigned>(r.w), static_cast<unsigned>(r.h));
    }
    X().flush(target.display);
    return true;
}

void ForgetDirectPut() {
    Target& target = TheTarget();
    if (target.gc != nullptr) {
        X().freeGC(target.display, target.gc);
    }
    target = Target();
}

}  // namespace vplat::sdl
