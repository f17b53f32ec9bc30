// A script file played as it is read: a block at a time through the one
// parser, so that a recording of any length takes the same memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"

namespace vplat::script {

// What reading a whole file through the parser found, its events not kept.
struct FileCheck {
    bool inFrameOrder = true;
    std::string warning;  // a last line cut short
};
// False with *error: the parser's line, or "PATH: cannot read the WHAT (REASON)".
bool CheckFile(const std::string& path, const char* what, FileCheck* check, std::string* error);

// The events of one kind, in the order they fire: from a list given whole,
// or from a file checked whole beforehand and read again as they are taken.
class EventQueue {
public:
    enum class Kind { All, Readings };  // every event, or the clock's readings only

    EventQueue() = default;
    EventQueue(const std::vector<Event>& events, Kind kind);
    EventQueue(const std::string& path, Kind kind);
    EventQueue(EventQueue&& other) noexcept;
    EventQueue& operator=(EventQueue&& other) noexcept;
    ~EventQueue();

    // The next event, or null at the end. A file that cannot be read on, or
    // no longer parses (changed since it was checked), ends there, with
    // Fault() saying why.
    const Event* Next();
    void Pop() { ++next_; }
    const std::string& Fault() const { return fault_; }

private:
    void Refill();
    void Keep(std::vector<Event>* events) const;

    Kind kind_ = Kind::All;
    std::vector<Event> held_;
    size_t next_ = 0;
    int fd_ = -1;
    int64_t offset_ = 0;
    std::vector<char> block_;  // the part of the file being read, while it is open
    Parser parser_{""};
    std::string fault_;
};

}  // namespace vplat::script
