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
// The smallest the player may make the window: 640 x 480, the picture at
// 1x, where the area has room for it; else the first window size.
WindowSize MinimumWindowSize(int areaWidth, int areaHeight);
// The largest whole scale, up to `asked`, whose window fits the area (at
// least 1).
int FittingScale(int asked, int areaWidth, int areaHeight);

}  // namespace vplat::player
