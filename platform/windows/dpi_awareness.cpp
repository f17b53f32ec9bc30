// Per-monitor DPI awareness, for the whole process.
#include "dpi_awareness.h"

#include <windows.h>

namespace vplat::windows {
namespace {

using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);

bool PerMonitorAware() {
    // Windows 10 1703 and later; looked up so that older systems still start.
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext");
    auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(found));
    return set != nullptr && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace

bool BeDpiAware() {
    return PerMonitorAware() || SetProcessDPIAware();
}

}  // namespace vplat::windows
