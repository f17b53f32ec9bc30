// OutputDebugStringA, wrapped at link time: the text goes to the debugger
// (DebugView) as always and, with --verbose, also to standard error, where
// the Linux program shows it.
#include <windows.h>

#include <cstdio>

#include <velmora_platform.h>

using OutputDebugStringCall = void(WINAPI*)(LPCSTR);
extern "C" OutputDebugStringCall __real___imp_OutputDebugStringA;

namespace {

bool g_echo = false;

void WINAPI OutputDebugStringEchoed(LPCSTR text) {
    __real___imp_OutputDebugStringA(text);
    if (g_echo && text != nullptr) {
        fputs(text, stderr);
        fflush(stderr);
    }
}

}  // namespace

namespace vplat {

void EchoDebugOutput(bool toStandardError) {
    g_echo = toStandardError;
}

}  // namespace vplat

// What the import slot is redirected to: a slot of ours.
extern "C" {
OutputDebugStringCall __wrap___imp_OutputDebugStringA = OutputDebugStringEchoed;
}
