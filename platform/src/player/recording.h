// Recording a session: what the game's frames depend on (the player's keys,
// the window's activation, the clock's readings), each line at its frame, in
// the script format a headless run plays back.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

#include "script/script.h"

namespace vplat::player {

// Starts a new recording at `path` and writes its header; false, with the
// reason in *error, when it cannot be made there (a file there already is
// never written over).
bool StartRecording(const std::string& path, std::string* error);
bool Recording();
// One line at the number of frames presented so far; `key` for a key's
// action (nothing is written for a key no script can name).
void RecordEvent(script::Action action, int key = 0);
// The clock tap of a recorded run: notes the reading and answers it.
DWORD RecordReading(DWORD reading);
// Writes what is still held back and closes the file.
void StopRecording();
// Closes and removes a recording just started, before the game ran: a run
// that never began leaves no file that would stand in the way of the next.
void DiscardRecording();
// What the file holds so far: frames, and the milliseconds from the first
// clock reading to the last.
struct RecordingLength {
    uint64_t frames = 0;
    DWORD milliseconds = 0;
};
RecordingLength RecordingSaved();

}  // namespace vplat::player
