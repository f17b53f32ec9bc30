// StretchDIBits of 8-bit rows through the palette as a colour table: GDI
// converts and scales in one step, nearest at COLORONCOLOR, and only the
// rectangles that changed cross to the window system.
#include "gdi_output.h"

#include <vector>

#include "internal.h"
#include "present/changes.h"
#include "present/viewport.h"
#include "screen_mode.h"

namespace vplat::windows {
namespace {

struct IndexedBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

struct Output {
    HWND window = nullptr;
    WNDPROC gameProcedure = nullptr;
    int width = 0;  // the client area the frame was laid out for
    int height = 0;
    present::KeptFrame kept;
    std::vector<present::ChangedRect> changed;
    IndexedBitmapInfo info = {};
};

Output& State() {
    static Output output;
    return output;
}

void SetColours(IndexedBitmapInfo& info, const PALETTEENTRY* palette) {
    for (int i = 0; i < 256; ++i) {
        info.colours[i] = RGBQUAD{palette[i].peBlue, palette[i].peGreen, palette[i].peRed, 0};
    }
}

// Frame rows top..bottom of the kept frame, packed `width` bytes a row (the
// frame's 640 columns are a whole number of DIB words), onto their place.
void SendRows(HDC dc, Output& out, const present::Viewport& view,
              const present::ChangedRect& rect) {
    const present::KeptFrame& kept = out.kept;
    int rows = rect.bottom - rect.top;
    out.info.header.biWidth = kept.width;
    out.info.header.biHeight = -rows;  // top-down: the first row is rect.top
    int left = view.x + rect.left * view.width / kept.width;
    int right = view.x + rect.right * view.width / kept.width;
    int top = view.y + rect.top * view.height / kept.height;
    int bottom = view.y + rect.bottom * view.height / kept.height;
    const uint8_t* bits = kept.indices.data() + static_cast<size_t>(rect.top) * kept.width;
    StretchDIBits(dc, left, top, right - left, bottom - top, rect.left, 0, rect.right - rect.left,
                  rows, bits, reinterpret_cast<const BITMAPINFO*>(&out.info), DIB_RGB_COLORS,
                  SRCCOPY);
}

void SendChanged(HDC dc, Output& out) {
    present::Viewport view = present::FitFrame(out.width, out.height);
    SetStretchBltMode(dc, COLORONCOLOR);
    SetColours(out.info, out.kept.palette);
    for (const present::ChangedRect& rect : out.changed) {
        SendRows(dc, out, view, rect);
    }
}

// The whole client area black; the frame is sent whole with the next present.
void Blacken(HDC dc, Output& out) {
    RECT all = {0, 0, out.width, out.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    present::ForgetKeptFrame(out.kept);
}

// A client area of a new size gets black around the frame first.
bool SizeChanged(Output& out) {
    RECT client;
    GetClientRect(out.window, &client);
    if (client.right == out.width && client.bottom == out.height) {
        return false;
    }
    out.width = client.right;
    out.height = client.bottom;
    return true;
}

// Full screen gives way to a program that takes the focus, as an exclusive
// DirectDraw program does: the window is minimised and every surface lost,
// so the game stops its frames and, back in front, runs its own restore
// path. The game hears it as the deactivation of a minimised window, which
// is what stops its frames. Only a loss that lasts: while a window manager
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
    internal::LoseAllSurfacesNow();
    CallWindowProcA(State().gameProcedure, window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, TRUE), 0);
    ShowWindow(window, SW_MINIMIZE);
}

// Painting is ours while we own the screen: the class's white brush never
// shows, and what the window system asks to repaint is black until the next
// frame, which then is sent whole.
LRESULT CALLBACK OutputProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Output& out = State();
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    if (SwitchOnKey(window, message, wParam, lParam)) {
        return 0;
    }
    if (message == WM_ACTIVATEAPP && !wParam && InFullScreen()) {
        SetTimer(window, kGiveWayTimer, kGiveWayAfterMs, nullptr);
    }
    if (message == WM_TIMER && wParam == kGiveWayTimer) {
        GiveWay(window);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        SizeChanged(out);
        Blacken(dc, out);
        EndPaint(window, &paint);
        return 0;
    }
    return CallWindowProcA(out.gameProcedure, window, message, wParam, lParam);
}

void TakeWindow(Output& out, HWND window) {
    out.window = window;
    out.gameProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutputProcedure)));
    out.info.header.biSize = sizeof(BITMAPINFOHEADER);
    out.info.header.biPlanes = 1;
    out.info.header.biBitCount = 8;
    out.info.header.biCompression = BI_RGB;
    out.info.header.biClrUsed = 256;
}

}  // namespace

void CoverMonitor(HWND window) {
    Output& out = State();
    // Taken again (a mode set after the game's restore path), the window
    // stays as the player chose it.
    if (out.window == window) {
        return;
    }
    ReleaseOutput();
    TakeWindow(out, window);
    EnterFullScreen(window);
    InvalidateRect(window, nullptr, FALSE);
}

void ReleaseOutput() {
    Output& out = State();
    if (out.window != nullptr && IsWindow(out.window)) {
        SetWindowLongPtrA(out.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(out.gameProcedure));
    }
    out = Output();
}

void ShowFrame(const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette) {
    Output& out = State();
    if (out.window == nullptr) {
        return;
    }
    HDC dc = GetDC(out.window);
    if (SizeChanged(out)) {
        Blacken(dc, out);
    }
    present::TakeChanges(out.kept, pixels, width, height, pitch, palette, &out.changed,
                         internal::PresentedRowTags());
    if (!out.changed.empty()) {
        SendChanged(dc, out);
    }
    ReleaseDC(out.window, dc);
}

}  // namespace vplat::windows
