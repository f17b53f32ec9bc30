// The run around the game's WinMain, which the C runtime calls (wrapped at
// link time): who plays is set up before the game starts, as the Linux
// program's main does, and the recording closed or the timed demo's figures
// given once it has ended.
#include <windows.h>

#include <cstdio>
#include <string>

#include <velmora_platform.h>

#include "player/playback.h"
#include "start_options.h"

namespace vplat::windows {
namespace {

bool Valid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

bool HasSomethingToSay(const player::Options& options) {
    return options.verbose || !options.record.empty() || !options.replay.empty() ||
           !options.timedemo.empty();
}

// A GUI program started from a console has no standard output or error of
// its own: what the run says on the way (--verbose, a recording's lines)
// goes to that console, only when asked for (a console attached would end
// the game with it).
void UseStartingConsole(const player::Options& options) {
    if (!HasSomethingToSay(options) || Valid(GetStdHandle(STD_OUTPUT_HANDLE)) ||
        Valid(GetStdHandle(STD_ERROR_HANDLE)) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    SetStdHandle(STD_ERROR_HANDLE, console);
    freopen("CONOUT$", "w", stdout);
    freopen("CONOUT$", "w", stderr);
}

void StartRun(const player::Options& options) {
    UseStartingConsole(options);
    EchoDebugOutput(options.verbose);
    std::string error;
    if (!player::StartPlaying(options, /*headless=*/false, &error)) {
        SayAndEnd("velmora: " + error + "\n", true, 2);
    }
    // A timed demo's clock is the recording's, and the game's sleep after
    // each frame waits for nothing.
    if (player::NowPlaying() == player::Playing::Timedemo) {
        UseVirtualClock(0);
    } else {
        UseRealClock();
    }
}

// The timed demo's figures go to standard output; with none, to the player
// as --help's text does.
void EndRun() {
    bool standardOutput = Valid(GetStdHandle(STD_OUTPUT_HANDLE));
    player::StopPlaying();
    std::string figures = player::TimedemoFigures();
    if (!standardOutput && !figures.empty()) {
        SayToPlayer(figures, false);
    }
}

}  // namespace
}  // namespace vplat::windows

extern "C" int WINAPI __real_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                     int showCommand);

extern "C" int WINAPI __wrap_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                     int showCommand) {
    vplat::windows::StartRun(vplat::windows::RunOptions());
    int result = __real_WinMain(instance, previous, commandLine, showCommand);
    vplat::windows::EndRun();
    return result;
}
