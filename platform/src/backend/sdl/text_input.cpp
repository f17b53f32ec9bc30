// The game reads keys, never text. SDL starts text input with its video,
// and on X11 each window that gains the focus hands every key event to the
// input method's filter, the repeats of a held arrow included. Stopping text
// input takes the window out of it again.
#include "backend/sdl/state.h"

namespace vplat::sdl {
namespace {

bool g_focusGained = false;

// Called as SDL queues each event, within the pump.
int WatchFocus(void* /*unused*/, SDL_Event* event) {
    if (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        g_focusGained = true;
    }
    return 0;
}

}  // namespace

void WatchTextInput() {
    g_focusGained = true;  // SDL's video starts with text input on
    SDL_AddEventWatch(WatchFocus, nullptr);
}

void KeepTextInputOff() {
    if (g_focusGained) {
        g_focusGained = false;
        SDL_StopTextInput();
    }
}

}  // namespace vplat::sdl
