// What else the machine did while a test ran, looked at just before and just
// after the test, never inside its timed section: the processor time of
// other processes (all processors' busy time from /proc/stat less this
// process's own, its load threads included), each processor's clock where
// the kernel exposes cpufreq, compared with its own clock only, the frequency
// governor, whether it runs under a hypervisor (the CPUID bit, as
// /proc/cpuinfo's "hypervisor" flag), and the one-minute load average at the
// start. A reading out of its sane range counts as not read. GUI thread.
#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/SystemSources.h"

namespace torvik {

// The busy clock ticks of /proc/stat since boot: all processors together
// and each by its number. A line that cannot be read, or whose sum does not
// fit in 63 bits, is left out.
struct BusyTicks {
  std::optional<int64_t> all;
  std::map<int, int64_t> of;
};

// One look at the machine.
struct NoiseSample {
  BusyTicks busy;
  int64_t ownNanoseconds = 0;        // this process's processor time
  int64_t wallNanoseconds = 0;       // monotonic
  std::map<int, int64_t> clocksKhz;  // by processor number, from 1 kHz to 20 GHz; empty without cpufreq
  QString governor;                  // the first processor's, printable, at most 32 characters
  std::optional<double> loadAverage;
};

// The noise of one test (of all its passes, for the disk tests).
struct TestNoise {
  double seconds = 0;                       // wall time looked at
  std::optional<double> othersCoreSeconds;  // none without /proc/stat, or when its count went back
  // The lower and the higher of one processor's two clocks, start and end:
  // of the processor the test ran on whose clock moved most (of every
  // processor when the test ran on none for long). None without cpufreq.
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
  // That processor's clock moved by more than 5 % of its higher reading.
  bool ClockMoved() const;
  // Either of the two: the figure was not measured on a machine at rest.
  bool Flagged() const { return SharedProcessor() || ClockMoved(); }
  // What a plain warning says: empty when nothing was flagged.
  QString Warning() const;
  // The next pass of the same test: times add up; the clock range kept is
  // that of the pass whose processor moved more (two passes may have run on
  // two processors, whose clocks are never set against each other).
  void Merge(const TestNoise& later);
};

class MachineNoise {
 public:
  // `sources` must outlive the probe; the hypervisor flag and the clock
  // tick are read once.
  explicit MachineNoise(const platform::SystemSources& sources);

  NoiseSample Sample() const;
  // A test ran on the processors busy for at least a quarter of the time
  // between the looks; only their clocks count, or every processor's when
  // none was.
  TestNoise Between(const NoiseSample& start, const NoiseSample& end) const;

  // The parts, on their own (tests read captured files through them).
  static BusyTicks BusyTicksOf(const std::string& procStat);
  static bool HypervisorFlag(const std::string& cpuinfo);

 private:
  const platform::SystemSources& sources_;
  bool hypervisor_ = false;
  int64_t ticksPerSecond_ = 100;
  std::map<int, std::string> processors_;  // 0 -> "cpu0" ...: those with cpufreq
};

}  // namespace torvik
