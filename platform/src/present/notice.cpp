// The notice: its time on the screen, its 5 x 7 font and its box.
#include "present/notice.h"

#include <algorithm>
#include <array>
#include <map>

#include "kernel/kernel.h"
#include "present/output.h"

namespace vplat::present {
namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = kGlyphWidth + 1;
constexpr int kPadding = 3;  // font pixels of box around the text
constexpr double kShownSeconds = 2.0;
const PALETTEENTRY kBox = {24, 24, 40, 0};
const PALETTEENTRY kInk = {255, 255, 255, 0};

struct Notice {
    std::string text;
    double until = 0;
};

Notice& TheNotice() {
    static Notice notice;
    return notice;
}

// Each row's five bits, the leftmost pixel the highest. What a notice says:
// lower-case letters, digits, capitals N and S and a few signs; anything else
// shows as a question mark.
const std::map<char, std::array<uint8_t, kGlyphHeight>>& Glyphs() {
    static const std::map<char, std::array<uint8_t, kGlyphHeight>> glyphs = {
        {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}},
        {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
        {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}},
        {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
        {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}},
        {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
        {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}},
        {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}},
        {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
        {'a', {0x00, 0x00, 0x0e, 0x01, 0x0f, 0x11, 0x0f}},
        {'b', {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1e}},
        {'c', {0x00, 0x00, 0x0e, 0x10, 0x10, 0x11, 0x0e}},
        {'d', {0x01, 0x01, 0x0d, 0x13, 0x11, 0x11, 0x0f}},
        {'e', {0x00, 0x00, 0x0e, 0x11, 0x1f, 0x10, 0x0e}},
        {'f', {0x06, 0x09, 0x08, 0x1c, 0x08, 0x08, 0x08}},
        {'g', {0x00, 0x0f, 0x11, 0x11, 0x0f, 0x01, 0x0e}},
        {'h', {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}},
        {'i', {0x04, 0x00, 0x0c, 0x04, 0x04, 0x04, 0x0e}},
        {'j', {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0c}},
        {'k', {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12}},
        {'l', {0x0c, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0e}},
        {'m', {0x00, 0x00, 0x1a, 0x15, 0x15, 0x11, 0x11}},
        {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
        {'o', {0x00, 0x00, 0x0e, 0x11, 0x11, 0x11, 0x0e}},
        {'p', {0x00, 0x00, 0x1e, 0x11, 0x1e, 0x10, 0x10}},
        {'q', {0x00, 0x00, 0x0d, 0x13, 0x0f, 0x01, 0x01}},
        {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}},
        {'s', {0x00, 0x00, 0x0e, 0x10, 0x0e, 0x01, 0x1e}},
        {'t', {0x08, 0x08, 0x1c, 0x08, 0x08, 0x09, 0x06}},
        {'u', {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0d}},
        {'v', {0x00, 0x00, 0x11, 0x11, 0x11, 0x0a, 0x04}},
        {'w', {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0a}},
        {'x', {0x00, 0x00, 0x11, 0x0a, 0x04, 0x0a, 0x11}},
        {'y', {0x00, 0x00, 0x11, 0x11, 0x0f, 0x01, 0x0e}},
        {'z', {0x00, 0x00, 0x1f, 0x02, 0x04, 0x08, 0x1f}},
        {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
        {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}},
        {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
        {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}},
        {'-', {0x00, 0x00, 0x00, 0x1f, 0x00, 0x00, 0x00}},
        {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1f}},
        {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
        {'?', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
    };
    return glyphs;
}

const std::array<uint8_t, kGlyphHeight>& GlyphOf(char letter) {
    auto found = Glyphs().find(letter);
    return found != Glyphs().end() ? found->second : Glyphs().at('?');
}

}  // namespace

void ShowNotice(const std::string& text) {
    TheNotice() = Notice{text, kernel::Seconds() + kShownSeconds};
}

const std::string& NoticeNow() {
    static const std::string none;
    const Notice& notice = TheNotice();
    return kernel::Seconds() < notice.until ? notice.text : none;
}

void ForgetNotice() {
    TheNotice() = Notice();
}

NoticeImage DrawNotice(const std::string& text, int scale) {
    NoticeImage image;
    int columns = static_cast<int>(text.size()) * kAdvance - 1 + 2 * kPadding;
    int rows = kGlyphHeight + 2 * kPadding;
    image.width = columns * scale;
    image.height = rows * scale;
    image.ink.assign(static_cast<size_t>(image.width) * image.height, 0);
    for (size_t i = 0; i < text.size(); ++i) {
        const std::array<uint8_t, kGlyphHeight>& glyph = GlyphOf(text[i]);
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if ((glyph[row] >> (kGlyphWidth - 1 - column) & 1) == 0) {
                    continue;
                }
                int x = (kPadding + static_cast<int>(i) * kAdvance + column) * scale;
                int y = (kPadding + row) * scale;
                for (int dy = 0; dy < scale; ++dy) {
                    std::fill_n(&image.ink[static_cast<size_t>(y + dy) * image.width + x], scale,
                                1);
                }
            }
        }
    }
    return image;
}

int NoticeScale(const Viewport& picture) {
    return std::max(1, picture.height / 480);
}

NoticePlace PlaceNotice(const Viewport& picture, int height) {
    int scale = NoticeScale(picture);
    int margin = 8 * scale;
    return NoticePlace{picture.x + margin, picture.y + picture.height - margin - height, scale};
}

void PaintNotice(const NoticeImage& image, const Rect& from, Canvas& canvas, int x, int y) {
    uint32_t ink = PixelOf(kInk, canvas.format);
    uint32_t box = PixelOf(kBox, canvas.format);
    for (int row = 0; row < from.bottom - from.top; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(canvas.pixels) +
                                                static_cast<size_t>(y + row) * canvas.pitch) +
                    x;
        const uint8_t* in =
            &image.ink[static_cast<size_t>(from.top + row) * image.width + from.left];
        for (int column = 0; column < from.right - from.left; ++column) {
            out[column] = in[column] != 0 ? ink : box;
        }
    }
}

}  // namespace vplat::present
