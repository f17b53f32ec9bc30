// Where the window goes when it is not full screen, over plain rectangles so
// that the rule needs no window system to be tried.
#pragma once

#include <vector>

#include "player/settings.h"

namespace vplat::player {

struct Rect {
    int x;
    int y;
    int w;
    int h;
};

// The remembered rectangle when it still fits inside the usable area of one
// of the displays; else the first window size for `area` (the usable area of
// the display the window is on), centred on it. A remembered size larger
// than `area` gives way to the first size too.
Rect WindowPlace(const Settings& settings, const Rect& area, const std::vector<Rect>& displays);

}  // namespace vplat::player
