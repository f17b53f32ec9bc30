// The back end of the Windows build: frames go to the game's own window
// through GDI, one a display refresh, and the monitor is never switched.
#include "backend/driver.h"

#include <windows.h>

#include "dpi_awareness.h"
#include "gdi_output.h"
#include "idle.h"
#include "pacing.h"
#include "player/playback.h"
#include "screenshot_key.h"
#include "xinput_pad.h"

namespace vplat::windows {
namespace {

// Proof for a player (DebugView) and for the tests of which DirectDraw
// answered: a path cannot tell ours from the system's.
constexpr char kOwnDirectDraw[] = "DirectDraw: Velmora's own, drawn with GDI\n";

// Before WinMain, as the C runtime starts the program.
[[maybe_unused]] const bool g_dpiAware = BeDpiAware();

void OnAnswer(entry::Name call, int64_t result) {
    if (call == entry::Name::Restore) {
        NoteRestore(static_cast<HRESULT>(result));
    }
    static bool told = false;
    if (call == entry::Name::DirectDrawCreateEx && result == DD_OK && !told) {
        told = true;
        OutputDebugStringA(kOwnDirectDraw);
    }
}

void Present(const internal::IndexedFrame& frame) {
    FramePresented();
    // Not GetTickCount: its import slot is the game's clock, and a reading
    // of ours would be written into a recording as the game's.
    PollPads(static_cast<DWORD>(GetTickCount64()));
    // A timed demo goes as fast as the machine does.
    bool paced = player::Paced();
    if (paced) {
        // Waited out by the game's next poll; here only when it did not poll.
        WaitForRefresh();
    }
    ShowFrame(frame);
    if (paced) {
        FrameShown();
    }
}

void TakeDisplay(HWND window, int /*width*/, int /*height*/) {
    WatchWindow(window);
    CoverMonitor(window);
}

}  // namespace

const backend::Driver kDriver = {
    "windows",   Backend::Windows,
    nullptr,  // start: the game's own WinMain starts the process
    nullptr,  // stop
    nullptr,  // reset
    nullptr,  // pumpEvents: the real user32 reads the window system
    nullptr,  // onMessagePoll
    OnAnswer,
    nullptr,  // onSleep
    nullptr,  // sleepPaced
    Present,
    nullptr,  // showMessageBox: the real user32's
    nullptr,  // showCursor
    TakeDisplay, ReleaseOutput,    ScreenshotWanted, SaveScreenshot,
};

}  // namespace vplat::windows
