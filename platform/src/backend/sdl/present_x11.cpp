// The window's pixels in shared memory of our own, sent on a connection of
// our own. SDL sends its window surface and then waits for the X server to
// have read it (XSync), a round trip every frame that, at 3840 x 2160, also
// waits out the server's copy of the whole frame. Here nothing waits when
// it is sent: a large change goes as a shared-memory image whose completion
// event is awaited only before the memory is written again, a small change
// inside the request itself, which Xlib has copied out before it returns.
// A server that stops answering or an error on our connection (the window
// or the segment gone under us) never ends the game: this output is given up
// for the rest of the run, and the next one used instead.
#include <SDL.h>
#include <X11/Xutil.h>
#include <SDL_syswm.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <poll.h>
#include <sys/shm.h>

#include "kernel/kernel.h"
#include "backend/sdl/outputs.h"
#include "backend/sdl/x11_calls.h"
#include "backend/sdl/x11_errors.h"

namespace vplat::sdl {
namespace {

// Beyond this many pixels a change goes through shared memory.
constexpr int kMostCopiedPixels = 256 * 256;
// A server that has not read a frame in this long is taken not to answer:
// six frames missed are a hitch, not a hang.
constexpr double kLongestReading = 0.1;  // seconds

struct Target {
    bool usable = false;
    Display* display = nullptr;  // our own connection
    Window xwindow = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    int completion = 0;  // the event type that says a put has been read
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    int width = 0;
    int height = 0;
    bool reading = false;           // the server may still read the memory
    const char* givenUp = nullptr;  // why, once it was
};

bool g_attachFailed = false;
// Once given up, never tried again in this run.
bool g_givenUp = false;
// The output in use, for the tests' looks at it.
Target* g_current = nullptr;

int NoteAttachError(Display* /*unused*/, XErrorEvent* /*unused*/) {
    g_attachFailed = true;
    return 0;
}

present::ChannelMasks FormatOf(const Visual* visual) {
    return present::ChannelMasks{static_cast<uint32_t>(visual->red_mask),
                                 static_cast<uint32_t>(visual->green_mask),
                                 static_cast<uint32_t>(visual->blue_mask), 0};
}

void SetUpTarget(Target& target, SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    const X11Calls& x = X11();
    if (!x.loaded || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    target.display = x.openDisplay(DisplayString(info.info.x11.display));
    if (target.display == nullptr) {
        return;
    }
    WatchX11Errors(target.display);
    target.xwindow = info.info.x11.window;
    XWindowAttributes attributes;
    if (!x.shmQueryExtension(target.display) ||
        x.windowAttributes(target.display, target.xwindow, &attributes) == 0 ||
        !present::EightBitChannels(FormatOf(attributes.visual)) ||
        (attributes.depth != 24 && attributes.depth != 32)) {
        return;
    }
    target.visual = attributes.visual;
    target.depth = attributes.depth;
    target.completion = x.shmGetEventBase(target.display) + ShmCompletion;
    target.gc = x.createGC(target.display, target.xwindow, 0, nullptr);
    target.usable = target.gc != nullptr;
}

Bool IsCompletion(Display* /*unused*/, XEvent* event, XPointer type) {
    return event->type == *reinterpret_cast<int*>(type) ? True : False;
}

// Before any frame goes another way, the server has carried out all we sent
// on ours: it reads its connections in turns of its own choosing, and a put
// of ours still waiting would land over the newer frames sent on SDL's. A
// server that is stopped keeps us waiting here as long as it would keep
// SDL's window surface waiting, which waits for the server on every frame.
void GiveUp(Target& target, const char* reason) {
    X11().sync(target.display, False);
    target.usable = false;
    target.reading = false;
    g_givenUp = true;
    target.givenUp = reason;
}

// False when the server has not said so in time, or our connection failed.
bool AwaitReading(Target& target) {
    if (!target.reading) {
        return target.usable;  // most frames: nothing large was sent
    }
    double deadline = kernel::Seconds() + kLongestReading;
    XEvent event;
    auto type = reinterpret_cast<XPointer>(&target.completion);
    while (target.reading) {
        if (X11().checkIfEvent(target.display, &event, IsCompletion, type)) {
            target.reading = false;
        } else if (X11ErrorNoted()) {
            GiveUp(target, "an X error on our connection");
        } else if (double left = deadline - kernel::Seconds(); left <= 0) {
            GiveUp(target, "the X server did not answer");
        } else {
            pollfd connection{ConnectionNumber(target.display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(left * 1000.0) + 1);
        }
    }
    return target.usable;
}

void DropImage(Target& target) {
    if (target.image == nullptr) {
        return;
    }
    AwaitReading(target);
    if (!g_givenUp) {
        X11().shmDetach(target.display, &target.segment);
    }
    shmdt(target.segment.shmaddr);
    target.image->data = nullptr;
    XDestroyImage(target.image);
    target.image = nullptr;
}

// Memory the server maps too: freed by the system once both let it go.
bool MakeImage(Target& target, int width, int height) {
    const X11Calls& x = X11();
    XShmSegmentInfo& segment = target.segment;
    target.image = x.shmCreateImage(target.display, target.visual, target.depth, ZPixmap, nullptr,
                                    &segment, width, height);
    if (target.image == nullptr) {
        return false;
    }
    size_t bytes = static_cast<size_t>(target.image->bytes_per_line) * height;
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    segment.shmaddr = segment.shmid < 0 ? reinterpret_cast<char*>(-1)
                                        : static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
        target.image->data = nullptr;
        XDestroyImage(target.image);
        target.image = nullptr;
        if (segment.shmid >= 0) {
            shmctl(segment.shmid, IPC_RMID, nullptr);
        }
        return false;
    }
    target.image->data = segment.shmaddr;
    segment.readOnly = False;
    // A server that cannot map it (another machine's) says so by an error.
    g_attachFailed = false;
    auto previous = x.setErrorHandler(NoteAttachError);
    x.shmAttach(target.display, &segment);
    x.sync(target.display, False);
    x.setErrorHandler(previous);
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (g_attachFailed) {
        shmdt(segment.shmaddr);
        target.image->data = nullptr;
        XDestroyImage(target.image);
        target.image = nullptr;
        return false;
    }
    target.width = width;
    target.height = height;
    return true;
}

void SendRects(Target& target, const std::vector<present::OutputRect>& rects) {
    const X11Calls& x = X11();
    int pixels = 0;
    for (const present::OutputRect& r : rects) {
        pixels += (r.right - r.left) * (r.bottom - r.top);
    }
    bool shared = pixels > kMostCopiedPixels;
    for (size_t i = 0; i < rects.size(); ++i) {
        const present::OutputRect& r = rects[i];
        auto w = static_cast<unsigned>(r.right - r.left);
        auto h = static_cast<unsigned>(r.bottom - r.top);
        if (shared) {
            // Only the last one's completion is asked for: the server reads
            // one connection's requests in order.
            x.shmPutImage(target.display, target.xwindow, target.gc, target.image, r.left, r.top,
                          r.left, r.top, w, h, i + 1 == rects.size() ? True : False);
        } else {
            x.putImage(target.display, target.xwindow, target.gc, target.image, r.left, r.top,
                       r.left, r.top, w, h);
        }
    }
    target.reading = shared && !rects.empty();
    x.flush(target.display);
}

void Forget(Target& target) {
    if (g_givenUp && target.display != nullptr) {
        // Left open, still watched: closing waits for a server that may
        // never answer.
        DropImage(target);
    } else if (target.display != nullptr) {
        DropImage(target);
        if (target.gc != nullptr) {
            X11().freeGC(target.display, target.gc);
        }
        X11().closeDisplay(target.display);
        WatchX11Errors(nullptr);
    }
}

class X11Output final : public present::Output {
public:
    X11Output() { g_current = &target_; }
    ~X11Output() override {
        Forget(target_);
        g_current = nullptr;
    }

    bool SetUp(SDL_Window* window) {
        SetUpTarget(target_, window);
        return target_.usable;
    }

    bool CanvasFor(int width, int height, present::Canvas* canvas, bool* fresh) override {
        Target& target = target_;
        if (target.usable && X11ErrorNoted()) {
            GiveUp(target, "an X error on our connection");
        }
        if (!target.usable) {
            return false;
        }
        if (target.image == nullptr || target.width != width || target.height != height) {
            DropImage(target);
            if (width <= 0 || height <= 0 || !MakeImage(target, width, height)) {
                target.usable = false;  // the next output from now on
                return false;
            }
            *fresh = true;
        }
        *canvas =
            present::Canvas{reinterpret_cast<uint32_t*>(target.segment.shmaddr), target.width,
                            target.height, target.image->bytes_per_line, FormatOf(target.visual)};
        return true;
    }

    // Its memory may still be read: wait until it is not.
    bool BeginWrite() override { return AwaitReading(target_); }
    void Send(const std::vector<present::OutputRect>& rects) override { SendRects(target_, rects); }
    const char* Failure() const override { return target_.givenUp; }

private:
    Target target_;
};

}  // namespace

std::unique_ptr<present::Output> OpenX11Output(SDL_Window* window) {
    if (g_givenUp) {
        return nullptr;
    }
    auto output = std::make_unique<X11Output>();
    if (!output->SetUp(window)) {
        return nullptr;
    }
    return output;
}

unsigned long X11SharedSegment() {
    return g_current != nullptr && g_current->image != nullptr ? g_current->segment.shmseg : 0;
}

void X11Finish() {
    const Target* target = g_current;
    if (target != nullptr && target->display != nullptr && !g_givenUp) {
        X11().sync(target->display, False);
    }
}

}  // namespace vplat::sdl
