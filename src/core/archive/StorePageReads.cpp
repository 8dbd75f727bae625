#include "core/archive/StorePageReads.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"
#include "core/page/ReportContents.h"
#include "core/page/SvgCharts.h"
#include "core/results/TestCatalogue.h"
#include "core/store/ResultStore.h"

namespace torvik {
namespace {

// The machines are read so many at a time.
constexpr size_t kMachinesARead = 25;

using KeyOf = std::tuple<QString, QString, QString>;  // name, processor model, group

// The newest kTrendPointsShown whole series of each of `machines`' runs of
// `filter`, by machine key.
ArchiveResult<std::map<KeyOf, std::vector<std::vector<StoredRun>>>> TrendWindows(
    ResultStore& store, const std::vector<MachineKey>& machines, const RunFilter& filter) {
  ArchiveResult<std::vector<std::pair<MachineKey, std::vector<std::vector<StoredRun>>>>> read =
      NewestSeriesOfMachines(store, machines, filter, kTrendPointsShown);
  if (!read.Ok()) return read.Status();
  std::map<KeyOf, std::vector<std::vector<StoredRun>>> windows;
  for (auto& [machine, series] : read.Value()) {
    windows[{machine.name, machine.processor, machine.group}] = std::move(series);
  }
  return windows;
}

}  // namespace

ArchiveResult<std::vector<std::pair<MachineKey, std::vector<std::vector<StoredRun>>>>> NewestSeriesOfMachines(
    ResultStore& store, const std::vector<MachineKey>& machines, const RunFilter& filter, size_t count) {
  // Room at first for three repetitions a series and one run more (a
  // series cut short by the read's end is left out); a machine whose series
  // have more is read again, four times as many each time.
  std::vector<std::pair<MachineKey, std::vector<std::vector<StoredRun>>>> windows;
  std::vector<MachineKey> asked = machines;
  for (int limit = 3 * static_cast<int>(count) + 1; !asked.empty(); limit *= 4) {
    ArchiveResult<std::vector<StoredRun>> runs = store.NewestRunsOf(asked, filter, limit);
    if (!runs.Ok()) return runs.Status();
    std::map<KeyOf, std::vector<StoredRun>> byKey;
    for (StoredRun& run : runs.Value()) {
      const MachineOf machine(run);
      byKey[{machine.name, machine.processor, run.group}].push_back(std::move(run));
    }
    std::vector<MachineKey> again;
    for (const MachineKey& machine : asked) {
      std::vector<StoredRun>& read = byKey[{machine.name, machine.processor, machine.group}];
      const bool cut = read.size() == static_cast<size_t>(limit);
      std::vector<std::vector<StoredRun>> series = NewestSeries(std::move(read), count, cut);
      // Series of many repetitions: fewer whole ones than asked for.
      if (cut && series.size() < count && limit < kMostTrendRuns) {
        again.push_back(machine);
      } else {
        windows.emplace_back(machine, std::move(series));
      }
    }
    asked = std::move(again);
  }
  return windows;
}

ArchiveResult<HtmlReportInput> ReadStorePage(RunArchive& archive, const RunFilter& filter, const QString& baseline) {
  ResultStore& store = archive.Readable();
  const ArchiveResult<std::vector<MachineKey>> keys = store.MachinesOf(filter);
  if (!keys.Ok()) return keys.Status();
  const ArchiveResult<std::vector<MachineRunCount>> counts = store.RunCountsOf(filter);
  if (!counts.Ok()) return counts.Status();

  std::map<MachineOf, ReportMachine> machines;
  size_t runCount = 0;
  for (const MachineRunCount& count : counts.Value()) {
    const MachineOf machine(count.name, count.processor);
    machines.try_emplace(machine, ReportMachine{.machine = machine}).first->second.runs += count.runs;
    runCount += static_cast<size_t>(count.runs);
  }
  std::vector<MachineTrend> trends;
  const std::vector<MachineKey>& all = keys.Value();
  for (size_t first = 0; first < all.size(); first += kMachinesARead) {
    const std::vector<MachineKey> some(all.begin() + first, all.begin() + std::min(all.size(), first + kMachinesARead));
    ArchiveResult<std::map<KeyOf, std::vector<std::vector<StoredRun>>>> windows = TrendWindows(store, some, filter);
    if (!windows.Ok()) return windows.Status();
    for (auto& [key, window] : windows.Value()) {
      std::vector<StoredRun> runs;
      for (std::vector<StoredRun>& series : window) {
        for (StoredRun& run : series) runs.push_back(std::move(run));
      }
      if (runs.empty()) continue;
      // The machine's facts are those of its newest run of any group.
      const StoredRun& newest = *std::max_element(runs.begin(), runs.end(), [](const StoredRun& a, const StoredRun& b) {
        return std::tie(a.sortTime, a.id) < std::tie(b.sortTime, b.id);
      });
      const MachineOf machine(newest);
      ReportMachine& m = machines.try_emplace(machine, ReportMachine{.machine = machine}).first->second;
      if (m.newest == 0 || newest.sortTime >= m.newest) {
        m.newest = newest.sortTime;
        m.hostName = newest.hostName;
        m.os = newest.os;
        m.memory = newest.memory;
        m.display = newest.display;
      }
      for (MachineTrend& trend : PlanTrends(std::move(runs))) trends.push_back(std::move(trend));
    }
  }
  // In PlanTrends' order, every change judged again among all of them.
  std::stable_sort(trends.begin(), trends.end(), [](const MachineTrend& a, const MachineTrend& b) {
    return std::tuple(a.machine, a.processor, GroupOrderOf(a.group), a.group) <
           std::tuple(b.machine, b.processor, GroupOrderOf(b.group), b.group);
  });
  ControlFalseDiscoveries(trends);

  ArchiveResult<std::vector<std::vector<StoredRun>>> latest = store.LatestSeries(filter, kMostRankedMachines);
  if (!latest.Ok()) return latest.Status();
  std::vector<ReportMachine> list;
  for (auto& [machine, entry] : machines) list.push_back(std::move(entry));
  return ReportOfMachines(std::move(list), runCount, std::move(trends), std::move(latest).Value(), baseline);
}

}  // namespace torvik
