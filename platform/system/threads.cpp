// Events over one process-wide mutex and condition variable: simple, and a wait for any of
// several events needs nothing more.
#include "platform/system/threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

struct Event {
    bool signalled = false;  // guarded by event_mutex
    int waiters = 0;         // threads in event_wait_any on this event; guarded by event_mutex
};

namespace {
std::mutex event_mutex;             // guards every Event
std::condition_variable event_cv;   // woken by every change of an Event
}  // namespace

void EventCloser::operator()(Event* event) const { delete event; }

EventHandle event_create() { return EventHandle(new (std::nothrow) Event); }

void event_set(Event* event) {
    if (!event) return;
    std::lock_guard<std::mutex> lock(event_mutex);
    event->signalled = true;
    event_cv.notify_all();
}

int event_wait_any(Event* const* events, int count) {
    if (!events || count <= 0) return -1;
    std::unique_lock<std::mutex> lock(event_mutex);
    for (int i = 0; i < count; ++i) ++events[i]->waiters;
    event_cv.notify_all();  // a waiter arrived (event_wait_idle watches for it)
    for (;;) {
        for (int i = 0; i < count; ++i) {
            if (events[i]->signalled) {
                events[i]->signalled = false;
                for (int j = 0; j < count; ++j) --events[j]->waiters;
                event_cv.notify_all();
                return i;
            }
        }
        event_cv.wait(lock);
    }
}

void sleep_real_ms(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool event_wait_idle(Event* const* events, int count, uint32_t timeout_ms) {
    if (!events || count <= 0) return false;
    std::unique_lock<std::mutex> lock(event_mutex);
    return event_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        if (events[0]->waiters == 0) return false;
        for (int i = 0; i < count; ++i)
            if (events[i]->signalled) return false;
        return true;
    });
}
