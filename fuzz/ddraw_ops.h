// Sequences of DirectDraw and GDI operations on 8-bit surfaces, decoded from
// bytes and run through the public calls only, so that the same source runs
// on the platform's DirectDraw and on a real one. The fuzz target compares
// them with a model; the Wine suite's sequence program prints what they did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>
#include <ddraw.h>

namespace ddops {

// A small mode: every surface is compared after every operation.
constexpr int kModeWidth = 320;
constexpr int kModeHeight = 240;

// The surfaces a sequence works on: the flipping chain, an offscreen surface
// of the mode's size (a background copied whole), one of any size in display
// memory and one of any size in system memory (never lost).
enum SurfaceId : uint8_t { kFront, kBack, kScreenSized, kOdd, kSystem, kSurfaces };

enum Kind : uint8_t {
    kBltFast,    // a copy, keyed or not
    kBltCopy,    // the same through Blt
    kFill,       // Blt with a colour fill
    kLockWrite,  // Lock, write a pattern, Unlock
    kSetPixels,  // GetDC, SetPixel a few times, ReleaseDC
    kStretch,    // StretchBlt at the same size between two surfaces' DCs
    kFlip,
    kSetKey,  // a source colour key set or taken away
    kRestore,
    kLose,   // every surface that can be lost is
    kAgain,  // the last copy once more, unchanged
    kKinds
};

// Each operation takes this many bytes of the input.
constexpr size_t kOpBytes = 8;
// The sizes of the two odd surfaces come first.
constexpr size_t kHeaderBytes = 4;

struct Layout {
    int width[kSurfaces];
    int height[kSurfaces];
};

// One operation with its geometry worked out from its bytes and the layout.
struct Op {
    Kind kind = kFlip;
    int dest = 0;
    int source = 0;
    RECT from = {};  // the source rectangle (copies), the area (fill, lock)
    int x = 0;       // where a copy goes
    int y = 0;
    bool keyed = false;
    bool wholeSurface = false;  // a null rectangle: the whole surface
    uint8_t value = 0;          // fill colour, key value, pattern seed
    bool hasKey = false;        // kSetKey: set (true) or taken away
    int pixels = 0;             // kSetPixels: how many
    uint8_t bytes[kOpBytes] = {};
};

Layout DecodeLayout(const uint8_t* data, size_t size);
// The operations of the input after its header, the last copy standing in
// for kAgain. For a real display (`real`) a kLose becomes kRestore of the
// front buffer, as a display cannot be lost on demand, and what is documented
// nowhere is left out: a BltFast asks for the source key only where the
// source has one (the platform copies whole; Wine uses the key value last
// stored, 0 at first); no key is put on the flipping chain (the platform
// keeps a key with its surface; Wine moves it with the memory that Flip hands
// on), the offscreen surface of the screen's size getting it instead; and a
// keyed copy within one surface is made unkeyed (the platform reads the
// source before writing, as unkeyed copies do on both; Wine's keyed copy
// reads rows it has already written).
std::vector<Op> DecodeOps(const uint8_t* data, size_t size, const Layout& layout, bool real);

// What kSetPixels writes: pixel i of op goes to (PixelX, PixelY) in this colour.
int PixelX(const Op& op, int i, const Layout& layout);
int PixelY(const Op& op, int i, const Layout& layout);
COLORREF PixelColor(const Op& op, int i);
// What kLockWrite writes at (x, y) of the surface.
uint8_t PatternByte(const Op& op, int x, int y);

// The palette every sequence uses: 256 different colours, all usable.
void PaletteEntries(PALETTEENTRY* entries);

struct Display {
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* surface[kSurfaces] = {};
    IDirectDrawPalette* palette = nullptr;
    // Makes every surface that can be lost be lost; null where that cannot be
    // done on demand.
    void (*lose)() = nullptr;
};

// Exclusive full screen at the small mode, the chain, the palette and the
// three offscreen surfaces; false with the failed step's result in *failed.
bool OpenDisplay(HWND window, const Layout& layout, Display* display, HRESULT* failed);
void CloseDisplay(Display* display);
// Runs one operation; the result of its main call (or of the first that
// failed, for those that make several).
HRESULT Apply(Display& display, const Op& op);

// Inputs for the sequence program: a seeded pseudo-random header and ops.
std::vector<uint8_t> SeededInput(uint32_t seed, int ops);

}  // namespace ddops
