// A window's pixels as the X server holds them.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velmora_test {

// 0xRRGGBB per pixel, rows top first; empty (with the reason in *error) when
// the window cannot be read or is not width x height.
std::vector<uint32_t> ReadWindow(SDL_Window* window, int width, int height, std::string* error);

}  // namespace velmora_test
