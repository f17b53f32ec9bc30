// Program entry and the main loop.
#include "app.h"
#include "display.h"
#include "game.h"

// A start-up that fails ends with this status, so that a launcher can tell it
// from a normal quit (which ends with the quit message's code, 0).
static const int STARTUP_FAILED = 1;

static int RunMessageLoop(HWND window) {
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, NULL, 0, 0) == 0) {
                return (int)msg.wParam;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (g_appActive) {
            RunFrame(window);
            Sleep(1);
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    (void)previous;
    (void)commandLine;
    HWND window = CreateMainWindow(instance, showCommand);
    if (window == NULL) {
        return STARTUP_FAILED;
    }
    if (InitDisplay(window) != DD_OK) {
        return STARTUP_FAILED;
    }
    g_currentTick = GetTickCount();
    g_lastFpsTick = g_currentTick;
    return RunMessageLoop(window);
}
