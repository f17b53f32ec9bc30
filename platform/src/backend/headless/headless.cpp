// The headless back end: no window, the virtual clock, and the script that
// stands in for the player, run from the game's own message polls.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "backend/backends.h"
#include "backend/headless/script.h"

namespace vplat::headless {
namespace {

// A run that waits this long without a frame is stuck, not slow.
constexpr int64_t kStallPolls = 10000000;

struct Run {
    bool loaded = false;
    std::string fileName;
    std::vector<Command> commands;
    size_t next = 0;
    bool waiting = false;    // the command at `next` has started
    int64_t target = 0;      // frame count that ends a `frames` command
    int64_t pollsLeft = 0;   // for a `polls` command
    int64_t idlePolls = 0;   // polls since the last frame while waiting for one
    int64_t seenFrames = 0;  // the frame count idlePolls was last reset at
    bool closed = false;     // the script's end has closed the window
    int64_t frames = 0;      // frames that have ended (Sleep calls)
};

Run& State() {
    static Run run;
    return run;
}

[[noreturn]] void Stall(const Run& run) {
    int line = run.next < run.commands.size() ? run.commands[run.next].line : 0;
    fprintf(stderr,
            "velmora: headless run made no progress for %lld polls (%s, %s %d); giving up\n",
            static_cast<long long>(kStallPolls), run.fileName.c_str(),
            run.closed ? "after the script's end, at line" : "waiting at line", line);
    fflush(stderr);
    std::exit(3);
}

void Capture(const std::string& name) {
    const char* dir = getenv("VELMORA_CAPTURE_DIR");
    std::string path =
        (dir != nullptr && *dir != '\0' ? std::string(dir) + "/" : "") + name + ".png";
    Frame frame = PresentedFrame();
    if (frame.number == 0) {
        fprintf(stderr, "velmora: capture %s: no frame has been presented yet\n", name.c_str());
    } else if (!WritePng(frame, path)) {
        fprintf(stderr, "velmora: capture %s: cannot write %s\n", name.c_str(), path.c_str());
    }
}

void CloseWindow() {
    PostMessageA(internal::FocusWindow(), WM_CLOSE, 0, 0);
}

void RunAtOnce(const Command& command) {
    switch (command.op) {
        case Op::Wait:
            SetVirtualTime(GetTickCount() + static_cast<DWORD>(command.number));
            break;
        case Op::Down:
            PressKey(command.key);
            break;
        case Op::Up:
            ReleaseKey(command.key);
            break;
        case Op::Capture:
            Capture(command.name);
            break;
        case Op::Lose:
            LoseAllSurfaces();
            break;
        case Op::Minimize:
            MinimizeWindow();
            break;
        case Op::Restore:
            RestoreWindow();
            break;
        case Op::Close:
            CloseWindow();
            break;
        case Op::Frames:
        case Op::Polls:
            break;
    }
}

// True while the command at run.next still has to wait.
bool MustWait(Run& run, const Command& command) {
    if (command.op == Op::Frames) {
        if (!run.waiting) {
            run.waiting = true;
            run.target = run.frames + command.number;
            run.idlePolls = 0;
        }
        if (run.frames != run.seenFrames) {
            run.seenFrames = run.frames;
            run.idlePolls = 0;
        }
        if (run.frames < run.target) {
            if (++run.idlePolls >= kStallPolls) {
                Stall(run);
            }
            return true;
        }
    } else if (command.op == Op::Polls) {
        if (!run.waiting) {
            run.waiting = true;
            run.pollsLeft = command.number;
        }
        if (run.pollsLeft > 0) {
            --run.pollsLeft;
            return true;
        }
    }
    run.waiting = false;
    return false;
}

}  // namespace

void UseScript(const std::vector<Command>& commands, const std::string& fileName) {
    Run& run = State();
    run = Run();
    run.loaded = true;
    run.fileName = fileName;
    run.commands = commands;
}

bool LoadScript(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": cannot read the script";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Command> commands;
    if (!ParseScript(text.str(), path, &commands, error)) {
        return false;
    }
    UseScript(commands, path);
    return true;
}

void OnMessagePoll(bool) {
    Run& run = State();
    if (!run.loaded) {
        return;
    }
    while (run.next < run.commands.size()) {
        const Command& command = run.commands[run.next];
        if (MustWait(run, command)) {
            return;
        }
        RunAtOnce(command);
        ++run.next;
    }
    // The script has ended: close the window as its close button would; a
    // game that does not end after that is stuck.
    if (!run.closed) {
        run.closed = true;
        run.idlePolls = 0;
        CloseWindow();
    } else if (++run.idlePolls >= kStallPolls) {
        Stall(run);
    }
}

void OnSleep(DWORD) {
    ++State().frames;
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    backend::PrintMessageBoxLine(text, caption);
}

void Reset() {
    State() = Run();
}

}  // namespace vplat::headless
