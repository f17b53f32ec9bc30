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
// Makes the window active (and, unless minimised, gives it the focus),
// sending what the real platform sends.
void ActivateWindow(HWND window);
// Moves the focus, sending WM_KILLFOCUS and WM_SETFOCUS.
void MoveFocus(HWND window);
HWND ActiveWindow();
void ResetWindows();
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

// ---- keyboard.cpp, cursor.cpp, message_box.cpp
bool KeyDown(int virtualKey);
void ResetKeyboard();
void ResetCursor();
void ResetMessageBoxes();

}  // namespace vplat::user
