// SetRect.
#include "core/entry.h"
#include "internal.h"

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    auto args = [&] { return vplat::internal::Format("%d,%d,%d,%d", left, top, right, bottom); };
    return vplat::entry::Run(vplat::entry::Name::SetRect, args, [&]() -> BOOL {
        if (rect == nullptr) {
            return FALSE;
        }
        *rect = RECT{left, top, right, bottom};
        return TRUE;
    });
}
