// What the user services share: windows, focus and activation, the queue.
#pragma once

#include <windows.h>

#include <string>

namespace vplat::user {

struct Window {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    std::string className;
    std::string title;
    DWORD style = 0;
    bool visible = false;
    bool minimized = false;
    bool destroying = false;
};

// ---- windows.cpp
Window* FindWindowRecord(HWND window);
// Destroys a window as DestroyWindow does, without a journal record.
bool DestroyWindowNow(HWND window);
void ResetWindows();

// ---- activation.cpp
// Makes the window active (and, unless minimised, gives it the focus),
// sending what the real platform sends; null makes no window active.
void ActivateWindow(HWND window);
// Takes the activation and the focus from a window, sending what the real
// platform sends: WM_NCACTIVATE, WM_ACTIVATE (with the minimised flag given)
// and WM_ACTIVATEAPP where it was active, then WM_KILLFOCUS where it had the
// focus. When another program takes the front, an exclusive display goes
// back to the desktop's mode between the two, with WM_DISPLAYCHANGE.
void DeactivateWindow(HWND window, bool minimized, bool toAnotherProgram);
HWND ActiveWindow();
void ResetActivation();

// ---- show_window.cpp
bool ShowWindowNow(HWND window, int showCommand);

// ---- window_class.cpp
// The procedure of a registered class (name or atom), or null when no
// such class exists.
bool FindClass(const char* name, WNDPROC* procedure, std::string* className);
void ResetClasses();

// ---- message_queue.cpp
bool PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool atFront);
// A window message's four values as the journal shows them.
std::string MessageArgs(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the posted messages of a window that is being destroyed.
void DropMessagesFor(HWND window);
void ResetQueue();

// ---- keyboard.cpp, cursor_icon.cpp, message_box.cpp
bool KeyDown(int virtualKey);
void ResetKeyboard();
void ResetCursor();
void ResetMessageBoxes();

}  // namespace vplat::user
