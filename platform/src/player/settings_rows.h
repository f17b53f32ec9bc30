// Every setting velmora.ini holds, one row each. Reading and writing both
// walk the same rows, so a new setting is one more row and the two can never
// disagree about a key, its section or its range.
#pragma once

#include <cstddef>
#include <string>

#include "player/settings.h"

namespace vplat::player {

struct SettingRow {
    const char* section;
    const char* key;
    // Exactly one of the two: a yes/no setting, or a number from low to high.
    bool Settings::*flag;
    int Settings::*number;
    long low;
    long high;
    // Set on rows whose value means something only while this flag holds
    // (x and y, while the window is placed): such a row is written only then,
    // and reading sets the flag only when every row naming it was there.
    bool Settings::*onlyWhile;
};

// The rows, in the order they are written.
const SettingRow* SettingRows(size_t* count);

// The row for key in section, or nullptr: a key counts only in its own
// section.
const SettingRow* FindSettingRow(const std::string& section, const std::string& key);

// False when the text is no value of the row's kind or is out of its range;
// *settings is then untouched.
bool SetSettingValue(const SettingRow& row, const std::string& text, Settings* settings);
// The value as the file holds it; empty when a number is outside its range,
// which for these rows means "not set" (a size of 0) and is not written.
std::string SettingValueText(const SettingRow& row, const Settings& settings);

// The text without the blanks around it (spaces, tabs, a carriage return).
std::string TrimSpace(const std::string& text);

}  // namespace vplat::player
