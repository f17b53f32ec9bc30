// Playing a script: the headless run's own, or a recording played in the
// window. The format itself is script/script.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"

namespace vplat::headless {

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
// Reads and checks a script file and runs it. On a fault, *error names the
// file and line.
bool LoadScript(const std::string& path, std::string* error, Playback playback = {});
// A recording's clock readings: from now on the game's clock readings are
// answered with these, in order; paced, each waits until as much real time has
// passed since the first as had when it was recorded.
void ReplayReadings(const std::vector<uint32_t>& readings, bool paced);
// The script's part of a poll of the message queue: fires what is due, and
// closes the window once the script has ended.
void PlayScript(bool queueEmpty);

}  // namespace vplat::headless
