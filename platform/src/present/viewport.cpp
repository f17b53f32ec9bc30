// The scaling rule: whole multiples keep every stroke the same width; a
// fractional scale (2.25 at 1920 x 1080) makes some game pixels a screen
// pixel wider than their neighbours.
#include "present/viewport.h"

#include <algorithm>
#include <cstdint>

namespace vplat::present {
namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

bool g_integerScale = true;

Viewport Centred(int outputWidth, int outputHeight, int width, int height) {
    return Viewport{(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

// As large as fits with the 4:3 shape kept, rounded down.
Viewport Filled(int outputWidth, int outputHeight) {
    int64_t wide = static_cast<int64_t>(outputWidth) * kFrameHeight;
    int64_t tall = static_cast<int64_t>(outputHeight) * kFrameWidth;
    if (wide <= tall) {
        int height = static_cast<int>(wide / kFrameWidth);
        return Centred(outputWidth, outputHeight, outputWidth, height);
    }
    int width = static_cast<int>(tall / kFrameHeight);
    return Centred(outputWidth, outputHeight, width, outputHeight);
}

}  // namespace

void SetIntegerScale(bool on) {
    g_integerScale = on;
}

Viewport FitFrame(int outputWidth, int outputHeight) {
    if (outputWidth <= 0 || outputHeight <= 0) {
        return Viewport{0, 0, 0, 0};
    }
    int whole = std::min(outputWidth / kFrameWidth, outputHeight / kFrameHeight);
    if (g_integerScale && whole >= 1) {
        return Centred(outputWidth, outputHeight, kFrameWidth * whole, kFrameHeight * whole);
    }
    return Filled(outputWidth, outputHeight);
}

}  // namespace vplat::present
