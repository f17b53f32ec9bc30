// vplat::WritePng: a frame as an 8-bit RGB PNG, compressed with zlib.
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "internal.h"

namespace vplat {
namespace {

void PutBigEndian(std::vector<uint8_t>* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    uLong crc = crc32(0L, out->data() + start, static_cast<uInt>(out->size() - start));
    PutBigEndian(out, static_cast<uint32_t>(crc));
}

// Each row: filter byte 0 (none), then red, green, blue per pixel.
std::vector<uint8_t> RawRows(const Frame& frame) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(frame.height) * (1 + 3 * static_cast<size_t>(frame.width)));
    for (int y = 0; y < frame.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < frame.width; ++x) {
            const PALETTEENTRY& colour =
                frame.palette[frame.indices[static_cast<size_t>(y) * frame.width + x]];
            raw.push_back(colour.peRed);
            raw.push_back(colour.peGreen);
            raw.push_back(colour.peBlue);
        }
    }
    return raw;
}

bool Compress(const std::vector<uint8_t>& raw, std::vector<uint8_t>* packed) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    packed->resize(size);
    if (compress2(packed->data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
        return false;
    }
    packed->resize(size);
    return true;
}

}  // namespace

bool WritePng(const Frame& frame, const std::string& path) {
    size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    if (frame.width <= 0 || frame.height <= 0 || frame.indices.size() < pixels) {
        return false;
    }
    std::vector<uint8_t> packed;
    if (!Compress(RawRows(frame), &packed)) {
        return false;
    }
    std::vector<uint8_t> header;
    PutBigEndian(&header, static_cast<uint32_t>(frame.width));
    PutBigEndian(&header, static_cast<uint32_t>(frame.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(&file, "IHDR", header);
    PutChunk(&file, "IDAT", packed);
    PutChunk(&file, "IEND", {});
    std::unique_ptr<FILE, int (*)(FILE*)> out(fopen(path.c_str(), "wb"), fclose);
    if (!out) {
        return false;
    }
    bool written = fwrite(file.data(), 1, file.size(), out.get()) == file.size();
    return fclose(out.release()) == 0 && written;
}

}  // namespace vplat
