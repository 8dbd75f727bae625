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

// A machine's runs read at first for its trend: room for three repetitions
// a series and one run more (a series cut short by the read's end is left
// out); a machine whose series have more is read again, four times as many
// each time. The machines are read so many at a time.
constexpr int kFirstTrendRead = 3 * static_cast<int>(kTrendPointsShown) + 1;
constexpr size_t kMachinesARead = 25;

using KeyOf = std::tuple<QString, QString, QString>;  // name, processor model, group

KeyOf KeyOfRun(const StoredRun& run) {
  const MachineOf machine(run);
  return {machine.name, machine.processor, run.group};
}

// The newest kTrendPointsShown whole series of each of `machines`' runs of
// `filter`, by machine key.
ArchiveResult<std::map<KeyOf, std::vector<std::vector<StoredRun>>>> TrendWindows(
    ResultStore& store, const std::vector<MachineKey>& machines, const RunFilter& filter) {
  std::map<KeyOf, std::vector<std::vector<StoredRun>>> windows;
  std::vector<MachineKey> asked = machines;
  for (int limit = kFirstTrendRead; !asked.empty(); limit *= 4) {
    ArchiveResult<std::vector<StoredRun>> runs = store.NewestRunsOf(asked, filter, limit);
    if (!runs.Ok()) return runs.Status();
    std::map<KeyOf, std::vector<StoredRun>> byKey;
    for (StoredRun& run : runs.Value()) byKey[KeyOfRun(run)].push_back(std::move(run));
    std::vector<MachineKey> again;
    for (const MachineKey& machine : asked) {
      const KeyOf key{machine.name, machine.processor, machine.group};
      std::vector<StoredRun>& read = byKey[key];
      const bool cut = read.size() == static_cast<size_t>(limit);
      windows[key] = NewestSeries(std::move(read), kTrendPointsShown, cut);
      // Series of many repetitions: fewer whole ones than the chart draws.
      if (cut && windows[key].size() < kTrendPointsShown && limit < kMostTrendRuns) again.push_back(machine);
    }
    asked = std::move(again);
  }
  return windows;
}

}  // namespace

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
