#include "backend/viewport.h"

#include <cstdint>

namespace vplat::backend {
namespace {

constexpr int64_t kFrameWidth = 640;
constexpr int64_t kFrameHeight = 480;

}  // namespace

// As large as the output allows with the frame's shape kept, centred between
// black bars.
Viewport FitFrame(int outputWidth, int outputHeight) {
    if (outputWidth <= 0 || outputHeight <= 0) {
        return Viewport{0, 0, 0, 0};
    }
    Viewport shown;
    if (outputWidth * kFrameHeight <= outputHeight * kFrameWidth) {
        shown.width = outputWidth;
        shown.height = static_cast<int>(outputWidth * kFrameHeight / kFrameWidth);
    } else {
        shown.height = outputHeight;
        shown.width = static_cast<int>(outputHeight * kFrameWidth / kFrameHeight);
    }
    shown.x = (outputWidth - shown.width) / 2;
    shown.y = (outputHeight - shown.height) / 2;
    return shown;
}

}  // namespace vplat::backend
