// Who plays the game in this run: the player (and perhaps a recording of it
// is made), or a recording, shown at its pace (a replay) or as fast as the
// machine goes (a timed demo).
#pragma once

#include <string>

namespace vplat::player {

enum class Playing { Live, Replay, Timedemo };

struct Options;

// The recording the options name for this run, made or loaded before any
// window opens; false with the one line to print in *error.
bool StartPlaying(const Options& options, bool headless, std::string* error);
// Once the game has ended: the recording closed, the timed demo's line printed.
void StopPlaying();
// The game could not start after all: a recording begun for it is removed.
void CancelPlaying();
Playing NowPlaying();
// The line of figures StopPlaying printed for a timed demo; empty otherwise.
std::string TimedemoFigures();

// The player's input, from whatever back end reads it. Live it reaches the
// game, and the recording when one is made; in a replay the recording plays
// the game, and Escape (which ends the replay) is the only key that counts.
// A key of the game's key state went down or up (the keyboard or a pad).
void GiveKey(int virtualKey, bool down);
// The window was minimised (or lost the front at full screen), or came back.
void GiveActivation(bool active);
// The window's close button.
void GiveClose();
// The player asked for a screenshot: a replay captures that frame too.
void NoteScreenshot();
// False in a timed demo: frames are not held back to the display's pace.
bool Paced();

}  // namespace vplat::player
