// The process start-up of the Linux build: chooses the back end, then calls
// WinMain as the Windows start-up does and returns its result as exit status.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <velmora_platform.h>
#include <windows.h>

#include "../src/backend/backends.h"
#include "../src/backend/sdl/present_choice.h"

namespace {

// VELMORA_VIDEO=headless runs without a window; sdl (or nothing) shows one.
bool VideoChoice(bool* headless) {
    const char* value = getenv("VELMORA_VIDEO");
    std::string video = value != nullptr ? value : "";
    *headless = video == "headless";
    if (video.empty() || video == "sdl" || *headless) {
        return true;
    }
    fprintf(stderr, "velmora: VELMORA_VIDEO=%s: expected headless or sdl\n", video.c_str());
    return false;
}

// Comma-separated items of an environment variable.
std::vector<std::string> ListFromEnvironment(const char* name) {
    std::vector<std::string> items;
    const char* value = getenv(name);
    std::string rest = value != nullptr ? value : "";
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        if (!item.empty()) {
            items.push_back(item);
        }
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return items;
}

// One item of VELMORA_FAULTS: `Call=0xHRESULT`, `Call=0xHRESULT*N` or `hide:NAME`.
bool ApplyFault(const std::string& item) {
    if (item.compare(0, 5, "hide:") == 0 && item.size() > 5) {
        vplat::HideResource(item.substr(5));
        return true;
    }
    size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0) {
        return false;
    }
    const char* text = item.c_str() + equals + 1;
    char* end = nullptr;
    errno = 0;
    unsigned long long result = strtoull(text, &end, 0);
    long long times = -1;
    if (end != text && *end == '*') {
        const char* count = end + 1;
        times = strtoll(count, &end, 10);
        if (end == count || times <= 0) {
            return false;
        }
    }
    if (end == text || *end != '\0' || errno != 0 || result > 0xFFFFFFFFull || times > 1000000000) {
        return false;
    }
    vplat::InjectFault(item.substr(0, equals), static_cast<int32_t>(static_cast<uint32_t>(result)),
                       static_cast<int>(times));
    return true;
}

// Faults for scripted runs: every named call answers the given result.
bool ApplyFaults() {
    for (const std::string& item : ListFromEnvironment("VELMORA_FAULTS")) {
        if (!ApplyFault(item)) {
            fprintf(stderr,
                    "velmora: VELMORA_FAULTS: expected Call=0xHRESULT, Call=0xHRESULT*N or "
                    "hide:NAME, not \"%s\"\n",
                    item.c_str());
            return false;
        }
    }
    return true;
}

// Where the virtual clock starts: a fixed value, so a headless run is the
// same every time.
constexpr uint32_t kHeadlessStartTick = 0;

bool StartHeadless() {
    vplat::SelectBackend(vplat::Backend::Headless);
    vplat::UseVirtualClock(kHeadlessStartTick);
    if (!ApplyFaults()) {
        return false;
    }
    const char* script = getenv("VELMORA_SCRIPT");
    if (script == nullptr || *script == '\0') {
        return true;
    }
    std::string error;
    if (!vplat::headless::LoadScript(script, &error)) {
        fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool StartWindowed() {
    std::string error;
    if (!vplat::sdl::Start(&error)) {
        fprintf(stderr,
                "velmora: no display to show the game on (%s); to run without one, set "
                "VELMORA_VIDEO=headless\n",
                error.c_str());
        return false;
    }
    vplat::SelectBackend(vplat::Backend::Sdl);
    vplat::UseRealClock();
    return true;
}

// The command line after the program's name, as Windows hands it to WinMain.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        line += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    return line;
}

}  // namespace

// VELMORA_PRESENT (auto, surface or gpu) is checked in every run, so that a
// mistyped value is caught where it is tried first, headless or not.
bool PresentChoice() {
    std::string error;
    if (!vplat::sdl::ReadPresentChoice(&error)) {
        fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    bool headless = false;
    if (!VideoChoice(&headless) || !PresentChoice() ||
        !(headless ? StartHeadless() : StartWindowed())) {
        return 2;
    }
    // A long run would grow the journal without end; only tests read it.
    vplat::EnableJournal(false);
    std::string commandLine = CommandLine(argc, argv);
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    if (!headless) {
        vplat::sdl::Stop();
    }
    // Whatever way the run ended, the game should have given every
    // DirectDraw object back; say so when it did not.
    int live = vplat::LiveDirectDrawObjects();
    if (live != 0) {
        fprintf(stderr, "velmora: %d DirectDraw objects were still held at exit\n", live);
    }
    return result;
}
