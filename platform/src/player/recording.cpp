// The recording is written as the game runs, whole lines at a time: a crash
// leaves every line up to the last write, never half of one, and a write that
// fails part way (a full disk) is cut back to the last whole line. Events go
// out at once; clock readings (one a frame) are held back for at most a second.
#include "player/recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "script/script.h"
#include "kernel/kernel.h"
#include "present/last_frame.h"

namespace vplat::player {
namespace {

constexpr double kLongestHoldSeconds = 1.0;
constexpr char kExists[] = "it exists; a recording is never written over: name a new file";

struct Recorder {
    int fd = -1;
    std::string path;
    std::string pending;  // whole lines not yet written
    off_t written = 0;    // bytes of the file, whole lines all
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
        ssize_t written =
            write(recorder.fd, recorder.pending.data() + done, recorder.pending.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            const char* why = written < 0 ? strerror(errno) : "nothing could be written";
            // Back to the last whole line; should even that fail, a reader
            // plays up to the line before the cut one.
            if (ftruncate(recorder.fd, recorder.written) != 0) {
                why = "it could not be cut back to its last whole line";
            }
            return why;
        }
        done += static_cast<size_t>(written);
    }
    recorder.written += static_cast<off_t>(done);
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
        close(recorder.fd);
        recorder.fd = -1;
    }
}

void AddLine(const script::Event& event, bool now) {
    Recorder& recorder = TheRecorder();
    if (recorder.fd < 0) {
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
// device named by mistake is not written to. O_EXCL makes the check and the
// making one step, and refuses a link too.
int OpenForWriting(const std::string& path, std::string* error) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        *error = S_ISDIR(info.st_mode)   ? "is a directory"
                 : S_ISREG(info.st_mode) ? kExists
                                         : "is not a regular file";
        return -1;
    }
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno == EEXIST ? kExists : strerror(errno);
        return -1;
    }
    return fd;
}

}  // namespace

bool StartRecording(const std::string& path, std::string* error) {
    std::string why;
    int fd = OpenForWriting(path, &why);
    if (fd < 0) {
        *error = "cannot write the recording " + path + " (" + why + ")";
        return false;
    }
    Recorder& recorder = TheRecorder();
    recorder = Recorder();
    recorder.fd = fd;
    recorder.path = path;
    recorder.pending = script::HeaderLine("velmora " VELMORA_VERSION);
    if (const char* failed = WritePending(recorder)) {
        *error = "cannot write the recording " + path + " (" + failed + ")";
        close(recorder.fd);
        recorder.fd = -1;
        return false;
    }
    return true;
}

bool Recording() {
    return TheRecorder().fd >= 0;
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
    if (recorder.fd < 0) {
        return;
    }
    Write(recorder);
    if (recorder.fd >= 0) {
        close(recorder.fd);
        recorder.fd = -1;
    }
}

void DiscardRecording() {
    Recorder& recorder = TheRecorder();
    if (recorder.fd < 0) {
        return;
    }
    close(recorder.fd);
    recorder.fd = -1;
    unlink(recorder.path.c_str());
}

RecordingLength RecordingSaved() {
    return TheRecorder().saved;
}

}  // namespace vplat::player
