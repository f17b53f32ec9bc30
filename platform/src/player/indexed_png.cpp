// vplat::WritePng: a frame as an 8-bit palette PNG, written by libpng. The
// indices are kept as the game drew them and the palette as it was shown, so
// the file holds the frame without loss and any viewer shows its colours.
// Headless captures and the player's screenshots are both written here.
#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include <velmora_platform.h>

namespace vplat {
namespace {

bool Complete(const Frame& frame) {
    size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    return frame.width > 0 && frame.height > 0 && frame.indices.size() >= pixels;
}

// Opened here rather than by libpng, so that errno still says why when the
// file cannot be made (a missing folder, one that is read-only, a name
// taken).
FILE* Open(const std::string& path, Existing existing) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (existing == Existing::Keep ? O_EXCL : O_TRUNC);
    int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        int why = errno;
        close(fd);
        unlink(path.c_str());
        errno = why;
    }
    return file;
}

bool WriteImage(const Frame& frame, FILE* file) {
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

}  // namespace

bool WritePng(const Frame& frame, const std::string& path, Existing existing) {
    if (!Complete(frame)) {
        errno = EINVAL;
        return false;
    }
    FILE* file = Open(path, existing);
    if (file == nullptr) {
        return false;
    }
    errno = 0;
    bool written = WriteImage(frame, file);
    int writeError = errno;
    if (fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        unlink(path.c_str());
        errno = writeError != 0 ? writeError : EIO;
    }
    return written;
}

}  // namespace vplat
