// The fault list of a headless run (`VELMORA_FAULTS`), read strictly: an item
// that would silently do nothing (a misspelt call, a resource the program does
// not have, a result that is not plain hex) is refused, naming the item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vplat::faults {

struct FaultItem {
    bool hide = false;   // `hide:NAME`: the resource NAME is not found
    std::string name;    // the call's name, or the resource's
    int32_t result = 0;  // what the call answers
    int times = -1;      // the first `times` calls only; < 0: every call
};

// Items in the order they stand. On a fault returns false and sets *error to
// one line naming the item and what is wrong.
bool ParseFaultList(const std::string& text, std::vector<FaultItem>* items, std::string* error);
// Parses the list and, only when all of it is sound, puts every item in force.
bool ApplyFaultList(const std::string& text, std::string* error);
// The names of every call the platform can answer with a fault, sorted.
const std::vector<std::string>& FaultableCalls();

}  // namespace vplat::faults
