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

// What a window manager puts around the window: title bar and borders.
struct Decoration {
    int left;
    int top;
    int right;
    int bottom;
};

// The remembered rectangle when its frame still fits inside the usable area
// of one of the displays; else the first window size for `area` (the usable
// area of the display the window is on) less the decoration, centred on it
// and moved, where the frame would reach past it, just far enough to bring
// the frame inside. A remembered size larger than that gives way to the
// first size too. The place is the frame's corner, the size the window's
// own; no decoration is known before the window is first shown.
Rect WindowPlace(const Settings& settings, const Rect& area, const std::vector<Rect>& displays,
                 const Decoration& frame = Decoration{0, 0, 0, 0});

}  // namespace vplat::player
