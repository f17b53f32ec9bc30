// The game's window as an output of the surface path (present/output.h): a
// DIB section of the client area's size as the canvas, and the rectangles
// PresentOn drew on it copied to the window with BitBlt. Conversion, nearest
// scaling, the bars and the change finding are the same as on Linux; GDI
// only copies pixels, so what reaches the screen is exact.
#include "gdi_output.h"

#include <memory>

#include "activation.h"
#include "key_state.h"
#include "player/playback.h"
#include "present/output.h"
#include "screen_mode.h"
#include "screenshot_key.h"
#include "window_settings.h"

namespace vplat::windows {
namespace {

// The window's device context is taken once, for the output's life: taken
// and given back each frame, under Wine its state is reset each time, which
// chooses a font again and reads the X resource files anew when the X server
// holds none.
class GdiOutput final : public present::Output {
public:
    explicit GdiOutput(HWND window) : window_(window), windowDc_(GetDC(window)) {}
    ~GdiOutput() override {
        Drop();
        ReleaseDC(window_, windowDc_);
    }

    bool CanvasFor(int width, int height, present::Canvas* canvas, bool* fresh) override {
        *fresh = bitmap_ == nullptr || width != canvas_.width || height != canvas_.height;
        if (*fresh && !Make(width, height)) {
            return false;
        }
        *canvas = canvas_;
        return true;
    }

    // GDI may still be reading the section's memory for an earlier BitBlt.
    bool BeginWrite() override {
        GdiFlush();
        return true;
    }

    void Send(const std::vector<present::OutputRect>& rects) override {
        for (const present::OutputRect& r : rects) {
            BitBlt(windowDc_, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_, r.left, r.top,
                   SRCCOPY);
        }
    }

    const char* Failure() const override { return "no bitmap for the window's size"; }

    // The window system asks for part of the window again: the canvas holds
    // the last picture whole, bars included. False where there is none of
    // this size yet.
    bool Repaint(HDC window, const RECT& area, int width, int height) const {
        if (bitmap_ == nullptr || width != canvas_.width || height != canvas_.height) {
            return false;
        }
        return BitBlt(window, area.left, area.top, area.right - area.left, area.bottom - area.top,
                      dc_, area.left, area.top, SRCCOPY) != FALSE;
    }

private:
    bool Make(int width, int height) {
        Drop();
        if (width <= 0 || height <= 0) {
            return false;
        }
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down, as the canvas is
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;  // 8-8-8 with the top byte unused
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc_ = bitmap_ != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
        if (dc_ == nullptr) {
            Drop();
            return false;
        }
        previous_ = SelectObject(dc_, bitmap_);
        canvas_ =
            present::Canvas{static_cast<uint32_t*>(bits), width, height, width * 4, present::kXrgb};
        return true;
    }

    void Drop() {
        if (dc_ != nullptr) {
            SelectObject(dc_, previous_);
            DeleteDC(dc_);
        }
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        dc_ = nullptr;
        bitmap_ = nullptr;
        canvas_ = present::Canvas();
    }

    HWND window_;
    HDC windowDc_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    present::Canvas canvas_;
};

struct Screen {
    HWND window = nullptr;
    WNDPROC gameProcedure = nullptr;
    std::unique_ptr<GdiOutput> output;
    present::OutputScreen shown;
    bool failureSaid = false;
    bool gaveWay = false;  // surfaces lost to another program, not yet restored
};

Screen& State() {
    static Screen screen;
    return screen;
}

RECT Client(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

// Full screen gives way to a program that takes the focus, as an exclusive
// DirectDraw program does: the window is minimised, which the game hears
// as any minimise (activation.h): every surface lost and the deactivation
// that stops its frames; back in front, it runs its own restore path. Only
// a loss that lasts: while a window manager
// maps and lays out a full-screen window the focus may leave it for a
// moment. In a window, losing the focus changes nothing.
constexpr UINT_PTR kGiveWayTimer = 0x564D;  // an id the game's timers do not use
constexpr UINT kGiveWayAfterMs = 100;

bool FocusElsewhere(HWND window) {
    HWND front = GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(front, &owner);
    return front != nullptr && owner != GetCurrentProcessId() && !IsIconic(window);
}

void GiveWay(HWND window) {
    KillTimer(window, kGiveWayTimer);
    if (!InFullScreen() || !FocusElsewhere(window)) {
        return;
    }
    // A recording that plays the game decides its minimises itself.
    if (player::NowPlaying() == player::Playing::Live) {
        State().gaveWay = true;
        OutputDebugStringA("DirectDraw: another program took the focus; surfaces lost\n");
    }
    ShowWindow(window, SW_MINIMIZE);
}

// What the window system asks to repaint comes from the canvas; before the
// first picture of this size it is black, and the next frame goes whole.
void Paint(Screen& screen, HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = Client(window);
    if (screen.output == nullptr ||
        !screen.output->Repaint(dc, paint.rcPaint, client.right, client.bottom)) {
        FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        present::ForgetOutputScreen(screen.shown);
    }
    EndPaint(window, &paint);
}

// Painting is ours while we own the screen: the class's brush never shows.
LRESULT CALLBACK OutputProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Screen& screen = State();
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    // The window's place before a switch to full screen, which the window
    // comes back to, is the player's choice.
    if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && !InFullScreen()) {
        NoteWindowChoice(window);
    }
    if (SwitchOnKey(window, message, wParam, lParam)) {
        NoteWindowChoice(window);
        return 0;
    }
    if (ScreenshotOnKey(message, wParam, lParam) || KeyMessage(message, wParam, lParam)) {
        return 0;
    }
    // The game hears of activation from whoever plays, never from the window.
    if (message == WM_ACTIVATE) {
        return 0;
    }
    if (message == WM_SIZE) {
        WindowSized(wParam);
    }
    // The close button, Alt+F4 or the window's menu.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        player::GiveClose();
        return 0;
    }
    if (message == WM_WINDOWPOSCHANGED) {
        HoldFullScreen(window);
    }
    if (message == WM_DESTROY || (message == WM_ENDSESSION && wParam)) {
        KeepSettings(window);
    }
    if (message == WM_ACTIVATEAPP && !wParam && InFullScreen()) {
        SetTimer(window, kGiveWayTimer, kGiveWayAfterMs, nullptr);
    }
    if (message == WM_TIMER && wParam == kGiveWayTimer) {
        GiveWay(window);
        return 0;
    }
    if (message == WM_PAINT) {
        Paint(screen, window);
        return 0;
    }
    return CallWindowProcA(screen.gameProcedure, window, message, wParam, lParam);
}

void TakeWindow(Screen& screen, HWND window) {
    screen.window = window;
    screen.gameProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutputProcedure)));
    screen.output = std::make_unique<GdiOutput>(window);
}

}  // namespace

LRESULT ToGame(UINT message, WPARAM wParam, LPARAM lParam) {
    Screen& screen = State();
    if (screen.gameProcedure == nullptr) {
        return 0;
    }
    return CallWindowProcA(screen.gameProcedure, screen.window, message, wParam, lParam);
}

void CoverMonitor(HWND window) {
    Screen& screen = State();
    // Taken again (a mode set after the game's restore path), the window
    // stays as the player chose it.
    if (screen.window == window) {
        return;
    }
    ReleaseOutput();
    TakeWindow(screen, window);
    ShowAsSaved(window);
    InvalidateRect(window, nullptr, FALSE);
}

void ReleaseOutput() {
    Screen& screen = State();
    if (screen.window != nullptr && IsWindow(screen.window)) {
        KeepSettings(screen.window);
        SetWindowLongPtrA(screen.window, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(screen.gameProcedure));
    }
    screen = Screen();
}

void NoteRestore(HRESULT result) {
    Screen& screen = State();
    if (screen.gaveWay && result == DD_OK) {
        screen.gaveWay = false;
        OutputDebugStringA("DirectDraw: surfaces restored\n");
    }
}

void ShowFrame(const internal::IndexedFrame& frame) {
    Screen& screen = State();
    if (screen.output == nullptr || IsIconic(screen.window)) {
        return;
    }
    RECT client = Client(screen.window);
    if (!present::PresentOn(*screen.output, screen.shown, frame, client.right, client.bottom) &&
        !screen.failureSaid) {
        // Said once; the next frame tries again, whole.
        screen.failureSaid = true;
        OutputDebugStringA(
            internal::Format("velmora: %s; frames are not shown\n", screen.output->Failure())
                .c_str());
    }
}

}  // namespace vplat::windows

namespace vplat::internal {

HWND GameWindow() {
    return windows::State().window;
}

}  // namespace vplat::internal
