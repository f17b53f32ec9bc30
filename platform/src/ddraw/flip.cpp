// Flip: the chain's buffers move one place on, and the new front buffer is
// shown through the palette.
#include <algorithm>
#include <cstring>

#include "ddraw/objects.h"

namespace vplat::ddraw {

namespace {

// The palette's version number: a new one whenever the colours shown differ
// from the last frame's, whichever way they came to differ (new entries, a
// palette attached or released, a restore).
uint64_t PaletteVersion(const PALETTEENTRY* colours) {
    static PALETTEENTRY shown[256] = {};
    static uint64_t version = 0;
    if (version == 0 || memcmp(shown, colours, sizeof shown) != 0) {
        memcpy(shown, colours, sizeof shown);
        ++version;
    }
    return version;
}

}  // namespace

void PresentSurface(const Surface& surface) {
    // Only palette-indexed pictures reach the screen; the 16- and 32-bit
    // modes exist for colour matching and are never shown by this game.
    if (surface.bitsPerPixel != 8 || surface.lost) {
        return;
    }
    internal::IndexedFrame frame;
    frame.pixels = surface.memory.Read();
    frame.width = surface.width;
    frame.height = surface.height;
    frame.pitch = surface.pitch;
    frame.palette = ColoursFor(surface);
    frame.paletteVersion = PaletteVersion(frame.palette);
    internal::PresentIndexed(frame);
}

HRESULT Surface::Flip(IDirectDrawSurface7* target, DWORD flags) {
    auto args = [&] {
        return internal::Format("target=%p flags=0x%x", static_cast<void*>(target), flags);
    };
    return entry::RunOn(entry::Name::Flip, this, args, [&]() -> HRESULT {
        if (!IsFront() || chain.size() < 2) {
            return DDERR_NOTFLIPPABLE;
        }
        auto* wanted = static_cast<Surface*>(target);
        if (wanted != nullptr &&
            (wanted == this || std::find(chain.begin(), chain.end(), wanted) == chain.end())) {
            return DDERR_INVALIDPARAMS;
        }
        for (Surface* member : chain) {
            if (member->lost) {
                return DDERR_SURFACELOST;
            }
            if (member->Busy()) {
                return DDERR_SURFACEBUSY;
            }
        }
        // Each buffer takes the memory of the one behind it; the old front
        // buffer's memory goes to the last back buffer.
        size_t steps =
            wanted == nullptr ? 1 : std::find(chain.begin(), chain.end(), wanted) - chain.begin();
        for (size_t step = 0; step < steps; ++step) {
            for (size_t i = 0; i + 1 < chain.size(); ++i) {
                chain[i]->memory.Trade(chain[i + 1]->memory);
            }
        }
        PresentSurface(*this);
        return DD_OK;
    });
}

}  // namespace vplat::ddraw
