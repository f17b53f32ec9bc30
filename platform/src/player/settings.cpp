// The settings in force for this run.
#include "player/settings.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "present/viewport.h"

namespace vplat::player {
namespace {

bool g_given = false;
Settings g_settings;
Settings g_saved;

}  // namespace

void UseSettings(const Settings& inForce, const Settings& saved) {
    g_settings = inForce;
    g_saved = saved;
    g_given = true;
    present::SetIntegerScale(inForce.integerScale);
}

void UseSettings(const Settings& settings) {
    UseSettings(settings, settings);
}

Settings& CurrentSettings() {
    if (!g_given) {
        const char* windowed = getenv("VELMORA_WINDOWED");
        g_settings.fullscreen = windowed == nullptr || strcmp(windowed, "1") != 0;
        g_given = true;
    }
    return g_settings;
}

const Settings& SavedSettings() {
    CurrentSettings();
    return g_saved;
}

void ChooseFullscreen(bool fullscreen) {
    CurrentSettings().fullscreen = fullscreen;
    g_saved.fullscreen = fullscreen;
}

void ChooseWindowRect(int x, int y, int width, int height) {
    for (Settings* settings : {&CurrentSettings(), &g_saved}) {
        settings->windowX = x;
        settings->windowY = y;
        settings->windowWidth = width;
        settings->windowHeight = height;
        settings->windowPlaced = true;
    }
    // A size the player gave the window outlasts a one-off --scale.
    g_settings.scale = 0;
}

void ChooseMaximized(bool maximized) {
    CurrentSettings().windowMaximized = maximized;
    g_saved.windowMaximized = maximized;
}

}  // namespace vplat::player
