// The headless back end: no window, the virtual clock (set by the start-up),
// and frames kept for captures and tests instead of shown. What stands in
// for the player is the player's own script (player/script_play.h), run
// from the message polls as on every back end.
#include "backend/headless/headless.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backend/driver.h"
#include "player/script_play.h"
#include "present/last_frame.h"

namespace vplat::headless {
namespace {

// The exit status of a run whose capture could not be written.
constexpr int kCaptureFailedStatus = 4;

void (*g_watch)(const Frame& frame) = nullptr;

// The frame the script asked for, as VELMORA_CAPTURE/frame-NNNNNN.png.
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

// The frame is copied only where something reads it back: a watcher, or a
// test; a capture the script asked for is kept by the driver's caller.
void Present(const internal::IndexedFrame& frame) {
    if (g_watch != nullptr || present::KeepingAllFrames()) {
        present::KeepLastFrame(frame);
    }
    if (g_watch != nullptr) {
        g_watch(present::LastFrame());
    }
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    backend::PrintMessageBoxLine(text, caption);
}

void Reset() {
    player::ForgetScript();
    g_watch = nullptr;
}

}  // namespace

void WatchFrames(void (*watch)(const Frame& frame)) {
    g_watch = watch;
}

// The null driver: no window, nothing to pump or pace; frames are kept for
// reading back, message boxes leave their line and return at once. A script
// that calls for ever without a poll is caught by its answers.
const backend::Driver kDriver = [] {
    backend::Driver driver = {};
    driver.name = "headless";
    driver.id = Backend::Headless;
    driver.reset = Reset;
    driver.onAnswer = player::NoteAnswer;
    driver.present = Present;
    driver.showMessageBox = ShowMessageBox;
    driver.screenshotWanted = player::CaptureDue;
    driver.saveScreenshot = WriteCapture;
    return driver;
}();

}  // namespace vplat::headless
