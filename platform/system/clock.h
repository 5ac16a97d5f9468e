// Millisecond clock and sleep (the multimedia timer's stand-in). Tests and the replay harness can
// switch to a virtual clock that moves only when told to (or by the sleeps the game makes).
#pragma once
#include <cstdint>

// Milliseconds since an arbitrary start; wraps like a 32-bit tick count.
uint32_t clock_now_ms();
// Sleeps at least ms milliseconds (on the virtual clock: advances it by ms at once).
void clock_sleep_ms(uint32_t ms);
// Nanoseconds on the same monotonic clock (the virtual clock's milliseconds, scaled).
int64_t clock_now_ns();
// Sleeps until the monotonic clock reads at least ns (on the virtual clock: moves it there).
void clock_sleep_until_ns(int64_t ns);
// CPU time all the process's threads have used, in nanoseconds (0 when unknown).
int64_t clock_process_cpu_ns();
// True when the clock and sleeps work at 1 ms resolution or finer (the 1 ms timer period).
bool clock_has_1ms_period();

// Virtual clock: while on, clock_now_ms returns the virtual time and clock_sleep_ms advances it.
void clock_use_virtual(bool on, uint32_t start_ms = 0);
void clock_advance_ms(uint32_t ms);
bool clock_is_virtual();
