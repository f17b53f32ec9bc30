// The one PNG writer's encoder, one for each system: libpng, or the Windows
// imaging component. No PNG writer of our own.
#pragma once

#include <string>

#include <velmora_platform.h>

namespace vplat::player {

// The whole PNG of a complete frame: 8 bits a pixel, its indices as they are,
// and its 256 colours as the palette. The file is written by the caller, with
// the system's own calls, which say why when it cannot be made or filled.
bool EncodeIndexedPng(const Frame& frame, std::string* png);

}  // namespace vplat::player
