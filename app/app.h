// The application shell: entry, main window, start-up failure report.
#pragma once

#include <windows.h>

// The window's title, and the caption of the start-up failure message.
const char WINDOW_TITLE[] = "2D Game Velmora";

// 1 while frames may run (the window is not minimised).
extern int g_appActive;

HWND CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HRESULT ReportInitFailure(HWND window, HRESULT code, LPCSTR format, ...);
