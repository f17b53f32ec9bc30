// Playing a script or a recording: the one player, whatever shows the game.
// Headless it stands in for the player; in the window it plays a recording
// back. It runs from the game's own message polls. The format itself is
// script/script.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/entry.h"
#include "script/stream.h"

namespace vplat::player {

// How a loaded script plays: headless it writes its captures as fast as the
// game runs; in the window it shows a recording at the pace it was recorded.
struct Playback {
    bool captures = true;
    bool paced = false;
    const char* what = "script";  // what messages call the file
};
// Runs `events` from now on (from the message polls), as a loaded script.
void UseScript(const std::vector<script::Event>& events, const std::string& fileName,
               Playback playback = {});
// Checks a script file whole and runs it. One in frame order (a recording
// always is) is read again as it plays, a block at a time, whatever its
// length; one out of order is read whole and sorted. On a fault, *error
// names the file and line.
bool LoadScript(const std::string& path, std::string* error, Playback playback = {});
// The script's part of a poll of the message queue: fires what is due, and
// closes the window once the script has ended.
void PlayScript(bool queueEmpty);
// Every call's answer, where a back end can be kept calling for ever (a
// fault answering "still drawing"): the same answer without end is a stall.
void NoteAnswer(entry::Name call, int64_t answer);
// True once for the frame being presented when the script asked for it.
bool CaptureDue();
void ForgetScript();

// A recording's clock readings: from now on the game's clock readings are
// answered with these, in order; paced, each waits until as much real time has
// passed since the first as had when it was recorded.
void ReplayReadings(script::EventQueue readings, bool paced);

}  // namespace vplat::player
