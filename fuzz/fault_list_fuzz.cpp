// Untrusted text as a fault list: it is refused naming the item, or every
// item it gives is one the platform can act on, and writing the items back
// out reads as the same list.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/fault_list.h"
#include "fuzz_check.h"

using vplat::faults::FaultItem;

namespace {

std::string Write(const std::vector<FaultItem>& items) {
    std::string text;
    for (const FaultItem& item : items) {
        text += text.empty() ? "" : ",";
        if (item.hide) {
            text += "hide:" + item.name;
            continue;
        }
        char value[32];
        snprintf(value, sizeof value, "=0x%x", static_cast<unsigned>(item.result));
        text += item.name + value;
        if (item.times > 0) {
            text += "*" + std::to_string(item.times);
        }
    }
    return text;
}

bool Same(const FaultItem& a, const FaultItem& b) {
    return a.hide == b.hide && a.name == b.name &&
           (a.hide || (a.result == b.result && a.times == b.times));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<FaultItem> items;
    std::string error;
    if (!vplat::faults::ParseFaultList(text, &items, &error)) {
        // The item is named in quotes, and it is a piece of the list.
        FUZZ_CHECK(!error.empty() && error[0] == '"');
        size_t close = error.find("\": ", 1);
        FUZZ_CHECK(close != std::string::npos);
        FUZZ_CHECK(text.find(error.substr(1, close - 1)) != std::string::npos);
        return 0;
    }
    for (const FaultItem& item : items) {
        FUZZ_CHECK(!item.name.empty());
        FUZZ_CHECK(item.times == -1 || item.times > 0);
    }
    std::vector<FaultItem> again;
    FUZZ_CHECK(vplat::faults::ParseFaultList(Write(items), &again, &error));
    FUZZ_CHECK(again.size() == items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(Same(items[i], again[i]));
    }
    return 0;
}
