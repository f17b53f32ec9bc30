// The surface path in the SDL window: the frame goes to the output in use
// (present/output.h), and to the next in order when one is given up. The
// last of them is SDL's own window surface.
#include <iterator>

#include "backend/sdl/outputs.h"
#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

// SDL's window surface: SDL sends it and then waits for the window system.
class WindowSurfaceOutput final : public present::Output {
public:
    explicit WindowSurfaceOutput(SDL_Window* window) : window_(window) {}

    bool CanvasFor(int /*width*/, int /*height*/, present::Canvas* canvas, bool* fresh) override {
        SDL_ClearError();  // so that a reason given is this call's
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr || surface->format->BytesPerPixel != 4 || SDL_MUSTLOCK(surface)) {
            return false;
        }
        present::ChannelMasks format{surface->format->Rmask, surface->format->Gmask,
                                     surface->format->Bmask, 0};
        if (!present::EightBitChannels(format)) {
            return false;
        }
        // A resized window has a surface of its own.
        *fresh = surface != surface_ || surface->w != width_ || surface->h != height_;
        surface_ = surface;
        width_ = surface->w;
        height_ = surface->h;
        *canvas = present::Canvas{static_cast<uint32_t*>(surface->pixels), surface->w, surface->h,
                                  surface->pitch, format};
        return true;
    }

    bool BeginWrite() override { return true; }

    void Send(const std::vector<present::OutputRect>& rects) override {
        rects_.clear();
        for (const present::OutputRect& r : rects) {
            rects_.push_back(SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
        }
        if (!rects_.empty()) {
            SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
        }
    }

private:
    SDL_Window* window_;
    SDL_Surface* surface_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::vector<SDL_Rect> rects_;
};

using Opener = std::unique_ptr<present::Output> (*)(SDL_Window* window);
const Opener kOutputs[] = {OpenX11Output, OpenWaylandOutput, OpenWindowSurfaceOutput};

}  // namespace

std::unique_ptr<present::Output> OpenWindowSurfaceOutput(SDL_Window* window) {
    return std::make_unique<WindowSurfaceOutput>(window);
}

void OpenNextOutput(Screen& screen) {
    screen.output.reset();
    while (screen.output == nullptr && screen.outputsTried < std::size(kOutputs)) {
        screen.output = kOutputs[screen.outputsTried++](screen.window);
    }
    screen.repaintAll = true;
}

bool PresentToSurface(Screen& screen, const internal::IndexedFrame& frame) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(screen.window, &width, &height);
    if (screen.repaintAll) {
        present::ForgetOutputScreen(screen.shown);
        screen.repaintAll = false;
    }
    while (screen.output != nullptr &&
           !present::PresentOn(*screen.output, screen.shown, frame, width, height)) {
        // Said once, among the set-up lines; this frame goes whole to the next.
        if (const char* reason = screen.output->Failure()) {
            internal::DebugNote(
                internal::Format("velmora: %s; presenting through the next output\n", reason)
                    .c_str());
        }
        OpenNextOutput(screen);
        present::ForgetOutputScreen(screen.shown);
        screen.repaintAll = false;
    }
    return screen.output != nullptr;
}

}  // namespace vplat::sdl
