// Linux clocks: CLOCK_MONOTONIC, so wall-clock changes never disturb a run.
#include "platform/Clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace torvik::platform {
int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

namespace {

// Taken during static initialisation, before any test can read the clock.
const int64_t kProgramStartMs = MonotonicNanoseconds() / 1'000'000;

}  // namespace

int32_t TickCountAt(int64_t monotonicNanoseconds) {
  return static_cast<int32_t>(monotonicNanoseconds / 1'000'000 - kProgramStartMs);
}

int32_t TickCount() { return TickCountAt(MonotonicNanoseconds()); }

void Sleep(int32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// CLOCK_MONOTONIC in nanoseconds serves as the performance counter.
bool PerformanceFrequency(int64_t& ticksPerSecond) {
  ticksPerSecond = 1'000'000'000;
  return true;
}

int64_t PerformanceCounter() { return MonotonicNanoseconds(); }

}  // namespace torvik::platform
