// Kept apart from the tests: Xlib's macros clash with GoogleTest's names.
#include "x11_meddling.h"

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

namespace velmora_test {

namespace {

template <typename Meddle>
bool OnConnection(const char* display, std::string* error, Meddle meddle) {
    Display* connection = XOpenDisplay(display);
    if (connection == nullptr) {
        *error = std::string("cannot connect to ") + display;
        return false;
    }
    meddle(connection);
    XSync(connection, False);
    XCloseDisplay(connection);
    return true;
}

}  // namespace

bool DetachSegment(const char* display, unsigned long segment, std::string* error) {
    return OnConnection(display, error, [segment](Display* connection) {
        XShmSegmentInfo info{};
        info.shmseg = segment;
        XShmDetach(connection, &info);
    });
}

bool KillClientOf(const char* display, unsigned long resource, std::string* error) {
    return OnConnection(display, error,
                        [resource](Display* connection) { XKillClient(connection, resource); });
}

bool ReachWindowGone(const char* display, bool send, std::string* error) {
    return OnConnection(display, error, [send](Display* connection) {
        Window gone =
            XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
        XDestroyWindow(connection, gone);
        if (send) {
            XEvent wake{};
            wake.xclient.type = ClientMessage;
            wake.xclient.window = gone;
            wake.xclient.format = 8;
            XSendEvent(connection, gone, False, NoEventMask, &wake);
        } else {
            XMapWindow(connection, gone);
        }
    });
}

}  // namespace velmora_test
