// Untrusted bytes as an image file on disk, through the game's own loaders:
// the bitmap loader (LoadImageA from a file, scaled when a size is asked) and
// the palette loader (_lopen and _lread), on the headless platform.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <ddraw.h>
#include <velmora_platform.h>
#include <windows.h>

#include "ddutil.h"
#include "fuzz_check.h"
#include "gdi/gdi.h"

namespace {

IDirectDraw7* g_dd = nullptr;
std::string g_path;

bool SetUp() {
    FUZZ_CHECK(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&g_dd), IID_IDirectDraw7,
                                  nullptr) == DD_OK);
    FUZZ_CHECK(g_dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK);
    const char* dir = getenv("TMPDIR");
    std::string pattern =
        std::string(dir != nullptr && *dir ? dir : "/tmp") + "/velmora-fuzz-XXXXXX";
    int fd = mkstemp(pattern.data());
    FUZZ_CHECK(fd >= 0);
    close(fd);
    g_path = pattern;
    atexit([] { unlink(g_path.c_str()); });
    return true;
}

void WriteFile(const uint8_t* data, size_t size) {
    FILE* file = fopen(g_path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(size == 0 || fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(fclose(file) == 0);
}

void LoadBitmapAt(int width, int height, int expectedWidth, int expectedHeight) {
    IDirectDrawSurface7* surface = DDLoadBitmap(g_dd, g_path.c_str(), width, height);
    // The loader takes what the parser takes, and nothing else.
    FUZZ_CHECK((surface != nullptr) == (expectedWidth > 0));
    if (surface == nullptr) {
        return;
    }
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    FUZZ_CHECK(surface->GetSurfaceDesc(&desc) == DD_OK);
    FUZZ_CHECK(static_cast<int>(desc.dwWidth) == expectedWidth);
    FUZZ_CHECK(static_cast<int>(desc.dwHeight) == expectedHeight);
    surface->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = SetUp();
    (void)ready;
    WriteFile(data, size);
    std::unique_ptr<vplat::gdi::Dib> parsed = vplat::gdi::ParseBmpFile(data, size);
    int width = parsed ? parsed->view.width : 0;
    int height = parsed ? parsed->view.height : 0;
    LoadBitmapAt(0, 0, width, height);
    // A size asked for from the input's first byte: the loader scales to it.
    int asked = size > 0 ? 1 + data[0] % 24 : 1;
    LoadBitmapAt(asked, asked, parsed ? asked : 0, asked);

    IDirectDrawPalette* palette = DDLoadPalette(g_dd, g_path.c_str());
    // Whatever the file holds, the palette loader falls back to its defaults.
    FUZZ_CHECK(palette != nullptr);
    PALETTEENTRY entries[256];
    FUZZ_CHECK(palette->GetEntries(0, 0, 256, entries) == DD_OK);
    palette->Release();
    return 0;
}
