// ProcessorTopology: the logical processors of this machine as the kernel
// describes them under /sys/devices/system/cpu (online ones only): which
// physical core and package each belongs to, its SMT siblings, its relative
// capacity where the kernel gives one, and on hybrid processors whether it
// is a performance or an efficiency core (/sys/devices/cpu_core/cpus and
// /sys/devices/cpu_atom/cpus). Read through SystemSources, so tests read a
// captured or synthetic tree. Plain values; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/SystemSources.h"

namespace torvik {

enum class CoreKind { Unknown, Performance, Efficiency };

struct LogicalProcessor {
  int id = 0;
  int package = 0;  // physical_package_id
  int die = 0;      // die_id
  int core = 0;     // core_id, unique within its package and die
  // thread_siblings_list: the logical processors of its physical core,
  // itself included, ascending.
  std::vector<int> siblings;
  std::optional<int> capacity;  // cpu_capacity (1024 for the fastest)
  CoreKind kind = CoreKind::Unknown;

  // The physical core it belongs to, by its lowest sibling.
  int CoreKey() const { return siblings.empty() ? id : siblings.front(); }
};

struct ProcessorTopology {
  std::vector<LogicalProcessor> processors;  // online, by id
  bool hybrid = false;                       // performance and efficiency cores both present

  const LogicalProcessor* Find(int id) const;
  int PhysicalCores() const;
};

// "0-3,8,10-11\n" -> 0 1 2 3 8 10 11; a malformed part ends the list there.
std::vector<int> ParseProcessorList(const std::string& text);

// The machine's processors; a processor whose topology files are missing
// counts as a core of its own in package 0.
ProcessorTopology ReadProcessorTopology(const platform::SystemSources& sources);

}  // namespace torvik
