// Which way frames reach the window. A GPU renderer costs little where there
// is a GPU; where OpenGL is drawn on the processor (llvmpipe on a machine
// without one: virtual machines, remote desktops, CI), its scaled copy and
// full-screen clear cost many times what converting only the changed parts
// straight into the window's surface does.
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

PresentPath& Choice() {
    static PresentPath choice = PresentPath::Auto;
    return choice;
}

bool Contains(const std::string& text, const char* word) {
    for (size_t i = 0; i + strlen(word) <= text.size(); ++i) {
        if (strncasecmp(text.c_str() + i, word, strlen(word)) == 0) {
            return true;
        }
    }
    return false;
}

// The GL_RENDERER string of the renderer's context, or "" when it has none.
std::string GlRendererName() {
    constexpr unsigned kGlRenderer = 0x1F01;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
    return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

// Opens SDL's first-choice renderer on a hidden window of its own and asks
// whether it draws on the processor; the game's window is made afterwards,
// for the path chosen.
bool GpuRendererAvailable() {
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
    if (probe == nullptr) {
        return false;
    }
    bool gpu = false;
    SDL_Renderer* renderer = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED);
    SDL_RendererInfo info;
    if (renderer != nullptr && SDL_GetRendererInfo(renderer, &info) == 0) {
        bool openGl = strncmp(info.name, "opengl", 6) == 0;
        std::string glName = openGl ? GlRendererName() : "";
        gpu =
            (info.flags & SDL_RENDERER_ACCELERATED) != 0 && !IsSoftwareRenderer(info.name, glName);
    }
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
    }
    SDL_DestroyWindow(probe);
    return gpu;
}

}  // namespace

bool ParsePresentPath(const std::string& text, PresentPath* path) {
    if (text == "auto") {
        *path = PresentPath::Auto;
    } else if (text == "surface") {
        *path = PresentPath::Surface;
    } else if (text == "gpu") {
        *path = PresentPath::Gpu;
    } else {
        return false;
    }
    return true;
}

bool ReadPresentChoice(std::string* error) {
    const char* value = getenv("VELMORA_PRESENT");
    std::string text = value != nullptr ? value : "";
    if (text.empty()) {
        Choice() = PresentPath::Auto;
        return true;
    }
    if (!ParsePresentPath(text, &Choice())) {
        *error = "VELMORA_PRESENT=" + text + ": expected auto, surface or gpu";
        return false;
    }
    return true;
}

PresentPath PresentChoice() {
    return Choice();
}

bool IsSoftwareRenderer(const std::string& sdlRenderer, const std::string& glRenderer) {
    return sdlRenderer == "software" || Contains(glRenderer, "llvmpipe") ||
           Contains(glRenderer, "softpipe") || Contains(glRenderer, "swrast") ||
           Contains(glRenderer, "software rasterizer");
}

PresentPath ResolvePresentPath(PresentPath choice) {
    if (choice != PresentPath::Auto) {
        return choice;
    }
    return GpuRendererAvailable() ? PresentPath::Gpu : PresentPath::Surface;
}

}  // namespace vplat::sdl
