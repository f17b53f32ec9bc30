// Windows: creation with WM_NCCREATE and WM_CREATE, destruction with
// WM_DESTROY and WM_NCDESTROY, and the calls that only look a window up.
#include <map>
#include <memory>

#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

std::map<HWND, std::unique_ptr<Window>> g_windows;
uintptr_t g_nextHandle = 0x10010;

HWND NewHandle() {
    HWND handle = reinterpret_cast<HWND>(g_nextHandle);
    g_nextHandle += 4;  // handles are never reused within a run
    return handle;
}

std::string TextForJournal(const char* text) {
    if (text == nullptr) {
        return "NULL";
    }
    if (IS_INTRESOURCE(text)) {
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(text));
    }
    return std::string("\"") + text + "\"";
}

// Sends the creation messages; false when the procedure refused.
bool RunCreation(HWND handle, CREATESTRUCTA* create) {
    LPARAM lParam = reinterpret_cast<LPARAM>(create);
    if (internal::SendToWindow(handle, WM_NCCREATE, 0, lParam) == 0) {
        internal::SendToWindow(handle, WM_NCDESTROY, 0, 0);
        g_windows.erase(handle);
        return false;
    }
    if (internal::SendToWindow(handle, WM_CREATE, 0, lParam) == -1) {
        DestroyWindowNow(handle);
        return false;
    }
    return true;
}

}  // namespace

Window* FindWindowRecord(HWND window) {
    auto found = g_windows.find(window);
    return found == g_windows.end() ? nullptr : found->second.get();
}

bool DestroyWindowNow(HWND window) {
    Window* record = FindWindowRecord(window);
    if (record == nullptr || record->destroying) {
        return false;
    }
    record->destroying = true;
    record->visible = false;
    // The active window is deactivated first, as the real platform does.
    DeactivateWindow(window, /*minimized=*/false, /*toAnotherProgram=*/false);
    DropMessagesFor(window);
    internal::SendToWindow(window, WM_DESTROY, 0, 0);
    internal::SendToWindow(window, WM_NCDESTROY, 0, 0);
    g_windows.erase(window);
    return true;
}

void ResetWindows() {
    g_windows.clear();
}

}  // namespace vplat::user

namespace vplat::internal {

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    user::Window* record = user::FindWindowRecord(window);
    if (record == nullptr || record->procedure == nullptr) {
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

std::string WindowTitle(HWND window) {
    user::Window* record = user::FindWindowRecord(window);
    return record ? record->title : std::string();
}

}  // namespace vplat::internal

namespace entry = vplat::entry;
using vplat::internal::Format;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    auto args = [&] {
        return Format("exStyle=0x%x class=", exStyle) + vplat::user::TextForJournal(className) +
               " title=" + vplat::user::TextForJournal(windowName) +
               Format(" style=0x%x %d,%d %dx%d", style, x, y, width, height);
    };
    return entry::Run(entry::Name::CreateWindowExA, args, [&]() -> HWND {
        auto window = std::make_unique<vplat::user::Window>();
        if (!vplat::user::FindClass(className, &window->procedure, &window->className)) {
            return nullptr;
        }
        HWND handle = vplat::user::NewHandle();
        window->handle = handle;
        window->title = windowName && !IS_INTRESOURCE(windowName) ? windowName : "";
        window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
        vplat::user::g_windows[handle] = std::move(window);
        CREATESTRUCTA create{
            param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
            windowName, className, exStyle};
        if (!vplat::user::RunCreation(handle, &create)) {
            return nullptr;
        }
        if (style & WS_VISIBLE) {
            vplat::user::ShowWindowNow(handle, SW_SHOW);
        }
        return handle;
    });
}

BOOL WINAPI DestroyWindow(HWND window) {
    // Recorded before the messages it sends, so the journal reads in order.
    return entry::RunThen(
        entry::Name::DestroyWindow, [&] { return Format("hwnd=%p", static_cast<void*>(window)); },
        [&]() -> BOOL { return vplat::user::FindWindowRecord(window) ? TRUE : FALSE; },
        [&](BOOL) -> BOOL { return vplat::user::DestroyWindowNow(window) ? TRUE : FALSE; });
}

BOOL WINAPI IsWindow(HWND window) {
    auto args = [&] { return Format("hwnd=%p", static_cast<void*>(window)); };
    return entry::Run(entry::Name::IsWindow, args, [&]() -> BOOL {
        vplat::user::Window* record = vplat::user::FindWindowRecord(window);
        return record != nullptr && !record->destroying ? TRUE : FALSE;
    });
}

BOOL WINAPI UpdateWindow(HWND window) {
    auto args = [&] { return Format("hwnd=%p", static_cast<void*>(window)); };
    return entry::Run(entry::Name::UpdateWindow, args, [&]() -> BOOL {
        // Nothing is painted through GDI here: the display is DirectDraw's.
        return vplat::user::FindWindowRecord(window) ? TRUE : FALSE;
    });
}
