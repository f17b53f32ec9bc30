// Where the 640 x 480 frame goes in an output of a given size; whatever it
// leaves uncovered is shown black. Shared by every back end that scales.
#pragma once

namespace vplat::present {

struct Viewport {
    int x;
    int y;
    int width;
    int height;
};

Viewport FitFrame(int outputWidth, int outputHeight);
// On (the default): a whole multiple of the frame whenever one fits, so every
// game pixel becomes the same number of screen pixels. Off: as large as the
// shape allows.
void SetIntegerScale(bool on);

}  // namespace vplat::present
