// SetRect.
#include "kernel/call_record.h"

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    std::string args = vplat::internal::Format("%d,%d,%d,%d", left, top, right, bottom);
    BOOL result = FALSE;
    if (vplat::calls::Faulted("SetRect", args, &result)) {
        return result;
    }
    if (rect != nullptr) {
        *rect = RECT{left, top, right, bottom};
        result = TRUE;
    }
    return vplat::calls::Done("SetRect", args, result);
}
