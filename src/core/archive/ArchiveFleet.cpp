#include "core/archive/ArchiveFleet.h"

#include <algorithm>
#include <iterator>

#include "core/archive/StorePageReads.h"
#include "core/store/ResultStore.h"

namespace torvik {
namespace {

constexpr size_t kChangedMachinesARead = 25;

}  // namespace

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
  // Machine by machine, a few at a time: each one's runs since `since` and
  // the two series before (the one its first series since is compared
  // with, and one more in case a series began just before `since`), so
  // what is held grows with the series judged, not with the store.
  ResultStore& store = archive.Readable();
  filter.from.reset();
  const ArchiveResult<std::vector<MachineKey>> keys = store.MachinesOf(filter);
  if (!keys.Ok()) return keys.Status();
  RunFilter after = filter, before = filter;
  after.from = since;
  before.to = std::min(filter.to.value_or(since - 1), since - 1);
  std::vector<MachineTrend> trends;
  const std::vector<MachineKey>& all = keys.Value();
  for (size_t first = 0; first < all.size(); first += kChangedMachinesARead) {
    const std::vector<MachineKey> some(all.begin() + first,
                                       all.begin() + std::min(all.size(), first + kChangedMachinesARead));
    ArchiveResult<std::vector<StoredRun>> recent = store.NewestRunsOf(some, after, kMostTrendRuns);
    if (!recent.Ok()) return recent.Status();
    ArchiveResult<std::vector<std::pair<MachineKey, std::vector<std::vector<StoredRun>>>>> earlier =
        NewestSeriesOfMachines(store, some, before, 2);
    if (!earlier.Ok()) return earlier.Status();
    std::vector<StoredRun> runs = std::move(recent).Value();
    for (auto& [machine, series] : earlier.Value()) {
      for (std::vector<StoredRun>& one : series) std::move(one.begin(), one.end(), std::back_inserter(runs));
    }
    for (MachineTrend& trend : PlanTrends(std::move(runs))) trends.push_back(std::move(trend));
  }
  return ChangesSince(std::move(trends), since);
}

}  // namespace torvik
