// A window left on a screen that is no longer there, or partly off every
// screen, comes back centred where the player can reach it.
#include "player/window_place.h"

#include <algorithm>

#include "player/window_size.h"

namespace vplat::player {
namespace {

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

Rect Framed(const Rect& place, const Decoration& frame) {
    return Rect{place.x, place.y, place.w + frame.left + frame.right,
                place.h + frame.top + frame.bottom};
}

// Nearer the area's top-left than its far edges allow the frame.
int Within(int at, int start, int room, int extent) {
    return std::max(start, std::min(at, start + room - extent));
}

}  // namespace

Rect WindowPlace(const Settings& settings, const Rect& area, const std::vector<Rect>& displays,
                 const Decoration& frame) {
    int roomWidth = area.w - frame.left - frame.right;
    int roomHeight = area.h - frame.top - frame.bottom;
    WindowSize first = FirstWindowSize(roomWidth, roomHeight);
    int width = settings.windowWidth > 0 ? settings.windowWidth : first.width;
    int height = settings.windowHeight > 0 ? settings.windowHeight : first.height;
    if (width > roomWidth || height > roomHeight) {
        width = first.width;
        height = first.height;
    }
    WindowSize least = MinimumWindowSize(roomWidth, roomHeight);
    width = std::max(width, least.width);
    height = std::max(height, least.height);
    if (settings.scale > 0 && roomWidth >= 640 && roomHeight >= 480) {
        int scale = FittingScale(settings.scale, roomWidth, roomHeight);
        width = 640 * scale;
        height = 480 * scale;
    }
    Rect place = {settings.windowX, settings.windowY, width, height};
    // A --scale window opens centred, as the first window does.
    if (settings.windowPlaced && settings.scale == 0) {
        for (const Rect& display : displays) {
            if (Inside(Framed(place, frame), display)) {
                return place;
            }
        }
    }
    Rect framed = Framed(place, frame);
    place.x = Within(area.x + (area.w - width) / 2, area.x, area.w, framed.w);
    place.y = Within(area.y + (area.h - height) / 2, area.y, area.h, framed.h);
    return place;
}

}  // namespace vplat::player
