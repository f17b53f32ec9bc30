// The game's one window and its procedure.
#include "app.h"
#include "display.h"

static const char CLASS_NAME[] = "Velmora";

int g_appActive = 0;

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszMenuName = CLASS_NAME;
    windowClass.lpszClassName = CLASS_NAME;
    if (RegisterClassA(&windowClass) == 0) {
        return NULL;
    }

    HWND window = CreateWindowExA(WS_EX_TOPMOST, CLASS_NAME, WINDOW_TITLE, WS_OVERLAPPEDWINDOW, 0,
                                  0, 640, 480, NULL, NULL, instance, NULL);
    if (window == NULL) {
        return NULL;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetFocus(window);
    return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            ReleaseDisplayObjects();
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            // Active means not minimised: a window that merely lost the focus
            // keeps running frames.
            g_appActive = HIWORD(wParam) == 0 ? 1 : 0;
            return 0;
        case WM_SETCURSOR:
            SetCursor(NULL);
            return TRUE;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_F12) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
