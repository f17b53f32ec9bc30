// RegisterClassA: class names are compared without regard to case, and a
// name can be registered only once.
#include <strings.h>

#include <vector>

#include "core/entry.h"
#include "internal.h"
#include "user/user.h"

namespace vplat::user {
namespace {

struct WindowClass {
    std::string name;
    WNDPROC procedure;
    ATOM atom;
};

// Class atoms come from the same range the real platform uses.
constexpr ATOM kFirstAtom = 0xC000;
std::vector<WindowClass> g_classes;

const WindowClass* Find(const char* name) {
    for (const WindowClass& entry : g_classes) {
        bool matches = IS_INTRESOURCE(name)
                           ? entry.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                           : strcasecmp(entry.name.c_str(), name) == 0;
        if (matches) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

bool FindClass(const char* name, WNDPROC* procedure, std::string* className) {
    const WindowClass* entry = name ? Find(name) : nullptr;
    if (entry == nullptr) {
        return false;
    }
    *procedure = entry->procedure;
    *className = entry->name;
    return true;
}

void ResetClasses() {
    g_classes.clear();
}

}  // namespace vplat::user

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    const char* name = windowClass ? windowClass->lpszClassName : nullptr;
    auto args = [&] {
        return vplat::internal::Format("class=\"%.100s\"",
                                       name && !IS_INTRESOURCE(name) ? name : "(none)");
    };
    return vplat::entry::Run(vplat::entry::Name::RegisterClassA, args, [&]() -> ATOM {
        bool valid = name != nullptr && !IS_INTRESOURCE(name) && name[0] != '\0';
        if (!valid || vplat::user::Find(name) != nullptr) {
            return 0;
        }
        auto atom = static_cast<ATOM>(vplat::user::kFirstAtom + vplat::user::g_classes.size());
        vplat::user::g_classes.push_back({name, windowClass->lpfnWndProc, atom});
        return atom;
    });
}
