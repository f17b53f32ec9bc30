// The GIF's blocks through giflib's low-level writer: the screen with its
// colour table, the looping extension, then per picture its control block
// (delay, nothing cleared), its rectangle and its rows.
#include "player/gif_encoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace vplat::player {
namespace {

constexpr int kColourBits = 8;

struct FreeMap {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, FreeMap>;

ColourMap MapOf(const PALETTEENTRY* palette) {
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i] = GifColorType{palette[i].peRed, palette[i].peGreen, palette[i].peBlue};
    }
    return ColourMap(GifMakeMapObject(256, colours));
}

int Output(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* writer = static_cast<GifWriter*>(gif->UserData);
    size_t written = fwrite(bytes, 1, static_cast<size_t>(length), writer->file);
    if (written != static_cast<size_t>(length)) {
        writer->writeErrno = errno != 0 ? errno : EIO;
    }
    return static_cast<int>(written);
}

bool Failed(GifWriter* writer) {
    if (writer->gifError == 0) {
        writer->gifError = writer->gif->Error != 0 ? writer->gif->Error : E_GIF_ERR_WRITE_FAILED;
    }
    return false;
}

// NETSCAPE2.0, loop count 0: the picture plays again and again.
bool PutLoop(GifWriter* writer) {
    static const GifByteType kName[] = "NETSCAPE2.0";
    static const GifByteType kLoop[] = {1, 0, 0};
    return EGifPutExtensionLeader(writer->gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(writer->gif, 11, kName) == GIF_OK &&
           EGifPutExtensionBlock(writer->gif, 3, kLoop) == GIF_OK &&
           EGifPutExtensionTrailer(writer->gif) == GIF_OK;
}

bool PutDelay(GifWriter* writer, int hundredths) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = hundredths;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType block[4];
    size_t length = EGifGCBToExtension(&control, block);
    return EGifPutExtension(writer->gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) ==
           GIF_OK;
}

// The rectangle's rows, each pixel and each row repeated `scale` times.
bool PutRows(GifWriter* writer, const Frame& frame, const GifRect& rect) {
    int scale = writer->scale;
    writer->row.resize(static_cast<size_t>(rect.width * scale));
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        const uint8_t* source = frame.indices.data() + static_cast<size_t>(y) * frame.width;
        for (int x = 0; x < rect.width; ++x) {
            std::fill_n(writer->row.begin() + x * scale, scale, source[rect.x + x]);
        }
        for (int repeat = 0; repeat < scale; ++repeat) {
            if (EGifPutLine(writer->gif, writer->row.data(), rect.width * scale) != GIF_OK) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool OpenGif(GifWriter* writer, FILE* file, int width, int height, int scale,
             const PALETTEENTRY* palette) {
    writer->file = file;
    writer->scale = scale;
    std::copy(palette, palette + 256, writer->palette);
    int error = 0;
    writer->gif = EGifOpen(writer, Output, &error);
    if (writer->gif == nullptr) {
        writer->gifError = error;
        return false;
    }
    EGifSetGifVersion(writer->gif, true);
    ColourMap map = MapOf(palette);
    if (EGifPutScreenDesc(writer->gif, width * scale, height * scale, kColourBits, 0, map.get()) !=
            GIF_OK ||
        !PutLoop(writer)) {
        return Failed(writer);
    }
    return true;
}

bool PutGifPicture(GifWriter* writer, const Frame& frame, const GifRect& rect, int hundredths) {
    ColourMap local;
    if (!SameColours(frame.palette, writer->palette)) {
        local = MapOf(frame.palette);
    }
    int scale = writer->scale;
    if (!PutDelay(writer, hundredths) ||
        EGifPutImageDesc(writer->gif, rect.x * scale, rect.y * scale, rect.width * scale,
                         rect.height * scale, false, local.get()) != GIF_OK ||
        !PutRows(writer, frame, rect)) {
        return Failed(writer);
    }
    return true;
}

bool CloseGif(GifWriter* writer) {
    int error = 0;
    bool closed = EGifCloseFile(writer->gif, &error) == GIF_OK;
    writer->gif = nullptr;
    if (!closed && writer->gifError == 0) {
        writer->gifError = error;
    }
    // giflib does not check the write of the file's last byte.
    return closed && writer->writeErrno == 0;
}

bool SameColours(const PALETTEENTRY* a, const PALETTEENTRY* b) {
    for (int i = 0; i < 256; ++i) {
        if (a[i].peRed != b[i].peRed || a[i].peGreen != b[i].peGreen ||
            a[i].peBlue != b[i].peBlue) {
            return false;
        }
    }
    return true;
}

const char* GifWriteError(const GifWriter& writer) {
    if (writer.writeErrno != 0) {
        return strerror(writer.writeErrno);
    }
    const char* text = GifErrorString(writer.gifError);
    return text != nullptr ? text : "the GIF library failed";
}

}  // namespace vplat::player
