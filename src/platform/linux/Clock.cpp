// Linux tick count: CLOCK_MONOTONIC, so wall-clock changes never disturb a run.
#include "platform/Clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace torvik::platform {
namespace {

int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1'000'000;
}

// Taken during static initialisation, before any test can read the clock.
const int64_t kProgramStart = MonotonicMilliseconds();

}  // namespace

int32_t TickCount() { return static_cast<int32_t>(MonotonicMilliseconds() - kProgramStart); }

void Sleep(int32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace torvik::platform
