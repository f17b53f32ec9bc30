// A short line of text that a back end lays over its output for about two
// seconds of the real clock ("Screenshot saved: ..."): drawn only on the
// screen, never into the game's frame, so screenshots, captures and
// recordings never hold it. Its own small font, so that it looks the same
// whatever the game's images are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "present/changes.h"
#include "present/viewport.h"

namespace vplat::present {

struct Canvas;

// Shown from now for about two seconds.
void ShowNotice(const std::string& text);
// The text to show now, "" when none.
const std::string& NoticeNow();
void ForgetNotice();

// The notice as a block of pixels: ink (the letters) or not (the box
// behind them), `scale` output pixels to a font pixel.
struct NoticeImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> ink;  // width bytes a row, 1 where a letter is
};

NoticeImage DrawNotice(const std::string& text, int scale);

// Where the notice goes: inside the picture's bottom-left corner, as large
// as the picture is scaled (at least one pixel a font pixel).
struct NoticePlace {
    int x;
    int y;
    int scale;
};
int NoticeScale(const Viewport& picture);
NoticePlace PlaceNotice(const Viewport& picture, int height);

// Paints the part `from` of the notice (in its own pixels) onto the canvas
// at x, y.
void PaintNotice(const NoticeImage& image, const Rect& from, Canvas& canvas, int x, int y);

}  // namespace vplat::present
