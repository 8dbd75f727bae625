// The processor time this process has used, its threads included, and the
// unit the kernel counts processor time in (/proc/stat's clock ticks). Any
// thread.
#pragma once

#include <cstdint>

namespace torvik::platform {

// User plus system time of the whole process (getrusage RUSAGE_SELF).
int64_t OwnProcessorNanoseconds();

// Clock ticks per second of /proc/stat (sysconf _SC_CLK_TCK), 100 on Linux.
int64_t ClockTicksPerSecond();

}  // namespace torvik::platform
