// A recording's clock readings, given back to the game in the order it took
// them: its FPS counter then counts what it counted when recorded, so the
// replayed frames show the same digits.
#include <algorithm>
#include <utility>

#include <velmora_platform.h>

#include "player/script_play.h"
#include "kernel/kernel.h"

namespace vplat::player {
namespace {

// The longest a replay waits between two readings: longer gaps are the game
// minimised (no frames, no readings), shown as this; and a damaged file's
// reading that goes back cannot hold the replay (and its Escape) for days.
constexpr double kLongestGapSeconds = 1.0;

struct Readings {
    script::EventQueue queue;
    bool answered = false;  // a reading has been answered
    uint32_t last = 0;      // the reading answered last
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
void WaitFor(Readings& readings, uint32_t value) {
    double now = kernel::Seconds();
    uint32_t gap = value - readings.last;
    bool first = !readings.answered;
    readings.answered = true;
    readings.last = value;
    if (first) {
        readings.due = now;
        return;
    }
    readings.due += std::min(gap / 1000.0, kLongestGapSeconds);  // wraps as the counter does
    double left = readings.due - now;
    if (left <= 0) {
        readings.due = now;
        return;
    }
    kernel::Wait(left);
}

DWORD Answer(DWORD reading) {
    Readings& readings = TheReadings();
    const script::Event* next = readings.queue.Next();
    if (next == nullptr) {
        return reading;  // past the recording's end: the clock's own
    }
    uint32_t value = next->reading;
    readings.queue.Pop();
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

void ReplayReadings(script::EventQueue readings, bool paced) {
    Readings& now = TheReadings();
    now = Readings();
    now.queue = std::move(readings);
    now.paced = paced;
    kernel::SetClockTap(now.queue.Next() != nullptr ? Answer : nullptr);
}

}  // namespace vplat::player
