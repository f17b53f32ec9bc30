// One shape for every way the surface path's pixels reach a window (X11
// shared memory, Wayland buffers, SDL's window surface, a Windows GDI
// window): each is one small object with the same few operations, chosen when
// the window opens and swapped for the next when one is given up. What they
// share (changes, conversion, scaling, the notice) is drawn once, by
// PresentOn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "internal.h"
#include "present/changes.h"
#include "present/convert.h"
#include "present/scale.h"

namespace vplat::present {

// Where an output's pixels are drawn: 32 bits a pixel, 8 bits a channel.
struct Canvas {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes a row
    ChannelMasks format = kXrgb;
};

class Output {
public:
    Output() = default;
    Output(const Output&) = delete;  // each holds what it set up for one window
    Output& operator=(const Output&) = delete;
    virtual ~Output() = default;  // forgets what was set up for the window
    // A canvas for a window of this size; *fresh when it holds nothing yet
    // (new, or made anew for another size). False: this output cannot go on.
    virtual bool CanvasFor(int width, int height, Canvas* canvas, bool* fresh) = 0;
    // About to write the canvas; false: this output cannot go on.
    virtual bool BeginWrite() = 0;
    // These rectangles of the canvas were written: to the window with them.
    virtual void Send(const std::vector<OutputRect>& rects) = 0;
    // Why it cannot go on, for the set-up lines; null where it never could.
    virtual const char* Failure() const { return nullptr; }
};

// What an output shows, so that only changes are drawn and sent.
struct OutputScreen {
    ShownFrame shown;
    int width = 0;  // the canvas the shown frame is on
    int height = 0;
    ScaleMap scale;
    PaletteTable table;
    std::string notice;  // the notice it shows ("" none)
    std::vector<ChangedRect> changed;
    std::vector<OutputRect> sent;
};

// The output lost what it showed (exposed, restored): all is drawn again.
void ForgetOutputScreen(OutputScreen& screen);
// Draws what changed since the screen's last frame, and the notice, on the
// output's canvas for a window of this size, and sends it; a frame that
// changed nothing sends nothing. False when the output cannot go on (the
// frame did not reach the window).
bool PresentOn(Output& output, OutputScreen& screen, const internal::IndexedFrame& frame,
               int windowWidth, int windowHeight);

}  // namespace vplat::present
