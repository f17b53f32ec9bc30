// The frame encoded by libpng, as an 8-bit palette PNG.
#include <png.h>

#include <vector>

#include "player/indexed_png.h"

namespace vplat::player {

bool EncodeIndexedPng(const Frame& frame, std::string* png) {
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
    // Room for the largest PNG of this image: one pass of the encoder.
    png->resize(PNG_IMAGE_PNG_SIZE_MAX(image));
    png_alloc_size_t size = png->size();
    bool encoded = png_image_write_to_memory(&image, png->data(), &size, 0, frame.indices.data(),
                                             frame.width, colours.data()) != 0;
    png->resize(encoded ? size : 0);
    png_image_free(&image);
    return encoded;
}

}  // namespace vplat::player
