// The system clocks that every timing in TORVIK is read from.
// Any thread may call these functions.
#pragma once

#include <cstdint>

namespace torvik::platform {

// Milliseconds of a monotonic clock since the program started, read as a
// signed 32-bit value like the classic tick count. It never goes backwards
// and does not wrap within 24 days of running.
int32_t TickCount();

// Nanoseconds of the monotonic clock (CLOCK_MONOTONIC), and the tick count
// that the same reading gives: one read of the clock serves both.
int64_t MonotonicNanoseconds();
int32_t TickCountAt(int64_t monotonicNanoseconds);

// Blocks the calling thread for at least `milliseconds`.
void Sleep(int32_t milliseconds);

// The high-resolution performance counter: its ticks per second (false when
// there is no such counter) and its current reading.
bool PerformanceFrequency(int64_t& ticksPerSecond);
int64_t PerformanceCounter();

}  // namespace torvik::platform
