// The last presented frame, kept for tests and for the headless capture, and
// the count of frames presented, kept always.
#include <algorithm>

#include "present/kept_frame.h"
#include "present/changes.h"

namespace vplat {
namespace {

Frame& Last() {
    static Frame frame;
    return frame;
}

// The kept frame is brought up to date as a back end brings its screen up to
// date, rows whose tags say they hold the same copy as before left unread,
// so that what tests read back is what a screen would show.
present::KeptFrame& Screen() {
    static present::KeptFrame screen;
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

const Frame& KeptFrameView() {
    return Last();
}

void KeepFrame(const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette) {
    Frame& frame = Last();
    frame.width = width;
    frame.height = height;
    static std::vector<ChangedRect> changed;
    TakeChanges(Screen(), pixels, width, height, pitch, palette, &changed,
                internal::PresentedRowTags());
    frame.indices = Screen().indices;
    std::copy(palette, palette + 256, frame.palette);
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
    ForgetKeptFrame(Screen());
    Count() = Counting();
}

}  // namespace present
}  // namespace vplat
