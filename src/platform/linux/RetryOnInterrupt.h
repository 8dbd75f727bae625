// RetryOnInterrupt: a system call made again while a signal interrupts it
// (-1 with EINTR), for the calls TEMP_FAILURE_RETRY does not fit (open,
// fallocate and the like, whose result is an int). Any thread.
#pragma once

#include <cerrno>

namespace torvik::platform {

inline int RetryOnInterrupt(auto call) {
  int result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace torvik::platform
