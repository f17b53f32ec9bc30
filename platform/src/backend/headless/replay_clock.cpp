// A recording's clock readings, given back to the game in the order it took
// them: its FPS counter then counts what it counted when recorded, so the
// replayed frames show the same digits.
#include <time.h>

#include <algorithm>
#include <cerrno>

#include <velmora_platform.h>

#include "backend/headless/runner.h"
#include "kernel/kernel.h"

namespace vplat::headless {
namespace {

// The longest a replay waits between two readings: longer gaps are the game
// minimised (no frames, no readings), shown as this; and a damaged file's
// reading that goes back cannot hold the replay (and its Escape) for days.
constexpr double kLongestGapSeconds = 1.0;

struct Readings {
    std::vector<uint32_t> values;
    size_t next = 0;
    bool paced = false;
    // When, on the real clock, the last reading answered was due.
    double due = 0;
};

Readings& TheReadings() {
    static Readings readings;
    return readings;
}

// Holds the game back until the reading is due: the time between two
// readings of the recording passes between them in the replay too. A replay
// that falls behind goes on from where it is rather than rushing.
void WaitFor(Readings& readings) {
    double now = kernel::Seconds();
    if (readings.next == 1) {
        readings.due = now;
        return;
    }
    uint32_t gap = readings.values[readings.next - 1] - readings.values[readings.next - 2];
    readings.due += std::min(gap / 1000.0, kLongestGapSeconds);  // wraps as the counter does
    double left = readings.due - now;
    if (left <= 0) {
        readings.due = now;
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
    uint32_t value = readings.values[readings.next++];
    // The virtual clock goes on from the recorded time, so that readings
    // after the recording's last are no jump back.
    if (kernel::VirtualClockInUse()) {
        SetVirtualTime(value);
    }
    if (readings.paced) {
        WaitFor(readings);
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
