// The platform's back-end calls on the browser build: one back end, the page.
#include "backend/web/web.h"

namespace vplat {

void SelectBackend(Backend) {
    // The page is the only screen this build has.
}

Backend SelectedBackend() {
    return Backend::Web;
}

namespace internal {

void ResetBackend() {
    web::Reset();
}

void PumpEvents() {
    web::PumpEvents();
}

void ShowCursorImage(bool visible) {
    web::ShowCursorImage(visible);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    web::ShowMessageBox(text, caption);
}

void PresentIndexed(const uint8_t* pixels, int width, int height, int pitch,
                    const PALETTEENTRY* palette) {
    web::Present(pixels, width, height, pitch, palette);
}

void OnMessagePoll(bool) {}

void OnSleep(DWORD) {
    web::PaceAfterSleep();
}

bool SleepPaced(DWORD) {
    return false;
}

void TakeDisplay(HWND, int width, int height) {
    web::TakeDisplay(width, height);
}

void ReleaseDisplay() {
    web::ReleaseDisplay();
}

}  // namespace internal
}  // namespace vplat
