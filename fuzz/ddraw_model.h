// What the operations of ddraw_ops.h do to 8-bit surfaces, worked out in
// plain arrays the slow, obvious way: the reference the platform's
// DirectDraw is compared with.
#pragma once

#include <cstdint>
#include <vector>

#include "ddraw_ops.h"

namespace ddmodel {

struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width bytes a row
    bool lost = false;
    bool canBeLost = true;
    bool hasKey = false;
    uint8_t key = 0;
    // Memory given back by Restore holds whatever the implementation put
    // there: the harness takes it from the platform.
    bool restored = false;
};

struct Model {
    Surface surface[ddops::kSurfaces];
    PALETTEENTRY palette[256];
    std::vector<uint8_t> screen;  // the frame presented last
    uint64_t frames = 0;          // how many were presented
};

void Open(Model* model, const ddops::Layout& layout);
// Does what the operation does and gives the result it must have.
HRESULT Apply(Model& model, const ddops::Op& op);

}  // namespace ddmodel
