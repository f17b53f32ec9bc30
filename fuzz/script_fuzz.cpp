// Untrusted text as a headless script or a recording: a parse either fails
// with one line saying where, or gives events that are sound and in the order
// they fire; and the same, read in parts as a file playing is.
#include <cstdint>
#include <string>
#include <vector>

#include "script/script.h"
#include "fuzz_check.h"

using vplat::script::Action;
using vplat::script::Event;

// A file played as it is read reaches the parser in blocks: cut anywhere,
// the text must give the same events, or the same fault, as read whole.
void CheckInParts(const std::string& text, const std::vector<Event>& whole,
                  const std::string& wholeError) {
    size_t part = text.empty() ? 1 : static_cast<unsigned char>(text[0]) % 16 + 1;
    vplat::script::Parser parser("fuzz.txt");
    std::vector<Event> events;
    bool ok = true;
    for (size_t at = 0; ok && at < text.size(); at += part) {
        ok = parser.Feed(std::string_view(text).substr(at, part), &events);
    }
    ok = ok && parser.Finish(&events);
    FUZZ_CHECK(ok == wholeError.empty());
    FUZZ_CHECK(parser.Error() == wholeError);
    if (ok && parser.InFrameOrder()) {
        FUZZ_CHECK(events.size() == whole.size());
        for (size_t i = 0; i < events.size(); ++i) {
            FUZZ_CHECK(events[i].line == whole[i].line && events[i].frame == whole[i].frame);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Event> events;
    std::string error;
    bool parsed = vplat::script::ParseScript(text, "fuzz.txt", &events, &error);
    CheckInParts(text, events, error);
    if (!parsed) {
        FUZZ_CHECK(error.compare(0, 9, "fuzz.txt:") == 0);
        FUZZ_CHECK(error.find('\n') == std::string::npos);
        return 0;
    }
    FUZZ_CHECK(error.empty());
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& event = events[i];
        FUZZ_CHECK(event.frame >= 0 && event.frame <= 1000000000);
        FUZZ_CHECK(event.line >= 1);
        bool keyed = event.action == Action::Down || event.action == Action::Up ||
                     event.action == Action::Tap;
        FUZZ_CHECK(keyed == (event.key != 0));
        FUZZ_CHECK(event.polls >= 0 && event.polls <= 1000000000);
        // Only a clock line carries a reading.
        FUZZ_CHECK(event.action == Action::Tick || event.reading == 0);
        if (i > 0) {
            // By frame, and in the script's own order within a frame.
            const Event& before = events[i - 1];
            FUZZ_CHECK(before.frame <= event.frame);
            FUZZ_CHECK(before.frame < event.frame || before.line <= event.line);
        }
    }
    return 0;
}
