// A recording's clock readings, given back to the game in the order it took
// them: its FPS counter then counts what it counted when recorded, so the
// replayed frames show the same digits.
#include <time.h>

#include <cerrno>

#include "backend/headless/script.h"
#include <velmora_platform.h>

#include "kernel/kernel.h"

namespace vplat::headless {
namespace {

struct Readings {
    std::vector<uint32_t> values;
    size_t next = 0;
    bool paced = false;
    // Where the first reading was answered, on the real clock.
    timespec start{};
};

Readings& TheReadings() {
    static Readings readings;
    return readings;
}

double SecondsSince(const timespec& start) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec - start.tv_sec) +
           static_cast<double>(now.tv_nsec - start.tv_nsec) / 1e9;
}

// Holds the game back until the reading is due: the time between two
// readings of the recording passes between them in the replay too.
void WaitFor(const Readings& readings, uint32_t value) {
    uint32_t sinceFirst = value - readings.values[0];  // wraps as the counter does
    double left = sinceFirst / 1000.0 - SecondsSince(readings.start);
    if (left <= 0) {
        return;
    }
    timespec wait{static_cast<time_t>(left),
                  static_cast<long>((left - static_cast<time_t>(left)) * 1e9)};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

DWORD Answer(DWORD reading) {
    Readings& readings = TheReadings();
    if (readings.next >= readings.values.size()) {
        return reading;  // past the recording's end: the clock's own
    }
    if (readings.next == 0) {
        clock_gettime(CLOCK_MONOTONIC, &readings.start);
    }
    uint32_t value = readings.values[readings.next++];
    // The virtual clock goes on from the recorded time, so that readings
    // after the recording's last are no jump back.
    if (kernel::VirtualClockInUse()) {
        SetVirtualTime(value);
    }
    if (readings.paced) {
        WaitFor(readings, value);
    }
    return value;
}

}  // namespace

void ReplayReadings(const std::vector<uint32_t>& values, bool paced) {
    Readings& readings = TheReadings();
    readings = Readings();
    readings.values = values;
    readings.paced = paced;
    kernel::SetClockTap(values.empty() ? nullptr : Answer);
}

}  // namespace vplat::headless
