// The process start-up of the Linux build: chooses the back end, then calls
// WinMain as the Windows start-up does and returns its result as exit status.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <velmora_platform.h>
#include <windows.h>

#include "../src/backend/backends.h"

namespace {

bool HeadlessWanted() {
    const char* value = getenv("VELMORA_HEADLESS");
    return value != nullptr && strcmp(value, "1") == 0;
}

bool StartHeadless() {
    vplat::SelectBackend(vplat::Backend::Headless);
    vplat::UseVirtualClock(0);
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
                "VELMORA_HEADLESS=1\n",
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
    bool headless = HeadlessWanted();
    if (!(headless ? StartHeadless() : StartWindowed())) {
        return 2;
    }
    // A long run would grow the journal without end; only tests read it.
    vplat::EnableJournal(false);
    std::string commandLine = CommandLine(argc, argv);
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    if (!headless) {
        vplat::sdl::Stop();
    }
    return result;
}
