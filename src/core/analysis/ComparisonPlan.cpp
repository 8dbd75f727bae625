#include "core/analysis/ComparisonPlan.h"

#include <QCoreApplication>
#include <algorithm>
#include <map>
#include <set>

#include "core/analysis/PointSelection.h"
#include "core/analysis/PointSummaries.h"
#include "core/records/RunDate.h"

namespace torvik {
namespace {

struct ChartGroup {
  QString id;
  QString title;
  std::vector<QString> tests;
};

// The charts of the tests `runs` have, each test in its chart (TestInfo),
// the charts in the order of their first tests.
std::vector<ChartGroup> ChartGroupsOf(const std::vector<std::vector<StoredRun>>& series) {
  std::vector<const StoredRun*> runs;
  for (const std::vector<StoredRun>& one : series) {
    for (const StoredRun& run : one) runs.push_back(&run);
  }
  std::vector<ChartGroup> charts;
  for (const QString& test : TestsOf(runs)) {
    const TestInfo info = InfoOf(test);
    if (info.chart.isEmpty() || !ShownInSummary(info)) continue;
    auto chart = std::find_if(charts.begin(), charts.end(), [&info](const ChartGroup& c) { return c.id == info.chart; });
    if (chart == charts.end()) chart = charts.insert(charts.end(), ChartGroup{info.chart, info.chartTitle, {}});
    chart->tests.push_back(test);
  }
  return charts;
}

// A drawing test's figure is one shape per call on an X server; drawn on
// another platform (native Wayland) it measures something else.
QString DrawingLabel(const StoredRun& run, const QString& label) {
  if (run.platform.isEmpty() || run.platform == u"xcb") return label;
  return label + QCoreApplication::translate("ComparisonPlan", " [%1: 比較できません]").arg(run.platform);
}

const Figure* FigureOf(const ComparedRun& run, const QString& test) {
  const auto found = run.figures.find(test);
  return found == run.figures.end() ? nullptr : &found->second;
}

PlannedBar BarOf(const ComparedRun& run, const ComparedRun& baseline, const QString& test, bool rates) {
  PlannedBar bar;
  const Figure* figure = FigureOf(run, test);
  if (figure == nullptr) return bar;
  bar.noisy = figure->noisy;
  bar.precise = figure->precise;
  const bool spread = figure->repetitions > 1 && figure->precise;
  if (!rates) {
    bar.present = true;
    bar.value = figure->seconds;
    bar.spread = spread ? figure->secondsStdev : 0;
    return bar;
  }
  const Figure* base = FigureOf(baseline, test);
  if (base == nullptr || base->rate <= 0) return PlannedBar{};  // nothing to draw against
  bar.present = true;
  bar.value = figure->rate / base->rate * 100;
  bar.spread = spread ? figure->rateStdev / base->rate * 100 : 0;
  return bar;
}

// The verdict on each test both series ran, as the command line's
// comparison gives it (baseline A, run B).
std::map<QString, Verdict> VerdictsOf(const std::vector<StoredRun>& baseline, const std::vector<StoredRun>& run) {
  std::map<QString, Verdict> verdicts;
  for (const TestComparison& c : CompareRuns(baseline, run)) verdicts[c.test] = c.verdict;
  return verdicts;
}

PlannedChart ChartOf(const ChartGroup& group, const ComparisonPlan& plan,
                     const std::vector<std::vector<StoredRun>>& series) {
  PlannedChart chart{.id = group.id, .title = group.title};
  const std::vector<ComparedRun>& runs = plan.runs;
  for (const QString& test : group.tests) {
    if (std::any_of(runs.begin(), runs.end(), [&test](const ComparedRun& run) { return FigureOf(run, test); })) {
      chart.tests.push_back(test);
    }
  }
  if (chart.tests.empty()) return chart;
  // A baseline that ran none of these tests (another group) gives way to
  // the first run that did.
  const auto ranAny = [&chart](const ComparedRun& run) {
    return std::any_of(chart.tests.begin(), chart.tests.end(),
                       [&run](const QString& test) { return FigureOf(run, test); });
  };
  chart.baseline = ranAny(runs[plan.baseline])
                       ? plan.baseline
                       : static_cast<size_t>(std::find_if(runs.begin(), runs.end(), ranAny) - runs.begin());
  const bool drawing = group.id == QLatin1String(EntryOf(Group::Graphic).id);
  for (size_t i = 0; i < runs.size(); ++i) {
    const std::map<QString, Verdict> verdicts =
        i == chart.baseline ? std::map<QString, Verdict>{} : VerdictsOf(series[chart.baseline], series[i]);
    chart.labels.push_back(drawing ? DrawingLabel(runs[i].run, plan.labels[i]) : plan.labels[i]);
    std::vector<PlannedBar>& bars = chart.bars.emplace_back();
    std::vector<PlannedCell>& cells = chart.cells.emplace_back();
    for (const QString& test : chart.tests) {
      const PlannedBar bar = BarOf(runs[i], runs[chart.baseline], test, plan.rates);
      bars.push_back(bar);
      chart.top = std::max(chart.top, bar.value + bar.spread);
      PlannedCell& cell = cells.emplace_back();
      const Figure* figure = FigureOf(runs[i], test);
      if (figure == nullptr) continue;
      cell.figure = *figure;
      const Figure* base = FigureOf(runs[chart.baseline], test);
      if (i == chart.baseline || base == nullptr) continue;
      cell.percent = FasterPercent(*figure, *base, plan.rates);
      if (const auto verdict = verdicts.find(test); verdict != verdicts.end()) {
        cell.verdict = verdict->second;
      }
    }
    if (std::any_of(bars.begin(), bars.end(), [](const PlannedBar& bar) { return bar.present; })) {
      chart.rows.push_back(i);
    }
  }
  return chart;
}

}  // namespace

QString RunLabel(const StoredRun& run) {
  const QString when = run.origin == kOriginProgram ? run.started.left(16).replace(u'T', u' ') : StartedText(run);
  return QStringList({run.MachineName(), run.group, when, QStringLiteral("#%1").arg(run.id)}).join(u' ').simplified();
}

ComparisonPlan PlanComparison(const std::vector<std::vector<StoredRun>>& series, std::optional<int64_t> baselineId,
                              bool rates) {
  ComparisonPlan plan;
  plan.rates = rates;
  // A ticked run stands for its command's repetitions: one entry for them.
  std::set<std::pair<QString, QString>> seriesShown;
  std::vector<std::vector<StoredRun>> shown;
  std::optional<size_t> chosen;
  for (const std::vector<StoredRun>& runs : series) {
    if (runs.empty()) continue;
    const StoredRun& first = runs.front();
    if (!first.series.isEmpty() && !seriesShown.insert({first.series, first.group}).second) continue;
    if (baselineId && first.id == *baselineId) chosen = shown.size();
    shown.push_back(IsPointGroup(first.group) ? WithAllThreadTests(runs) : runs);
  }
  if (shown.empty()) return plan;
  // The first kMostCompared in the list's order (the newest first), and the
  // chosen baseline among them.
  if (shown.size() > kMostCompared) {
    plan.folded = shown.size() - kMostCompared;
    if (chosen && *chosen >= kMostCompared) {
      std::rotate(shown.begin() + kMostCompared - 1, shown.begin() + static_cast<std::ptrdiff_t>(*chosen),
                  shown.begin() + static_cast<std::ptrdiff_t>(*chosen) + 1);
      chosen = kMostCompared - 1;
    }
    shown.resize(kMostCompared);
  }
  for (const std::vector<StoredRun>& runs : shown) {
    plan.runs.push_back(FiguresOf(runs));
    plan.labels.push_back(runs.size() > 1 ? RunLabel(runs.front()) + QStringLiteral(" (n=%1)").arg(runs.size())
                                          : RunLabel(runs.front()));
  }
  // Unless one is chosen, the first run with precise seconds: an imported
  // sheet's tenths make a poor yardstick.
  const auto precise =
      std::find_if(plan.runs.begin(), plan.runs.end(), [](const ComparedRun& run) { return run.Precise(); });
  plan.baseline = chosen ? *chosen : precise == plan.runs.end() ? 0 : static_cast<size_t>(precise - plan.runs.begin());
  for (size_t i = 0; i < plan.runs.size(); ++i) {
    plan.overall.push_back(i == plan.baseline ? std::nullopt : OverallOf(plan.runs[i], plan.runs[plan.baseline]));
  }
  for (const ChartGroup& group : ChartGroupsOf(shown)) {
    PlannedChart chart = ChartOf(group, plan, shown);
    if (!chart.tests.empty()) plan.charts.push_back(std::move(chart));
  }
  return plan;
}

}  // namespace torvik
