// The Win32 names of the calls that enter through core/entry.h.
#include "core/entry.h"

namespace vplat::entry {

// A constant: in place before any code runs, with no initialiser to order.
void (*g_answer)(Name name, int64_t result) = LookUpAnswer;

const char* NameText(Name name) {
    static const char* const kNames[] = {
#define VELMORA_CALL(name) #name,
#include "core/calls.def"
#undef VELMORA_CALL
    };
    return kNames[static_cast<size_t>(name)];
}

}  // namespace vplat::entry
