// The last presented frame, copied where something reads it back: tests, the
// headless capture, a screenshot. Not what an output shows (changes.h).
#pragma once

#include "internal.h"

namespace vplat::present {

// Every frame presented is counted, whatever shows it.
void CountPresent();
uint64_t FramesPresented();
// Whether a test has asked to read every presented frame back.
bool KeepingAllFrames();
// Copies the frame just presented (and counted) for vplat::PresentedFrame.
void KeepLastFrame(const internal::IndexedFrame& frame);
void ForgetFrames();
// The copy itself, for the platform's own reads: no copy of the pixels.
const Frame& LastFrame();

}  // namespace vplat::present
