// The process start-up of the Linux build: reads the command line and the
// player's settings, chooses the back end, then calls WinMain as the Windows
// start-up does and returns its result as exit status.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <velmora_platform.h>
#include <windows.h>

#include "backend/driver.h"
#include "core/fault_list.h"
#include "player/gif.h"
#include "player/options.h"
#include "player/playback.h"
#include "player/present_choice.h"
#include "player/script_play.h"
#include "player/settings.h"

namespace {

// VELMORA_VIDEO names a back end of this build: headless runs without a
// window; sdl (or nothing) shows one.
const vplat::backend::Driver* VideoChoice() {
    const char* value = getenv("VELMORA_VIDEO");
    std::string video = value != nullptr && *value != '\0' ? value : "sdl";
    if (const vplat::backend::Driver* driver = vplat::backend::FindDriver(video)) {
        return driver;
    }
    size_t count = 0;
    const vplat::backend::Driver* const* drivers = vplat::backend::Drivers(&count);
    std::string names;
    for (size_t i = 0; i < count; ++i) {
        names += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + drivers[i]->name;
    }
    fprintf(stderr, "velmora: VELMORA_VIDEO=%s: expected %s\n", video.c_str(), names.c_str());
    return nullptr;
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

// A recording named on the command line plays instead of VELMORA_SCRIPT.
bool StartHeadless() {
    vplat::SelectBackend(vplat::Backend::Headless);
    vplat::UseVirtualClock(kHeadlessStartTick);
    if (!ApplyFaults()) {
        return false;
    }
    const char* script = getenv("VELMORA_SCRIPT");
    if (script == nullptr || *script == '\0' ||
        vplat::player::NowPlaying() != vplat::player::Playing::Live) {
        return true;
    }
    std::string error;
    if (!vplat::player::LoadScript(script, &error)) {
        fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    return true;
}

vplat::player::Settings FileSettings() {
    return vplat::player::LoadSettingsFile(vplat::player::SettingsPath());
}

bool StartWindowed(const vplat::backend::Driver& driver, const vplat::player::Options& options) {
    vplat::player::Settings saved = FileSettings();
    vplat::player::UseSettings(vplat::player::SettingsForRun(saved, options));
    vplat::EchoDebugOutput(options.verbose);
    std::string error;
    if (driver.start != nullptr && !driver.start(&error)) {
        fprintf(stderr,
                "velmora: no display to show the game on (%s); to run without one, set "
                "VELMORA_VIDEO=headless\n",
                error.c_str());
        return false;
    }
    vplat::SelectBackend(driver.id);
    // A timed demo's clock is the recording's, and the game's sleep after
    // each frame waits for nothing.
    if (vplat::player::NowPlaying() == vplat::player::Playing::Timedemo) {
        vplat::UseVirtualClock(0);
    } else {
        vplat::UseRealClock();
    }
    return true;
}

// --help and --version answer and end the run; a bad option ends it with 2.
bool ReadOptions(int argc, char** argv, vplat::player::Options* options, int* exitStatus) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string error;
    if (!vplat::player::ParseOptions(args, options, &error)) {
        fprintf(stderr, "velmora: %s (see 'velmora --help')\n", error.c_str());
        *exitStatus = 2;
        return false;
    }
    if (options->help || options->version) {
        std::string text =
            options->help ? vplat::player::UsageText("velmora") : vplat::player::VersionText();
        fputs(text.c_str(), stdout);
        *exitStatus = 0;
        return false;
    }
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

// A replay made into a GIF: standard error is left to the GIF's lines unless
// asked.
bool StartGif(const vplat::player::Options& options, std::string* error) {
    if (options.gif.empty()) {
        return true;
    }
    vplat::EchoDebugOutput(options.verbose);
    return vplat::player::StartGif(options.gif, options.scale > 0 ? options.scale : 1, error);
}

}  // namespace

// VELMORA_PRESENT (auto, surface or gpu) is checked in every run, so that a
// mistyped value is caught where it is tried first, headless or not.
bool PresentChoice() {
    std::string error;
    if (!vplat::player::ReadPresentChoice(&error)) {
        fprintf(stderr, "velmora: %s\n", error.c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    vplat::player::Options options;
    int exitStatus = 0;
    if (!ReadOptions(argc, argv, &options, &exitStatus)) {
        return exitStatus;
    }
    // A GIF is made headless, whatever display there is.
    const vplat::backend::Driver* driver =
        options.gif.empty() ? VideoChoice() : vplat::backend::FindDriver("headless");
    if (driver == nullptr || !PresentChoice()) {
        return 2;
    }
    bool headless = driver->id == vplat::Backend::Headless;
    // The recording to write or play is checked before any window opens.
    std::string error;
    if (!vplat::player::StartPlaying(options, headless, &error) || !StartGif(options, &error)) {
        fprintf(stderr, "velmora: %s\n", error.c_str());
        return 2;
    }
    if (!(headless ? StartHeadless() : StartWindowed(*driver, options))) {
        vplat::player::CancelPlaying();
        return 2;
    }
    std::string commandLine = CommandLine(argc, argv);
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
    vplat::player::StopPlaying();
    if (!options.gif.empty()) {
        vplat::player::FinishGif();
    }
    if (!headless) {
        // Stopping closes the window, which keeps its last size and place.
        if (driver->stop != nullptr) {
            driver->stop();
        }
        vplat::player::SaveSettingsFile();
    }
    // Whatever way the run ended, the game should have given every
    // DirectDraw object back; say so when it did not.
    int live = vplat::LiveDirectDrawObjects();
    if (live != 0) {
        fprintf(stderr, "velmora: %d DirectDraw objects were still held at exit\n", live);
    }
    return result;
}
