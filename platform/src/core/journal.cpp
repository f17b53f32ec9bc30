// The call journal and fault injection that the platform's tests rely on.
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/entry.h"
#include "internal.h"

namespace vplat {
namespace {

struct FaultRule {
    std::string name;
    int64_t result;
    int times;  // < 0: always
    const void* object;
    int skip;
};

std::vector<CallRecord>& Calls() {
    static std::vector<CallRecord> calls;
    return calls;
}

std::vector<FaultRule>& Rules() {
    static std::vector<FaultRule> rules;
    return rules;
}

}  // namespace

std::vector<CallRecord> Journal() {
    return Calls();
}

void ClearJournal() {
    Calls().clear();
}

void EnableJournal(bool enabled) {
    entry::g_journalOn = enabled;
}

std::vector<std::string> JournalNames(const std::vector<std::string>& filter) {
    std::vector<std::string> names;
    for (const CallRecord& call : Calls()) {
        bool wanted = filter.empty();
        for (const std::string& name : filter) {
            wanted = wanted || name == call.name;
        }
        if (wanted) {
            names.push_back(call.name);
        }
    }
    return names;
}

void InjectFault(const std::string& name, int64_t result, int times, const void* object, int skip) {
    Rules().push_back(FaultRule{name, result, times, object, skip});
    entry::g_faultsSet = true;
}

void ClearFaults() {
    Rules().clear();
    entry::g_faultsSet = false;
}

namespace entry {

// Off unless a test turns it on: a run of the game would grow it without end.
bool g_journalOn = false;
bool g_faultsSet = false;

void Record(Name name, const void* object, const std::string& args, int64_t result) {
    if (!g_journalOn) {
        return;
    }
    Calls().push_back(CallRecord{NameText(name), object, args, result});
}

bool FaultedByRule(Name name, const void* object, int64_t* result) {
    const char* text = NameText(name);
    for (FaultRule& rule : Rules()) {
        if (rule.name != text || (rule.object != nullptr && rule.object != object)) {
            continue;
        }
        if (rule.skip > 0) {
            --rule.skip;
            continue;
        }
        if (rule.times == 0) {
            continue;
        }
        if (rule.times > 0) {
            --rule.times;
        }
        *result = rule.result;
        return true;
    }
    return false;
}

}  // namespace entry

namespace internal {

// Only the journal reads arguments, and core/entry.h asks for them only
// while it is on.
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

}  // namespace internal
}  // namespace vplat
