// What the kernel services tell the rest of the platform, beyond internal.h.
#pragma once

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace vplat::kernel {

// The executable's module handle (what GetModuleHandleA(NULL) answers).
HMODULE ModuleHandle();
// True while the virtual clock is in use.
bool VirtualClockInUse();
// The clock's reading, without a journal record (for message times).
DWORD Now();
// A clock of the system in seconds: the monotonic one unless another is
// named (the process's processor time, say). The one way the platform reads
// the time, wherever the game's own clock is not what is wanted.
double Seconds(clockid_t clock = CLOCK_MONOTONIC);
// Waits this long on the system's clock, whatever the game's clock is.
void Wait(double seconds);

// Every clock reading the game takes (GetTickCount) passes through the tap
// in force, which answers it: a recording writes it down, a replay answers
// what was recorded. Null (the default) leaves readings as they are.
using ClockTap = DWORD (*)(DWORD reading);
void SetClockTap(ClockTap tap);
// A reading of the game's clock, through the tap.
DWORD TakeReading();

// Opens `path` (open(2) access flags) only when it is a regular file, without
// ever blocking; -1 otherwise, with *why (when given) saying what is wrong:
// "is a directory", "is not a regular file", or the system's reason.
int OpenRegularFile(const char* path, int accessFlags, std::string* why);
// Up to `size` bytes at `offset` of a file OpenRegularFile opened, whoever
// else reads it: how many (0 at its end), or -1 with errno set.
int64_t ReadAt(int fd, int64_t offset, char* data, size_t size);
// The whole of a regular file of at most `maxBytes`, read without blocking on
// anything that is not one; false with *why set otherwise.
bool ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data,
                     std::string* why);

// Each kernel service's part of ResetKernel.
void ResetClock();
void ResetDebugOutput();
void ResetResources();
void ResetFiles();

}  // namespace vplat::kernel
