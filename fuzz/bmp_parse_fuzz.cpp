// Untrusted bitmap bytes through everything a loaded image goes through: the
// file and packed-DIB parsers, scaling, and colour conversion onto 8-bit and
// 32-bit pixels.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz_check.h"
#include "gdi/gdi.h"

namespace {

using vplat::gdi::Dib;
using vplat::gdi::PixelView;

// A parsed image's pixels must lie inside its own memory, whatever the file said.
void CheckDib(const Dib& dib) {
    const PixelView& view = dib.view;
    FUZZ_CHECK(view.width > 0 && view.width <= 65535);
    FUZZ_CHECK(view.height > 0 && view.height <= 65535);
    FUZZ_CHECK(dib.stride > 0 && dib.stride == vplat::gdi::DibStride(view.width, view.bitCount));
    FUZZ_CHECK(view.pitch == dib.stride || view.pitch == -dib.stride);
    FUZZ_CHECK(dib.bits.size() >= static_cast<size_t>(dib.stride) * view.height);
    const uint8_t* first = dib.bits.data();
    const uint8_t* last = view.top + (view.height - 1) * view.pitch;
    FUZZ_CHECK(view.top >= first && last >= first);
    FUZZ_CHECK(view.top + dib.stride <= first + dib.bits.size());
    FUZZ_CHECK(last + dib.stride <= first + dib.bits.size());
    FUZZ_CHECK(view.colorCount >= 0 && view.colorCount <= 256);
}

// A destination of the given depth, with its own memory.
struct Target {
    std::vector<uint8_t> bits;
    PixelView view;

    Target(int bitCount, int width, int height) {
        view.width = width;
        view.height = height;
        view.bitCount = bitCount;
        view.pitch = static_cast<ptrdiff_t>(vplat::gdi::DibStride(width, bitCount));
        bits.assign(static_cast<size_t>(view.pitch) * height, 0);
        view.top = bits.data();
        if (bitCount == 8) {
            view.colorCount = 256;
            for (int i = 0; i < 256; ++i) {
                view.colors[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i * 7)};
            }
        } else {
            view.redMask = 0xFF0000;
            view.greenMask = 0x00FF00;
            view.blueMask = 0x0000FF;
        }
    }
};

void Convert(const PixelView& source, int mirror) {
    for (int bitCount : {8, 32}) {
        Target target(bitCount, 9, 7);
        int width = mirror & 1 ? -target.view.width : target.view.width;
        int height = mirror & 2 ? -target.view.height : target.view.height;
        vplat::gdi::StretchPixels(target.view, 0, 0, width, height, source, -1, 1, source.width + 2,
                                  source.height);
        uint32_t raw = vplat::gdi::ReadRaw(target.view, 8, 6);
        vplat::gdi::DecodeRaw(target.view, raw);
    }
    // Reading the source's own corners decodes through its colour table or masks.
    vplat::gdi::DecodeRaw(source, vplat::gdi::ReadRaw(source, 0, 0));
    vplat::gdi::DecodeRaw(source, vplat::gdi::ReadRaw(source, source.width - 1, source.height - 1));
}

void Exercise(const Dib& dib, const uint8_t* data, size_t size) {
    CheckDib(dib);
    // The scaled size comes from the input, so the fuzzer steers it too.
    int width = 1 + (size > 0 ? data[size - 1] % 40 : 0);
    int height = 1 + (size > 1 ? data[size - 2] % 40 : 0);
    std::unique_ptr<Dib> scaled = vplat::gdi::ScaleDib(dib, width, height);
    FUZZ_CHECK(scaled != nullptr);
    CheckDib(*scaled);
    FUZZ_CHECK(scaled->view.width == width && scaled->view.height == height);
    FUZZ_CHECK(scaled->view.bitCount == dib.view.bitCount);
    Convert(dib.view, size > 2 ? data[size - 3] : 0);
    Convert(scaled->view, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (std::unique_ptr<Dib> dib = vplat::gdi::ParseBmpFile(data, size)) {
        Exercise(*dib, data, size);
    }
    // The same bytes as a resource would hold them: without the file header.
    if (std::unique_ptr<Dib> dib = vplat::gdi::ParsePackedDib(data, size)) {
        Exercise(*dib, data, size);
    }
    return 0;
}
