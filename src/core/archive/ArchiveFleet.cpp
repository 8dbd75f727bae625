#include "core/archive/ArchiveFleet.h"

#include "core/store/ResultStore.h"

namespace torvik {

ArchiveResult<FleetReport> ReadFleet(RunArchive& archive, int64_t now, int64_t staleAfter) {
  ResultStore& store = archive.Compared();
  const ArchiveResult<OpenedStore> opened = store.Open();
  if (!opened.Ok()) return opened.Status();
  const ArchiveResult<std::vector<FleetMachine>> machines = store.Machines(now);
  if (!machines.Ok()) return machines.Status();
  const int schema = opened.Value().foundVersion;
  return FleetReport{JudgeFleet(machines.Value(), now, staleAfter, schema), schema};
}

ArchiveResult<MachineDecision> DecideMachine(RunArchive& archive, const QString& which, MachineState state) {
  ResultStore& store = archive.Compared();
  const ArchiveResult<bool> allowed = store.MayDecideMachines();
  if (!allowed.Ok()) return allowed.Status();
  if (!allowed.Value()) {
    return ArchiveStatus::Failure(
        FailureKind::NoRights,
        QStringLiteral("%1: only the store's owner approves and retires machines").arg(archive.ComparedShown()));
  }
  const ArchiveResult<std::vector<FleetMachine>> machines = store.Machines(0);
  if (!machines.Ok()) return machines.Status();
  MachineDecision decision{.named = MachinesNamed(machines.Value(), which)};
  if (decision.named.size() != 1) return decision;
  const ArchiveResult<int> changed = store.SetMachineState(decision.named.front().machineId, state);
  if (!changed.Ok()) return changed.Status();
  decision.changed = changed.Value() == 1;
  decision.named.front().state = state;
  return decision;
}

ArchiveResult<StoreUpgrade> UpgradeFleetStore(RunArchive& archive, const std::optional<QString>& label) {
  ResultStore& store = archive.Compared();
  ArchiveResult<OpenedStore> opened = store.Open();
  if (!opened.Ok()) return opened.Status();
  StoreUpgrade upgrade{.opened = opened.Value()};
  if (upgrade.opened.version < upgrade.opened.foundVersion) return upgrade;  // a newer TORVIK's: left as it is
  if (!opened.Value().advice.isEmpty()) return ArchiveStatus::Failure(FailureKind::NoRights, opened.Value().advice);
  const ArchiveResult<FleetRights> rights = store.GrantRights();
  if (!rights.Ok()) return rights.Status();
  upgrade.rights = rights.Value();
  if (label) {
    if (ArchiveStatus set = store.SetLabel(*label); !set.Ok()) return set;
  }
  upgrade.label = archive.ComparedLabel();
  return upgrade;
}

ArchiveResult<ChangeReport> ChangesOf(RunArchive& archive, RunFilter filter, int64_t since) {
  filter.from.reset();  // the series before `since` are what the first ones after it are compared with
  const ArchiveResult<std::vector<StoredRun>> runs = archive.Readable().RunsWithTests(filter, kMostTrendRuns);
  if (!runs.Ok()) return runs.Status();
  return ChangesSince(PlanTrends(runs.Value()), since);
}

}  // namespace torvik
