// What a player's eye sees, measured from outside the game the way a
// photodiode on the screen would: keys pressed through XTest, the screen's
// pixels below the FPS row read back through shared memory, again and
// again, until they change. Works on whatever shows on the X screen: the
// Linux build's window, Wine's desktop, or its own trivial client.
//
//   latency_probe reference        a full-screen client that repaints at once
//                                  on every key press (the probe's own delay)
//   latency_probe keys PRESSES     Right and Left by turns, each pressed at a
//                                  random moment once the picture is still,
//                                  held until the picture changes; prints
//                                  each delay in ms, or "missed"
//   latency_probe frames SECONDS   Right held; prints the time in ms of each
//                                  change of the picture that was seen
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kTextRows = 16;           // the FPS counter changes by itself
constexpr double kGiveUp = 1.0;         // seconds after a press with no change
constexpr double kStill = 0.1;          // seconds unchanged: the picture is still
constexpr double kLongestPhase = 0.05;  // three frames: any phase of a frame
constexpr double kFramePoll = 0.0002;   // the pause between reads of frames

double Now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

void SleepFor(double seconds) {
    timespec span;
    span.tv_sec = static_cast<time_t>(seconds);
    span.tv_nsec = static_cast<long>((seconds - static_cast<double>(span.tv_sec)) * 1e9);
    nanosleep(&span, nullptr);
}

struct Probe {
    Display* display = nullptr;
    Window root = 0;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    std::vector<char> last;  // the picture as last read
};

bool OpenProbe(Probe& s) {
    s.display = XOpenDisplay(nullptr);
    if (s.display == nullptr || !XShmQueryExtension(s.display)) {
        return false;
    }
    int screen = DefaultScreen(s.display);
    s.root = RootWindow(s.display, screen);
    unsigned width = DisplayWidth(s.display, screen);
    unsigned height = DisplayHeight(s.display, screen) - kTextRows;
    s.image = XShmCreateImage(s.display, DefaultVisual(s.display, screen),
                              DefaultDepth(s.display, screen), ZPixmap, nullptr, &s.segment, width,
                              height);
    size_t bytes = static_cast<size_t>(s.image->bytes_per_line) * height;
    s.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    s.segment.shmaddr = s.image->data = static_cast<char*>(shmat(s.segment.shmid, nullptr, 0));
    s.segment.readOnly = False;
    XShmAttach(s.display, &s.segment);
    XSync(s.display, False);
    shmctl(s.segment.shmid, IPC_RMID, nullptr);
    s.last.assign(bytes, 0);
    return true;
}

// Reads the picture; true when it is not what the last read found.
bool Changed(Probe& s) {
    XShmGetImage(s.display, s.root, s.image, 0, kTextRows, AllPlanes);
    if (memcmp(s.last.data(), s.image->data, s.last.size()) == 0) {
        return false;
    }
    memcpy(s.last.data(), s.image->data, s.last.size());
    return true;
}

void Key(Probe& s, KeySym sym, bool down) {
    XTestFakeKeyEvent(s.display, XKeysymToKeycode(s.display, sym), down ? True : False, 0);
    XFlush(s.display);
}

void AwaitStill(Probe& s) {
    double stillSince = Now();
    while (Now() - stillSince < kStill) {
        if (Changed(s)) {
            stillSince = Now();
        }
        SleepFor(0.001);
    }
}

int Keys(Probe& s, int presses) {
    std::mt19937 random(std::random_device{}());
    std::uniform_real_distribution<double> phase(0, kLongestPhase);
    for (int i = 0; i < presses; ++i) {
        KeySym key = i % 2 == 0 ? XK_Right : XK_Left;  // the ball stays near its place
        do {
            AwaitStill(s);
            SleepFor(phase(random));
        } while (Changed(s));
        double pressed = Now();
        Key(s, key, true);
        double seen = 0;
        while (seen == 0 && Now() - pressed < kGiveUp) {
            if (Changed(s)) {
                seen = Now();
            }
        }
        Key(s, key, false);
        if (seen == 0) {
            printf("missed\n");
        } else {
            printf("%.3f\n", (seen - pressed) * 1000);
        }
        fflush(stdout);
    }
    return 0;
}

int Frames(Probe& s, double seconds) {
    Changed(s);
    double start = Now();
    Key(s, XK_Right, true);
    std::vector<double> seen;
    while (Now() - start < seconds) {
        if (Changed(s)) {
            seen.push_back(Now() - start);
        }
        SleepFor(kFramePoll);
    }
    Key(s, XK_Right, false);
    for (double when : seen) {
        printf("%.3f\n", when * 1000);
    }
    return 0;
}

// Fills the screen below the text rows with another colour on every press.
int Reference(Display* display) {
    int screen = DefaultScreen(display);
    int width = DisplayWidth(display, screen);
    int height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapRaised(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);
    unsigned long colour = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
        } else if (event.type == KeyPress) {
            colour = (colour + 0x404040) & 0xffffff;
            XSetForeground(display, gc, colour);
            XFillRectangle(display, window, gc, 0, kTextRows, width, height - kTextRows);
            XFlush(display);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "reference") == 0) {
        Display* display = XOpenDisplay(nullptr);
        return display != nullptr ? Reference(display) : 2;
    }
    if (argc != 3 || (strcmp(argv[1], "keys") != 0 && strcmp(argv[1], "frames") != 0)) {
        fprintf(stderr, "usage: latency_probe reference | keys PRESSES | frames SECONDS\n");
        return 2;
    }
    Probe s;
    if (!OpenProbe(s)) {
        fprintf(stderr, "latency_probe: no X display with shared memory\n");
        return 2;
    }
    int status = argv[1][0] == 'k' ? Keys(s, atoi(argv[2])) : Frames(s, atof(argv[2]));
    XShmDetach(s.display, &s.segment);
    XCloseDisplay(s.display);
    shmdt(s.segment.shmaddr);
    return status;
}
