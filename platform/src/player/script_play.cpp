// The one player of scripts and recordings, run from the game's message
// polls on whatever back end shows it: events fire once their frame has been
// presented, the window is closed at the script's end, and a run that can
// never go on is ended rather than left to spin.
#include "player/script_play.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "backend/driver.h"
#include "kernel/kernel.h"
#include "present/last_frame.h"

namespace vplat::player {

using script::Action;
using script::Event;
using script::EventQueue;
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
// A script read whole (one out of frame order, sorted in memory): far more
// than any script needs; a larger file is a mistake, not input.
constexpr size_t kMaxWholeScriptBytes = size_t{64} << 20;

// How often a call has given one answer since the last poll or frame.
struct Repeats {
    uint64_t since = 0;  // the value of Moves() these were counted at
    int64_t answer = 0;
    int64_t times = 0;
};

struct Run {
    bool loaded = false;
    Playback playback;
    std::string fileName;
    EventQueue events;
    int line = 0;          // of the event fired last
    int64_t idleLeft = 0;  // polls an `idle` event still holds the script back
    bool captureWanted = false;
    bool closed = false;  // the script's end has closed the window
    bool faultSaid = false;
    int64_t stalledPolls = 0;  // polls since the last presented frame
    uint64_t framesSeen = 0;   // frames presented, as the last poll found them
    uint64_t polls = 0;
    Repeats answers[256];  // by entry::Name
};

Run& State() {
    static Run run;
    return run;
}

// Moves on at every poll and every frame presented.
uint64_t Moves(const Run& run) {
    return run.polls + present::FramesPresented();
}

// The line the script waits at, or after its end the last it played.
int ScriptLine(Run& run) {
    const Event* next = run.events.Next();
    return next != nullptr ? next->line : run.line;
}

const char* WhereText(const Run& run) {
    return run.closed ? "after the script's end, at line" : "waiting at line";
}

[[noreturn]] void Stall(Run& run) {
    fprintf(stderr, "velmora: %s run made no progress for %lld polls (%s, %s %d); giving up\n",
            backend::CurrentDriver().name, static_cast<long long>(kStallPolls),
            run.fileName.c_str(), WhereText(run), ScriptLine(run));
    fflush(stderr);
    std::exit(3);
}

// An HRESULT as Win32 writes it; any other answer whole.
unsigned long long AnswerText(int64_t answer) {
    bool fits = answer >= INT32_MIN && answer <= static_cast<int64_t>(UINT32_MAX);
    return static_cast<unsigned long long>(answer) & (fits ? 0xFFFFFFFFull : ~0ull);
}

[[noreturn]] void StallOnCall(Run& run, entry::Name call, int64_t answer) {
    fprintf(stderr,
            "velmora: %s run made no progress: %s answered 0x%08llX %lld times with no "
            "poll and no frame between (%s, %s %d); giving up\n",
            backend::CurrentDriver().name, entry::NameText(call), AnswerText(answer),
            static_cast<long long>(kStallAnswers), run.fileName.c_str(), WhereText(run),
            ScriptLine(run));
    fflush(stderr);
    std::exit(3);
}

void CountStall(Run& run) {
    if (++run.stalledPolls >= kStallPolls) {
        Stall(run);
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

// Fires every event that is due; false while the script has to wait. An
// `idle` holds back what follows it, the script's end too.
bool FireDueEvents(Run& run) {
    for (;;) {
        if (run.idleLeft > 0) {
            --run.idleLeft;
            run.stalledPolls = 0;
            return false;
        }
        const Event* next = run.events.Next();
        if (next == nullptr) {
            return true;
        }
        if (static_cast<int64_t>(present::FramesPresented()) < next->frame) {
            CountStall(run);
            return false;
        }
        Event event = *next;
        run.events.Pop();
        run.line = event.line;
        run.stalledPolls = 0;
        Fire(run, event);
    }
}

// The script has ended (and its last capture is written): close the window
// as its close button would; a game that does not end after that is stuck.
void End(Run& run) {
    if (!run.faultSaid && !run.events.Fault().empty()) {
        run.faultSaid = true;
        fprintf(stderr, "velmora: %s; it stops there\n", run.events.Fault().c_str());
        fflush(stderr);
    }
    if (run.captureWanted || run.closed) {
        CountStall(run);
    } else {
        run.closed = true;
        run.stalledPolls = 0;
        CloseWindow();
    }
}

void Start(EventQueue events, EventQueue readings, const std::string& fileName, Playback playback) {
    Run& run = State();
    run = Run();
    run.loaded = true;
    run.playback = playback;
    run.fileName = fileName;
    run.events = std::move(events);
    run.framesSeen = present::FramesPresented();
    ReplayReadings(std::move(readings), playback.paced);
    backend::PlayOnPolls(PlayScript);
}

// A script whose events are not in frame order: read whole and sorted.
bool LoadWhole(const std::string& path, std::string* error, Playback playback) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!kernel::ReadRegularFile(path.c_str(), kMaxWholeScriptBytes, &bytes, &why)) {
        *error = path + ": cannot read the " + playback.what + " (" + why +
                 (why == "is too large" ? ", for one whose frames are not in order" : "") + ")";
        return false;
    }
    std::vector<Event> events;
    if (!script::ParseScript(std::string(bytes.begin(), bytes.end()), path, &events, error)) {
        return false;
    }
    UseScript(events, path, playback);
    return true;
}

}  // namespace

void UseScript(const std::vector<Event>& events, const std::string& fileName, Playback playback) {
    Start(EventQueue(events, EventQueue::Kind::All), EventQueue(events, EventQueue::Kind::Readings),
          fileName, playback);
}

bool LoadScript(const std::string& path, std::string* error, Playback playback) {
    // Read without blocking: a script named by mistake as a FIFO or a device
    // must not hang the run, and a directory is not an empty script.
    script::FileCheck check;
    if (!script::CheckFile(path, playback.what, &check, error)) {
        return false;
    }
    if (!check.warning.empty()) {
        fprintf(stderr, "velmora: %s\n", check.warning.c_str());
        fflush(stderr);
    }
    if (!check.inFrameOrder) {
        return LoadWhole(path, error, playback);
    }
    Start(EventQueue(path, EventQueue::Kind::All), EventQueue(path, EventQueue::Kind::Readings),
          path, playback);
    return true;
}

void PlayScript(bool) {
    Run& run = State();
    ++run.polls;
    if (!run.loaded) {
        return;
    }
    // Whatever presented it, a frame is progress.
    if (uint64_t frames = present::FramesPresented(); frames != run.framesSeen) {
        run.framesSeen = frames;
        run.stalledPolls = 0;
    }
    if (FireDueEvents(run)) {
        End(run);
    }
}

void NoteAnswer(entry::Name call, int64_t answer) {
    Run& run = State();
    if (!run.loaded) {
        return;
    }
    Repeats& repeats = run.answers[static_cast<uint8_t>(call)];
    if (repeats.since != Moves(run) || repeats.answer != answer) {
        repeats = Repeats{Moves(run), answer, 1};
    } else if (++repeats.times >= kStallAnswers) {
        StallOnCall(run, call, answer);
    }
}

bool CaptureDue() {
    return std::exchange(State().captureWanted, false);
}

void ForgetScript() {
    State() = Run();
    ReplayReadings(EventQueue(), false);
}

}  // namespace vplat::player
