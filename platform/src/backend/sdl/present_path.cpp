// Which way frames reach the window. A GPU renderer costs little where there
// is a GPU; where OpenGL is drawn on the processor (llvmpipe on a machine
// without one: virtual machines, remote desktops, CI), its scaled copy and
// full-screen clear cost many times what converting only the changed parts
// straight into the window's surface does.
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

// The GL_RENDERER string of the renderer's context, or "" when it has none.
std::string GlRendererName() {
    constexpr unsigned kGlRenderer = 0x1F01;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
    return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

// Hardware OpenGL needs a GPU device node: a DRM node (any driver, the
// proprietary ones included when they do mode setting) or NVIDIA's own. With
// none, OpenGL could only be drawn on the processor, and the question is
// answered without loading an OpenGL driver (tens of megabytes, threads and
// a shader cache) into a game that would never use it.
bool GpuDeviceNodePresent() {
    if (access("/dev/nvidia0", F_OK) == 0) {
        return true;
    }
    DIR* dri = opendir("/dev/dri");
    if (dri == nullptr) {
        return false;
    }
    bool found = false;
    while (dirent* entry = readdir(dri)) {
        found = found || strncmp(entry->d_name, "card", 4) == 0 ||
                strncmp(entry->d_name, "renderD", 7) == 0;
    }
    closedir(dri);
    return found;
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
        gpu = (info.flags & SDL_RENDERER_ACCELERATED) != 0 &&
              !player::IsSoftwareRenderer(info.name, glName);
    }
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
    }
    SDL_DestroyWindow(probe);
    return gpu;
}

}  // namespace

PresentPath ResolvePresentPath(PresentPath choice) {
    if (choice != PresentPath::Auto) {
        return choice;
    }
    return GpuDeviceNodePresent() && GpuRendererAvailable() ? PresentPath::Gpu
                                                            : PresentPath::Surface;
}

}  // namespace vplat::sdl
