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

}  // namespace

Rect WindowPlace(const Settings& settings, const Rect& area, const std::vector<Rect>& displays) {
    WindowSize first = FirstWindowSize(area.w, area.h);
    int width = settings.windowWidth > 0 ? settings.windowWidth : first.width;
    int height = settings.windowHeight > 0 ? settings.windowHeight : first.height;
    if (width > area.w || height > area.h) {
        width = first.width;
        height = first.height;
    }
    WindowSize least = MinimumWindowSize(area.w, area.h);
    width = std::max(width, least.width);
    height = std::max(height, least.height);
    if (settings.scale > 0 && area.w >= 640 && area.h >= 480) {
        int scale = FittingScale(settings.scale, area.w, area.h);
        width = 640 * scale;
        height = 480 * scale;
    }
    Rect place = {settings.windowX, settings.windowY, width, height};
    // A --scale window opens centred, as the first window does.
    if (settings.windowPlaced && settings.scale == 0) {
        for (const Rect& display : displays) {
            if (Inside(place, display)) {
                return place;
            }
        }
    }
    place.x = area.x + (area.w - width) / 2;
    place.y = area.y + (area.h - height) / 2;
    return place;
}

}  // namespace vplat::player
