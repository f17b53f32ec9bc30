// The window's pixels in shared memory handed to the Wayland compositor
// (wl_shm). SDL has no window surface of its own on Wayland: it would make
// one out of a renderer, which on a machine without a GPU is OpenGL drawn on
// the processor, copying and scaling the whole window every frame. Here the
// changed rectangles are drawn on a canvas of our own, copied into a buffer
// the compositor reads, and only they are marked as damaged.
//
// The compositor reads a buffer until it releases it, so each frame goes to
// a released one, brought up to date first with what changed on the canvas
// since that buffer was last written. When the compositor holds every
// buffer, the changes wait for the next frame: nothing here waits for it.
#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "backend/sdl/outputs.h"

namespace vplat::sdl {
namespace {

// One shown, one the compositor may still be reading, one to write.
constexpr int kBuffers = 3;

using present::OutputRect;

struct Buffer {
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    bool busy = false;               // the compositor may read it
    std::vector<OutputRect> behind;  // changed on the canvas since it was written
};

struct Target {
    bool usable = false;
    wl_display* display = nullptr;    // SDL's
    wl_surface* surface = nullptr;    // SDL's, the window's own
    wl_event_queue* queue = nullptr;  // ours: the buffers' releases come here
    wl_shm* shm = nullptr;
    void* memory = nullptr;  // every buffer, one after the other
    size_t size = 0;
    Buffer buffers[kBuffers];
    std::vector<uint32_t> canvas;  // what the window is to show, drawn here
    int width = 0;
    int height = 0;
    std::vector<OutputRect> unsent;  // changed since the last buffer went out
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t /*version*/) {
    auto* target = static_cast<Target*>(data);
    if (strcmp(interface, wl_shm_interface.name) == 0 && target->shm == nullptr) {
        target->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    }
}

void GlobalRemoved(void* /*data*/, wl_registry* /*registry*/, uint32_t /*name*/) {}

const wl_registry_listener kRegistryListener = {Global, GlobalRemoved};

void Released(void* data, wl_buffer* /*buffer*/) {
    static_cast<Buffer*>(data)->busy = false;
}

const wl_buffer_listener kBufferListener = {Released};

// wl_shm on a queue of our own, so that SDL's dispatching never runs our
// listeners and ours never runs SDL's.
void SetUpTarget(Target& target, SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND) {
        return;
    }
    target.display = info.info.wl.display;
    target.surface = info.info.wl.surface;
    target.queue = wl_display_create_queue(target.display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(target.display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), target.queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, &target);
    wl_display_roundtrip_queue(target.display, target.queue);
    wl_registry_destroy(registry);
    target.usable = target.shm != nullptr;
}

void DropBuffers(Target& target) {
    for (Buffer& buffer : target.buffers) {
        if (buffer.buffer != nullptr) {
            wl_buffer_destroy(buffer.buffer);
        }
        buffer = Buffer();
    }
    if (target.memory != nullptr) {
        munmap(target.memory, target.size);
        target.memory = nullptr;
    }
    target.canvas.clear();
    target.width = 0;
    target.height = 0;
    target.unsent.clear();
}

bool MakeBuffers(Target& target, int width, int height) {
    int stride = width * 4;
    size_t one = static_cast<size_t>(stride) * static_cast<size_t>(height);
    int fd = memfd_create("velmora-frame", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(one * kBuffers)) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    void* memory = mmap(nullptr, one * kBuffers, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    wl_shm_pool* pool = memory != MAP_FAILED
                            ? wl_shm_create_pool(target.shm, fd, static_cast<int>(one * kBuffers))
                            : nullptr;
    close(fd);
    if (pool == nullptr) {
        return false;
    }
    target.memory = memory;
    target.size = one * kBuffers;
    for (int i = 0; i < kBuffers; ++i) {
        Buffer& buffer = target.buffers[i];
        buffer.buffer = wl_shm_pool_create_buffer(pool, static_cast<int>(one) * i, width, height,
                                                  stride, WL_SHM_FORMAT_XRGB8888);
        buffer.pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(memory) + one * i);
        wl_buffer_add_listener(buffer.buffer, &kBufferListener, &buffer);
        buffer.behind.assign(1, OutputRect{0, 0, width, height});
    }
    wl_shm_pool_destroy(pool);
    target.canvas.assign(static_cast<size_t>(width) * height, 0);
    target.width = width;
    target.height = height;
    return true;
}

void Add(std::vector<OutputRect>& list, const std::vector<OutputRect>& rects) {
    list.insert(list.end(), rects.begin(), rects.end());
    present::BoundIfMany(&list);
}

void CopyFromCanvas(const Target& target, Buffer& buffer) {
    size_t width = static_cast<size_t>(target.width);
    for (const OutputRect& r : buffer.behind) {
        for (int y = r.top; y < r.bottom; ++y) {
            memcpy(buffer.pixels + y * width + r.left, target.canvas.data() + y * width + r.left,
                   static_cast<size_t>(r.right - r.left) * 4);
        }
    }
    buffer.behind.clear();
}

// The unsent changes out in a released buffer, if there is one.
void SendUnsent(Target& target) {
    if (target.unsent.empty()) {
        return;
    }
    auto free = std::find_if(std::begin(target.buffers), std::end(target.buffers),
                             [](const Buffer& b) { return !b.busy; });
    if (free == std::end(target.buffers)) {
        return;
    }
    CopyFromCanvas(target, *free);
    wl_surface_attach(target.surface, free->buffer, 0, 0);
    bool inBuffer = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(target.surface)) >=
                    WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
    for (const OutputRect& r : target.unsent) {
        int w = r.right - r.left;
        int h = r.bottom - r.top;
        if (inBuffer) {
            wl_surface_damage_buffer(target.surface, r.left, r.top, w, h);
        } else {
            wl_surface_damage(target.surface, r.left, r.top, w, h);
        }
    }
    wl_surface_commit(target.surface);
    free->busy = true;
    target.unsent.clear();
    wl_display_flush(target.display);
}

void Forget(Target& target) {
    DropBuffers(target);
    if (target.shm != nullptr) {
        wl_shm_destroy(target.shm);
    }
    if (target.queue != nullptr) {
        wl_event_queue_destroy(target.queue);
    }
}

class WaylandOutput final : public present::Output {
public:
    ~WaylandOutput() override { Forget(target_); }

    bool SetUp(SDL_Window* window) {
        SetUpTarget(target_, window);
        return target_.usable;
    }

    bool CanvasFor(int width, int height, present::Canvas* canvas, bool* fresh) override {
        Target& target = target_;
        if (!target.usable) {
            return false;
        }
        wl_display_dispatch_queue_pending(target.display, target.queue);
        if (target.canvas.empty() || target.width != width || target.height != height) {
            DropBuffers(target);
            if (width <= 0 || height <= 0 || !MakeBuffers(target, width, height)) {
                DropBuffers(target);
                target.usable = false;  // the next output from now on
                return false;
            }
            *fresh = true;
        } else {
            SendUnsent(target);  // what waited for a released buffer
        }
        *canvas = present::Canvas{target.canvas.data(), width, height, width * 4, present::kXrgb};
        return true;
    }

    bool BeginWrite() override { return true; }

    void Send(const std::vector<present::OutputRect>& rects) override {
        for (Buffer& buffer : target_.buffers) {
            Add(buffer.behind, rects);
        }
        Add(target_.unsent, rects);
        SendUnsent(target_);
    }

private:
    Target target_;
};

}  // namespace

std::unique_ptr<present::Output> OpenWaylandOutput(SDL_Window* window) {
    auto output = std::make_unique<WaylandOutput>();
    if (!output->SetUp(window)) {
        return nullptr;
    }
    return output;
}

}  // namespace vplat::sdl
