// OutputDebugStringA: no debugger here, so the text goes to standard error
// at once, and is kept for tests to read.
#include <unistd.h>

#include <cstring>

#include "core/entry.h"
#include "internal.h"
#include "kernel/kernel.h"

namespace vplat {
namespace {

// A long run must not grow the kept text without end: past this size the
// oldest half is dropped.
constexpr size_t kKeptLimit = 1 << 20;

std::string g_debugOutput;
// A player's terminal is spared the set-up lines unless asked for them;
// tests and headless runs read them on standard error.
bool g_echo = true;

void WriteToStandardError(const char* text, size_t length) {
    while (length > 0) {
        ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0) {
            return;
        }
        text += written;
        length -= static_cast<size_t>(written);
    }
}

}  // namespace

std::string DebugOutput() {
    return g_debugOutput;
}

void EchoDebugOutput(bool toStandardError) {
    g_echo = toStandardError;
}

namespace internal {

void AppendDebugOutput(const char* text) {
    g_debugOutput += text;
    if (g_debugOutput.size() > kKeptLimit) {
        g_debugOutput.erase(0, g_debugOutput.size() - kKeptLimit / 2);
    }
}

void DebugNote(const char* text) {
    if (g_echo) {
        WriteToStandardError(text, strlen(text));
    }
    AppendDebugOutput(text);
}

}  // namespace internal

namespace kernel {

void ResetDebugOutput() {
    g_debugOutput.clear();
    g_echo = true;
}

}  // namespace kernel
}  // namespace vplat

void WINAPI OutputDebugStringA(LPCSTR text) {
    auto args = [&] {
        return text ? vplat::internal::Format("text=\"%.200s\"", text) : "text=NULL";
    };
    vplat::entry::RunThen(
        vplat::entry::Name::OutputDebugStringA, args, [] {},
        [&] {
            if (text == nullptr) {
                return;
            }
            if (vplat::g_echo) {
                vplat::WriteToStandardError(text, strlen(text));
            }
            vplat::internal::AppendDebugOutput(text);
        });
}
