// Brings the game's window back to the front after another program had it,
// as a click on its taskbar button would: the suite's X server has no window
// manager and Wine's virtual desktop no taskbar, so a test does it this way.
// Exit status: 0 when done, 1 when no window of the game's class exists,
// 2 when the window did not become the foreground window.
#include <windows.h>

int main() {
    HWND window = FindWindowA("Velmora", NULL);
    if (window == NULL) {
        return 1;
    }
    ShowWindow(window, SW_RESTORE);
    if (!SetForegroundWindow(window)) {
        return 2;
    }
    return 0;
}
