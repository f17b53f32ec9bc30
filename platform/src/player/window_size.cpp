// A window of whole multiples shows the frame without black bars under the
// default integer scaling, and never reaches past the usable desktop.
#include "player/window_size.h"

#include <algorithm>

namespace vplat::player {

WindowSize FirstWindowSize(int areaWidth, int areaHeight) {
    int whole = std::min(areaWidth / 640, areaHeight / 480);
    if (whole >= 1) {
        return WindowSize{640 * whole, 480 * whole};
    }
    // 4:3 in steps of 4 x 3, so the shape stays exact.
    int steps = std::max(1, std::min(areaWidth / 4, areaHeight / 3));
    return WindowSize{4 * steps, 3 * steps};
}

WindowSize MinimumWindowSize(int areaWidth, int areaHeight) {
    if (areaWidth >= 640 && areaHeight >= 480) {
        return WindowSize{640, 480};
    }
    return FirstWindowSize(areaWidth, areaHeight);
}

int FittingScale(int asked, int areaWidth, int areaHeight) {
    int whole = std::min(areaWidth / 640, areaHeight / 480);
    return std::max(1, std::min(asked, whole));
}

}  // namespace vplat::player
