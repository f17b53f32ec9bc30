// The DirectDraw objects of the software implementation: the DirectDraw
// object, its surfaces and palettes. Shared by the files of ddraw/ only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/entry.h"
#include "ddraw/com_object.h"
#include "ddraw/surface_memory.h"
#include "internal.h"

namespace vplat::ddraw {

// CLASS_E_NOAGGREGATION: DirectDraw objects cannot be aggregated.
constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110);

struct DirectDraw;
struct Surface;

struct Palette final : ComObject<Palette, IDirectDrawPalette> {
    static constexpr const GUID* kOwnInterface = nullptr;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

    // Reference changes the platform makes itself are not calls of the game's
    // and stay out of the journal.
    ULONG DropRef();

    DirectDraw* owner = nullptr;
    DWORD caps = 0;
    PALETTEENTRY entries[256] = {};
};

struct Surface final : ComObject<Surface, IDirectDrawSurface7> {
    static constexpr const GUID* kOwnInterface = nullptr;
    HRESULT Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect, DWORD flags,
                LPDDBLTFX fx) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT sourceRect,
                    DWORD trans) override;
    HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, IDirectDrawSurface7** surface) override;
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Restore() override;
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override;
    HRESULT Unlock(LPRECT rect) override;

    ULONG DropRef();

    DirectDraw* owner = nullptr;
    // The flipping chain this surface belongs to, front buffer first; empty
    // for a surface of its own. Only the front buffer owns the others.
    std::vector<Surface*> chain;
    DWORD caps = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 8;
    int pitch = 0;
    // Its pixels (surface_memory.h).
    SurfaceMemory memory;
    bool lost = false;
    bool locked = false;
    HDC dc = nullptr;
    bool hasSourceKey = false;
    DDCOLORKEY sourceKey = {};
    Palette* palette = nullptr;

    bool IsFront() const { return !chain.empty() && chain.front() == this; }
    bool IsImplicit() const { return !chain.empty() && chain.front() != this; }
    bool CanBeLost() const { return (caps & DDSCAPS_SYSTEMMEMORY) == 0; }
    int BytesPerPixel() const { return bitsPerPixel / 8; }
    // Busy while a lock or a device context is out.
    bool Busy() const { return locked || dc != nullptr; }
};

struct DirectDraw final : ComObject<DirectDraw, IDirectDraw7> {
    static constexpr const GUID* kOwnInterface = &IID_IDirectDraw7;
    HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                          IUnknown* outer) override;
    HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                          IUnknown* outer) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;

    ULONG DropRef();

    HWND window = nullptr;
    DWORD cooperativeLevel = 0;
    // The desktop's mode until the game sets one.
    int modeWidth = 640;
    int modeHeight = 480;
    int modeBitsPerPixel = 32;
    Surface* primary = nullptr;
    std::vector<Surface*> surfaces;  // every live surface made by this object
    std::vector<Palette*> palettes;  // every live palette made by this object

    bool Exclusive() const { return (cooperativeLevel & DDSCL_EXCLUSIVE) != 0; }
};

// Every live DirectDraw object, in order of creation.
std::vector<DirectDraw*>& Objects();

// A rectangle as the journal shows it: "left,top,right,bottom" or "null".
std::string RectText(const RECT* rect);

// Surfaces: made by CreateSurface, destroyed with their owner's last reference
// or their chain's front buffer.
Surface* NewSurface(DirectDraw* owner, DWORD caps, int width, int height, int bitsPerPixel);
void DestroySurface(Surface* surface);
void FillPixelFormat(int bitsPerPixel, DDPIXELFORMAT* format);
void DescribeSurface(const Surface& surface, DDSURFACEDESC2* desc);
bool DescriptionSizeOk(DWORD size);
// Loses the whole chain (or the surface alone) and gives it memory back with
// junk in it, as the real platform's restored memory holds no picture.
void FillWithJunk(Surface* surface);

// The 256 colours that an 8-bit surface stands for: its own palette, else
// the primary surface's, else a default ramp. Entries as the screen shows them.
const PALETTEENTRY* ColoursFor(const Surface& surface);
// Shows an 8-bit surface through its colours (the back end's present).
void PresentSurface(const Surface& surface);
// Entries 0 and 255 are kept black and white unless the palette allows all 256.
// Called after every change to a palette's entries.
void ApplyReservedEntries(Palette* palette);

}  // namespace vplat::ddraw
