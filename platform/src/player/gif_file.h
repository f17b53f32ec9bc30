// The GIF's file: written under a name of its own beside the one asked for,
// and renamed over it only when whole, so that a failed or interrupted run
// (a full disk, a signal, a stalled game) leaves no half picture behind.
#pragma once

#include <cstdio>
#include <string>

namespace vplat::player {

struct OutputFile {
    std::string path;       // the name asked for, through any link at it
    std::string temporary;  // where it is written meanwhile
    FILE* file = nullptr;
};

// Makes the temporary file; false, with the reason in *error, when the GIF
// could not be written there (a missing or read-only folder, a folder or a
// device at the name).
bool OpenOutput(const std::string& path, OutputFile* output, std::string* error);
// Writes it out and renames it over the name; false with the reason, and
// nothing left, when it cannot.
bool CommitOutput(OutputFile* output, std::string* error);
// Removes the temporary file.
void DiscardOutput(OutputFile* output);

}  // namespace vplat::player
