#include "core/cores/ProcessorAllowance.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/machine/SysInfoParsers.h"

namespace torvik {
namespace {

// One line of /proc/self/cgroup: "hierarchy:controllers:path".
struct CgroupLine {
  std::string controllers;
  std::string path;
};

std::vector<CgroupLine> ParseCgroupFile(const std::string& text) {
  std::vector<CgroupLine> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t first = line.find(':');
    const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    lines.push_back({line.substr(first + 1, second - first - 1), line.substr(second + 1)});
  }
  return lines;
}

bool HasController(const std::string& controllers, const std::string& name) {
  std::istringstream in(controllers);
  std::string part;
  while (std::getline(in, part, ',')) {
    if (part == name) return true;
  }
  return false;
}

// The folder of `path` under a hierarchy mounted at `mount`; where a
// container shows its own group as the mount's root, the mount itself.
std::optional<std::string> GroupFolder(const platform::SystemSources& sources, const std::string& mount,
                                       const std::string& path) {
  const std::string joined = path == "/" ? mount : mount + path;
  if (!sources.ListDirectory(joined).empty()) return joined;
  if (!sources.ListDirectory(mount).empty()) return mount;
  return std::nullopt;
}

// The group's folder and its parents up to the mount, innermost first.
std::vector<std::string> FolderAndParents(const std::string& folder, const std::string& mount) {
  std::vector<std::string> folders{folder};
  std::string at = folder;
  while (at.size() > mount.size()) {
    at = at.substr(0, at.rfind('/'));
    if (at.size() < mount.size()) break;
    folders.push_back(at);
  }
  return folders;
}

std::optional<int64_t> ReadNumber(const platform::SystemSources& sources, const std::string& path) {
  const auto text = sources.ReadFile(path);
  if (!text || text->empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(text->c_str(), &end, 10);
  if (end == text->c_str()) return std::nullopt;
  return value;
}

void TakeStricter(std::optional<double>& quota, std::optional<double> other) {
  if (other && (!quota || *other < *quota)) quota = other;
}

std::string MountOf(const std::vector<MountEntry>& mounts, const QString& fsType, const QString& preferred) {
  std::string found;
  for (const MountEntry& m : mounts) {
    if (m.fsType != fsType) continue;
    if (m.mountPoint == preferred) return m.mountPoint.toStdString();
    if (found.empty()) found = m.mountPoint.toStdString();
  }
  return found;
}

}  // namespace

std::optional<double> ParseCpuMax(const std::string& text) {
  std::istringstream in(text);
  std::string quota, period;
  if (!(in >> quota >> period) || quota == "max") return std::nullopt;
  char* end = nullptr;
  const double q = std::strtod(quota.c_str(), &end);
  if (*end != '\0') return std::nullopt;
  const double p = std::strtod(period.c_str(), &end);
  if (*end != '\0' || !(q > 0) || !(p > 0)) return std::nullopt;
  return q / p;
}

CgroupLimits ReadCgroupLimits(const platform::SystemSources& sources) {
  CgroupLimits limits;
  const auto cgroupText = sources.ReadFile("/proc/self/cgroup");
  if (!cgroupText) return limits;
  const std::vector<CgroupLine> lines = ParseCgroupFile(*cgroupText);
  const auto mountText = sources.ReadFile("/proc/self/mountinfo");
  const std::vector<MountEntry> mounts = mountText ? ParseMountInfo(*mountText) : std::vector<MountEntry>{};

  for (const CgroupLine& line : lines) {
    if (!line.controllers.empty()) continue;
    // cgroup v2: one hierarchy for every controller.
    std::string mount = MountOf(mounts, QStringLiteral("cgroup2"), QStringLiteral("/sys/fs/cgroup"));
    if (mount.empty()) mount = "/sys/fs/cgroup";
    const auto folder = GroupFolder(sources, mount, line.path);
    if (!folder) continue;
    if (const auto cpus = sources.ReadFile(*folder + "/cpuset.cpus.effective")) {
      const std::vector<int> list = ParseProcessorList(*cpus);
      if (!list.empty()) limits.cpuset = list;
    }
    for (const std::string& at : FolderAndParents(*folder, mount)) {
      if (const auto max = sources.ReadFile(at + "/cpu.max")) TakeStricter(limits.quotaProcessors, ParseCpuMax(*max));
    }
  }
  for (const CgroupLine& line : lines) {
    // cgroup v1: a hierarchy per controller, by convention under /sys/fs/cgroup.
    if (!limits.cpuset && HasController(line.controllers, "cpuset")) {
      if (const auto folder = GroupFolder(sources, "/sys/fs/cgroup/cpuset", line.path)) {
        if (const auto cpus = sources.ReadFile(*folder + "/cpuset.effective_cpus")) {
          const std::vector<int> list = ParseProcessorList(*cpus);
          if (!list.empty()) limits.cpuset = list;
        }
      }
    }
    if (HasController(line.controllers, "cpu")) {
      for (const std::string mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
        const auto folder = GroupFolder(sources, mount, line.path);
        if (!folder) continue;
        for (const std::string& at : FolderAndParents(*folder, mount)) {
          const auto quota = ReadNumber(sources, at + "/cpu.cfs_quota_us");
          const auto period = ReadNumber(sources, at + "/cpu.cfs_period_us");
          if (quota && period && *quota > 0 && *period > 0) {
            TakeStricter(limits.quotaProcessors, static_cast<double>(*quota) / static_cast<double>(*period));
          }
        }
        break;
      }
    }
  }
  return limits;
}

ProcessorAllowance CombineAllowance(const ProcessorTopology& topology, const std::vector<int>& affinity,
                                    const CgroupLimits& limits) {
  ProcessorAllowance allowance;
  allowance.machineProcessors = static_cast<int>(topology.processors.size());
  const auto in = [](const std::vector<int>& list, int id) {
    return std::find(list.begin(), list.end(), id) != list.end();
  };
  for (const LogicalProcessor& p : topology.processors) {
    // The scheduler's mask already holds the cpuset's limit: a processor
    // the cpuset leaves out is the cpuset's doing, the mask's only when the
    // cpuset allows it.
    const bool byCpuset = limits.cpuset && !in(*limits.cpuset, p.id);
    const bool byAffinity = !byCpuset && !affinity.empty() && !in(affinity, p.id);
    allowance.limitedByAffinity |= byAffinity;
    allowance.limitedByCpuset |= byCpuset;
    if (!byAffinity && !byCpuset) allowance.usable.push_back(p.id);
  }
  allowance.usableCount = static_cast<int>(allowance.usable.size());
  if (limits.quotaProcessors) {
    allowance.quotaProcessors = limits.quotaProcessors;
    const int quotaCount = std::max(1, static_cast<int>(std::floor(*limits.quotaProcessors + 1e-9)));
    allowance.usableCount = std::min(allowance.usableCount, quotaCount);
  }
  return allowance;
}

std::vector<std::string> ProcessorAllowance::Reasons() const {
  std::vector<std::string> reasons;
  if (limitedByAffinity) reasons.emplace_back("affinity");
  if (limitedByCpuset) reasons.emplace_back("cpuset");
  if (LimitedByQuota()) reasons.emplace_back("quota");
  return reasons;
}

QString ProcessorAllowance::WhyFewer() const {
  if (!Fewer()) return {};
  QStringList reasons;
  if (limitedByAffinity) {
    reasons << QCoreApplication::translate("ProcessorAllowance", "CPU アフィニティ（taskset など）による制限");
  }
  if (limitedByCpuset) {
    reasons << QCoreApplication::translate("ProcessorAllowance", "cgroup の cpuset による制限");
  }
  if (LimitedByQuota()) {
    reasons << QCoreApplication::translate("ProcessorAllowance", "cgroup の CPU 時間の上限（%1 CPU 分）")
                   .arg(QString::number(*quotaProcessors, 'g', 4));
  }
  if (reasons.isEmpty()) reasons << QCoreApplication::translate("ProcessorAllowance", "理由不明の制限");
  return QCoreApplication::translate("ProcessorAllowance", "論理プロセッサ %1 個のうち %2 個を使用: %3")
      .arg(machineProcessors)
      .arg(usableCount)
      .arg(reasons.join(QStringLiteral("、")));
}

}  // namespace torvik
