// The floor under a play frame: the least an X11 client can do to show what
// a frame of play changes. A full-screen window gets a picture once; then, 60
// times a second, the 9 x 8 rectangle the moving ball covers is sent again,
// the four digits of a frame counter once a second, every event is read, and
// the client sleeps until the next period. No toolkit, no palette, no
// comparing: what the game's frame costs beyond this is the platform's.
//
//   floor_client [SECONDS]      (default 9: 3 to settle, then measured)
//
// Prints the frames and the CPU per frame of the measured stretch.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kPeriod = 1.0 / 60.0;
constexpr double kSettle = 3.0;

double Now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double CpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void SleepUntil(double when) {
    timespec until;
    until.tv_sec = static_cast<time_t>(when);
    until.tv_nsec = static_cast<long>((when - static_cast<double>(until.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

// An image in the client's memory, its pixels as the server's 32-bit visual
// takes them.
XImage* MakeImage(Display* display, int width, int height, unsigned seed) {
    auto* pixels = static_cast<char*>(malloc(static_cast<size_t>(width) * height * 4));
    XImage* image = XCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 24,
                                 ZPixmap, 0, pixels, width, height, 32, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            XPutPixel(image, x, y, (seed >> 8) & 0x3F3F7F);
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 9.0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        fprintf(stderr, "floor_client: no X display\n");
        return 2;
    }
    int screen = DefaultScreen(display);
    int width = DisplayWidth(display, screen);
    int height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask | ExposureMask);
    XMapRaised(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);
    XImage* picture = MakeImage(display, width, height, 1);
    XImage* ball = MakeImage(display, 9, 8, 2);
    XImage* digits = MakeImage(display, 32, 16, 3);
    XPutImage(display, window, gc, picture, 0, 0, 0, 0, width, height);
    XSync(display, False);

    double start = Now();
    double next = start;
    double measuredFrom = 0;
    double cpuFrom = 0;
    long frames = 0;
    int x = 0;
    while (next - start < seconds) {
        x = (x + 1) % (width - 9);
        XPutImage(display, window, gc, ball, 0, 0, x, height / 2, 9, 8);
        if (frames % 60 == 0) {
            XPutImage(display, window, gc, digits, 0, 0, 0, 0, 32, 16);
        }
        XFlush(display);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        if (measuredFrom == 0 && next - start >= kSettle) {
            measuredFrom = Now();
            cpuFrom = CpuSeconds();
            frames = 0;
        }
        ++frames;
        next += kPeriod;
        SleepUntil(next);
    }
    double elapsed = Now() - measuredFrom;
    double cpu = CpuSeconds() - cpuFrom;
    printf("floor: %ld frames in %.2f s, %.1f frames/s, %.4f ms CPU per frame\n", frames, elapsed,
           frames / elapsed, 1000.0 * cpu / frames);
    XDestroyImage(picture);
    XDestroyImage(ball);
    XDestroyImage(digits);
    XFreeGC(display, gc);
    XCloseDisplay(display);
    return 0;
}
