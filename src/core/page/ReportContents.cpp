#include "core/page/ReportContents.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "core/page/PageTexts.h"

namespace torvik {
namespace {

// Series in the order the page lists machines: by machine, then group.
void SortByMachine(std::vector<std::vector<StoredRun>>& series) {
  std::erase_if(series, [](const std::vector<StoredRun>& one) { return one.empty(); });
  std::stable_sort(series.begin(), series.end(), [](const auto& a, const auto& b) {
    return std::tuple(MachineOf(a.front()), GroupOrderOf(a.front().group)) <
           std::tuple(MachineOf(b.front()), GroupOrderOf(b.front().group));
  });
}

}  // namespace

std::vector<ReportMachine> MachinesOfRuns(const std::vector<StoredRun>& runs) {
  std::map<MachineOf, ReportMachine> machines;
  for (const StoredRun& run : runs) {
    const MachineOf machine(run);
    auto [entry, made] = machines.try_emplace(machine, ReportMachine{.machine = machine});
    ReportMachine& m = entry->second;
    ++m.runs;
    // The newest dated run, else any: a block of unknown date has no place in time.
    const bool dated = !run.Undated();
    if (m.runs == 1 || (dated && (!m.dated || run.sortTime >= m.newest))) {
      m.newest = dated ? run.sortTime : 0;
      m.dated = m.dated || dated;
      m.hostName = run.hostName;
      m.os = run.os;
      m.memory = run.memory;
      m.display = run.display;
    }
  }
  std::vector<ReportMachine> list;
  for (auto& [machine, entry] : machines) list.push_back(std::move(entry));
  return list;
}

QString FilterText(const RunFilter& filter) {
  QStringList parts;
  const auto day = [](int64_t time) {
    return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy-MM-dd"));
  };
  if (filter.machine) parts << Tr(QT_TRANSLATE_NOOP("ReportPage", "マシン %1")).arg(*filter.machine);
  if (filter.pcName) parts << Tr(QT_TRANSLATE_NOOP("ReportPage", "PC名 %1")).arg(*filter.pcName);
  if (!filter.processor.isEmpty()) parts << Tr(QT_TRANSLATE_NOOP("ReportPage", "プロセッサ %1")).arg(filter.processor);
  if (!filter.group.isEmpty()) parts << Tr(QT_TRANSLATE_NOOP("ReportPage", "グループ %1")).arg(filter.group);
  if (filter.from || filter.to) {
    parts << QStringLiteral("%1 - %2").arg(filter.from ? day(*filter.from) : QString(),
                                           filter.to ? day(*filter.to) : QString());
  }
  return parts.isEmpty() ? Tr(QT_TRANSLATE_NOOP("ReportPage", "すべての計測")) : parts.join(QStringLiteral(", "));
}

HtmlReportInput ReportOfStore(const std::vector<StoredRun>& runs, std::vector<std::vector<StoredRun>> latest,
                              const QString& baseline) {
  return ReportOfMachines(MachinesOfRuns(runs), runs.size(), PlanTrends(runs), std::move(latest), baseline);
}

HtmlReportInput ReportOfMachines(std::vector<ReportMachine> machines, size_t runCount, std::vector<MachineTrend> trends,
                                 std::vector<std::vector<StoredRun>> latest, const QString& baseline) {
  HtmlReportInput input;
  input.runCount = runCount;
  input.machines = std::move(machines);
  SortByMachine(latest);
  std::optional<MachineOf> chosen;
  std::optional<int64_t> baselineId;
  if (!baseline.isEmpty()) {
    chosen = MachineOf(baseline, {});
    // The baseline machine's series first, so that a comparison folded to
    // its first series keeps it.
    const auto named = [&baseline](const std::vector<StoredRun>& one) {
      return one.front().MachineName().compare(baseline, Qt::CaseInsensitive) == 0;
    };
    std::stable_partition(latest.begin(), latest.end(), named);
    if (!latest.empty() && named(latest.front())) baselineId = latest.front().front().id;
  }
  input.rankings = RankEachGroup(latest, chosen);
  input.comparison = PlanComparison(latest, baselineId, true);
  input.trends = std::move(trends);
  return input;
}

QByteArray HtmlReportOfSeries(const std::vector<std::vector<StoredRun>>& ticked, std::optional<int64_t> baselineId,
                              const QString& storeShown, const QDateTime& made) {
  std::vector<StoredRun> runs;
  std::set<int64_t> seen;
  for (const std::vector<StoredRun>& series : ticked) {
    for (const StoredRun& run : series) {
      if (seen.insert(run.id).second) runs.push_back(run);
    }
  }
  // The latest ticked series of each machine and group.
  const auto newest = [](const std::vector<StoredRun>& series) {
    int64_t time = 0;
    for (const StoredRun& run : series) {
      if (!run.Undated()) time = std::max(time, run.sortTime);
    }
    return time;
  };
  std::map<std::pair<MachineOf, QString>, const std::vector<StoredRun>*> latestOf;
  std::optional<MachineOf> baseline;
  for (const std::vector<StoredRun>& series : ticked) {
    if (series.empty()) continue;
    if (baselineId && series.front().id == *baselineId) baseline = MachineOf(series.front());
    const auto key = std::pair(MachineOf(series.front()), series.front().group);
    const auto found = latestOf.find(key);
    if (found == latestOf.end() || newest(series) > newest(*found->second)) latestOf[key] = &series;
  }
  std::vector<std::vector<StoredRun>> latest;
  for (const auto& [key, series] : latestOf) latest.push_back(*series);
  SortByMachine(latest);

  HtmlReportInput input;
  input.made = made;
  input.store = storeShown;
  input.scope = Tr(QT_TRANSLATE_NOOP("ReportPage", "比較ウィンドウで選んだ計測 %1 件")).arg(ticked.size());
  input.runCount = runs.size();
  input.machines = MachinesOfRuns(runs);
  input.rankings = RankEachGroup(latest, baseline);
  input.comparison = PlanComparison(ticked, baselineId, true);
  input.trends = PlanTrends(runs);
  return HtmlReport(input);
}

}  // namespace torvik
