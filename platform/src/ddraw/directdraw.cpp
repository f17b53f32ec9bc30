// The DirectDraw object: creation, cooperative level, display mode, and the
// list of live objects that surface loss and the platform reset walk.
#include <algorithm>

#include "ddraw/objects.h"

const GUID IID_IDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace vplat::ddraw {
namespace {

// The modes a display adapter of the game's time offers; the back ends scale
// whatever they get to the player's screen.
bool ModeSupported(DWORD width, DWORD height, DWORD bitsPerPixel) {
    static const DWORD kSizes[][2] = {{320, 200}, {320, 240},  {640, 400},  {640, 480},
                                      {800, 600}, {1024, 768}, {1280, 1024}};
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 32) {
        return false;
    }
    for (const auto& size : kSizes) {
        if (size[0] == width && size[1] == height) {
            return true;
        }
    }
    return false;
}

void DestroyEverything(DirectDraw* object) {
    for (Surface* surface : object->surfaces) {
        surface->chain.clear();
        delete surface;
    }
    for (Palette* palette : object->palettes) {
        delete palette;
    }
    object->surfaces.clear();
    object->palettes.clear();
    delete object;
}

// The desktop's own mode, which is in force until the game sets one.
void UseDesktopMode(DirectDraw* object) {
    object->modeWidth = 640;
    object->modeHeight = 480;
    object->modeBitsPerPixel = 32;
}

HRESULT CheckCooperativeFlags(HWND window, DWORD flags) {
    bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
    bool normal = (flags & DDSCL_NORMAL) != 0;
    if (exclusive == normal || exclusive != fullscreen || (exclusive && window == nullptr)) {
        return DDERR_INVALIDPARAMS;
    }
    for (DirectDraw* other : Objects()) {
        if (exclusive && other->Exclusive() && other->window != window) {
            return DDERR_EXCLUSIVEMODEALREADYSET;
        }
    }
    return DD_OK;
}

}  // namespace

std::vector<DirectDraw*>& Objects() {
    static std::vector<DirectDraw*> objects;
    return objects;
}

}  // namespace vplat::ddraw

namespace vplat {

int LiveDirectDrawObjects() {
    int count = 0;
    for (const ddraw::DirectDraw* object : ddraw::Objects()) {
        count += 1 + static_cast<int>(object->surfaces.size() + object->palettes.size());
    }
    return count;
}

}  // namespace vplat

namespace vplat::ddraw {

std::string RectText(const RECT* rect) {
    if (rect == nullptr) {
        return "null";
    }
    return internal::Format("%d,%d,%d,%d", rect->left, rect->top, rect->right, rect->bottom);
}

ULONG DirectDraw::DropRef() {
    if (--refs > 0) {
        return refs;
    }
    // The last reference ends exclusive mode: the desktop comes back.
    if (Exclusive()) {
        internal::ReleaseDisplay();
    }
    auto& objects = Objects();
    objects.erase(std::remove(objects.begin(), objects.end(), this), objects.end());
    DestroyEverything(this);
    return 0;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND newWindow, DWORD flags) {
    auto args = [&] {
        return internal::Format("window=%p flags=0x%x", static_cast<void*>(newWindow), flags);
    };
    return entry::RunOn(entry::Name::SetCooperativeLevel, this, args, [&]() -> HRESULT {
        HRESULT hr = CheckCooperativeFlags(newWindow, flags);
        if (FAILED(hr)) {
            return hr;
        }
        bool wasExclusive = Exclusive();
        window = newWindow;
        cooperativeLevel = flags;
        if (Exclusive()) {
            internal::TakeDisplay(window, modeWidth, modeHeight);
        } else if (wasExclusive) {
            internal::ReleaseDisplay();
        }
        return DD_OK;
    });
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                   DWORD flags) {
    auto args = [&] {
        return internal::Format("width=%u height=%u bpp=%u refresh=%u flags=0x%x", width, height,
                                bitsPerPixel, refreshRate, flags);
    };
    return entry::RunOn(entry::Name::SetDisplayMode, this, args, [&]() -> HRESULT {
        if (cooperativeLevel == 0) {
            return DDERR_NOCOOPERATIVELEVELSET;
        }
        if (!ModeSupported(width, height, bitsPerPixel)) {
            return DDERR_INVALIDMODE;
        }
        bool changed = modeWidth != static_cast<int>(width) ||
                       modeHeight != static_cast<int>(height) ||
                       modeBitsPerPixel != static_cast<int>(bitsPerPixel);
        modeWidth = static_cast<int>(width);
        modeHeight = static_cast<int>(height);
        modeBitsPerPixel = static_cast<int>(bitsPerPixel);
        if (changed) {
            // A mode change takes the memory of every surface made before it.
            for (Surface* surface : surfaces) {
                surface->lost = surface->lost || surface->CanBeLost();
            }
        }
        if (Exclusive()) {
            internal::TakeDisplay(window, modeWidth, modeHeight);
        }
        return DD_OK;
    });
}

HRESULT DirectDraw::RestoreDisplayMode() {
    return entry::RunOn(entry::Name::RestoreDisplayMode, this, entry::NoArgs, [&]() -> HRESULT {
        UseDesktopMode(this);
        return DD_OK;
    });
}

}  // namespace vplat::ddraw

using vplat::ddraw::DirectDraw;

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid,
                                  IUnknown* outer) {
    auto args = [&] {
        return vplat::internal::Format("guid=%p out=%p outer=%p", static_cast<void*>(driverGuid),
                                       static_cast<void*>(directDraw), static_cast<void*>(outer));
    };
    return vplat::entry::Run(vplat::entry::Name::DirectDrawCreateEx, args, [&]() -> HRESULT {
        if (directDraw == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        *directDraw = nullptr;
        if (!vplat::ddraw::SameGuid(iid, IID_IDirectDraw7)) {
            return DDERR_INVALIDPARAMS;
        }
        if (outer != nullptr) {
            return vplat::ddraw::kNoAggregation;
        }
        // Null is the active display driver; 1 and 2 are the HAL-only and
        // HEL-only requests, which software answers alike.
        uintptr_t guidValue = reinterpret_cast<uintptr_t>(driverGuid);
        if (guidValue > 2) {
            return DDERR_INVALIDPARAMS;
        }
        auto* object = new DirectDraw();
        vplat::ddraw::Objects().push_back(object);
        *directDraw = static_cast<IDirectDraw7*>(object);
        return DD_OK;
    });
}

namespace vplat {

void LoseAllSurfaces() {
    internal::LoseAllSurfacesNow();
}

namespace internal {

void LoseAllSurfacesNow() {
    for (ddraw::DirectDraw* object : ddraw::Objects()) {
        for (ddraw::Surface* surface : object->surfaces) {
            surface->lost = surface->lost || surface->CanBeLost();
        }
    }
}

bool GiveDisplayToDesktop() {
    bool given = false;
    for (ddraw::DirectDraw* object : ddraw::Objects()) {
        if (!object->Exclusive()) {
            continue;
        }
        // Wine leaves the desktop's mode in force when the game returns, so
        // the primary surface cannot be restored until the game sets its
        // mode again (Restore compares the two).
        ddraw::UseDesktopMode(object);
        for (ddraw::Surface* surface : object->surfaces) {
            surface->lost = surface->lost || surface->CanBeLost();
        }
        given = true;
    }
    return given;
}

void ResetDdraw() {
    for (ddraw::DirectDraw* object : ddraw::Objects()) {
        ddraw::DestroyEverything(object);
    }
    ddraw::Objects().clear();
}

}  // namespace internal
}  // namespace vplat
