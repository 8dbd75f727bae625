// What else the machine did while a test ran, looked at just before and just
// after the test, never inside its timed section: the processor time of
// other processes (all processors' busy time from /proc/stat less this
// process's own, its load threads included), the processors' clocks where
// the kernel exposes cpufreq, the frequency governor, whether it runs under
// a hypervisor (the CPUID bit, as /proc/cpuinfo's "hypervisor" flag), and
// the one-minute load average at the start. GUI thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/SystemSources.h"

namespace torvik {

// One look at the machine.
struct NoiseSample {
  std::optional<int64_t> busyTicks;  // all processors, since boot
  int64_t ownNanoseconds = 0;        // this process's processor time
  int64_t wallNanoseconds = 0;       // monotonic
  std::vector<int64_t> clocksKhz;    // per processor; empty without cpufreq
  QString governor;                  // the first processor's; empty without cpufreq
  std::optional<double> loadAverage;
};

// The noise of one test (of all its passes, for the disk tests).
struct TestNoise {
  double seconds = 0;                       // wall time looked at
  std::optional<double> othersCoreSeconds;  // none without /proc/stat
  std::optional<int> clockMinMhz, clockMaxMhz;
  QString governor;
  bool hypervisor = false;
  std::optional<double> loadAverage;  // at the start
  double tickSeconds = 0.01;          // the grain of the kernel's processor-time counters

  // Other processes' processor time in percent of one core.
  std::optional<double> OthersCorePercent() const;
  // Others used more than 5 % of a core, and more than the counters' own
  // grain (three clock ticks) can blur.
  bool SharedProcessor() const;
  // The clock moved by more than 5 % of its highest reading.
  bool ClockMoved() const;
  // Either of the two: the figure was not measured on a machine at rest.
  bool Flagged() const { return SharedProcessor() || ClockMoved(); }
  // What a plain warning says: empty when nothing was flagged.
  QString Warning() const;
  // The next pass of the same test: times add up, the clock range widens.
  void Merge(const TestNoise& later);
};

class MachineNoise {
 public:
  // `sources` must outlive the probe; the hypervisor flag and the clock
  // tick are read once.
  explicit MachineNoise(const platform::SystemSources& sources);

  NoiseSample Sample() const;
  TestNoise Between(const NoiseSample& start, const NoiseSample& end) const;

  // The parts, on their own (tests read captured files through them).
  static std::optional<int64_t> BusyTicks(const std::string& procStat);
  static bool HypervisorFlag(const std::string& cpuinfo);

 private:
  const platform::SystemSources& sources_;
  bool hypervisor_ = false;
  int64_t ticksPerSecond_ = 100;
  std::vector<std::string> processors_;  // cpu0, cpu1 ... with cpufreq
};

}  // namespace torvik
