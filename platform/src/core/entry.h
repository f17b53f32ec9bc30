// How every Win32 and DirectDraw call of the platform is entered: a fault
// injected for the call answers it instead of its body, and the journal, when
// it is on, gets one line for it. The arguments are put into words only for
// the journal: with it off a call costs a look at the (empty) fault rules and
// one flag, nothing is formatted and nothing allocated.
//
//   DWORD WINAPI GetTickCount(void) {
//       return entry::Run(entry::Name::GetTickCount, entry::NoArgs, [] { return Now(); });
//   }
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace vplat::entry {

// The names a call can be journaled and faulted under; no other can be given.
enum class Name : uint8_t {
#define VELMORA_CALL(name) name,
#include "core/calls.def"
#undef VELMORA_CALL
};

// The call's Win32 name, as the journal and VELMORA_FAULTS spell it.
const char* NameText(Name name);

// ---- core/journal.cpp ----
// Read by every call, so flags read in place: with the journal off and no
// fault set, a call looks at two bytes and calls nothing.
extern bool g_journalOn;
extern bool g_faultsSet;
inline bool JournalOn() {
    return g_journalOn;
}
void Record(Name name, const void* object, const std::string& args, int64_t result);
bool FaultedByRule(Name name, const void* object, int64_t* result);
// True when an injected fault answers this call; *result then holds the answer.
inline bool Faulted(Name name, const void* object, int64_t* result) {
    return g_faultsSet && FaultedByRule(name, object, result);
}

// Every answer, faulted or not, goes to whoever listens for answers (the
// back end in force, which may find a run that keeps getting the same answer
// and can never go on); null while nobody does. Core does not know the back
// end in force: until it is known (from the start, and again after each
// change of back end) the hook is LookUpAnswer, defined beside the back ends,
// which at the next answer puts the back end's own listener in its place, or
// null where it has none.
extern void (*g_answer)(Name name, int64_t result);
void LookUpAnswer(Name name, int64_t result);
inline void Answered(Name name, int64_t result) {
    if (g_answer != nullptr) {
        g_answer(name, result);
    }
}

// For calls whose arguments the journal does not show.
inline std::string NoArgs() {
    return std::string();
}

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
    if constexpr (std::is_void_v<T>) {
        static_cast<void>(value);
    } else if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<T>(static_cast<intptr_t>(value));
    } else {
        return static_cast<T>(value);
    }
}

// One journal line (`args` is called only while the journal is on), and the
// answer told to the back end.
template <typename Args>
void Note(Name name, const void* object, const Args& args, int64_t result) {
    if (JournalOn()) {
        Record(name, object, args(), result);
    }
    Answered(name, result);
}

// A method of `object` (an interface), or a free function when it is null:
// the fault's answer, or else what `body` returns. Either way the journal
// gets the call and its answer after the body has run.
template <typename Args, typename Body>
std::invoke_result_t<Body&> RunOn(Name name, const void* object, const Args& args, Body&& body) {
    using Result = std::invoke_result_t<Body&>;
    int64_t number = 0;
    if (Faulted(name, object, &number)) {
        Note(name, object, args, number);
        return FromNumber<Result>(number);
    }
    if constexpr (std::is_void_v<Result>) {
        body();
        Note(name, object, args, 0);
    } else {
        Result result = body();
        Note(name, object, args, ToNumber(result));
        return result;
    }
}

// A free function (Win32, and DirectDrawCreateEx).
template <typename Args, typename Body>
std::invoke_result_t<Body&> Run(Name name, const Args& args, Body&& body) {
    return RunOn(name, nullptr, args, body);
}

// A free function whose journal line has to come before what it sets off
// (messages sent to the game's window, the end of a frame), so that the
// journal reads in order: `body` gives the answer the journal shows, then
// `then` runs (only when no fault answered) and gives the answer returned;
// it is handed the body's answer, if the body has one.
template <typename Args, typename Body, typename Then>
auto RunThen(Name name, const Args& args, Body&& body, Then&& then) {
    using Shown = std::invoke_result_t<Body&>;
    if constexpr (std::is_void_v<Shown>) {
        using Result = std::invoke_result_t<Then&>;
        int64_t number = 0;
        if (Faulted(name, nullptr, &number)) {
            Note(name, nullptr, args, number);
            return FromNumber<Result>(number);
        }
        body();
        Note(name, nullptr, args, 0);
        return then();
    } else {
        using Result = std::invoke_result_t<Then&, Shown>;
        int64_t number = 0;
        if (Faulted(name, nullptr, &number)) {
            Note(name, nullptr, args, number);
            return FromNumber<Result>(number);
        }
        Shown shown = body();
        Note(name, nullptr, args, ToNumber(shown));
        return then(shown);
    }
}

}  // namespace vplat::entry
