// What a test does to the X server behind the game's back, from a
// connection of its own.
#pragma once

#include <string>

namespace velmora_test {

// Detaches a shared-memory segment another client attached (its server-side
// name); false with the reason in *error where it could not.
bool DetachSegment(const char* display, unsigned long segment, std::string* error);

// Closes the connection of the client that owns `resource`, as the server
// does to a client it drops.
bool KillClientOf(const char* display, unsigned long resource, std::string* error);

// Sends an event to a window that is gone, from a connection of its own, as
// SDL's wake-up does when the window it wakes was destroyed meanwhile; with
// `send` false, maps that window instead: an error no program expects.
bool ReachWindowGone(const char* display, bool send, std::string* error);

}  // namespace velmora_test
