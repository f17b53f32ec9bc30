// The surface path's one way of presenting, whatever the output: each frame
// compared with the one the output shows, and only what changed converted
// through the palette, scaled, drawn on the output's canvas and sent.
#include "present/output.h"

#include <algorithm>

#include "present/notice.h"
#include "present/viewport.h"

namespace vplat::present {
namespace {

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect Clip(const Rect& r, int width, int height) {
    return Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                std::min(r.bottom, height)};
}

void FillBlack(Canvas& canvas) {
    uint32_t black = PixelOf(PALETTEENTRY{0, 0, 0, 0}, canvas.format);
    for (int y = 0; y < canvas.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(canvas.pixels) +
                                                static_cast<size_t>(y) * canvas.pitch);
        std::fill_n(row, canvas.width, black);
    }
}

void DrawChanges(OutputScreen& screen, Canvas& canvas, const internal::IndexedFrame& frame) {
    screen.sent.clear();
    for (const ChangedRect& area : screen.changed) {
        OutputRect drawn = ConvertScaled(frame.pixels, frame.pitch, area, screen.scale,
                                         screen.table.pixels, canvas.pixels, canvas.pitch);
        if (drawn.right > drawn.left && drawn.bottom > drawn.top) {
            screen.sent.push_back(drawn);
        }
    }
}

// The notice over the picture, drawn again only where this frame's changes
// went over it.
void LayNotice(OutputScreen& screen, Canvas& canvas) {
    const std::string& text = NoticeNow();
    if (text.empty()) {
        return;
    }
    NoticeImage image = DrawNotice(text, NoticeScale(screen.scale.viewport));
    NoticePlace place = PlaceNotice(screen.scale.viewport, image.height);
    Rect area = Clip(Rect{place.x, place.y, place.x + image.width, place.y + image.height},
                     canvas.width, canvas.height);
    bool drawnOver = std::any_of(screen.sent.begin(), screen.sent.end(),
                                 [&](const OutputRect& r) { return Overlap(r, area); });
    if (!drawnOver || area.right <= area.left || area.bottom <= area.top) {
        return;
    }
    Rect from{area.left - place.x, area.top - place.y, area.right - place.x, area.bottom - place.y};
    PaintNotice(image, from, canvas, area.left, area.top);
    screen.sent.push_back(area);
}

}  // namespace

void ForgetOutputScreen(OutputScreen& screen) {
    ForgetShownFrame(screen.shown);
    screen.width = 0;
    screen.height = 0;
}

bool PresentOn(Output& output, OutputScreen& screen, const internal::IndexedFrame& frame,
               int windowWidth, int windowHeight) {
    Canvas canvas;
    bool fresh = false;
    if (!output.CanvasFor(windowWidth, windowHeight, &canvas, &fresh)) {
        return false;
    }
    // Another canvas than the shown frame is on starts again from black.
    bool whole = fresh || canvas.width != screen.width || canvas.height != screen.height;
    if (whole || NoticeNow() != screen.notice) {
        ForgetShownFrame(screen.shown);  // a notice came or went: the frame under it goes again
    }
    screen.width = canvas.width;
    screen.height = canvas.height;
    screen.notice = NoticeNow();
    // Rebuilt only when the output or the frame's size changed: a map for
    // another frame size would read outside this one's rows.
    PrepareScaleMap(screen.scale, FitFrame(canvas.width, canvas.height), frame.width, frame.height);
    TakeChanges(screen.shown, frame, &screen.changed);
    if (screen.changed.empty()) {
        return true;
    }
    UpdatePaletteTable(screen.table, canvas.format, frame);
    if (!output.BeginWrite()) {
        ForgetOutputScreen(screen);  // this frame never reached the window
        return false;
    }
    if (whole) {
        FillBlack(canvas);  // the bars, drawn once when the canvas changes
    }
    DrawChanges(screen, canvas, frame);
    if (whole) {
        screen.sent.assign(1, OutputRect{0, 0, canvas.width, canvas.height});
    }
    LayNotice(screen, canvas);
    output.Send(screen.sent);
    return true;
}

}  // namespace vplat::present
