// The two steps every Win32 call of the platform takes: ask whether an
// injected fault answers it, and write it to the journal.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "internal.h"

namespace vplat::calls {

template <typename T>
int64_t ToNumber(T value) {
    if constexpr (std::is_pointer_v<T>) {
        return static_cast<int64_t>(reinterpret_cast<intptr_t>(value));
    } else {
        return static_cast<int64_t>(value);
    }
}

template <typename T>
T FromNumber(int64_t value) {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(static_cast<intptr_t>(value));
    } else {
        return static_cast<T>(value);
    }
}

// Records the call and hands its result back, so that a function can end
// with `return Done("Name", args, result);`.
template <typename T>
T Done(const char* name, const std::string& args, T result) {
    internal::Record(name, nullptr, args, ToNumber(result));
    return result;
}

// True when a fault answers the call: *result then holds the answer, and the
// call has been recorded with it.
template <typename T>
bool Faulted(const char* name, const std::string& args, T* result) {
    int64_t value = 0;
    if (!internal::Fault(name, nullptr, &value)) {
        return false;
    }
    *result = FromNumber<T>(value);
    internal::Record(name, nullptr, args, value);
    return true;
}

// For calls without a result.
inline bool Faulted(const char* name, const std::string& args) {
    int64_t value = 0;
    if (!internal::Fault(name, nullptr, &value)) {
        return false;
    }
    internal::Record(name, nullptr, args, value);
    return true;
}

}  // namespace vplat::calls
