#include "platform/ProcessTimes.h"

#include <sys/resource.h>
#include <unistd.h>

namespace torvik::platform {
namespace {

int64_t Nanoseconds(const timeval& t) { return int64_t{t.tv_sec} * 1'000'000'000 + int64_t{t.tv_usec} * 1'000; }

}  // namespace

int64_t OwnProcessorNanoseconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return Nanoseconds(usage.ru_utime) + Nanoseconds(usage.ru_stime);
}

int64_t ClockTicksPerSecond() {
  const long ticks = sysconf(_SC_CLK_TCK);
  return ticks > 0 ? ticks : 100;
}

}  // namespace torvik::platform
