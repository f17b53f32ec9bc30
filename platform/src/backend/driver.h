// One table of operations for each back end, the way a window system's video
// drivers are laid out: headless/, sdl/ and web/ each fill one, the build
// lists the ones it has, and the platform's services call whichever is in
// force through internal.h without knowing which it is. An entry left null
// is something that back end has no part in.
#pragma once

#include <cstddef>
#include <string>

#include "core/entry.h"
#include "internal.h"

namespace vplat::backend {

struct Driver {
    const char* name;  // as VELMORA_VIDEO names it
    Backend id;
    // Makes the back end ready to show the game; false, with the reason in
    // *error, where it cannot run here (no display). Stop undoes it.
    bool (*start)(std::string* error);
    void (*stop)();
    // Back to the state of a freshly started process.
    void (*reset)();
    // Reads window-system events into key state and window messages.
    void (*pumpEvents)();
    // Called once per poll of the message queue.
    void (*onMessagePoll)(bool queueEmpty);
    // Called with every call's answer, after the call.
    void (*onAnswer)(entry::Name call, int64_t result);
    // Called by Sleep: one frame of the game has ended.
    void (*onSleep)(DWORD milliseconds);
    // A real-clock Sleep: true when the driver slept for it, as long as asked
    // and up to the end of the presented frame's period where it paces.
    bool (*sleepPaced)(DWORD milliseconds);
    // Shows a frame of 8-bit indices through its palette.
    void (*present)(const internal::IndexedFrame& frame);
    // Shows a message box and returns when it is dismissed.
    void (*showMessageBox)(const std::string& text, const std::string& caption);
    // The cursor that SetCursor put in force: shown over the window, or none.
    void (*showCursor)(bool visible);
    // DirectDraw took the display for `window` (exclusive full screen at the
    // given mode) or gave it back.
    void (*takeDisplay)(HWND window, int width, int height);
    void (*releaseDisplay)();
    // The player asked for a screenshot: the frame being presented is kept
    // and handed to saveScreenshot.
    bool (*screenshotWanted)();
    void (*saveScreenshot)(const Frame& frame);
};

// The back ends this build has (made by the build from the folders it
// compiles); the first is in force until another is chosen.
const Driver* const* Drivers(size_t* count);
// The driver VELMORA_VIDEO calls `name`, or null.
const Driver* FindDriver(const std::string& name);
const Driver& CurrentDriver();

// The player of a script or a recording, on whatever back end shows the
// game: `play` runs on every poll of the message queue, after the driver's own.
void PlayOnPolls(void (*play)(bool queueEmpty));

// The one line a message box leaves on standard error, whatever shows it.
void PrintMessageBoxLine(const std::string& text, const std::string& caption);

}  // namespace vplat::backend

// Each back end's table, defined in its own folder. The build lists the ones
// it compiles (drivers.cpp.in); headless, the null driver, comes first where
// it is built.
namespace vplat::headless {
extern const backend::Driver kDriver;
}
namespace vplat::sdl {
extern const backend::Driver kDriver;
}
namespace vplat::web {
extern const backend::Driver kDriver;
}
namespace vplat::windows {
extern const backend::Driver kDriver;
}
