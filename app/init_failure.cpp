// Telling the user that the game cannot start.
#include <cstdio>

#include "app.h"
#include "display.h"

HRESULT ReportInitFailure(HWND window, HRESULT code, LPCSTR format, ...) {
    // Bounded, so that a long text is cut rather than written past the buffer.
    char text[128];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);

    ReleaseDisplayObjects();
    MessageBoxA(window, text, WINDOW_TITLE, MB_OK);
    DestroyWindow(window);
    return code;
}
