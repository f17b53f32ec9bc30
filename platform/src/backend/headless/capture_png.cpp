// vplat::WritePng: a frame as an 8-bit RGB PNG, written by libpng.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "internal.h"

namespace vplat {
namespace {

// Red, green, blue per pixel, rows top first.
std::vector<uint8_t> RgbRows(const Frame& frame) {
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(frame.height) * 3 * static_cast<size_t>(frame.width));
    for (size_t i = 0; i < static_cast<size_t>(frame.width) * frame.height; ++i) {
        const PALETTEENTRY& colour = frame.palette[frame.indices[i]];
        rgb.push_back(colour.peRed);
        rgb.push_back(colour.peGreen);
        rgb.push_back(colour.peBlue);
    }
    return rgb;
}

}  // namespace

bool WritePng(const Frame& frame, const std::string& path) {
    size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    if (frame.width <= 0 || frame.height <= 0 || frame.indices.size() < pixels) {
        return false;
    }
    std::vector<uint8_t> rgb = RgbRows(frame);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(frame.width);
    image.height = static_cast<png_uint_32>(frame.height);
    image.format = PNG_FORMAT_RGB;
    // Opened here rather than by libpng, so that errno still says why when
    // the file cannot be made (a missing folder, one that is read-only).
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0;
    int writeError = errno;
    png_image_free(&image);
    if (fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        remove(path.c_str());
        errno = writeError != 0 ? writeError : EIO;
    }
    return written;
}

}  // namespace vplat
