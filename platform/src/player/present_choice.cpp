// What VELMORA_PRESENT may say, and which renderers are a GPU in name only:
// the rule behind the automatic choice, without SDL.
#include "player/present_choice.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

namespace vplat::player {
namespace {

PresentPath& Choice() {
    static PresentPath choice = PresentPath::Auto;
    return choice;
}

bool Contains(const std::string& text, const char* word) {
    for (size_t i = 0; i + strlen(word) <= text.size(); ++i) {
        if (strncasecmp(text.c_str() + i, word, strlen(word)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool ParsePresentPath(const std::string& text, PresentPath* path) {
    if (text == "auto") {
        *path = PresentPath::Auto;
    } else if (text == "surface") {
        *path = PresentPath::Surface;
    } else if (text == "gpu") {
        *path = PresentPath::Gpu;
    } else {
        return false;
    }
    return true;
}

bool ReadPresentChoice(std::string* error) {
    const char* value = getenv("VELMORA_PRESENT");
    std::string text = value != nullptr ? value : "";
    if (text.empty()) {
        Choice() = PresentPath::Auto;
        return true;
    }
    if (!ParsePresentPath(text, &Choice())) {
        *error = "VELMORA_PRESENT=" + text + ": expected auto, surface or gpu";
        return false;
    }
    return true;
}

PresentPath PresentChoice() {
    return Choice();
}

bool IsSoftwareRenderer(const std::string& sdlRenderer, const std::string& glRenderer) {
    return sdlRenderer == "software" || Contains(glRenderer, "llvmpipe") ||
           Contains(glRenderer, "softpipe") || Contains(glRenderer, "swrast") ||
           Contains(glRenderer, "software rasterizer");
}

}  // namespace vplat::player
