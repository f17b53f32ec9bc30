// The last presented frame, kept for tests and for the headless capture.
#include <algorithm>

#include "present/kept_frame.h"
#include "present/changes.h"

namespace vplat {
namespace {

Frame& Last() {
    static Frame frame;
    return frame;
}

}  // namespace

Frame PresentedFrame() {
    return Last();
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
    PackRows(pixels, width, height, pitch, &frame.indices);
    std::copy(palette, palette + 256, frame.palette);
    ++frame.number;
}

void ForgetFrames() {
    Last() = Frame();
}

}  // namespace present
}  // namespace vplat
