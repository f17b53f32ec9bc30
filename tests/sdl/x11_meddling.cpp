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

}  // namespace velmora_test
