#include "core/archive/ArchiveReads.h"

#include <limits>

#include "core/analysis/PointSelection.h"
#include "core/store/ResultStore.h"

namespace torvik {

ArchiveResult<OpenedStore> OpenReads(RunArchive& archive) { return archive.Readable().Open(); }

ArchiveResult<RunPage> FirstPage(RunArchive& archive, const RunFilter& filter, int limit) {
  ResultStore& store = archive.Readable();
  const ArchiveResult<int> total = store.RunCount(filter);
  if (!total.Ok()) return total.Status();
  ArchiveResult<std::vector<StoredRun>> runs = store.Runs(limit, filter);
  if (!runs.Ok()) return runs.Status();
  return RunPage{total.Value(), std::move(runs).Value()};
}

ArchiveResult<std::vector<StoredRun>> ListRuns(RunArchive& archive, const RunFilter& filter, int limit,
                                               const std::optional<RunKey>& after) {
  return archive.Readable().Runs(limit, filter, after);
}

ArchiveResult<std::vector<StoredRun>> RunsOfMachine(RunArchive& archive, const StoredRun& chosen) {
  // The machine by its stable id where the run has one, else by its PC name.
  RunFilter machine{.processorName = chosen.values.processorName, .machineId = chosen.machineId};
  if (chosen.machineId.isEmpty()) machine.pcName = chosen.pcName;
  ArchiveResult<std::vector<StoredRun>> runs = archive.Readable().Runs(std::numeric_limits<int>::max(), machine);
  if (!runs.Ok()) return runs;
  // The filter takes a name in any case (and an empty processor for any):
  // the machine is this one alone.
  std::erase_if(runs.Value(), [&machine](const StoredRun& run) {
    return (machine.pcName && run.pcName != *machine.pcName) || run.values.processorName != machine.processorName;
  });
  return runs;
}

ArchiveResult<std::vector<StoredRun>> ReadRuns(RunArchive& archive, const std::vector<int64_t>& ids) {
  return archive.Readable().RunsWithTests(ids);
}

ArchiveResult<std::vector<std::vector<StoredRun>>> ReadSeries(RunArchive& archive, const std::vector<int64_t>& ids) {
  return archive.Readable().SeriesOf(ids);
}

ArchiveResult<ComparedSeries> CompareSeries(RunArchive& archive, int64_t a, int64_t b) {
  ArchiveResult<std::vector<std::vector<StoredRun>>> sides = archive.Readable().SeriesOf({a, b});
  if (!sides.Ok()) return sides.Status();
  for (const auto& [id, side] : {std::pair{a, &sides.Value()[0]}, std::pair{b, &sides.Value()[1]}}) {
    if (side->empty()) {
      return ArchiveStatus::Failure(
          FailureKind::NotFound,
          QStringLiteral("no run %1 in the results store (torvik --history lists them)").arg(id));
    }
  }
  // A point group's sides with their all-thread figures, beside every point.
  ComparedSeries compared{.a = WithAllThreadTests(std::move(sides.Value()[0])),
                          .b = WithAllThreadTests(std::move(sides.Value()[1])),
                          .tests = {}};
  compared.tests = CompareRuns(compared.a, compared.b);
  const StoredRun &first = compared.a.front(), &second = compared.b.front();
  compared.sameSeries = !first.series.isEmpty() && first.series == second.series && first.group == second.group;
  return compared;
}

ArchiveResult<std::vector<MachineTrend>> TrendOf(RunArchive& archive, const RunFilter& filter) {
  const ArchiveResult<std::vector<StoredRun>> runs = archive.Readable().RunsWithTests(filter, kMostTrendRuns);
  if (!runs.Ok()) return runs.Status();
  return PlanTrends(runs.Value());
}

ArchiveResult<std::vector<MachineTrend>> TrendOfMachines(RunArchive& archive,
                                                         const std::vector<std::pair<MachineOf, QString>>& machines,
                                                         const RunFilter& days) {
  std::vector<StoredRun> runs;
  for (const auto& [machine, group] : machines) {
    const RunFilter filter{.group = group, .machine = machine.name, .from = days.from, .to = days.to};
    ArchiveResult<std::vector<StoredRun>> read = archive.Readable().RunsWithTests(filter, kMostTrendRuns);
    if (!read.Ok()) return read.Status();
    for (StoredRun& run : read.Value()) {
      if (MachineOf(run) == machine) runs.push_back(std::move(run));
    }
  }
  return PlanTrends(runs);
}

ArchiveResult<std::vector<MachineRanking>> RankingsOf(RunArchive& archive, const RunFilter& filter,
                                                      const std::optional<MachineOf>& baseline) {
  const ArchiveResult<std::vector<std::vector<StoredRun>>> latest =
      archive.Readable().LatestSeries(filter, kMostRankedMachines);
  if (!latest.Ok()) return latest.Status();
  return RankEachGroup(latest.Value(), baseline);
}

ArchiveResult<int> UnrankedMachinesOf(RunArchive& archive, const RunFilter& filter) {
  return archive.Readable().UnrankedMachinesOf(filter);
}

ArchiveResult<MachineRanking> RankingOf(RunArchive& archive, const RunFilter& filter,
                                        const std::optional<MachineOf>& baseline) {
  const ArchiveResult<std::vector<std::vector<StoredRun>>> latest =
      archive.Readable().LatestSeries(filter, kMostRankedMachines);
  if (!latest.Ok()) return latest.Status();
  MachineRanking ranking = RankMachines(latest.Value(), baseline);
  if (ranking.machines.empty()) {
    const ArchiveResult<int> unranked = UnrankedMachinesOf(archive, filter);
    if (!unranked.Ok()) return unranked.Status();
    ranking.unrankedMachines = unranked.Value();
  }
  return ranking;
}

}  // namespace torvik
