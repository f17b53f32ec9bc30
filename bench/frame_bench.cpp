// What one frame of the game costs the software DirectDraw: the title frame,
// the play frame, and the palette conversion of a finished frame. Surfaces
// are filled with patterns like the game's images (long runs of the key
// colour around the strokes); frames are built with DirectDraw calls alone.
#include <benchmark/benchmark.h>
#include <velmora_platform.h>

#include <cstring>
#include <vector>

#include <ddraw.h>

#include "present/convert.h"

namespace {

constexpr DWORD kKey = 145;

struct Display {
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
    IDirectDrawSurface7* background = nullptr;
    IDirectDrawSurface7* strings = nullptr;
    IDirectDrawSurface7* title = nullptr;
    IDirectDrawSurface7* chara = nullptr;
};

IDirectDrawSurface7* Image(IDirectDraw7* dd, int width, int height, bool keyed, int seed) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    dd->CreateSurface(&desc, &surface, nullptr);
    surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch;
        for (int x = 0; x < width; ++x) {
            // Strokes a few pixels wide between runs of the key colour.
            bool stroke = ((x / 3 + y / 5 + seed) % 7) < 2;
            row[x] = keyed && !stroke ? kKey : static_cast<uint8_t>((x * 7 + y * 3 + seed) | 1);
        }
    }
    surface->Unlock(nullptr);
    if (keyed) {
        DDCOLORKEY key = {kKey, kKey};
        surface->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    return surface;
}

Display Open() {
    Display d;
    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&d.dd), IID_IDirectDraw7, nullptr);
    d.dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    d.dd->SetDisplayMode(640, 480, 8, 0, 0);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    d.dd->CreateSurface(&desc, &d.primary, nullptr);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    d.primary->GetAttachedSurface(&caps, &d.back);
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i * 3),
                                  static_cast<BYTE>(i * 5), 0};
    }
    IDirectDrawPalette* palette = nullptr;
    d.dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr);
    d.primary->SetPalette(palette);
    d.background = Image(d.dd, 640, 640, false, 1);
    d.strings = Image(d.dd, 600, 96, true, 2);
    d.title = Image(d.dd, 640, 480, true, 3);
    d.chara = Image(d.dd, 192, 112, true, 4);
    return d;
}

void Close(Display& d) {
    d.primary->Release();
    d.background->Release();
    d.strings->Release();
    d.title->Release();
    d.chara->Release();
    d.dd->Release();
}

void DrawText(Display& d) {
    const char text[] = "0060 FPS";
    for (int i = 0; text[i] != '\0'; ++i) {
        RECT glyph = {(text[i] - 32) * 8, 0, (text[i] - 32) * 8 + 8, 16};
        d.back->BltFast(i * 8, 0, d.strings, &glyph, DDBLTFAST_SRCCOLORKEY);
    }
}

void BM_TitleFrame(benchmark::State& state) {
    Display d = Open();
    RECT logo = {0, 0, 640, 100};
    RECT prompt = {0, 100, 640, 135};
    for (auto _ : state) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = 128;
        d.back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        d.back->BltFast(0, 100, d.title, &logo, DDBLTFAST_SRCCOLORKEY);
        d.back->BltFast(0, 350, d.title, &prompt, DDBLTFAST_SRCCOLORKEY);
        DrawText(d);
        d.primary->Flip(nullptr, 0);
    }
    Close(d);
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);

void BM_PlayFrame(benchmark::State& state) {
    Display d = Open();
    RECT screen = {0, 0, 640, 480};
    RECT ball = {0, 104, 8, 112};
    int x = 150;
    for (auto _ : state) {
        d.back->BltFast(0, 0, d.background, &screen, DDBLTFAST_NOCOLORKEY);
        d.back->BltFast(x, 400, d.chara, &ball, DDBLTFAST_SRCCOLORKEY);
        x = x >= 622 ? 150 : x + 1;
        DrawText(d);
        d.primary->Flip(nullptr, 0);
    }
    Close(d);
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond);

void BM_PaletteConversion(benchmark::State& state) {
    std::vector<uint8_t> frame(640 * 480);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i * 31 + i / 640);
    }
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i / 2), 7, 0};
    }
    uint32_t table[256];
    vplat::present::BuildTable(palette, vplat::present::kXrgb, table);
    std::vector<uint32_t> out(640 * 480);
    for (auto _ : state) {
        vplat::present::ConvertThroughTable(frame.data(), 640, 640, 480, table, out.data(),
                                            640 * 4);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaletteConversion)->Unit(benchmark::kMicrosecond);

}  // namespace
