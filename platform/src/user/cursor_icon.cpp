// Stock icons and cursors, and SetCursor. No images are drawn for them;
// the handles only have to be distinct and stable.
#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

HCURSOR g_cursor = nullptr;

std::string NameForJournal(const char* name) {
    if (IS_INTRESOURCE(name)) {
        return std::to_string(reinterpret_cast<uintptr_t>(name));
    }
    return std::string("\"") + name + "\"";
}

// The system's own images (null instance) are numbered; an image of the
// program's module would be a resource, and the program carries none.
HICON SystemImage(HINSTANCE instance, const char* name, uintptr_t first, uintptr_t last,
                  uintptr_t handleBase) {
    if (instance != nullptr || name == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (id < first || id > last) {
        return nullptr;
    }
    return reinterpret_cast<HICON>(handleBase + id * 4);
}

}  // namespace

void ResetCursor() {
    g_cursor = nullptr;
}

}  // namespace vplat::user

namespace entry = vplat::entry;
using vplat::internal::Format;

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    auto args = [&] {
        return Format("instance=%p name=", static_cast<void*>(instance)) +
               (name ? vplat::user::NameForJournal(name) : "NULL");
    };
    return entry::Run(entry::Name::LoadIconA, args, [&]() -> HICON {
        // IDI_APPLICATION (32512) to IDI_WINLOGO (32517).
        return vplat::user::SystemImage(instance, name, 32512, 32517, 0x100000);
    });
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    auto args = [&] {
        return Format("instance=%p name=", static_cast<void*>(instance)) +
               (name ? vplat::user::NameForJournal(name) : "NULL");
    };
    return entry::Run(entry::Name::LoadCursorA, args, [&]() -> HCURSOR {
        // IDC_ARROW (32512) to IDC_HELP (32651).
        return vplat::user::SystemImage(instance, name, 32512, 32651, 0x200000);
    });
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    auto args = [&] { return Format("cursor=%p", static_cast<void*>(cursor)); };
    return entry::Run(entry::Name::SetCursor, args, [&]() -> HCURSOR {
        HCURSOR previous = vplat::user::g_cursor;
        vplat::user::g_cursor = cursor;
        vplat::internal::ShowCursorImage(cursor != nullptr);
        return previous;
    });
}
