// Coordination of the game's threads (the Win32 events' stand-in): auto-reset events with a
// wait for any of several, and a sleep in real time for threads that poll each other.
#pragma once
#include <cstdint>
#include <memory>

struct Event;
struct EventCloser {
    void operator()(Event* event) const;
};
using EventHandle = std::unique_ptr<Event, EventCloser>;

// A new auto-reset event, not signalled. Null when it cannot be made.
EventHandle event_create();
// Signals an event: the next wait that includes it returns it (once) and resets it.
void event_set(Event* event);
// Blocks until one of count events is signalled, resets it and returns its index (the lowest
// when several are); -1 for no events. No time-out.
int event_wait_any(Event* const* events, int count);

// Sleeps ms milliseconds of real time, whatever the game clock does (the virtual clock of tests
// included): for threads that wait for each other.
void sleep_real_ms(uint32_t ms);

// Test seam: waits, at most timeout_ms of real time, until some thread is blocked in
// event_wait_any on events[0] and none of the events is signalled, i.e. whatever they woke has
// been handled. True when that happened.
bool event_wait_idle(Event* const* events, int count, uint32_t timeout_ms);
