// The platform's back-end calls, sent to the driver in force.
#include "backend/driver.h"

#include <cstdio>

#include "present/last_frame.h"
#include "present/notice.h"

namespace vplat {
namespace backend {
namespace {

const Driver& FirstDriver() {
    size_t count = 0;
    return *Drivers(&count)[0];
}

const Driver*& Current() {
    static const Driver* current = &FirstDriver();
    return current;
}

void (*g_play)(bool queueEmpty) = nullptr;

void SetDriver(const Driver* driver) {
    Current() = driver;
    entry::g_answer = entry::LookUpAnswer;  // the new one's, when next answered
}

}  // namespace

const Driver* FindDriver(const std::string& name) {
    size_t count = 0;
    const Driver* const* drivers = Drivers(&count);
    for (size_t i = 0; i < count; ++i) {
        if (name == drivers[i]->name) {
            return drivers[i];
        }
    }
    return nullptr;
}

void PlayOnPolls(void (*play)(bool queueEmpty)) {
    g_play = play;
}

const Driver& CurrentDriver() {
    return *Current();
}

void PrintMessageBoxLine(const std::string& text, const std::string& caption) {
    fprintf(stderr, "MessageBoxA: %s: %s\n", caption.c_str(), text.c_str());
    fflush(stderr);
}

}  // namespace backend

// A back end this build does not have leaves the one in force.
void SelectBackend(Backend backend) {
    size_t count = 0;
    const backend::Driver* const* drivers = backend::Drivers(&count);
    for (size_t i = 0; i < count; ++i) {
        if (drivers[i]->id == backend) {
            backend::SetDriver(drivers[i]);
        }
    }
}

Backend SelectedBackend() {
    return backend::CurrentDriver().id;
}

namespace internal {

void ResetBackend() {
    size_t count = 0;
    const backend::Driver* const* drivers = backend::Drivers(&count);
    for (size_t i = 0; i < count; ++i) {
        if (drivers[i]->reset != nullptr) {
            drivers[i]->reset();
        }
    }
    present::ForgetFrames();
    present::ForgetNotice();
    backend::SetDriver(&backend::FirstDriver());
    backend::g_play = nullptr;
}

void PumpEvents() {
    if (auto pump = backend::CurrentDriver().pumpEvents) {
        pump();
    }
}

void ShowCursorImage(bool visible) {
    if (auto show = backend::CurrentDriver().showCursor) {
        show(visible);
    }
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (auto show = backend::CurrentDriver().showMessageBox) {
        show(text, caption);
    }
}

void PresentIndexed(const IndexedFrame& frame) {
    const backend::Driver& driver = backend::CurrentDriver();
    present::CountPresent();
    if (driver.present != nullptr) {
        driver.present(frame);
    }
    // Only a frame that is to be written is copied: a player's frames go
    // straight to the screen.
    if (driver.screenshotWanted != nullptr && driver.screenshotWanted()) {
        present::KeepLastFrame(frame);
        driver.saveScreenshot(present::LastFrame());
    }
}

void OnMessagePoll(bool queueEmpty) {
    if (auto poll = backend::CurrentDriver().onMessagePoll) {
        poll(queueEmpty);
    }
    if (backend::g_play != nullptr) {
        backend::g_play(queueEmpty);
    }
}

void OnSleep(DWORD milliseconds) {
    if (auto sleep = backend::CurrentDriver().onSleep) {
        sleep(milliseconds);
    }
}

bool SleepPaced(DWORD milliseconds) {
    auto sleep = backend::CurrentDriver().sleepPaced;
    return sleep != nullptr && sleep(milliseconds);
}

void TakeDisplay(HWND window, int width, int height) {
    if (auto take = backend::CurrentDriver().takeDisplay) {
        take(window, width, height);
    }
}

void ReleaseDisplay() {
    if (auto release = backend::CurrentDriver().releaseDisplay) {
        release();
    }
}

}  // namespace internal

namespace entry {

// Looked up at an answer rather than when the back end is chosen: the first
// one is in force from the start, when its table may not be made yet.
void LookUpAnswer(Name name, int64_t result) {
    g_answer = backend::CurrentDriver().onAnswer;
    if (g_answer != nullptr) {
        g_answer(name, result);
    }
}

}  // namespace entry

}  // namespace vplat
