// What a player's eye sees, measured from outside the game the way a
// photodiode on the screen would: keys pressed through XTest, the pixels of
// the ball's rows read back through shared memory, again and again, until
// they change. Works on whatever shows on the X screen: the
// Linux build's window, Wine's desktop, or its own trivial client.
//
//   latency_probe reference        a full-screen client that repaints at once
//                                  on every key press (the probe's own delay)
//   latency_probe reference paced  one that runs the game's frame order at
//                                  60 frames a second and nothing else: the
//                                  floor under the game's own delay
//   latency_probe keys PRESSES     Right and Left by turns, each pressed at a
//                                  random moment once the picture is still,
//                                  held until the picture changes; prints
//                                  each delay in ms, or "missed"
//   latency_probe frames SECONDS   Right held; prints the time in ms of each
//                                  change of the picture that was seen, and
//                                  the time since the read before it
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
#include <utility>
#include <vector>

namespace {

constexpr int kTextRows = 16;  // the FPS counter changes by itself
// The rows read: those of the ball in the play scene (y 400 to 407, moved
// only across by Right and Left), with a margin. A narrow band is read in
// a fraction of the time of the whole screen, so the probe takes little of
// the processor from what it measures.
constexpr int kBandTop = 392;
constexpr int kBandRows = 24;
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
    unsigned height = kBandRows;
    s.image = XShmCreateImage(s.display, DefaultVisual(s.display, screen),
                              DefaultDepth(s.display, screen), ZPixmap, nullptr, &s.segment, width,
                              height);
    if (s.image == nullptr) {
        return false;
    }
    size_t bytes = static_cast<size_t>(s.image->bytes_per_line) * height;
    s.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (s.segment.shmid < 0) {
        return false;
    }
    s.segment.shmaddr = s.image->data = static_cast<char*>(shmat(s.segment.shmid, nullptr, 0));
    if (s.segment.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(s.segment.shmid, IPC_RMID, nullptr);
        return false;
    }
    s.segment.readOnly = False;
    XShmAttach(s.display, &s.segment);
    XSync(s.display, False);
    shmctl(s.segment.shmid, IPC_RMID, nullptr);
    s.last.assign(bytes, 0);
    return true;
}

// Reads the band; true when it is not what the last read found.
bool Changed(Probe& s) {
    XShmGetImage(s.display, s.root, s.image, 0, kBandTop, AllPlanes);
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
    // When each change was seen, and how long before it the read that did
    // not yet see it was: the span the change may have come in.
    std::vector<std::pair<double, double>> seen;
    double lastRead = Now();
    while (lastRead - start < seconds) {
        bool changed = Changed(s);
        double now = Now();
        if (changed) {
            seen.emplace_back(now - start, now - lastRead);
        }
        lastRead = now;
        SleepFor(kFramePoll);
    }
    Key(s, XK_Right, false);
    for (const auto& [when, span] : seen) {
        printf("%.3f %.3f\n", when * 1000, span * 1000);
    }
    return 0;
}

struct Client {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    int width = 0;
    int height = 0;
    unsigned long colour = 0;
};

Client OpenClient(Display* display) {
    Client c;
    c.display = display;
    int screen = DefaultScreen(display);
    c.width = DisplayWidth(display, screen);
    c.height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    c.window = XCreateWindow(display, RootWindow(display, screen), 0, 0, c.width, c.height, 0,
                             CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel, &attributes);
    XSelectInput(display, c.window, KeyPressMask | StructureNotifyMask);
    XMapRaised(display, c.window);
    c.gc = XCreateGC(display, c.window, 0, nullptr);
    return c;
}

// Fills the screen below the text rows with another colour.
void Repaint(Client& c) {
    c.colour = (c.colour + 0x404040) & 0xffffff;
    XSetForeground(c.display, c.gc, c.colour);
    XFillRectangle(c.display, c.window, c.gc, 0, kTextRows, c.width, c.height - kTextRows);
    XFlush(c.display);
}

// True for a key press; takes the focus once the window is there.
bool Pressed(Client& c, XEvent& event) {
    if (event.type == MapNotify) {
        XSetInputFocus(c.display, c.window, RevertToParent, CurrentTime);
    }
    return event.type == KeyPress;
}

// Repaints at once on every press: the probe's own delay.
int AtOnce(Client& c) {
    for (;;) {
        XEvent event;
        XNextEvent(c.display, &event);
        if (Pressed(c, event)) {
            Repaint(c);
        }
    }
}

void SleepUntil(double when) {
    timespec until;
    until.tv_sec = static_cast<time_t>(when);
    until.tv_nsec = static_cast<long>((when - static_cast<double>(until.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

// The game's frame order at 60 frames a second with no work in it: the
// events are read, the frame shows what the previous frame's keys did, the
// keys are sampled for the next one, and the loop sleeps to the next period.
int Paced(Client& c) {
    constexpr double kPeriod = 1.0 / 60;
    bool pressed = false;
    bool moved = false;
    double next = Now();
    for (;;) {
        while (XPending(c.display) > 0) {
            XEvent event;
            XNextEvent(c.display, &event);
            pressed = Pressed(c, event) || pressed;
        }
        if (moved) {
            Repaint(c);
        }
        moved = pressed;
        pressed = false;
        next += kPeriod;
        SleepUntil(next);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "reference") == 0) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return 2;
        }
        Client client = OpenClient(display);
        return argc == 3 && strcmp(argv[2], "paced") == 0 ? Paced(client) : AtOnce(client);
    }
    if (argc != 3 || (strcmp(argv[1], "keys") != 0 && strcmp(argv[1], "frames") != 0)) {
        fprintf(stderr, "usage: latency_probe reference [paced] | keys PRESSES | frames SECONDS\n");
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
