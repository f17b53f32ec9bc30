// The process start-up of the Linux build: chooses the back end, then calls
// WinMain as the Windows start-up does and returns its result as exit status.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <velmora_platform.h>
#include <windows.h>

#include "../src/backend/backends.h"

namespace {

bool HeadlessWanted() {
    const char* value = getenv("VELMORA_HEADLESS");
    return value != nullptr && strcmp(value, "1") == 0;
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

// Test aids for scripted runs: VELMORA_FAULTS=Call=result,... makes every
// call of that name answer the result; VELMORA_HIDE_RESOURCES=NAME,... hides
// resources. Both are for headless runs only.
bool ApplyTestAids() {
    for (const std::string& item : ListFromEnvironment("VELMORA_FAULTS")) {
        size_t equals = item.find('=');
        char* end = nullptr;
        long long result =
            equals == std::string::npos ? 0 : strtoll(item.c_str() + equals + 1, &end, 0);
        if (equals == std::string::npos || equals == 0 || end == nullptr || *end != '\0') {
            fprintf(stderr, "velmora: VELMORA_FAULTS: expected Call=result, not \"%s\"\n",
                    item.c_str());
            return false;
        }
        vplat::InjectFault(item.substr(0, equals), static_cast<int32_t>(result));
    }
    for (const std::string& name : ListFromEnvironment("VELMORA_HIDE_RESOURCES")) {
        vplat::HideResource(name);
    }
    return true;
}

bool StartHeadless() {
    vplat::SelectBackend(vplat::Backend::Headless);
    vplat::UseVirtualClock(0);
    if (!ApplyTestAids()) {
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
    // Whatever way the run ended, the game should have given every
    // DirectDraw object back; say so when it did not.
    int live = vplat::LiveDirectDrawObjects();
    if (live != 0) {
        fprintf(stderr, "velmora: %d DirectDraw objects were still held at exit\n", live);
    }
    return result;
}
