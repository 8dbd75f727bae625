#include "core/analysis/FleetStatus.h"

#include <algorithm>
#include <tuple>

namespace torvik {

std::vector<MachineStatus> JudgeFleet(const std::vector<FleetMachine>& machines, int64_t now, int64_t staleAfter,
                                      int storeSchema) {
  int newest = storeSchema;
  for (const FleetMachine& machine : machines) newest = std::max(newest, machine.lastSchema.value_or(0));
  std::vector<MachineStatus> judged;
  for (const FleetMachine& machine : machines) {
    MachineStatus& status = judged.emplace_back(MachineStatus{.machine = machine});
    const std::optional<int64_t> heard = machine.LastHeard();
    status.stale = machine.state != MachineState::Retired && (!heard || now - *heard > staleAfter);
    status.behind = machine.state != MachineState::Retired && machine.lastRun &&
                    (!machine.lastSchema || *machine.lastSchema < newest);
  }
  std::stable_sort(judged.begin(), judged.end(), [](const MachineStatus& a, const MachineStatus& b) {
    return std::tuple(static_cast<int>(a.machine.state), a.machine.Name().toLower(), a.machine.machineId) <
           std::tuple(static_cast<int>(b.machine.state), b.machine.Name().toLower(), b.machine.machineId);
  });
  return judged;
}

std::vector<FleetMachine> MachinesNamed(const std::vector<FleetMachine>& machines, const QString& which) {
  constexpr qsizetype kShortestPrefix = 6;
  const QString wanted = which.trimmed();
  std::vector<FleetMachine> named;
  if (wanted.isEmpty()) return named;
  for (const FleetMachine& machine : machines) {
    if (machine.machineId == wanted ||
        (wanted.size() >= kShortestPrefix && machine.machineId.startsWith(wanted.toLower()))) {
      named.push_back(machine);
    }
  }
  if (!named.empty()) return named;
  for (const FleetMachine& machine : machines) {
    if (machine.Name().compare(wanted, Qt::CaseInsensitive) == 0) named.push_back(machine);
  }
  return named;
}

}  // namespace torvik
