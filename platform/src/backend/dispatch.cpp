// The platform's back-end calls, sent to the back end chosen at start-up.
#include <cstdio>

#include "backend/backends.h"

namespace vplat {
namespace {

Backend& Selected() {
    static Backend selected = Backend::Headless;
    return selected;
}

bool UsingSdl() {
    return Selected() == Backend::Sdl;
}

}  // namespace

void SelectBackend(Backend backend) {
    Selected() = backend;
}

Backend SelectedBackend() {
    return Selected();
}

namespace backend {

void PrintMessageBoxLine(const std::string& text, const std::string& caption) {
    fprintf(stderr, "MessageBoxA: %s: %s\n", caption.c_str(), text.c_str());
    fflush(stderr);
}

}  // namespace backend

namespace internal {

void ResetBackend() {
    headless::Reset();
    sdl::ReleaseDisplay();
    backend::ForgetFrames();
    Selected() = Backend::Headless;
}

void PumpEvents() {
    if (UsingSdl()) {
        sdl::PumpEvents();
    }
}

void ShowCursorImage(bool visible) {
    if (UsingSdl()) {
        sdl::ShowCursorImage(visible);
    }
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (UsingSdl()) {
        sdl::ShowMessageBox(text, caption);
    } else {
        headless::ShowMessageBox(text, caption);
    }
}

void PresentIndexed(const uint8_t* pixels, int width, int height, int pitch,
                    const PALETTEENTRY* palette) {
    // Only the headless run reads frames back; the player's frames go
    // straight to the screen without a copy.
    if (UsingSdl()) {
        sdl::Present(pixels, width, height, pitch, palette);
        if (sdl::ScreenshotWanted()) {
            backend::KeepFrame(pixels, width, height, pitch, palette);
            sdl::SaveScreenshot(PresentedFrame());
        }
    } else {
        backend::KeepFrame(pixels, width, height, pitch, palette);
        headless::OnPresent();
    }
}

void OnMessagePoll(bool queueEmpty) {
    if (!UsingSdl()) {
        headless::OnMessagePoll(queueEmpty);
    }
}

void OnSleep(DWORD milliseconds) {
    if (!UsingSdl()) {
        headless::OnSleep(milliseconds);
    }
}

bool SleepPaced(DWORD milliseconds) {
    return UsingSdl() && sdl::SleepPaced(milliseconds);
}

void TakeDisplay(HWND window, int width, int height) {
    if (UsingSdl()) {
        sdl::TakeDisplay(window, width, height);
    }
}

void ReleaseDisplay() {
    if (UsingSdl()) {
        sdl::ReleaseDisplay();
    }
}

}  // namespace internal
}  // namespace vplat
