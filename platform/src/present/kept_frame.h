// The last presented frame, kept where something reads it back: tests, the
// headless capture, a screenshot.
#pragma once

#include "internal.h"

namespace vplat::present {

// Every frame presented is counted, whatever shows it.
void CountPresent();
uint64_t FramesPresented();
// Whether a test has asked to read every presented frame back.
bool KeepingAllFrames();
// Keeps a copy of the frame just presented (and counted) for
// vplat::PresentedFrame.
void KeepFrame(const uint8_t* pixels, int width, int height, int pitch,
               const PALETTEENTRY* palette);
void ForgetFrames();
// The kept frame itself, for the platform's own reads: no copy of the pixels.
const Frame& KeptFrameView();

}  // namespace vplat::present
