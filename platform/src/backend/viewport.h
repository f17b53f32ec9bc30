// Where the game's 640 x 480 frame goes on an output of a given size; the
// rest of the output is black. Every back end that scales asks here, so that
// all of them show the same pixels at the same size.
#pragma once

namespace vplat::backend {

struct Viewport {
    int x;
    int y;
    int width;
    int height;
};

Viewport FitFrame(int outputWidth, int outputHeight);

}  // namespace vplat::backend
