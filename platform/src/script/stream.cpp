// Reading a script file a block at a time, by offset, so that two queues on
// one file (the events and the clock's readings) go at their own pace.
#include "script/stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "kernel/kernel.h"

namespace vplat::script {
namespace {

constexpr size_t kBlockBytes = size_t{64} << 10;

// The next block at `offset`: its size, 0 at the end, -1 with errno set.
int64_t ReadBlock(int fd, int64_t offset, char* block) {
    return kernel::ReadAt(fd, offset, block, kBlockBytes);
}

}  // namespace

bool CheckFile(const std::string& path, const char* what, FileCheck* check, std::string* error) {
    std::string why;
    int fd = kernel::OpenRegularFile(path.c_str(), O_RDONLY, &why);
    Parser parser(path);
    std::vector<Event> events;
    std::vector<char> block(fd >= 0 ? kBlockBytes : 0);
    bool parsed = fd >= 0;
    for (int64_t offset = 0; parsed;) {
        int64_t got = ReadBlock(fd, offset, block.data());
        if (got < 0) {
            why = strerror(errno);
        }
        if (got <= 0) {
            break;
        }
        offset += got;
        parsed = parser.Feed(std::string_view(block.data(), static_cast<size_t>(got)), &events);
        events.clear();
    }
    if (fd >= 0) {
        close(fd);
    }
    if (!why.empty()) {
        *error = path + ": cannot read the " + what + " (" + why + ")";
        return false;
    }
    if (!parsed || !parser.Finish(&events)) {
        *error = parser.Error();
        return false;
    }
    check->inFrameOrder = parser.InFrameOrder();
    check->warning = parser.Warning();
    return true;
}

EventQueue::EventQueue(const std::vector<Event>& events, Kind kind) : kind_(kind), held_(events) {
    Keep(&held_);
}

EventQueue::EventQueue(const std::string& path, Kind kind) : kind_(kind), parser_(path) {
    std::string why;
    fd_ = kernel::OpenRegularFile(path.c_str(), O_RDONLY, &why);
    if (fd_ < 0) {
        fault_ = path + ": cannot be read again (" + why + ")";
    }
}

EventQueue::EventQueue(EventQueue&& other) noexcept {
    *this = std::move(other);
}

EventQueue& EventQueue::operator=(EventQueue&& other) noexcept {
    std::swap(kind_, other.kind_);
    std::swap(held_, other.held_);
    std::swap(next_, other.next_);
    std::swap(fd_, other.fd_);
    std::swap(offset_, other.offset_);
    std::swap(parser_, other.parser_);
    std::swap(block_, other.block_);
    std::swap(fault_, other.fault_);
    return *this;
}

EventQueue::~EventQueue() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void EventQueue::Keep(std::vector<Event>* events) const {
    if (kind_ == Kind::Readings) {
        auto others = std::remove_if(events->begin(), events->end(), [](const Event& event) {
            return event.action != Action::Tick;
        });
        events->erase(others, events->end());
    }
}

// The next block's events, past blocks that hold none of this kind (the
// clock's readings are most of a recording). At the end, or at a fault, the
// file is closed and nothing more comes.
void EventQueue::Refill() {
    held_.clear();
    next_ = 0;
    block_.resize(fd_ >= 0 ? kBlockBytes : 0);
    while (held_.empty() && fd_ >= 0) {
        int64_t got = ReadBlock(fd_, offset_, block_.data());
        bool parsed =
            got > 0
                ? parser_.Feed(std::string_view(block_.data(), static_cast<size_t>(got)), &held_)
                : got == 0 && parser_.Finish(&held_);
        if (got < 0) {
            fault_ = parser_.FileName() + ": cannot be read on (" + strerror(errno) + ")";
        } else if (!parsed) {
            fault_ = parser_.Error() + " (the file changed while it played)";
        }
        Keep(&held_);
        offset_ += got > 0 ? got : 0;
        if (got <= 0 || !parsed) {
            close(fd_);
            fd_ = -1;
            block_ = {};
        }
    }
}

const Event* EventQueue::Next() {
    if (next_ >= held_.size()) {
        Refill();
    }
    return next_ < held_.size() ? &held_[next_] : nullptr;
}

}  // namespace vplat::script
