// Sequences of DirectDraw and GDI operations run on the platform and on the
// model side by side: after every operation the result and every surface's
// pixels must be the model's. The surfaces are read straight from their
// memory, so that reading them changes nothing the next operation meets.
//
// The presenter is checked too: the screen checked here is brought up to
// date only where the presenter finds a change, as an output's is, so a part
// it takes as unchanged that did change shows as a wrong pixel.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <velmora_platform.h>

#include "ddraw/objects.h"
#include "ddraw_model.h"
#include "ddraw_ops.h"
#include "fuzz_check.h"

namespace {

const char* const kKindNames[] = {"BltFast",  "Blt",        "fill", "Lock",
                                  "SetPixel", "StretchBlt", "Flip", "SetColorKey",
                                  "Restore",  "lose",       "again"};

uint64_t g_ops = 0;

void CountOps() {
    fprintf(stderr, "ddraw sequences: %llu operations compared with the model\n",
            static_cast<unsigned long long>(g_ops));
}

[[noreturn]] void Differ(size_t index, const ddops::Op& op, const char* format, ...) {
    fprintf(stderr, "operation %zu (%s, dest %d, source %d): ", index, kKindNames[op.kind], op.dest,
            op.source);
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputc('\n', stderr);
    abort();
}

void CompareSurface(size_t index, const ddops::Op& op, int id, IDirectDrawSurface7* iface,
                    ddmodel::Surface& expected) {
    const auto* surface = static_cast<const vplat::ddraw::Surface*>(iface);
    const uint8_t* memory = surface->memory.Read();
    FUZZ_CHECK(surface->width == expected.width && surface->height == expected.height);
    for (int y = 0; y < expected.height; ++y) {
        const uint8_t* row = memory + static_cast<size_t>(y) * surface->pitch;
        uint8_t* want = expected.pixels.data() + static_cast<size_t>(y) * expected.width;
        if (expected.restored) {
            std::copy(row, row + expected.width, want);  // restored memory: the platform's own
            continue;
        }
        if (memcmp(row, want, static_cast<size_t>(expected.width)) == 0) {
            continue;
        }
        for (int x = 0; x < expected.width; ++x) {
            if (row[x] != want[x]) {
                Differ(index, op, "surface %d pixel %d,%d is %d, expected %d", id, x, y, row[x],
                       want[x]);
            }
        }
    }
    expected.restored = false;
}

void CompareScreen(size_t index, const ddops::Op& op, const ddmodel::Model& model) {
    vplat::Frame frame = vplat::PresentedFrame();
    if (frame.number != model.frames) {
        Differ(index, op, "%llu frames presented, expected %llu",
               static_cast<unsigned long long>(frame.number),
               static_cast<unsigned long long>(model.frames));
    }
    if (frame.indices == model.screen) {
        return;
    }
    if (frame.indices.size() != model.screen.size()) {
        Differ(index, op, "a screen of %zu pixels, expected %zu", frame.indices.size(),
               model.screen.size());
    }
    for (size_t i = 0; i < model.screen.size(); ++i) {
        if (frame.indices[i] != model.screen[i]) {
            Differ(index, op, "the screen's pixel %zu,%zu is %d, expected %d",
                   i % ddops::kModeWidth, i / ddops::kModeWidth, frame.indices[i], model.screen[i]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool counting = atexit(CountOps) == 0;
    FUZZ_CHECK(counting);
    vplat::ResetPlatform();
    vplat::KeepPresentedFrames(true);
    ddops::Layout layout = ddops::DecodeLayout(data, size);
    std::vector<ddops::Op> ops = ddops::DecodeOps(data, size, layout, false);
    ddops::Display display;
    display.lose = vplat::LoseAllSurfaces;
    HRESULT failed = DD_OK;
    FUZZ_CHECK(ddops::OpenDisplay(reinterpret_cast<HWND>(0x1000), layout, &display, &failed));
    ddmodel::Model model;
    ddmodel::Open(&model, layout);
    for (size_t i = 0; i < ops.size(); ++i) {
        HRESULT found = ddops::Apply(display, ops[i]);
        HRESULT expected = ddmodel::Apply(model, ops[i]);
        if (found != expected) {
            Differ(i, ops[i], "answered 0x%08X, expected 0x%08X", static_cast<unsigned>(found),
                   static_cast<unsigned>(expected));
        }
        for (int id = 0; id < ddops::kSurfaces; ++id) {
            CompareSurface(i, ops[i], id, display.surface[id], model.surface[id]);
        }
        CompareScreen(i, ops[i], model);
        ++g_ops;
    }
    ddops::CloseDisplay(&display);
    FUZZ_CHECK(vplat::LiveDirectDrawObjects() == 0);
    return 0;
}
