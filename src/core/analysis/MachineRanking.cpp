#include "core/analysis/MachineRanking.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "core/analysis/PointSelection.h"

namespace torvik {

MachineRanking RankMachines(const std::vector<std::vector<StoredRun>>& given,
                            const std::optional<MachineOf>& baseline) {
  MachineRanking ranking;
  // A point group's runs with their all-thread figures.
  std::vector<std::vector<StoredRun>> derived;
  for (const std::vector<StoredRun>& one : given) {
    if (!one.empty() && IsPointGroup(one.front().group)) derived.push_back(WithAllThreadTests(one));
  }
  const std::vector<std::vector<StoredRun>>& latest = derived.empty() ? given : derived;
  std::vector<const std::vector<StoredRun>*> series;
  for (const std::vector<StoredRun>& one : latest) {
    if (!one.empty()) series.push_back(&one);
  }
  if (series.empty()) return ranking;
  ranking.group = series.front()->front().group;
  ranking.summaries = SummariesOf(ranking.group);
  std::sort(series.begin(), series.end(),
            [](const auto* a, const auto* b) { return MachineOf(a->front()) < MachineOf(b->front()); });
  std::vector<ComparedRun> figures;
  for (const auto* one : series) figures.push_back(FiguresOf(*one));
  std::vector<const StoredRun*> runs;
  for (const auto* one : series) {
    for (const StoredRun& run : *one) runs.push_back(&run);
  }
  for (const QString& id : TestsOf(runs)) {
    if (!ShownInSummary(InfoOf(id))) continue;
    if (std::any_of(figures.begin(), figures.end(),
                    [&id](const ComparedRun& run) { return run.figures.contains(id); })) {
      ranking.tests.push_back(id);
    }
  }
  // The chosen machine, else the first whose figures are precise, else the
  // first with a figure at all (one whose every figure was no figure is
  // nobody's baseline).
  size_t base = 0;
  std::optional<size_t> withFigures;
  for (size_t i = series.size(); i-- > 0;) {
    if (!figures[i].figures.empty()) withFigures = i;
  }
  if (withFigures) base = *withFigures;
  for (size_t i = 0; i < series.size(); ++i) {
    const MachineOf machine(series[i]->front());
    const bool wanted = baseline ? machine.name.compare(baseline->name, Qt::CaseInsensitive) == 0 &&
                                       (baseline->processor.isEmpty() || machine.processor == baseline->processor)
                                 : figures[i].Precise() && !figures[i].figures.empty();
    if (wanted) {
      base = i;
      break;
    }
  }

  std::vector<RankedMachine> machines;
  for (size_t i = 0; i < series.size(); ++i) {
    RankedMachine machine{
        .machine = MachineOf(series[i]->front()), .figures = figures[i], .repetitions = series[i]->size()};
    machine.notFigures = NotFiguresOf(*series[i]);
    machine.overall = i == base ? std::optional(0.0) : OverallOf(figures[i], figures[base]);
    for (SummaryKind kind : ranking.summaries) {
      machine.summaries.push_back(i == base ? std::optional(0.0) : SummaryAgainst(kind, figures[i], figures[base]));
    }
    const std::vector<TestComparison> compared =
        i == base ? std::vector<TestComparison>{} : CompareRuns(*series[base], *series[i]);
    for (const QString& id : ranking.tests) {
      RankedTest& ranked = machine.tests.emplace_back();
      const auto figure = figures[i].figures.find(id), against = figures[base].figures.find(id);
      if (i == base || figure == figures[i].figures.end() || against == figures[base].figures.end()) continue;
      ranked.fasterPercent = FasterPercent(figure->second, against->second, true);
      for (const TestComparison& c : compared) {
        if (c.test == id) ranked.verdict = c.verdict;
      }
    }
    machines.push_back(std::move(machine));
  }
  // Fastest first; the order by name stays among equals.
  std::vector<size_t> order(machines.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&machines](size_t a, size_t b) {
    const auto& x = machines[a].overall;
    const auto& y = machines[b].overall;
    if (x.has_value() != y.has_value()) return x.has_value();
    return x && *x > *y;
  });
  for (size_t place = 0; place < order.size(); ++place) {
    if (order[place] == base) ranking.baseline = place;
    ranking.machines.push_back(std::move(machines[order[place]]));
  }
  return ranking;
}

std::vector<MachineRanking> RankEachGroup(const std::vector<std::vector<StoredRun>>& latest,
                                          const std::optional<MachineOf>& baseline) {
  std::vector<MachineRanking> rankings;
  for (const GroupEntry& group : kGroups) {
    std::vector<std::vector<StoredRun>> ofGroup;
    for (const std::vector<StoredRun>& series : latest) {
      if (!series.empty() && series.front().group == QLatin1String(group.id)) ofGroup.push_back(series);
    }
    if (!ofGroup.empty()) rankings.push_back(RankMachines(ofGroup, baseline));
  }
  return rankings;
}

}  // namespace torvik
