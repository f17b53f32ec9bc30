// What the kernel services tell the rest of the platform, beyond internal.h.
#pragma once

#include <windows.h>

namespace vplat::kernel {

// The executable's module handle (what GetModuleHandleA(NULL) answers).
HMODULE ModuleHandle();
// True while the virtual clock is in use.
bool VirtualClockInUse();
// The clock's reading, without a journal record (for message times).
DWORD Now();

// Each kernel service's part of ResetKernel.
void ResetClock();
void ResetDebugOutput();
void ResetResources();
void ResetFiles();

}  // namespace vplat::kernel
