// ProcessorAllowance: how many of the machine's logical processors this
// program may use, which ones, and why fewer: the scheduler's affinity
// (taskset, numactl, a container runtime), the control group's cpuset
// (cgroup v2 cpuset.cpus.effective, v1 cpuset.effective_cpus) and its
// processor-time quota (cgroup v2 cpu.max, v1 cfs_quota_us / cfs_period_us,
// the strictest of the group and its parents). The cgroup files are read
// through SystemSources, so tests give a captured tree. Plain values; any
// thread.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "core/cores/ProcessorTopology.h"
#include "platform/SystemSources.h"

namespace torvik {

struct ProcessorAllowance {
  int machineProcessors = 0;  // logical processors online
  std::vector<int> usable;    // those this program may run on, ascending
  // How many threads may run at once: usable.size(), fewer under a quota
  // (whole processors of it, at least one).
  int usableCount = 0;
  bool limitedByAffinity = false;
  bool limitedByCpuset = false;
  std::optional<double> quotaProcessors;  // the quota in processors, where one is set

  bool Fewer() const { return usableCount < machineProcessors; }
  // The quota leaves fewer threads than processors usable.
  bool LimitedByQuota() const { return quotaProcessors && usableCount < static_cast<int>(usable.size()); }
  // Why fewer as words for the machine-readable outputs, in this order:
  // "affinity", "cpuset", "quota"; empty when all may be used.
  std::vector<std::string> Reasons() const;
  // Why fewer, in the user's words ("CPU アフィニティ（taskset など）で 1 個に
  // 制限"...), the reasons joined by "、"; empty when all may be used.
  QString WhyFewer() const;
};

// The control group's limits as its files state them.
struct CgroupLimits {
  std::optional<std::vector<int>> cpuset;
  std::optional<double> quotaProcessors;
};

// "150000 100000" -> 1.5; "max 100000" (no quota) and malformed text -> none.
std::optional<double> ParseCpuMax(const std::string& text);

// The limits of the group this process runs in (/proc/self/cgroup), v2
// first, then v1's cpuset and cpu controllers.
CgroupLimits ReadCgroupLimits(const platform::SystemSources& sources);

// The processors of `topology` that the affinity (empty: not known) and the
// group's cpuset both allow, and the quota's count.
ProcessorAllowance CombineAllowance(const ProcessorTopology& topology, const std::vector<int>& affinity,
                                    const CgroupLimits& limits);

}  // namespace torvik
