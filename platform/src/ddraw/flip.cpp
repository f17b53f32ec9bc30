// Flip: the chain's buffers move one place on, and the new front buffer is
// shown through the palette.
#include <algorithm>

#include "ddraw/objects.h"

namespace vplat::ddraw {

void PresentSurface(const Surface& surface) {
    // Only palette-indexed pictures reach the screen; the 16- and 32-bit
    // modes exist for colour matching and are never shown by this game.
    if (surface.bitsPerPixel != 8 || surface.lost) {
        return;
    }
    internal::PresentIndexed(surface.pixels, surface.width, surface.height, surface.pitch,
                             ColoursFor(surface));
}

HRESULT Surface::Flip(IDirectDrawSurface7* target, DWORD flags) {
    std::string args = internal::Format("target=%p flags=0x%x", static_cast<void*>(target), flags);
    return Journaled("Flip", this, args, [&]() -> HRESULT {
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
                std::swap(chain[i]->memory, chain[i + 1]->memory);
                std::swap(chain[i]->pixels, chain[i + 1]->pixels);
                std::swap(chain[i]->origins, chain[i + 1]->origins);
            }
        }
        for (Surface* member : chain) {
            member->lastWrite = NextWriteNumber();
        }
        PresentSurface(*this);
        return DD_OK;
    });
}

}  // namespace vplat::ddraw
