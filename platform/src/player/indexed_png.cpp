// vplat::WritePng: a frame as an 8-bit palette PNG. The indices are kept as
// the game drew them and the palette as it was shown, so the file holds the
// frame without loss and any viewer shows its colours. Headless captures and
// the player's screenshots are both written here; the encoder is the
// system's (indexed_png_encode*.cpp).
#include "player/indexed_png.h"

#include <cerrno>

#include "player/system_files.h"

namespace vplat {
namespace {

bool Complete(const Frame& frame) {
    size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    return frame.width > 0 && frame.height > 0 && frame.indices.size() >= pixels;
}

}  // namespace

bool WritePng(const Frame& frame, const std::string& path, Existing existing) {
    if (!Complete(frame)) {
        errno = EINVAL;
        return false;
    }
    std::string png;
    if (!player::EncodeIndexedPng(frame, &png)) {
        errno = ENOMEM;
        return false;
    }
    player::OutFile file;
    if (!file.Open(path, existing)) {
        return false;
    }
    bool written = file.WriteAll(png);
    int writeError = errno;
    if (!file.Close() && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        player::RemoveFile(path);
        errno = writeError != 0 ? writeError : EIO;
    }
    return written;
}

}  // namespace vplat
