// The recording is written as the game runs, whole lines at a time: a crash
// leaves every line up to the last write, never half of one, and a write that
// fails part way (a full disk) is cut back to the last whole line. Events go
// out at once; clock readings (one a frame) are held back for at most a second.
#include "player/recording.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "kernel/kernel.h"
#include "player/system_files.h"
#include "present/last_frame.h"
#include "script/script.h"

namespace vplat::player {
namespace {

constexpr double kLongestHoldSeconds = 1.0;
constexpr char kExists[] = "it exists; a recording is never written over: name a new file";

struct Recorder {
    OutFile file;
    std::string path;
    std::string pending;   // whole lines not yet written
    uint64_t written = 0;  // bytes of the file, whole lines all
    double lastWrite = 0;
    bool read = false;  // a clock reading was recorded
    DWORD firstReading = 0;
    RecordingLength pendingUpTo;  // where the held lines reach
    RecordingLength saved;        // where the written lines reach
};

Recorder& TheRecorder() {
    static Recorder recorder;
    return recorder;
}

// Null when every held line is written, else why not.
const char* WritePending(Recorder& recorder) {
    size_t done = 0;
    while (done < recorder.pending.size()) {
        int64_t written =
            recorder.file.Write(recorder.pending.data() + done, recorder.pending.size() - done);
        if (written <= 0) {
            const char* why = written < 0 ? strerror(errno) : "nothing could be written";
            // Back to the last whole line; should even that fail, a reader
            // plays up to the line before the cut one.
            if (!recorder.file.CutTo(recorder.written)) {
                why = "it could not be cut back to its last whole line";
            }
            return why;
        }
        done += static_cast<size_t>(written);
    }
    recorder.written += done;
    recorder.pending.clear();
    recorder.saved = recorder.pendingUpTo;
    recorder.lastWrite = kernel::Seconds();
    return nullptr;
}

// A failed write (the disk full, the file system gone) ends the recording
// with one line; the game plays on.
void Write(Recorder& recorder) {
    if (const char* why = WritePending(recorder)) {
        fprintf(stderr, "velmora: recording %s stopped: %s\n", recorder.path.c_str(), why);
        fflush(stderr);
        recorder.file.Close();
    }
}

void AddLine(const script::Event& event, bool now) {
    Recorder& recorder = TheRecorder();
    if (!recorder.file.IsOpen()) {
        return;
    }
    recorder.pending += script::FormatLine(static_cast<int64_t>(present::FramesPresented()), event);
    recorder.pendingUpTo.frames = present::FramesPresented();
    if (now || kernel::Seconds() - recorder.lastWrite >= kLongestHoldSeconds) {
        Write(recorder);
    }
}

// Made new, as a regular file: a recording already there is the player's
// own (hours of play, perhaps) and is never written over, and a FIFO or a
// device named by mistake is not written to. Making it new is the check and
// the making in one step, and refuses a link too.
bool OpenForWriting(const std::string& path, OutFile* file, std::string* error) {
    FileKind kind = KindAt(path);
    if (kind != FileKind::None) {
        *error = kind == FileKind::Folder    ? "is a directory"
                 : kind == FileKind::Regular ? kExists
                                             : "is not a regular file";
        return false;
    }
    if (!file->Open(path, Existing::Keep)) {
        *error = errno == EEXIST ? kExists : strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool StartRecording(const std::string& path, std::string* error) {
    OutFile file;
    std::string why;
    if (!OpenForWriting(path, &file, &why)) {
        *error = "cannot write the recording " + path + " (" + why + ")";
        return false;
    }
    Recorder& recorder = TheRecorder();
    recorder = Recorder();
    recorder.file = std::move(file);
    recorder.path = path;
    recorder.pending = script::HeaderLine("velmora " VELMORA_VERSION);
    if (const char* failed = WritePending(recorder)) {
        *error = "cannot write the recording " + path + " (" + failed + ")";
        recorder.file.Close();
        return false;
    }
    return true;
}

bool Recording() {
    return TheRecorder().file.IsOpen();
}

void RecordEvent(script::Action action, int key) {
    script::Event event;
    event.action = action;
    event.key = key;
    AddLine(event, true);
}

DWORD RecordReading(DWORD reading) {
    Recorder& recorder = TheRecorder();
    if (!recorder.read) {
        recorder.read = true;
        recorder.firstReading = reading;
    }
    recorder.pendingUpTo.milliseconds = reading - recorder.firstReading;
    script::Event event;
    event.action = script::Action::Tick;
    event.reading = reading;
    AddLine(event, false);
    return reading;
}

void StopRecording() {
    Recorder& recorder = TheRecorder();
    if (!recorder.file.IsOpen()) {
        return;
    }
    Write(recorder);
    recorder.file.Close();
}

void DiscardRecording() {
    Recorder& recorder = TheRecorder();
    if (!recorder.file.IsOpen()) {
        return;
    }
    recorder.file.Close();
    RemoveFile(recorder.path);
}

RecordingLength RecordingSaved() {
    return TheRecorder().saved;
}

}  // namespace vplat::player
