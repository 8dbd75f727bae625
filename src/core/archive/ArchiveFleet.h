// The shared store's fleet, as jobs the command line calls (the store's
// owner's, and its readers'): the machines judged (pending, stale, behind),
// a machine approved or retired by what names it, the store made or
// upgraded with its group roles' rights granted and its label set, and
// what changed on the machines since a day (any store's). Each
// answers with its value, or the status of its failure. The command line's
// one thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/analysis/FleetStatus.h"
#include "core/analysis/TrendChanges.h"
#include "core/archive/RunArchive.h"
#include "core/records/ArchiveStatus.h"
#include "core/records/FleetRights.h"
#include "core/records/OpenedStore.h"
#include "core/records/RunFilter.h"

namespace torvik {

// The machines of the shared store at `now`, stale after `staleAfter`
// seconds without a word; the store's schema beside them.
struct FleetReport {
  std::vector<MachineStatus> machines;
  int storeSchema = 0;
};
ArchiveResult<FleetReport> ReadFleet(RunArchive& archive, int64_t now, int64_t staleAfter);

// What deciding a machine did: the machines `which` named (one was
// changed when exactly one was named), or NoRights before anything was
// tried where this role may not.
struct MachineDecision {
  std::vector<FleetMachine> named;
  bool changed = false;
};
ArchiveResult<MachineDecision> DecideMachine(RunArchive& archive, const QString& which, MachineState state);

// What --upgrade-store did: the schema it found and has, whether this
// session changed it (another may have been first), the rights granted,
// and the name its pages give it.
struct StoreUpgrade {
  OpenedStore opened;
  FleetRights rights{};
  QString label{};
};
// The shared store opened as its owner may (making or upgrading its
// schema), its rights granted and, when `label` is given, its label set;
// NoRights with the advice where this role may not.
ArchiveResult<StoreUpgrade> UpgradeFleetStore(RunArchive& archive, const std::optional<QString>& label);

// The changes of the runs of `filter` (its days aside: every series from
// `since` on against the one before it, however old; the newest
// kMostTrendRuns runs) judged at the false discovery rate.
ArchiveResult<ChangeReport> ChangesOf(RunArchive& archive, RunFilter filter, int64_t since);

}  // namespace torvik
