// The headless back end: no window, the virtual clock, and the script that
// stands in for the player, run from the game's own message polls.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backend/driver.h"
#include "backend/headless/runner.h"
#include "kernel/kernel.h"
#include "present/last_frame.h"

namespace vplat::headless {

using script::Action;
using script::Event;
namespace {

// A run is stuck, not slow, when this many polls of the message queue pass
// with no frame presented and no script event due: a running game presents
// a frame every poll or two, and a script that wants to wait says so with
// `idle`. Small enough that giving up takes well under a second, even in the
// sanitizer build and when every poll draws a frame that never reaches the screen.
constexpr int64_t kStallPolls = 2000;
// A call answered the same way this many times with no poll of the message
// queue and no frame presented in between is being retried for ever (a
// busy answer the game meets by calling again at once): no frame of the game
// makes more than a few dozen calls of one kind, and this many still give up
// in a few milliseconds.
constexpr int64_t kStallAnswers = 100000;
// The exit status of a run whose capture could not be written.
constexpr int kCaptureFailedStatus = 4;
// Far more than any script needs; a larger file is a mistake, not input.
constexpr size_t kMaxScriptBytes = size_t{64} << 20;

// How often a call has given one answer since the last poll or frame.
struct Repeats {
    uint64_t since = 0;  // the value of Run::quietSince these were counted in
    int64_t answer = 0;
    int64_t times = 0;
};

struct Run {
    bool loaded = false;
    Playback playback;
    std::string fileName;
    std::vector<Event> events;
    size_t next = 0;
    int64_t idleLeft = 0;  // polls an `idle` event still holds the script back
    bool captureWanted = false;
    bool closed = false;       // the script's end has closed the window
    int64_t stalledPolls = 0;  // polls since the last presented frame
    // Moves on at every poll and frame, which makes every Repeats stale.
    uint64_t quietSince = 1;
    Repeats answers[256];  // by entry::Name
};

Run& State() {
    static Run run;
    return run;
}

// Asked on every poll of the message queue: the count alone, not a copy of
// the frame.
uint64_t FramesPresented() {
    return present::FramesPresented();
}

int ScriptLine(const Run& run) {
    return run.next < run.events.size() ? run.events[run.next].line : 0;
}

const char* WhereText(const Run& run) {
    return run.closed ? "after the script's end, at line" : "waiting at line";
}

[[noreturn]] void Stall(const Run& run) {
    fprintf(
        stderr, "velmora: headless run made no progress for %lld polls (%s, %s %d); giving up\n",
        static_cast<long long>(kStallPolls), run.fileName.c_str(), WhereText(run), ScriptLine(run));
    fflush(stderr);
    std::exit(3);
}

// An HRESULT as Win32 writes it; any other answer whole.
unsigned long long AnswerText(int64_t answer) {
    bool fits = answer >= INT32_MIN && answer <= static_cast<int64_t>(UINT32_MAX);
    return static_cast<unsigned long long>(answer) & (fits ? 0xFFFFFFFFull : ~0ull);
}

[[noreturn]] void StallOnCall(const Run& run, entry::Name call, int64_t answer) {
    fprintf(stderr,
            "velmora: headless run made no progress: %s answered 0x%08llX %lld times with no "
            "poll and no frame between (%s, %s %d); giving up\n",
            entry::NameText(call), AnswerText(answer), static_cast<long long>(kStallAnswers),
            run.fileName.c_str(), WhereText(run), ScriptLine(run));
    fflush(stderr);
    std::exit(3);
}

// The run has moved on: no answer counted so far is a repeat of the next.
void Progress(Run& run) {
    ++run.quietSince;
}

void CountStall(Run& run) {
    if (++run.stalledPolls >= kStallPolls) {
        Stall(run);
    }
}

void WriteCapture(const Frame& frame) {
    const char* dir = getenv("VELMORA_CAPTURE");
    char name[32];
    snprintf(name, sizeof(name), "frame-%06llu.png", static_cast<unsigned long long>(frame.number));
    std::string path =
        (dir != nullptr && *dir != '\0' ? std::string(dir) : std::string(".")) + "/" + name;
    errno = 0;
    if (!WritePng(frame, path)) {
        // A frame that was asked for and not written is a failed run: a
        // caller comparing captures must not find a status that says success.
        const char* why = errno != 0 ? strerror(errno) : "the frame is empty";
        fprintf(stderr, "velmora: cannot write the capture %s (%s)\n", path.c_str(), why);
        fflush(stderr);
        std::exit(kCaptureFailedStatus);
    }
}

void CloseWindow() {
    PostMessageA(internal::GameWindow(), WM_CLOSE, 0, 0);
}

void Fire(Run& run, const Event& event) {
    switch (event.action) {
        case Action::Down:
            PressKey(event.key);
            break;
        case Action::Up:
            ReleaseKey(event.key);
            break;
        case Action::Tap:
            PressKey(event.key);
            ReleaseKey(event.key);
            break;
        case Action::Capture:
            // A replay in the window or a timed one writes no frames.
            run.captureWanted = run.playback.captures;
            break;
        case Action::Minimize:
            MinimizeWindow();
            break;
        case Action::Restore:
            RestoreWindow();
            break;
        case Action::Lose:
            LoseAllSurfaces();
            break;
        case Action::Switch:
            SwitchAway();
            break;
        case Action::Close:
            CloseWindow();
            break;
        case Action::Idle:
            run.idleLeft = event.polls;
            break;
        case Action::Tick:
            // Answered in order by the clock itself (ReplayReadings); here it
            // only keeps the script going until its last frame.
            break;
    }
}

// Fires every event that is due; false while the script has to wait.
bool FireDueEvents(Run& run) {
    while (run.next < run.events.size()) {
        if (run.idleLeft > 0) {
            --run.idleLeft;
            run.stalledPolls = 0;
            return false;
        }
        const Event& event = run.events[run.next];
        if (static_cast<int64_t>(FramesPresented()) < event.frame) {
            CountStall(run);
            return false;
        }
        ++run.next;
        run.stalledPolls = 0;
        Fire(run, event);
    }
    return run.idleLeft == 0;
}

}  // namespace

void UseScript(const std::vector<Event>& events, const std::string& fileName, Playback playback) {
    Run& run = State();
    run = Run();
    run.loaded = true;
    run.playback = playback;
    run.fileName = fileName;
    run.events = events;
    std::vector<uint32_t> readings;
    for (const Event& event : events) {
        if (event.action == Action::Tick) {
            readings.push_back(event.reading);
        }
    }
    ReplayReadings(readings, playback.paced);
}

bool LoadScript(const std::string& path, std::string* error, Playback playback) {
    // Read without blocking: a script named by mistake as a FIFO or a device
    // must not hang the run, and a directory is not an empty script.
    std::vector<uint8_t> bytes;
    std::string why;
    if (!kernel::ReadRegularFile(path.c_str(), kMaxScriptBytes, &bytes, &why)) {
        *error = path + ": cannot read the " + playback.what + " (" + why + ")";
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    std::vector<Event> events;
    std::string warning;
    if (!script::ParseScript(text, path, &events, error, &warning)) {
        return false;
    }
    if (!warning.empty()) {
        fprintf(stderr, "velmora: %s\n", warning.c_str());
        fflush(stderr);
    }
    UseScript(events, path, playback);
    return true;
}

void OnAnswer(entry::Name call, int64_t answer) {
    Run& run = State();
    if (!run.loaded) {
        return;
    }
    Repeats& repeats = run.answers[static_cast<uint8_t>(call)];
    if (repeats.since != run.quietSince || repeats.answer != answer) {
        repeats = Repeats{run.quietSince, answer, 1};
    } else if (++repeats.times >= kStallAnswers) {
        StallOnCall(run, call, answer);
    }
}

void PlayScript(bool) {
    Run& run = State();
    Progress(run);
    if (!run.loaded || !FireDueEvents(run)) {
        return;
    }
    // The script has ended (and its last capture is written): close the
    // window as its close button would; a game that does not end after that
    // is stuck.
    if (run.captureWanted) {
        CountStall(run);
    } else if (!run.closed) {
        run.closed = true;
        run.stalledPolls = 0;
        CloseWindow();
    } else {
        CountStall(run);
    }
}

// The frame is copied only where something reads it back: a capture the
// script asked for, or a test.
void Present(const internal::IndexedFrame& frame) {
    Run& run = State();
    run.stalledPolls = 0;
    Progress(run);
    if (run.captureWanted || present::KeepingAllFrames()) {
        present::KeepLastFrame(frame);
    }
    if (run.captureWanted) {
        run.captureWanted = false;
        WriteCapture(present::LastFrame());
    }
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    backend::PrintMessageBoxLine(text, caption);
}

void Reset() {
    State() = Run();
    ReplayReadings({}, false);
}

// The null driver: no window, nothing to pump or pace; frames are kept for
// reading back, message boxes leave their line and return at once.
const backend::Driver kDriver = [] {
    backend::Driver driver = {};
    driver.name = "headless";
    driver.id = Backend::Headless;
    driver.reset = Reset;
    driver.onMessagePoll = PlayScript;
    driver.onAnswer = OnAnswer;
    driver.present = Present;
    driver.showMessageBox = ShowMessageBox;
    return driver;
}();

}  // namespace vplat::headless
