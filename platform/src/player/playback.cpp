// Setting up who plays this run, and the timed demo's measure: from the first
// frame presented to the end, wall time and processor time.
#include "player/playback.h"

#include <time.h>

#include <cstdio>

#include "backend/driver.h"
#include "kernel/kernel.h"
#include "player/options.h"
#include "player/recording.h"
#include "player/script_play.h"
#include "present/last_frame.h"

namespace vplat::player {
namespace {

struct Run {
    Playing playing = Playing::Live;
    bool headless = false;
    std::string file;  // the recording played, or the one being written
    std::string gif;   // the GIF made of the replay, if one is
    // The timed demo's start: the first frame, on both clocks.
    uint64_t firstFrame = 0;
    double wallStart = 0;
    double cpuStart = 0;
    std::string figures;  // the timed demo's line, once printed
};

Run& TheRun() {
    static Run run;
    return run;
}

// On every poll of a timed demo: the measure starts with the first frame, so
// that opening the window and loading the images are not counted.
void TimedPoll(bool queueEmpty) {
    Run& run = TheRun();
    if (run.firstFrame == 0 && present::FramesPresented() > 0) {
        run.firstFrame = present::FramesPresented();
        run.wallStart = kernel::Seconds();
        run.cpuStart = kernel::Seconds(CLOCK_PROCESS_CPUTIME_ID);
    }
    PlayScript(queueEmpty);
}

void PrintTimedemo(Run& run) {
    double wall = kernel::Seconds() - run.wallStart;
    double cpu = kernel::Seconds(CLOCK_PROCESS_CPUTIME_ID) - run.cpuStart;
    uint64_t frames = run.firstFrame > 0 ? present::FramesPresented() - run.firstFrame : 0;
    double perFrame = frames > 0 ? cpu * 1000 / static_cast<double>(frames) : 0;
    char line[160];
    snprintf(line, sizeof line,
             "%llu frames, %.3f s, %.1f frames per second, %.3f ms CPU per frame\n",
             static_cast<unsigned long long>(frames), wall,
             wall > 0 ? static_cast<double>(frames) / wall : 0.0, perFrame);
    run.figures = "timedemo " + run.file + ": " + line;
    fputs(run.figures.c_str(), stdout);
    fflush(stdout);
}

bool LoadRecording(Run& run, std::string* error) {
    Playback playback;
    // Headless, a replay writes its captures as any script does; in the
    // window it is watched, a timed demo only counts, and one made into a
    // GIF leaves nothing else behind.
    playback.captures = run.headless && run.playing == Playing::Replay && run.gif.empty();
    playback.paced = !run.headless && run.playing == Playing::Replay;
    playback.what = "recording";
    if (!LoadScript(run.file, error, playback)) {
        return false;
    }
    if (run.playing == Playing::Timedemo) {
        backend::PlayOnPolls(TimedPoll);
    }
    return true;
}

}  // namespace

bool StartPlaying(const Options& options, bool headless, std::string* error) {
    Run& run = TheRun();
    run = Run();
    run.headless = headless;
    if (!options.record.empty()) {
        if (headless) {
            *error = "--record needs the game's window (VELMORA_VIDEO=headless has none)";
            return false;
        }
        if (!StartRecording(options.record, error)) {
            return false;
        }
        kernel::SetClockTap(RecordReading);
        run.file = options.record;
        fprintf(stderr, "velmora: recording to %s\n", run.file.c_str());
        fflush(stderr);
        return true;
    }
    run.file = !options.replay.empty() ? options.replay : options.timedemo;
    if (run.file.empty()) {
        return true;
    }
    run.playing = !options.replay.empty() ? Playing::Replay : Playing::Timedemo;
    run.gif = options.gif;
    return LoadRecording(run, error);
}

void StopPlaying() {
    if (TheRun().playing == Playing::Live && !TheRun().file.empty()) {
        StopRecording();
        RecordingLength saved = RecordingSaved();
        fprintf(stderr, "velmora: recording %s saved: %llu frames, %.1f seconds\n",
                TheRun().file.c_str(), static_cast<unsigned long long>(saved.frames),
                saved.milliseconds / 1000.0);
        fflush(stderr);
    }
    if (TheRun().playing == Playing::Timedemo) {
        PrintTimedemo(TheRun());
    }
}

void CancelPlaying() {
    if (TheRun().playing == Playing::Live && !TheRun().file.empty()) {
        DiscardRecording();
    }
    TheRun() = Run();
}

std::string TimedemoFigures() {
    return TheRun().figures;
}

Playing NowPlaying() {
    return TheRun().playing;
}

}  // namespace vplat::player
