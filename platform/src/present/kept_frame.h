// The last presented frame, kept where something reads it back: tests, the
// headless capture, a screenshot.
#pragma once

#include "internal.h"

namespace vplat::present {

// Keeps a copy of a presented frame for vplat::PresentedFrame.
void KeepFrame(const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette);
void ForgetFrames();
// The kept frame itself, for the platform's own reads: no copy of the pixels.
const Frame& KeptFrameView();

}  // namespace vplat::present
