// The player's input on its way to the game, by who is playing.
#include <windows.h>

#include "internal.h"
#include "player/playback.h"
#include "player/recording.h"

namespace vplat::player {
namespace {

// A recording plays the game (shown or timed): the player's input does not.
bool RecordingPlays() {
    return NowPlaying() != Playing::Live;
}

void Close() {
    PostMessageA(internal::GameWindow(), WM_CLOSE, 0, 0);
}

}  // namespace

void GiveKey(int virtualKey, bool down) {
    if (RecordingPlays()) {
        if (virtualKey == VK_ESCAPE && down) {
            Close();
        }
        return;
    }
    RecordEvent(down ? script::Action::Down : script::Action::Up, virtualKey);
    if (down) {
        PressKey(virtualKey);
    } else {
        ReleaseKey(virtualKey);
    }
}

void GiveActivation(bool active) {
    if (RecordingPlays()) {
        return;
    }
    RecordEvent(active ? script::Action::Restore : script::Action::Minimize);
    if (active) {
        RestoreWindow();
    } else {
        MinimizeWindow();
    }
}

void GiveClose() {
    if (!RecordingPlays()) {
        RecordEvent(script::Action::Close);
    }
    Close();
}

void NoteScreenshot() {
    if (!RecordingPlays()) {
        RecordEvent(script::Action::Capture);
    }
}

bool Paced() {
    return NowPlaying() != Playing::Timedemo;
}

}  // namespace vplat::player
