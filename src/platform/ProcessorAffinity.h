// ProcessorAffinity: which processors this process may run on, and pinning
// the calling thread to one of them (sched_getaffinity and
// pthread_setaffinity_np on Linux, with a processor set as large as the
// kernel's rather than a fixed 1024 bits). The program uses
// ProcessorAffinity::Default(); tests substitute a fake that allows a set
// of their own or refuses a pin. Stateless: any thread may call it, and
// each measuring thread pins itself.
#pragma once

#include <vector>

namespace torvik::platform {

class ProcessorAffinity {
 public:
  virtual ~ProcessorAffinity() = default;
  // The processor numbers the process may run on (as taskset and a
  // cgroup's cpuset leave them), ascending; empty when the system cannot say.
  virtual std::vector<int> Allowed() const = 0;
  // Binds the calling thread to `processor` alone: 0, or the errno
  // (EINVAL: a processor the process may not use or that does not exist).
  virtual int PinCallingThread(int processor) const = 0;
  // The processor the calling thread runs on now, or -1.
  virtual int CallingThreadProcessor() const = 0;

  // This machine; lives for the whole program.
  static const ProcessorAffinity& Default();
};

}  // namespace torvik::platform
