// An animated GIF written picture by picture through giflib, which does the
// compression. The first picture's palette is the file's colour table; a
// picture with another palette carries its own. Each picture is a rectangle
// laid over what the ones before it left: nothing is cleared between them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include <velmora_platform.h>

struct GifFileType;

namespace vplat::player {

// The longest delay one picture of a GIF can hold, in hundredths of a second.
constexpr int kLongestGifDelay = 65535;

struct GifRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct GifWriter {
    GifFileType* gif = nullptr;
    FILE* file = nullptr;
    int scale = 1;
    PALETTEENTRY palette[256] = {};  // the file's colour table
    std::vector<uint8_t> row;        // one enlarged row
    int writeErrno = 0;              // why the file refused a write
    int gifError = 0;                // giflib's own, where it failed first
};

// Starts the GIF on `file`: a picture of width x height game pixels, each
// drawn as scale x scale, with `palette` as its colour table, played in a
// loop. False when it cannot be written.
bool OpenGif(GifWriter* writer, FILE* file, int width, int height, int scale,
             const PALETTEENTRY* palette);
// Lays `rect` of the frame (640 x 480 indices and its palette) over the
// picture, and holds it for `hundredths` (at most kLongestGifDelay).
bool PutGifPicture(GifWriter* writer, const Frame& frame, const GifRect& rect, int hundredths);
// Ends the GIF; false when its last bytes cannot be written. The file
// itself stays open, the caller's.
bool CloseGif(GifWriter* writer);
// Whether two palettes give every index the same colour.
bool SameColours(const PALETTEENTRY* a, const PALETTEENTRY* b);
// Why a write failed, for a message.
const char* GifWriteError(const GifWriter& writer);

}  // namespace vplat::player
