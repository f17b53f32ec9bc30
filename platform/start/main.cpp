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
#include "../src/core/fault_list.h"

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

// Faults for scripted runs: every named call answers the given result. The
// list is checked whole before any of it is put in force.
bool ApplyFaults() {
    const char* list = getenv("VELMORA_FAULTS");
    std::string error;
    if (!vplat::faults::ApplyFaultList(list != nullptr ? list : "", &error)) {
        fprintf(stderr, "velmora: VELMORA_FAULTS: %s\n", error.c_str());
        return false;
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

int main(int argc, char** argv) {
    bool headless = false;
    if (!VideoChoice(&headless) || !(headless ? StartHeadless() : StartWindowed())) {
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
