// Termination requests through sigaction: the handler only sets a lock-free flag.
#include "platform/system/signals.h"

#include <signal.h>

#include <atomic>

namespace {

std::atomic<bool> requested{false};  // set by the handler (any thread), read by the event loops
static_assert(std::atomic<bool>::is_always_lock_free, "the handler may only touch lock-free state");
bool installed = false;  // user-interface thread only

void note_request(int) { requested.store(true, std::memory_order_relaxed); }

}  // namespace

void signals_install() {
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = note_request;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool termination_requested() { return requested.load(std::memory_order_relaxed); }

void termination_set(bool value) { requested.store(value, std::memory_order_relaxed); }
