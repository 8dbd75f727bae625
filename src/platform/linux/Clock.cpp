// Linux clocks: CLOCK_MONOTONIC, so wall-clock changes never disturb a run.
#include "platform/Clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace torvik::platform {
namespace {

int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

int64_t MonotonicMilliseconds() { return MonotonicNanoseconds() / 1'000'000; }

// Taken during static initialisation, before any test can read the clock.
const int64_t kProgramStart = MonotonicMilliseconds();

}  // namespace

int32_t TickCount() { return static_cast<int32_t>(MonotonicMilliseconds() - kProgramStart); }

void Sleep(int32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// CLOCK_MONOTONIC in nanoseconds serves as the performance counter.
bool PerformanceFrequency(int64_t& ticksPerSecond) {
  ticksPerSecond = 1'000'000'000;
  return true;
}

int64_t PerformanceCounter() { return MonotonicNanoseconds(); }

}  // namespace torvik::platform
