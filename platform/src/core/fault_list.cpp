// Reading `VELMORA_FAULTS`: `Call=0xHRESULT`, `Call=0xHRESULT*N`, `hide:NAME`,
// comma-separated.
#include "core/fault_list.h"

#include <strings.h>

#include <algorithm>

#include "embedded_resources.h"
#include "internal.h"

namespace vplat::faults {
namespace {

// A count this large is as good as "always" and keeps the arithmetic in int.
constexpr long long kMaxTimes = 1000000000;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// `0x` and one to eight hex digits, nothing else: no sign, no spaces, no
// decimal, so that what is written is exactly the 32-bit result meant.
bool ParseResult(const std::string& text, int32_t* result) {
    if (text.size() < 3 || text.size() > 10 || text.compare(0, 2, "0x") != 0) {
        return false;
    }
    uint32_t value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        char c = text[i];
        if (!IsHexDigit(c)) {
            return false;
        }
        uint32_t digit = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value << 4 | digit;
    }
    *result = static_cast<int32_t>(value);
    return true;
}

// A positive decimal, digits only.
bool ParseTimes(const std::string& text, int* times) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMaxTimes) {
        return false;
    }
    *times = static_cast<int>(value);
    return true;
}

// Resource names are matched without regard to case, as the look-up does.
bool ProgramHasResource(const std::string& name) {
    size_t count = 0;
    const EmbeddedResource* table = EmbeddedResources(&count);
    for (size_t i = 0; table != nullptr && i < count; ++i) {
        if (strcasecmp(table[i].name, name.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool IsFaultable(const std::string& name) {
    const std::vector<std::string>& calls = FaultableCalls();
    return std::binary_search(calls.begin(), calls.end(), name);
}

// One item; on a fault, what is wrong with it.
std::string ParseItem(const std::string& item, FaultItem* fault) {
    if (item.compare(0, 5, "hide:") == 0) {
        fault->hide = true;
        fault->name = item.substr(5);
        return ProgramHasResource(fault->name) ? "" : "the program has no resource of that name";
    }
    size_t equals = item.find('=');
    if (equals == std::string::npos) {
        return "expected Call=0xHRESULT, Call=0xHRESULT*N or hide:NAME";
    }
    fault->name = item.substr(0, equals);
    if (!IsFaultable(fault->name)) {
        return "no call of that name can be faulted";
    }
    std::string value = item.substr(equals + 1);
    size_t star = value.find('*');
    if (!ParseResult(value.substr(0, star), &fault->result)) {
        return "the result must be 0x and one to eight hex digits";
    }
    if (star != std::string::npos && !ParseTimes(value.substr(star + 1), &fault->times)) {
        return "the count after * must be a positive decimal number";
    }
    return "";
}

}  // namespace

const std::vector<std::string>& FaultableCalls() {
    // Exactly the names the calls enter under (core/entry.h).
    static const std::vector<std::string> calls = [] {
        std::vector<std::string> names = {
#define VELMORA_CALL(name) #name,
#include "core/calls.def"
#undef VELMORA_CALL
        };
        std::sort(names.begin(), names.end());
        return names;
    }();
    return calls;
}

bool ParseFaultList(const std::string& text, std::vector<FaultItem>* items, std::string* error) {
    items->clear();
    if (text.empty()) {
        return true;
    }
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start);
        FaultItem fault;
        std::string wrong = item.empty()
                                ? "an empty item (two commas together, or one at either end)"
                                : ParseItem(item, &fault);
        if (!wrong.empty()) {
            *error = "\"" + item + "\": " + wrong;
            return false;
        }
        items->push_back(fault);
        if (comma == std::string::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool ApplyFaultList(const std::string& text, std::string* error) {
    std::vector<FaultItem> items;
    if (!ParseFaultList(text, &items, error)) {
        return false;
    }
    for (const FaultItem& item : items) {
        if (item.hide) {
            HideResource(item.name);
        } else {
            InjectFault(item.name, item.result, item.times);
        }
    }
    return true;
}

}  // namespace vplat::faults
