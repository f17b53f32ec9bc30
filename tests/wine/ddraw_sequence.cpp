// Runs seeded sequences of DirectDraw and GDI operations (fuzz/ddraw_ops.h)
// and prints, after every operation, its result and a hash of every surface.
// Built for Windows it runs on the real ddraw (under Wine here); built
// against the platform it runs on ours: the Wine suite compares the two.
//
//   ddraw_sequence FIRST_SEED SEEDS OPERATIONS
//   ddraw_sequence -f FILE      the operations of one input of the fuzz target
//
// One line an operation: "SEED INDEX KIND DEST<-SOURCE RECT@X,Y[/keyed][/whole]
// RESULT HASH...", a hash being "lost" for a surface that cannot be locked
// because it is lost.
// Exit status: 0, or 1 when the display cannot be set up (the line says why).
#include <windows.h>
#include <ddraw.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ddraw_ops.h"

namespace {

const char* const kKindNames[] = {"BltFast",  "Blt",        "fill", "Lock",
                                  "SetPixel", "StretchBlt", "Flip", "SetColorKey",
                                  "Restore",  "lose",       "again"};

// FNV-1a over the surface's rows, read through a lock.
void PrintHash(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 desc;
    ZeroMemory(&desc, sizeof desc);
    desc.dwSize = sizeof desc;
    HRESULT hr = surface->Lock(NULL, &desc, DDLOCK_WAIT | DDLOCK_READONLY, NULL);
    if (hr == DDERR_SURFACELOST) {
        printf(" lost");
        return;
    }
    if (hr != DD_OK) {
        printf(" E%08X", static_cast<unsigned>(hr));
        return;
    }
    unsigned hash = 2166136261u;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        const unsigned char* row =
            static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch;
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            hash = (hash ^ row[x]) * 16777619u;
        }
    }
    surface->Unlock(NULL);
    printf(" %08X", hash);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

HWND MakeWindow() {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "DdrawSequence";
    if (RegisterClassA(&windowClass) == 0) {
        return NULL;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "DdrawSequence", "DdrawSequence", WS_POPUP, 0, 0,
                                  ddops::kModeWidth, ddops::kModeHeight, NULL, NULL,
                                  windowClass.hInstance, NULL);
    if (window != NULL) {
        ShowWindow(window, SW_SHOW);
    }
    return window;
}

bool RunInput(HWND window, unsigned seed, const std::vector<uint8_t>& input) {
    ddops::Layout layout = ddops::DecodeLayout(input.data(), input.size());
    std::vector<ddops::Op> ops = ddops::DecodeOps(input.data(), input.size(), layout, true);
    ddops::Display display;
    HRESULT failed = DD_OK;
    if (!ddops::OpenDisplay(window, layout, &display, &failed)) {
        printf("%u setup failed %08X\n", seed, static_cast<unsigned>(failed));
        ddops::CloseDisplay(&display);
        return false;
    }
    for (size_t i = 0; i < ops.size(); ++i) {
        const ddops::Op& op = ops[i];
        HRESULT hr = ddops::Apply(display, op);
        printf("%u %u %s %d<-%d %ld,%ld,%ld,%ld@%d,%d%s%s %08X", seed, static_cast<unsigned>(i),
               kKindNames[op.kind], op.dest, op.source, static_cast<long>(op.from.left),
               static_cast<long>(op.from.top), static_cast<long>(op.from.right),
               static_cast<long>(op.from.bottom), op.x, op.y, op.keyed ? "/keyed" : "",
               op.wholeSurface ? "/whole" : "", static_cast<unsigned>(hr));
        for (int id = 0; id < ddops::kSurfaces; ++id) {
            PrintHash(display.surface[id]);
        }
        printf("\n");
    }
    ddops::CloseDisplay(&display);
    Pump();
    return true;
}

std::vector<uint8_t> ReadInput(const char* path) {
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path, "rb");
    if (file != NULL) {
        int c;
        while ((c = fgetc(file)) != EOF) {
            bytes.push_back(static_cast<uint8_t>(c));
        }
        fclose(file);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    bool fromFile = argc == 3 && strcmp(argv[1], "-f") == 0;
    if (argc != 4 && !fromFile) {
        fprintf(stderr, "usage: ddraw_sequence FIRST_SEED SEEDS OPERATIONS | -f FILE\n");
        return 2;
    }
    HWND window = MakeWindow();
    if (window == NULL) {
        printf("no window\n");
        return 1;
    }
    Pump();
    if (fromFile) {
        return RunInput(window, 0, ReadInput(argv[2])) ? 0 : 1;
    }
    unsigned first = static_cast<unsigned>(strtoul(argv[1], NULL, 10));
    unsigned seeds = static_cast<unsigned>(strtoul(argv[2], NULL, 10));
    int count = atoi(argv[3]);
    for (unsigned seed = first; seed < first + seeds; ++seed) {
        if (!RunInput(window, seed, ddops::SeededInput(seed, count))) {
            return 1;
        }
    }
    DestroyWindow(window);
    return 0;
}
