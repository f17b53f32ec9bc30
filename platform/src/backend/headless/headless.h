// What the headless back end offers beyond its driver table.
#pragma once

#include <velmora_platform.h>

namespace vplat::headless {

// Hands every frame a headless run presents to `watch`, as it is presented
// (pixels, palette and number, valid during the call); null stops it. With
// `--replay FILE` and VELMORA_VIDEO=headless, that is a recording played
// frame by frame as fast as the machine goes.
void WatchFrames(void (*watch)(const Frame& frame));

}  // namespace vplat::headless
