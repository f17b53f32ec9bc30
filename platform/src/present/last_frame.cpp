// The last presented frame, kept for tests and for the headless capture, and
// the count of frames presented, kept always.
#include <algorithm>

#include "present/changes.h"
#include "present/last_frame.h"

namespace vplat {
namespace {

Frame& Last() {
    static Frame frame;
    return frame;
}

// Brought up to date as an output brings its screen up to date, only where
// the presenter finds a change, so that what tests read back is what a
// screen would show.
present::ShownFrame& Screen() {
    static present::ShownFrame screen;
    return screen;
}

struct Counting {
    uint64_t presented = 0;
    bool keepAll = false;
};

Counting& Count() {
    static Counting counting;
    return counting;
}

}  // namespace

Frame PresentedFrame() {
    return Last();
}

void KeepPresentedFrames(bool keep) {
    Count().keepAll = keep;
}

namespace present {

const Frame& LastFrame() {
    return Last();
}

void KeepLastFrame(const internal::IndexedFrame& shown) {
    Frame& frame = Last();
    frame.width = shown.width;
    frame.height = shown.height;
    static std::vector<ChangedRect> changed;
    TakeChanges(Screen(), shown, &changed);
    frame.indices = Screen().indices;
    std::copy(shown.palette, shown.palette + 256, frame.palette);
    frame.number = Count().presented;
}

void CountPresent() {
    ++Count().presented;
}

uint64_t FramesPresented() {
    return Count().presented;
}

bool KeepingAllFrames() {
    return Count().keepAll;
}

void ForgetFrames() {
    Last() = Frame();
    ForgetShownFrame(Screen());
    Count() = Counting();
}

}  // namespace present
}  // namespace vplat
