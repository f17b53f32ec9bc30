// The first size of the game's window on a desktop.
#pragma once

namespace vplat::player {

struct WindowSize {
    int width;
    int height;
};

// The largest whole multiple of 640 x 480 that fits the area; on an area
// smaller than that, the largest 4:3 size that fits.
WindowSize FirstWindowSize(int areaWidth, int areaHeight);

}  // namespace vplat::player
