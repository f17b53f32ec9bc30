// The settings in force for this run.
#include "player/settings.h"

#include <cstdlib>
#include <cstring>

#include "present/viewport.h"

namespace vplat::player {
namespace {

bool g_given = false;
Settings g_settings;

}  // namespace

void UseSettings(const Settings& settings) {
    g_settings = settings;
    g_given = true;
    present::SetIntegerScale(settings.integerScale);
}

Settings& CurrentSettings() {
    if (!g_given) {
        const char* windowed = getenv("VELMORA_WINDOWED");
        g_settings.fullscreen = windowed == nullptr || strcmp(windowed, "1") != 0;
        g_given = true;
    }
    return g_settings;
}

}  // namespace vplat::player
