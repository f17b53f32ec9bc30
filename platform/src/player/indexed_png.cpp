// A frame as an 8-bit palette PNG: the indices as the game drew them and the
// palette it was shown with, so the file holds the frame without loss.
#include <png.h>

#include <vector>

#include "player/screenshot.h"

namespace vplat::player {

bool WriteIndexedPng(const Frame& frame, FILE* file) {
    size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    if (frame.width <= 0 || frame.height <= 0 || frame.indices.size() < pixels) {
        return false;
    }
    std::vector<uint8_t> colours(256 * 3);
    for (int i = 0; i < 256; ++i) {
        colours[i * 3] = frame.palette[i].peRed;
        colours[i * 3 + 1] = frame.palette[i].peGreen;
        colours[i * 3 + 2] = frame.palette[i].peBlue;
    }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(frame.width);
    image.height = static_cast<png_uint_32>(frame.height);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 256;
    bool written = png_image_write_to_stdio(&image, file, 0, frame.indices.data(), frame.width,
                                            colours.data()) != 0;
    png_image_free(&image);
    return written;
}

}  // namespace vplat::player
