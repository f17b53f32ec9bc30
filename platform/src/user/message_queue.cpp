// The thread's one message queue. Posted messages come out in order; a
// posted quit comes after all of them, and PM_NOREMOVE sees it waiting too.
#include <time.h>

#include <deque>

#include "core/entry.h"
#include "internal.h"
#include "kernel/kernel.h"
#include "user/user.h"

namespace vplat::user {

std::string MessageArgs(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return internal::Format(
        "hwnd=%p msg=0x%04x wParam=0x%llx lParam=0x%llx", static_cast<void*>(window), message,
        static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
}
namespace {

// The real platform refuses posts past this many waiting messages.
constexpr size_t kQueueLimit = 10000;
// With the virtual clock nothing else can ever post, so a wait that finds
// nothing after this many polls gives up instead of hanging.
constexpr int kVirtualWaitPolls = 10000;

std::deque<MSG> g_queue;
bool g_quitPosted = false;
int g_quitCode = 0;

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return message >= filterMin && message <= filterMax;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    return (window == nullptr || msg.hwnd == window) && InRange(msg.message, filterMin, filterMax);
}

// Looks for the next message; takes it out when `remove` is set.
bool Take(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (Matches(*it, window, filterMin, filterMax)) {
            *out = *it;
            if (remove) {
                g_queue.erase(it);
            }
            return true;
        }
    }
    if (g_quitPosted && InRange(WM_QUIT, filterMin, filterMax)) {
        *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quitCode), 0, kernel::Now(), {0, 0}};
        if (remove) {
            g_quitPosted = false;
        }
        return true;
    }
    return false;
}

std::string FilterArgs(HWND window, UINT filterMin, UINT filterMax) {
    return internal::Format("hwnd=%p min=0x%x max=0x%x", static_cast<void*>(window), filterMin,
                            filterMax);
}

void WaitBriefly() {
    timespec wait{0, 1000000L};
    nanosleep(&wait, nullptr);
}

bool WaitForMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    for (int polls = 0;; ++polls) {
        internal::PumpEvents();
        if (Take(msg, window, filterMin, filterMax, true)) {
            return true;
        }
        if (kernel::VirtualClockInUse() && polls >= kVirtualWaitPolls) {
            return false;
        }
        internal::OnMessagePoll(true);
        if (!kernel::VirtualClockInUse()) {
            WaitBriefly();
        }
    }
}

}  // namespace

bool PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool atFront) {
    if (g_queue.size() >= kQueueLimit) {
        return false;
    }
    MSG msg{window, message, wParam, lParam, kernel::Now(), {0, 0}};
    if (atFront) {
        g_queue.push_front(msg);
    } else {
        g_queue.push_back(msg);
    }
    return true;
}

void DropMessagesFor(HWND window) {
    for (auto it = g_queue.begin(); it != g_queue.end();) {
        it = it->hwnd == window ? g_queue.erase(it) : it + 1;
    }
}

void ResetQueue() {
    g_queue.clear();
    g_quitPosted = false;
    g_quitCode = 0;
}

}  // namespace vplat::user

namespace entry = vplat::entry;
using vplat::internal::Format;

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    MSG found{};
    bool given = false;  // a message was handed back: the journal names it
    auto args = [&] {
        std::string text =
            vplat::user::FilterArgs(window, filterMin, filterMax) + Format(" remove=%u", removeMsg);
        return given ? text + Format(" -> msg=0x%04x", found.message) : text;
    };
    // Recorded before the poll's hook, which may run the headless script.
    return entry::RunThen(
        entry::Name::PeekMessageA, args,
        [&]() -> BOOL {
            vplat::internal::PumpEvents();
            bool waiting = vplat::user::Take(&found, window, filterMin, filterMax,
                                             (removeMsg & PM_REMOVE) != 0);
            if (waiting && msg != nullptr) {
                *msg = found;
                given = true;
            }
            return waiting ? TRUE : FALSE;
        },
        [&](BOOL waiting) -> BOOL {
            vplat::internal::OnMessagePoll(!waiting);
            return waiting;
        });
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    MSG found{};
    bool given = false;  // a message was handed back: the journal names it
    auto args = [&] {
        std::string text = vplat::user::FilterArgs(window, filterMin, filterMax);
        return given ? text + Format(" -> msg=0x%04x", found.message) : text;
    };
    return entry::Run(entry::Name::GetMessageA, args, [&]() -> BOOL {
        if (msg == nullptr) {
            return -1;
        }
        if (!vplat::user::WaitForMessage(&found, window, filterMin, filterMax)) {
            // Nothing can arrive: an error answer with an empty message, which
            // dispatching ignores, rather than a wait without end.
            *msg = MSG{};
            return -1;
        }
        *msg = found;
        given = true;
        return found.message == WM_QUIT ? 0 : 1;
    });
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    auto args = [&] { return msg ? Format("msg=0x%04x", msg->message) : "msg=NULL"; };
    return entry::Run(entry::Name::TranslateMessage, args, [&]() -> BOOL {
        if (msg == nullptr) {
            return FALSE;
        }
        bool keyMessage =
            msg->message >= WM_KEYDOWN && msg->message <= WM_SYSKEYUP && msg->message != WM_CHAR;
        // Keys that type a character also give WM_CHAR, next in the queue.
        int key = static_cast<int>(msg->wParam);
        bool letter = key >= 'A' && key <= 'Z';
        bool typed = letter || (key >= '0' && key <= '9') || key == VK_SPACE || key == VK_RETURN ||
                     key == VK_ESCAPE || key == VK_BACK || key == VK_TAB;
        if (msg->message == WM_KEYDOWN && typed) {
            bool shift = vplat::user::KeyDown(VK_SHIFT);
            WPARAM character = letter && !shift ? static_cast<WPARAM>(key + ('a' - 'A')) : key;
            vplat::user::PostToQueue(msg->hwnd, WM_CHAR, character, msg->lParam, true);
        }
        return keyMessage ? TRUE : FALSE;
    });
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    auto args = [&] {
        return msg ? Format("hwnd=%p msg=0x%04x", static_cast<void*>(msg->hwnd), msg->message)
                   : "msg=NULL";
    };
    return entry::Run(entry::Name::DispatchMessageA, args, [&]() -> LRESULT {
        if (msg == nullptr || msg->hwnd == nullptr) {
            return 0;
        }
        return vplat::internal::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    });
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto args = [&] { return vplat::user::MessageArgs(window, message, wParam, lParam); };
    return entry::Run(entry::Name::PostMessageA, args, [&]() -> BOOL {
        // A null window posts to the thread itself.
        vplat::user::Window* record = vplat::user::FindWindowRecord(window);
        if (window != nullptr && (record == nullptr || record->destroying)) {
            return FALSE;
        }
        return vplat::user::PostToQueue(window, message, wParam, lParam, false) ? TRUE : FALSE;
    });
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto args = [&] { return vplat::user::MessageArgs(window, message, wParam, lParam); };
    return entry::Run(entry::Name::SendMessageA, args, [&]() -> LRESULT {
        return vplat::internal::SendToWindow(window, message, wParam, lParam);
    });
}

void WINAPI PostQuitMessage(int exitCode) {
    entry::Run(
        entry::Name::PostQuitMessage, [&] { return Format("code=%d", exitCode); },
        [&] {
            vplat::user::g_quitPosted = true;
            vplat::user::g_quitCode = exitCode;
        });
}
