// The page's events into the platform: keys with their Windows virtual-key
// codes (the page maps them), and the page hidden or shown, which the game
// meets as its window minimised or restored.
#include <emscripten.h>

#include "backend/web/web.h"
#include "player/recording.h"

// One event a call, 0 when none waits: the kind in the high half, the key in
// the low half.
EM_JS(int, velmora_page_next_event, (), { return VelmoraPage.nextEvent(); });
// Resolves when an event waits, or after `ms` at the latest.
EM_ASYNC_JS(void, velmora_page_wait_for_event, (int ms), { await VelmoraPage.waitForEvent(ms); });

namespace vplat::web {
namespace {

enum EventKind { kKeyDown = 1, kKeyUp = 2, kHidden = 3, kShown = 4 };

// While minimised the game's loop only polls; each poll that finds nothing
// waits this long for the page, so a hidden page costs no processor time.
constexpr int kMinimisedWaitMs = 100;

bool g_minimised = false;

void Handle(int event) {
    int kind = event >> 16;
    int key = event & 0xFFFF;
    switch (kind) {
        case kKeyDown:
            player::RecordEvent(script::Action::Down, key);
            PressKey(key);
            break;
        case kKeyUp:
            player::RecordEvent(script::Action::Up, key);
            ReleaseKey(key);
            break;
        case kHidden:
            if (!g_minimised) {
                g_minimised = true;
                player::RecordEvent(script::Action::Minimize);
                MinimizeWindow();
            }
            break;
        case kShown:
            if (g_minimised) {
                g_minimised = false;
                player::RecordEvent(script::Action::Restore);
                RestoreWindow();
            }
            break;
        default:
            break;
    }
}

bool HandleWaiting() {
    bool any = false;
    for (int event = velmora_page_next_event(); event != 0; event = velmora_page_next_event()) {
        Handle(event);
        any = true;
    }
    return any;
}

}  // namespace

void PumpEvents() {
    if (!HandleWaiting() && g_minimised) {
        velmora_page_wait_for_event(kMinimisedWaitMs);
        HandleWaiting();
    }
}

void ResetEvents() {
    g_minimised = false;
}

}  // namespace vplat::web
