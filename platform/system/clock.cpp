// Monotonic millisecond clock over clock_gettime, with a virtual clock for tests and replays.
#include "platform/system/clock.h"

#include <time.h>

#include <atomic>
#include <cerrno>

namespace {
std::atomic<bool> virtual_on{false};   // read by every thread that asks the time
std::atomic<uint32_t> virtual_ms{0};
}  // namespace

uint32_t clock_now_ms() {
    if (virtual_on.load()) return virtual_ms.load();
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void clock_sleep_ms(uint32_t ms) {
    if (virtual_on.load()) {
        virtual_ms.fetch_add(ms);
        return;
    }
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

int64_t clock_now_ns() {
    if (virtual_on.load()) return static_cast<int64_t>(virtual_ms.load()) * 1000000;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void clock_sleep_until_ns(int64_t ns) {
    if (virtual_on.load()) {
        const int64_t now = clock_now_ns();
        if (ns > now) virtual_ms.fetch_add(static_cast<uint32_t>((ns - now + 999999) / 1000000));
        return;
    }
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

int64_t clock_process_cpu_ns() {
    timespec ts;
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0) return 0;
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool clock_has_1ms_period() {
    if (virtual_on.load()) return true;
    timespec res;
    if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return false;
    return res.tv_sec == 0 && res.tv_nsec <= 1000000L;
}

void clock_use_virtual(bool on, uint32_t start_ms) {
    virtual_ms.store(start_ms);
    virtual_on.store(on);
}

void clock_advance_ms(uint32_t ms) { virtual_ms.fetch_add(ms); }

bool clock_is_virtual() { return virtual_on.load(); }
