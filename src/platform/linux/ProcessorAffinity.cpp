#include "platform/ProcessorAffinity.h"

#include <pthread.h>
#include <sched.h>

#include <cerrno>

namespace torvik::platform {
namespace {

// A processor set of `count` processors, freed on every path.
class ProcessorSet {
 public:
  explicit ProcessorSet(int count) : count_(count), set_(CPU_ALLOC(count)) {
    if (set_ != nullptr) CPU_ZERO_S(Bytes(), set_);
  }
  ~ProcessorSet() {
    if (set_ != nullptr) CPU_FREE(set_);
  }
  ProcessorSet(const ProcessorSet&) = delete;
  ProcessorSet& operator=(const ProcessorSet&) = delete;

  cpu_set_t* Get() const { return set_; }
  size_t Bytes() const { return CPU_ALLOC_SIZE(count_); }
  int Count() const { return count_; }

 private:
  int count_;
  cpu_set_t* set_;
};

class LinuxAffinity : public ProcessorAffinity {
 public:
  std::vector<int> Allowed() const override {
    // Doubled until the kernel stops refusing the set as too small.
    for (int count = 1024; count <= (1 << 22); count *= 2) {
      ProcessorSet set(count);
      if (set.Get() == nullptr) return {};
      if (sched_getaffinity(0, set.Bytes(), set.Get()) == 0) {
        std::vector<int> allowed;
        for (int cpu = 0; cpu < count; ++cpu) {
          if (CPU_ISSET_S(cpu, set.Bytes(), set.Get())) allowed.push_back(cpu);
        }
        return allowed;
      }
      if (errno != EINVAL) return {};
    }
    return {};
  }

  int PinCallingThread(int processor) const override {
    if (processor < 0) return EINVAL;
    ProcessorSet set(processor + 1);
    if (set.Get() == nullptr) return ENOMEM;
    CPU_SET_S(processor, set.Bytes(), set.Get());
    return pthread_setaffinity_np(pthread_self(), set.Bytes(), set.Get());
  }

  int CallingThreadProcessor() const override { return sched_getcpu(); }
};

}  // namespace

const ProcessorAffinity& ProcessorAffinity::Default() {
  static const LinuxAffinity affinity;
  return affinity;
}

}  // namespace torvik::platform
